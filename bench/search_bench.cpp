// The extended search over the generated case file, read a batch at a time as the search
// window reads it: a "Case History" search against a raw SQLite scan of the history column with
// the same upper-cased contains test, and a "Client Name" search against a raw scan of the
// record blobs testing the name inside each. Goals: each ratio at most 2. longest_batch_ms is
// the longest the window goes without a look at its events. Prints RATIO lines last.
// TRV_BENCH_CASES sets the number of cases (see bench_support.h).

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <string>
#include <string_view>

#include "bench/bench_support.h"
#include "cases/search/search_hits.h"
#include "cases/search/search_scan.h"
#include "core/data/files.h"
#include "core/data/records.h"
#include "runtime/data/file_access.h"
#include "runtime/data/message_sink.h"

namespace {

using namespace trv;
using core::SercaseRecord;

// As the search window reads between two looks at its events.
constexpr int kBatchRecords = 500;
constexpr const char* kHistoryPhrase = "files 99";
constexpr const char* kNamePhrase = "client c89";

class NoMessages : public data::MessageSink {
 public:
  data::Level raise(int) override { std::abort(); }
  data::Level raiseWithText(int, std::string_view) override { std::abort(); }
  data::MessageButton showMessage(int, int, data::MessageButton) override { std::abort(); }
  void setFileName(std::string_view) override {}
  void setFieldName(std::string_view) override {}
};

// The case file open on this thread, as the frame's thread keeps it.
struct CaseFile {
  NoMessages sink;
  data::FileAccess sercase{core::declaration(core::DataFile::Sercase), sink};
  CaseFile() {
    sercase.setName(bench::caseFilePath());
    if (sercase.open() != data::LevelOk) std::abort();
  }
  ~CaseFile() { sercase.shutdown(); }
};

CaseFile& caseFile() {
  static CaseFile f;
  return f;
}

// The search as the window runs it: batches until the scan is over.
void runSearch(benchmark::State& state, cases::SearchSubject subject, const char* phrase) {
  CaseFile& f = caseFile();
  std::size_t found = 0;
  double longestBatchMs = 0;
  for (auto _ : state) {
    cases::SearchHits hits;
    cases::SearchScan scan({{&f.sercase, "Case"}}, subject, phrase, hits);
    for (;;) {
      const auto start = std::chrono::steady_clock::now();
      const bool more = scan.Step(kBatchRecords);
      longestBatchMs = std::max(longestBatchMs, std::chrono::duration<double, std::milli>(
                                                    std::chrono::steady_clock::now() - start)
                                                    .count());
      if (!more) break;
    }
    if (scan.failure() != store::Ok ||
        scan.read() != static_cast<std::uint64_t>(bench::caseCount()))
      state.SkipWithError("search failed");
    found = hits.size();
  }
  state.counters["hits"] = static_cast<double>(found);
  state.counters["longest_batch_ms"] = longestBatchMs;
  state.SetItemsProcessed(state.iterations() * bench::caseCount());
}

// A raw scan of one column in row order with the same test.
void runRaw(benchmark::State& state, const char* column, bool nameInRecord, const char* phrase) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(bench::caseFilePath().c_str(), &db,
                      SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
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
      std::string_view text(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(s, 0)));
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
  state.SetItemsProcessed(state.iterations() * bench::caseCount());
}

void BM_RawHistoryScan(benchmark::State& state) {
  runRaw(state, "\"SER:History\"", false, kHistoryPhrase);
}
void BM_SearchHistory(benchmark::State& state) {
  runSearch(state, cases::SearchSubject::History, kHistoryPhrase);
}
void BM_RawRecordScan(benchmark::State& state) {
  runRaw(state, "data", true, kNamePhrase);
}
void BM_SearchClientName(benchmark::State& state) {
  runSearch(state, cases::SearchSubject::ClientName, kNamePhrase);
}
BENCHMARK(BM_RawHistoryScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchHistory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawRecordScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchClientName)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Goals: each ratio at most 2.
  return bench::runBenchmarks(
      argc, argv,
      {{"history_search_vs_raw_history_scan", "BM_SearchHistory", "BM_RawHistoryScan"},
       {"client_name_search_vs_raw_record_scan", "BM_SearchClientName", "BM_RawRecordScan"}});
}
