// The frame's rebuild of the action queues over the generated case file (most cases closed,
// some on hold, the open ones spread around today) against a raw SQLite scan of the same file,
// opened with the store's threading mode, that decodes each record and nothing more. Goal: at
// most 1.5x. The rebuild is also run as the frame runs it, letting other threads in between
// batches: its counters give the longest stretch between two such points.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench/bench_support.h"
#include "core/data/files.h"
#include "core/data/records.h"
#include "core/queues/queue_rebuild.h"
#include "runtime/data/file_access.h"
#include "runtime/data/message_sink.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/store/connection.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"

namespace {

using namespace trv;
using core::DataFile;
using core::SercaseRecord;

class NoMessages : public data::MessageSink {
 public:
  data::Level raise(int) override { std::abort(); }
  data::Level raiseWithText(int, std::string_view) override { std::abort(); }
  data::MessageButton showMessage(int, int, data::MessageButton) override { std::abort(); }
  void setFileName(std::string_view) override {}
  void setFieldName(std::string_view) override {}
};

struct CaseFile {
  NoMessages sink;
  data::FileAccess sercase{core::declaration(DataFile::Sercase), sink};
  ini::IniSettings settings;
  // The frame's queues: kept from one rescan to the next.
  core::SharedQueues queues;

  CaseFile() {
    settings.Init(std::filesystem::path(bench::caseFilePath()).parent_path(), "trvnel12.ini");
    sercase.setName(bench::caseFilePath());
    // The frame keeps the case file open on its thread between rescans.
    if (sercase.open() != data::LevelOk) std::abort();
  }
  ~CaseFile() { sercase.shutdown(); }
};

CaseFile& caseFile() {
  static CaseFile f;
  return f;
}

// range(0) 1: with stops between batches (as the frame's rescan lets other threads in there);
// longest_batch_us is the longest stretch without a stop, from the start to the end.
void BM_FrameRebuild(benchmark::State& state) {
  CaseFile& f = caseFile();
  text::ManualClock clock(bench::benchToday(), *text::timeNumber(12, 0));
  core::SharedQueues& queues = f.queues;
  const text::FixedString<20> user{"Agent3"};
  std::size_t closed = 0;
  core::RescanHooks hooks;
  hooks.closedCase = [&](const SercaseRecord&, const store::Position&) {
    ++closed;
    return false;
  };
  using Clock = std::chrono::steady_clock;
  Clock::time_point last;
  Clock::duration longest{};
  std::size_t stops = 0;
  if (state.range(0) == 1)
    hooks.betweenBatches = [&] {
      const auto now = Clock::now();
      longest = std::max(longest, now - last);
      last = now;
      ++stops;
      return true;
    };
  for (auto _ : state) {
    last = Clock::now();
    const core::RebuildOutcome o =
        core::rebuildQueues(queues, f.sercase, f.settings, {user.raw(), 1, false}, clock, hooks);
    if (o.code != store::Ok) state.SkipWithError("rebuild failed");
    longest = std::max(longest, Clock::now() - last);  // from the last stop to the end
  }
  const auto snap = queues.snapshot();
  state.counters["AFT"] = static_cast<double>(snap->AFT.size());
  state.counters["BEF"] = static_cast<double>(snap->BEF.size());
  if (state.range(0) == 1) {
    state.counters["longest_batch_us"] = std::chrono::duration<double, std::micro>(longest).count();
    state.counters["batches"] =
        static_cast<double>(stops) / static_cast<double>(state.iterations());
  }
  benchmark::DoNotOptimize(closed);
  state.SetItemsProcessed(state.iterations() * bench::caseCount());
}

void BM_RawScanAndDecode(benchmark::State& state) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(bench::caseFilePath().c_str(), &db,
                      SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
    std::abort();
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT id, version, data FROM records ORDER BY id", -1, &s,
                         nullptr) != SQLITE_OK)
    std::abort();
  for (auto _ : state) {
    std::int64_t open = 0;
    SercaseRecord r;
    while (sqlite3_step(s) == SQLITE_ROW) {
      if (sqlite3_column_bytes(s, 2) != sizeof r) std::abort();
      std::memcpy(&r, sqlite3_column_blob(s, 2), sizeof r);
      open += !(r.Status == "Closed") + sqlite3_column_int64(s, 0) + sqlite3_column_int64(s, 1);
    }
    sqlite3_reset(s);
    benchmark::DoNotOptimize(open);
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * bench::caseCount());
}

BENCHMARK(BM_FrameRebuild)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawScanAndDecode)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::runBenchmarks(
      argc, argv,
      {{"queue_rebuild_vs_raw_scan", "BM_FrameRebuild/0", "BM_RawScanAndDecode"},
       {"rebuild_with_stops_vs_rebuild", "BM_FrameRebuild/1", "BM_FrameRebuild/0"}});
}
