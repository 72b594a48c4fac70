// The store on generated cases: a full file-order scan with record decode against a raw SQLite
// SELECT of the same rows, and a 20-row page by key at the start, the middle and the end.
// Prints the ratios at the end (goals: scan at most 2x raw, middle and end pages within 1.5x of
// the first). TRV_BENCH_SMALL uses a small data set.

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>

#include "core/data/files.h"
#include "core/data/records.h"
#include "runtime/store/connection.h"

namespace {

using trv::core::DataFile;
using trv::core::SercaseRecord;
namespace store = trv::store;

struct Data {
  std::string folder;
  std::string path;
  int cases = 0;
  store::Connection conn;
  store::FileId id = -1;

  Data() {
    cases = std::getenv("TRV_BENCH_SMALL") ? 2000 : 100000;
    char tmpl[] = "/tmp/trvbenchXXXXXX";
    folder = ::mkdtemp(tmpl);
    path = trv::core::filePath(folder, DataFile::Sercase);
    const store::FileDecl& d = trv::core::declaration(DataFile::Sercase);
    if (conn.open(d, path, store::OpenMode::Shared, &id) != store::Ok) std::abort();
    if (conn.begin() != store::Ok) std::abort();
    store::RecordBuffer b(d);
    for (int i = 0; i < cases; ++i) {
      SercaseRecord r;
      r.SName = "C" + std::to_string(i % 997);
      r.LName = "Client number " + std::to_string(i % 997);
      r.Product = "Product";
      r.IDProduct = "P" + std::to_string(i % 50);
      r.SProblem = "Problem text of case " + std::to_string(i);
      r.Priority = "Medium";
      r.Status = "Active";
      r.FirstEscDate = 80000 + i % 300;
      r.FirstEscTime = 1 + (i * 7919) % 8640000;
      std::memcpy(b.record.data(), &r, sizeof r);
      b.memos[0] = "history of case " + std::to_string(i);
      if (conn.add(id, b) != store::Ok) std::abort();
    }
    if (conn.commit() != store::Ok) std::abort();
  }
  ~Data() {
    conn.close(id);
    std::filesystem::remove_all(folder);
  }
};

Data& data() {
  static Data d;
  return d;
}

std::map<std::string, double> gNsPerIteration;

void record(benchmark::State& state, const std::string& name,
            std::chrono::steady_clock::duration total) {
  if (state.iterations() > 0)
    gNsPerIteration[name] =
        std::chrono::duration<double, std::nano>(total).count() / double(state.iterations());
}

void BM_StoreScan(benchmark::State& state) {
  Data& d = data();
  const store::FileDecl& decl = trv::core::declaration(DataFile::Sercase);
  std::chrono::steady_clock::duration total{};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    d.conn.setBulkRows(d.id, 200);
    if (d.conn.setFileOrder(d.id) != store::Ok) std::abort();
    store::RecordBuffer b(decl);
    std::int64_t sum = 0;
    SercaseRecord r;
    while (d.conn.next(d.id, b) == store::Ok) {
      std::memcpy(&r, b.record.data(), sizeof r);
      sum += r.FirstEscDate + static_cast<std::int64_t>(r.SName.view().size());
    }
    benchmark::DoNotOptimize(sum);
    total += std::chrono::steady_clock::now() - start;
  }
  record(state, "scan", total);
  state.SetItemsProcessed(state.iterations() * d.cases);
}

void BM_RawSelect(benchmark::State& state) {
  Data& d = data();
  sqlite3* db = nullptr;
  sqlite3_open_v2(d.path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_stmt* s = nullptr;
  sqlite3_prepare_v2(db,
                     "SELECT id, version, data, \"SER:History\", \"SER:AddHistory\" FROM records "
                     "ORDER BY id",
                     -1, &s, nullptr);
  std::chrono::steady_clock::duration total{};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::int64_t sum = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
      sum += sqlite3_column_int64(s, 0) + sqlite3_column_bytes(s, 2) + sqlite3_column_bytes(s, 3);
      benchmark::DoNotOptimize(sqlite3_column_blob(s, 2));
    }
    sqlite3_reset(s);
    benchmark::DoNotOptimize(sum);
    total += std::chrono::steady_clock::now() - start;
  }
  record(state, "raw", total);
  sqlite3_finalize(s);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * d.cases);
}

// A page of 20 cases in escalation order from a point at `where` (0 start, 1 middle, 2 end).
void BM_PageByKey(benchmark::State& state) {
  Data& d = data();
  const store::FileDecl& decl = trv::core::declaration(DataFile::Sercase);
  const int where = static_cast<int>(state.range(0));
  const int key = decl.findKey("SER:FirstEscKey");
  store::RecordBuffer from(decl);
  SercaseRecord probe;
  probe.FirstEscDate = where == 0 ? 1 : where == 1 ? 80150 : 80299;
  probe.FirstEscTime = where == 2 ? 8640000 - 20 * 29000 : 1;
  std::memcpy(from.record.data(), &probe, sizeof probe);
  std::chrono::steady_clock::duration total{};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    d.conn.setBulkRows(d.id, 20);
    if (d.conn.setKeyOrder(d.id, key, &from) != store::Ok) std::abort();
    store::RecordBuffer b(decl);
    int rows = 0;
    while (rows < 20 && d.conn.next(d.id, b) == store::Ok) ++rows;
    benchmark::DoNotOptimize(rows);
    total += std::chrono::steady_clock::now() - start;
  }
  record(state, "page" + std::to_string(where), total);
}

BENCHMARK(BM_StoreScan)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawSelect)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PageByKey)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  auto ratio = [](const char* a, const char* b) {
    const auto x = gNsPerIteration.find(a), y = gNsPerIteration.find(b);
    return (x == gNsPerIteration.end() || y == gNsPerIteration.end() || y->second == 0)
               ? 0.0
               : x->second / y->second;
  };
  std::printf("cases: %d\n", data().cases);
  std::printf("scan with decode / raw select: %.2fx (goal at most 2x)\n", ratio("scan", "raw"));
  std::printf("middle page / first page: %.2fx (goal at most 1.5x)\n", ratio("page1", "page0"));
  std::printf("end page / first page: %.2fx (goal at most 1.5x)\n", ratio("page2", "page0"));
  return 0;
}
