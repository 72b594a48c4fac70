// The frame's rebuild of the action queues over a generated case file (most cases closed, some
// on hold, the open ones spread around today) against a raw SQLite scan of the same file that
// decodes each record and nothing more. Prints the ratio at the end (goal: at most 2x).
// TRV_BENCH_SMALL uses a small data set.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>

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

const std::int32_t kToday = *text::dateNumber(2026, 12, 10);

std::string history(std::mt19937& rng, int entries) {
  std::string h = "Case CREATED : 10/12/26 -  9:00  by Agent Agent07";
  for (int i = 0; i < entries; ++i)
    h += "\r\n\r\nReview Note: 10/12/26 - 10:15 by Agent Agent07             \r\nCalled the "
         "client back about the printer queue; waiting for the log files " +
         std::to_string(rng() % 1000);
  return h;
}

struct CaseFile {
  std::filesystem::path folder;
  std::string path;
  int cases = std::getenv("TRV_BENCH_SMALL") ? 2000 : 100000;
  NoMessages sink;
  data::FileAccess sercase{core::declaration(DataFile::Sercase), sink};
  ini::IniSettings settings;

  CaseFile() {
    char tmpl[] = "/tmp/trvqueuesbenchXXXXXX";
    folder = ::mkdtemp(tmpl);
    path = core::filePath(folder.string(), DataFile::Sercase);
    generate();
    settings.Init(folder, "trvnel12.ini");
    sercase.setName(path);
    // The frame keeps the case file open on its thread between rescans.
    if (sercase.open() != data::LevelOk) std::abort();
  }
  ~CaseFile() {
    sercase.shutdown();
    std::filesystem::remove_all(folder);
  }

  // About two thirds closed, a tenth on hold, the rest active; open moments from a month ago to
  // a month ahead, some of them with the first escalation done.
  void generate() {
    const store::FileDecl& d = core::declaration(DataFile::Sercase);
    store::Connection conn;
    store::FileId id = -1;
    if (conn.open(d, path, store::OpenMode::Shared, &id) != store::Ok) std::abort();
    if (conn.begin() != store::Ok) std::abort();
    std::mt19937 rng(7);
    store::RecordBuffer b(d);
    const char* priorities[] = {"High", "Medium", "Minimal"};
    for (int i = 0; i < cases; ++i) {
      SercaseRecord r;
      r.CaseNr = static_cast<std::uint32_t>(i + 1);
      r.SName = "C" + std::to_string(rng() % 900);
      r.LName = "Client " + std::string(r.SName.view());
      r.Product = "Office suite";
      r.IDProduct = "P" + std::to_string(rng() % 40);
      r.SProblem = "Printer queue stalls after the nightly update, case " + std::to_string(i);
      r.Priority = priorities[rng() % 3];
      r.Owner = "Agent" + std::to_string(rng() % 12);
      r.UpdateFlag = static_cast<std::uint16_t>(rng() % 2);
      const unsigned kind = rng() % 100;
      r.Status = kind < 65 ? "Closed" : kind < 75 ? "On Hold" : "Active";
      const std::int32_t base = kToday - 30 + static_cast<std::int32_t>(rng() % 60);
      r.FirstEscDate = base;
      r.FirstEscTime = 1 + static_cast<std::int32_t>(rng() % 8640000);
      r.SecEscDate = base + 1;
      r.SecEscTime = r.FirstEscTime;
      r.ThirdEscDate = base + 3;
      r.ThirdEscTime = r.FirstEscTime;
      const bool firstDone = kind < 65 || rng() % 3 == 0;
      r.FirstAction = firstDone ? "D" : "N";
      r.SecAction = kind < 65 ? "D" : "N";
      r.ThirdAction = kind < 65 ? "D" : "N";
      r.Cdate = kind < 65 ? base + 5 : 0;
      std::memcpy(b.record.data(), &r, sizeof r);
      b.memos[0] = history(rng, kind < 65 ? 6 : 2);
      b.memos[1].clear();
      if (conn.add(id, b) != store::Ok) std::abort();
    }
    if (conn.commit() != store::Ok) std::abort();
    conn.close(id);
  }
};

CaseFile& caseFile() {
  static CaseFile f;
  return f;
}

std::map<std::string, double> gNsPerIteration;

void record(benchmark::State& state, const std::string& name,
            std::chrono::steady_clock::duration total) {
  if (state.iterations() > 0)
    gNsPerIteration[name] =
        std::chrono::duration<double, std::nano>(total).count() / double(state.iterations());
}

void BM_FrameRebuild(benchmark::State& state) {
  CaseFile& f = caseFile();
  text::ManualClock clock(kToday, *text::timeNumber(12, 0));
  core::SharedQueues queues;
  const text::FixedString<20> user{"Agent3"};
  std::size_t closed = 0;
  core::RescanHooks hooks;
  hooks.closedCase = [&](const SercaseRecord&, const store::Position&) { ++closed; };
  std::chrono::steady_clock::duration total{};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const core::RebuildOutcome o =
        core::rebuildQueues(queues, f.sercase, f.settings, {user.raw(), 1, false}, clock, hooks);
    total += std::chrono::steady_clock::now() - start;
    if (o.code != store::Ok) state.SkipWithError("rebuild failed");
  }
  record(state, "rebuild", total);
  const auto snap = queues.snapshot();
  state.counters["AFT"] = static_cast<double>(snap->AFT.size());
  state.counters["BEF"] = static_cast<double>(snap->BEF.size());
  benchmark::DoNotOptimize(closed);
  state.SetItemsProcessed(state.iterations() * f.cases);
}

void BM_RawScanAndDecode(benchmark::State& state) {
  CaseFile& f = caseFile();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(f.path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    std::abort();
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, "SELECT id, version, data FROM records ORDER BY id", -1, &s,
                         nullptr) != SQLITE_OK)
    std::abort();
  std::chrono::steady_clock::duration total{};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::int64_t open = 0;
    SercaseRecord r;
    while (sqlite3_step(s) == SQLITE_ROW) {
      if (sqlite3_column_bytes(s, 2) != sizeof r) std::abort();
      std::memcpy(&r, sqlite3_column_blob(s, 2), sizeof r);
      open += !(r.Status == "Closed");
    }
    sqlite3_reset(s);
    benchmark::DoNotOptimize(open);
    total += std::chrono::steady_clock::now() - start;
  }
  record(state, "raw", total);
  sqlite3_finalize(s);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * f.cases);
}

BENCHMARK(BM_FrameRebuild)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawScanAndDecode)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const auto a = gNsPerIteration.find("rebuild"), b = gNsPerIteration.find("raw");
  const double ratio = (a == gNsPerIteration.end() || b == gNsPerIteration.end() || b->second == 0)
                           ? 0.0
                           : a->second / b->second;
  std::printf("cases: %d\n", caseFile().cases);
  std::printf("queue rebuild / raw scan and decode: %.2fx (goal at most 2x)\n", ratio);
  return 0;
}
