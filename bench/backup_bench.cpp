// The backup of the eight data files of a database of generated cases: made stepwise as the
// frame makes it, against `cp` of the same files followed by `sync` of the copies (both wall
// time: the copies wait for the disk); and the longest wait of another thread's window while the
// backup runs on a program thread, against 50 ms. Prints RATIO lines last.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/bench_support.h"
#include "bench/window_wait.h"
#include "core/jobs/backup.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/ui/headless.h"
#include "runtime/ui/ui_runtime.h"

namespace {

using namespace trv;
namespace fs = std::filesystem;

// The copies go beside the data, on the same disk.
fs::path copyFolder(const std::string& name) {
  return fs::path(bench::databaseFolder()).parent_path() /
         ("backup-" + name + "-" + std::to_string(::getpid()));
}

std::string quoted(const fs::path& p) {
  return "'" + p.string() + "'";
}

void BM_Backup(benchmark::State& state) {
  const fs::path to = copyFolder("stepped");
  for (auto _ : state) {
    const core::jobs::BackupResult r =
        core::jobs::backUpDataFiles(bench::databaseFolder(), to, [] { return true; });
    if (!r.ok) state.SkipWithError(r.detail.c_str());
  }
  fs::remove_all(to);
}
BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CpSync(benchmark::State& state) {
  const fs::path to = copyFolder("cp");
  fs::create_directories(to);
  std::string sources, copies;
  for (core::DataFile f : core::jobs::kBackupFiles) {
    sources += " " + quoted(fs::path(bench::databaseFolder()) / core::fileName(f));
    copies += " " + quoted(to / core::fileName(f));
  }
  const std::string command = "cp" + sources + " " + quoted(to) + " && sync" + copies;
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("cp or sync failed");
  }
  fs::remove_all(to);
}
BENCHMARK(BM_CpSync)->Unit(benchmark::kMillisecond)->UseRealTime();

// The backup on a program thread that yields between its steps, as the frame's timed backup.
void BM_BackupWait(benchmark::State& state) {
  const fs::path to = copyFolder("wait");
  for (auto _ : state) {
    text::ManualClock clock{bench::benchToday(), *text::timeNumber(10, 0)};
    ui::HeadlessFrontEnd fe;
    ui::UiRuntime rt(clock, fe);
    bool ok = false;
    const double wait = bench::longestWindowWait(rt, [&] {
      ok = core::jobs::backUpDataFiles(bench::databaseFolder(), to, [&] {
             return rt.yieldBaton();
           }).ok;
    });
    if (wait < 0 || !ok) {
      state.SkipWithError("the backup did not run");
      break;
    }
    state.SetIterationTime(wait);
  }
  fs::remove_all(to);
}
BENCHMARK(BM_BackupWait)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  (void)bench::databaseFolder();  // generated before any timing
  return bench::runBenchmarks(
      argc, argv,
      {{"backup_vs_cp_sync", "BM_Backup/real_time", "BM_CpSync/real_time", bench::Ratio::kWall},
       {"wait_backup_vs_50ms", "BM_BackupWait/iterations:1/manual_time", "", bench::Ratio::kWall,
        50e6}});
}
