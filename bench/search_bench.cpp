// The extended search over a large case file, read a batch at a time as the search window
// reads it: a "Case History" search against a raw SQLite scan of the history column with the
// same upper-cased contains test, and a "Client Name" search against a raw scan of the record
// blobs testing the name inside each. Each goal: at most 2x. The longest batch shows how long
// the window waits at most between two looks at its events. Prints RATIO lines last.
// TRV_BENCH_CASES sets the number of cases (TRV_BENCH_SMALL: 2000; default 100000).

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include "cases/search/search_hits.h"
#include "cases/search/search_scan.h"
#include "core/data/files.h"
#include "core/data/records.h"
#include "runtime/data/file_access.h"
#include "runtime/data/message_sink.h"
#include "runtime/store/connection.h"

namespace {

using namespace trv;
using core::DataFile;
using core::SercaseRecord;

// As the search window reads between two looks at its events.
constexpr int kBatchRecords = 500;
constexpr const char* kHistoryPhrase = "gearbox";
constexpr const char* kNamePhrase = "acme";

int caseCount() {
  if (const char* n = std::getenv("TRV_BENCH_CASES"); n && std::atoi(n) > 0) return std::atoi(n);
  return std::getenv("TRV_BENCH_SMALL") ? 2000 : 100000;
}

class NoMessages : public data::MessageSink {
 public:
  data::Level raise(int) override { std::abort(); }
  data::Level raiseWithText(int, std::string_view) override { std::abort(); }
  data::MessageButton showMessage(int, int, data::MessageButton) override { std::abort(); }
  void setFileName(std::string_view) override {}
  void setFieldName(std::string_view) override {}
};

// A history of 100 to 2000 characters; one case in a hundred mentions the gearbox.
std::string history(std::mt19937& rng, int i) {
  const std::size_t size = 100 + rng() % 1901;
  std::string h = "Case CREATED : 10/12/26 -  9:00  by Agent Agent07";
  while (h.size() < size)
    h += "\r\n\r\nReview Note: 10/12/26 - 10:15 by Agent Agent07\r\nCalled the client back "
         "about the printer queue; waiting for the log files " +
         std::to_string(rng() % 1000);
  h.resize(size);
  if (i % 100 == 7) h.replace(size / 2, 7, "GearBox");
  return h;
}

struct CaseFile {
  std::filesystem::path folder;
  std::string path;
  int cases = caseCount();
  NoMessages sink;
  data::FileAccess sercase{core::declaration(DataFile::Sercase), sink};

  CaseFile() {
    folder =
        std::filesystem::temp_directory_path() / ("trv_bench_search_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    path = core::filePath(folder.string(), DataFile::Sercase);
    generate();
    sercase.setName(path);
    if (sercase.open() != data::LevelOk) std::abort();
  }
  ~CaseFile() {
    sercase.shutdown();
    std::filesystem::remove_all(folder);
  }

  void generate() {
    const store::FileDecl& d = core::declaration(DataFile::Sercase);
    store::Connection conn;
    store::FileId id = -1;
    if (conn.open(d, path, store::OpenMode::Shared, &id) != store::Ok) std::abort();
    if (conn.begin() != store::Ok) std::abort();
    std::mt19937 rng(11);
    store::RecordBuffer b(d);
    for (int i = 0; i < cases; ++i) {
      SercaseRecord r;
      r.CaseNr = static_cast<std::uint32_t>(i + 1);
      r.SName = "C" + std::to_string(rng() % 900);
      r.LName = (i % 100 == 3 ? "Acme Trading " : "Client ") + std::to_string(rng() % 5000);
      r.Product = "Office suite";
      r.IDProduct = "P" + std::to_string(rng() % 40);
      r.SProblem = "Printer queue stalls after the nightly update, case " + std::to_string(i);
      r.Status = "Closed";
      r.Owner = "Agent" + std::to_string(rng() % 12);
      std::memcpy(b.record.data(), &r, sizeof r);
      b.memos[0] = history(rng, i);
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

std::map<std::string, double>& timings() {
  static std::map<std::string, double> t;
  return t;
}

// The search as the window runs it: batches until the scan is over.
void runSearch(benchmark::State& state, cases::SearchSubject subject, const char* phrase,
               const char* label) {
  CaseFile& f = caseFile();
  std::size_t found = 0;
  double longestBatchMs = 0;
  for (auto _ : state) {
    cases::SearchHits hits;
    cases::SearchScan scan({{&f.sercase, "Case"}}, subject, phrase, hits);
    for (;;) {
      const auto start = std::chrono::steady_clock::now();
      const bool more = scan.Step(kBatchRecords);
      const double ms =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
              .count();
      longestBatchMs = std::max(longestBatchMs, ms);
      if (!more) break;
    }
    if (scan.failure() != store::Ok || scan.read() != static_cast<std::uint64_t>(f.cases))
      state.SkipWithError("search failed");
    found = hits.size();
  }
  state.counters["hits"] = static_cast<double>(found);
  state.counters["longest_batch_ms"] = longestBatchMs;
  state.SetLabel(label);
}

// A raw scan of one column in row order with the same test.
void runRaw(benchmark::State& state, const char* column, bool nameInRecord, const char* phrase,
            const char* label) {
  CaseFile& f = caseFile();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(f.path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    std::abort();
  const std::string sql = std::string("SELECT ") + column + " FROM records ORDER BY id";
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) std::abort();
  const cases::PhraseMatcher matcher(phrase);
  std::size_t found = 0;
  for (auto _ : state) {
    found = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
      const auto* p = static_cast<const char*>(sqlite3_column_blob(s, 0));
      const int n = sqlite3_column_bytes(s, 0);
      std::string_view text(p ? p : "", static_cast<std::size_t>(n));
      if (nameInRecord) {
        if (text.size() != sizeof(SercaseRecord)) std::abort();
        text = text.substr(offsetof(SercaseRecord, LName), 50);
      }
      found += matcher.foundIn(text);
    }
    sqlite3_reset(s);
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
  state.counters["hits"] = static_cast<double>(found);
  state.SetLabel(label);
}

void BM_RawHistoryScan(benchmark::State& state) {
  runRaw(state, "\"SER:History\"", false, kHistoryPhrase, "raw_history");
}
void BM_SearchHistory(benchmark::State& state) {
  runSearch(state, cases::SearchSubject::History, kHistoryPhrase, "search_history");
}
void BM_RawRecordScan(benchmark::State& state) {
  runRaw(state, "data", true, kNamePhrase, "raw_records");
}
void BM_SearchClientName(benchmark::State& state) {
  runSearch(state, cases::SearchSubject::ClientName, kNamePhrase, "search_name");
}
BENCHMARK(BM_RawHistoryScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchHistory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawRecordScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchClientName)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) timings()[r.report_label] = r.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    auto& t = timings();
    std::printf("cases: %d\n", caseFile().cases);
    std::printf("goals: each ratio at most 2\n");
    auto ratio = [&](const char* name, const char* a, const char* b) {
      if (t.count(a) && t.count(b) && t[b] > 0) std::printf("RATIO %s %.2f\n", name, t[a] / t[b]);
    };
    ratio("history_search_vs_raw_history_scan", "search_history", "raw_history");
    ratio("client_name_search_vs_raw_record_scan", "search_name", "raw_records");
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
