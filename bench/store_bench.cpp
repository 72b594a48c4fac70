// The store on generated cases: a full file-order scan that decodes each record, against a raw
// SQLite scan of the same rows and columns (opened with the store's threading mode); and a
// 20-record page in escalation order at the start, the middle and the end of the file.
// Goals: the scan at most 1.5x the raw scan; middle and end pages within 1.5x of the first.

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "bench/bench_support.h"
#include "core/data/files.h"
#include "core/data/records.h"
#include "runtime/store/connection.h"

namespace {

using namespace trv;
using core::DataFile;
using core::SercaseRecord;

const store::FileDecl& caseDecl() {
  return core::declaration(DataFile::Sercase);
}

struct CaseFile {
  store::Connection conn;
  store::FileId id = -1;

  CaseFile() {
    if (conn.open(caseDecl(), bench::caseFilePath(), store::OpenMode::Shared, &id) != store::Ok)
      std::abort();
  }
  ~CaseFile() { conn.close(id); }
};

CaseFile& caseFile() {
  static CaseFile f;
  return f;
}

void BM_StoreScan(benchmark::State& state) {
  CaseFile& f = caseFile();
  store::RecordBuffer b(caseDecl());
  for (auto _ : state) {
    f.conn.setBulkRows(f.id, 200);
    if (f.conn.setFileOrder(f.id) != store::Ok) std::abort();
    std::int64_t sum = 0;
    SercaseRecord r;
    while (f.conn.next(f.id, b) == store::Ok) {
      std::memcpy(&r, b.record.data(), sizeof r);
      sum += r.FirstEscDate + static_cast<std::int64_t>(b.memos[0].size() + b.memos[1].size());
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * bench::caseCount());
}

// The same rows and columns straight from SQLite: each record decoded, each memo's bytes seen.
void BM_RawScan(benchmark::State& state) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(bench::caseFilePath().c_str(), &db,
                      SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
    std::abort();
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db,
                         "SELECT id, version, data, \"SER:History\", \"SER:AddHistory\" FROM "
                         "records ORDER BY id",
                         -1, &s, nullptr) != SQLITE_OK)
    std::abort();
  for (auto _ : state) {
    std::int64_t sum = 0;
    SercaseRecord r;
    while (sqlite3_step(s) == SQLITE_ROW) {
      if (sqlite3_column_bytes(s, 2) != sizeof r) std::abort();
      std::memcpy(&r, sqlite3_column_blob(s, 2), sizeof r);
      benchmark::DoNotOptimize(sqlite3_column_blob(s, 3));
      benchmark::DoNotOptimize(sqlite3_column_blob(s, 4));
      sum += sqlite3_column_int64(s, 0) + sqlite3_column_int64(s, 1) + r.FirstEscDate +
             sqlite3_column_bytes(s, 3) + sqlite3_column_bytes(s, 4);
    }
    sqlite3_reset(s);
    benchmark::DoNotOptimize(sum);
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * bench::caseCount());
}

// A page of 20 cases in escalation order from a point at range(0): 0 start, 1 middle, 2 end
// (the last 20, read backwards from the end as a list's bottom page is).
void BM_PageByKey(benchmark::State& state) {
  CaseFile& f = caseFile();
  const int key = caseDecl().findKey("SER:FirstEscKey");
  const int where = static_cast<int>(state.range(0));
  store::RecordBuffer from(caseDecl());
  SercaseRecord probe;
  probe.FirstEscDate = where == 0 ? 1 : bench::benchToday() + (where == 1 ? 0 : 30);
  probe.FirstEscTime = 1;
  std::memcpy(from.record.data(), &probe, sizeof probe);
  store::RecordBuffer b(caseDecl());
  for (auto _ : state) {
    f.conn.setBulkRows(f.id, 20);
    if (f.conn.setKeyOrder(f.id, key, &from) != store::Ok) std::abort();
    int rows = 0;
    while (rows < 20 && (where == 2 ? f.conn.previous(f.id, b) : f.conn.next(f.id, b)) == store::Ok)
      ++rows;
    if (rows == 0) state.SkipWithError("no page");
    benchmark::DoNotOptimize(rows);
  }
}

BENCHMARK(BM_StoreScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageByKey)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::runBenchmarks(argc, argv,
                              {{"full_scan_vs_raw_scan", "BM_StoreScan", "BM_RawScan"},
                               {"key_page_middle_vs_start", "BM_PageByKey/1", "BM_PageByKey/0"},
                               {"key_page_end_vs_start", "BM_PageByKey/2", "BM_PageByKey/0"}});
}
