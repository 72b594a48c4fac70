// A list sorted by a column header over a large client file: taking the sorted order must cost
// at most about twice what SQLite itself takes to sort the file by that column (a raw
// "SELECT id ... ORDER BY upper(field)" on the same file), and a page anywhere in the sorted
// order at most about twice the first page of a key order. Prints RATIO lines last.
// TRV_BENCH_CASES sets the number of clients (see bench_support.h).

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>

#include "bench/bench_support.h"
#include "core/data/files.h"
#include "core/data/records.h"
#include "runtime/view/list_pager.h"

namespace {

using namespace trv;

// A few syllables make names that sort in no relation to the order they were added in.
std::string nameOf(int i) {
  static const char* const kParts[] = {"ber", "ka", "lo",  "min", "sto", "va", "rid", "pel",
                                       "zu",  "ox", "tan", "mer", "dal", "fi", "gro", "hu"};
  unsigned h = static_cast<unsigned>(i) * 2654435761u;
  std::string n;
  for (int k = 0; k < 4; ++k, h >>= 4) n += kParts[h & 15];
  n[0] = static_cast<char>(n[0] - 'a' + 'A');
  return n + " " + std::to_string(i);
}

struct ClientFile {
  std::filesystem::path dir;
  std::string path;
  store::Connection conn;
  store::FileId id = -1;
  const store::FileDecl& decl = core::declaration(core::DataFile::Client);
  int lname = decl.findField("CLI:LName");
  int count = bench::caseCount();

  ClientFile() {
    dir = std::filesystem::temp_directory_path() / ("trv_bench_sort_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    path = (dir / "Client.kvx").string();
    if (conn.open(decl, path, store::OpenMode::Shared, &id) != store::Ok) std::abort();
    if (conn.begin() != store::Ok) std::abort();
    for (int i = 0; i < count; ++i) {
      store::RecordBuffer b(decl);
      auto& r = *reinterpret_cast<core::ClientRecord*>(b.record.data());
      new (&r) core::ClientRecord();
      char sname[16];
      std::snprintf(sname, sizeof sname, "%06d", i);
      r.SName = sname;
      r.LName = nameOf(i);
      r.City = i % 3 == 0 ? "Leeds" : "York";
      r.Contact = "Contact " + std::to_string(i % 1000);
      if (conn.add(id, b) != store::Ok) std::abort();
    }
    if (conn.commit() != store::Ok) std::abort();
  }
  ~ClientFile() {
    conn.close(id);
    std::filesystem::remove_all(dir);
  }
};

ClientFile& clients() {
  static ClientFile f;
  return f;
}

std::vector<store::SortPart> byFullName(bool descending = false) {
  return {{clients().lname, descending, true}};
}

// What SQLite itself takes to sort the file by the column: every row id in that order.
void BM_RawSqliteSort(benchmark::State& state) {
  ClientFile& f = clients();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(f.path.c_str(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) !=
      SQLITE_OK)
    std::abort();
  const store::FieldDecl& field = f.decl.fields[static_cast<std::size_t>(f.lname)];
  const std::string sql = "SELECT id FROM records ORDER BY upper(substr(data, " +
                          std::to_string(field.offset + 1) + ", " + std::to_string(field.width) +
                          "))";
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK) std::abort();
  for (auto _ : state) {
    std::int64_t rows = 0;
    while (sqlite3_step(s) == SQLITE_ROW) {
      benchmark::DoNotOptimize(sqlite3_column_int64(s, 0));
      ++rows;
    }
    sqlite3_reset(s);
    if (rows != f.count) state.SkipWithError("rows missing");
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
}
BENCHMARK(BM_RawSqliteSort)->Unit(benchmark::kMillisecond);

// A header click: the sorted order taken and its first page read.
void BM_HeaderSort(benchmark::State& state) {
  ClientFile& f = clients();
  view::ViewReader reader(f.conn, f.id, f.decl);
  view::ListPager pager(reader, 20);
  bool descending = false;
  for (auto _ : state) {
    reader.SetSortOrder(byFullName(descending));
    descending = !descending;
    if (pager.top() != store::Ok || pager.rows().size() != 20) state.SkipWithError("not sorted");
  }
}
BENCHMARK(BM_HeaderSort)->Unit(benchmark::kMillisecond);

void BM_KeyOrderFirstPage(benchmark::State& state) {
  ClientFile& f = clients();
  view::ViewReader reader(f.conn, f.id, f.decl);
  reader.SetKeyOrder(f.decl.findKey("CLI:KeyFullName"));
  view::ListPager pager(reader, 20);
  for (auto _ : state) {
    if (pager.top() != store::Ok || pager.rows().size() != 20) state.SkipWithError("no page");
    benchmark::DoNotOptimize(pager.rows().data());
  }
}
BENCHMARK(BM_KeyOrderFirstPage)->Unit(benchmark::kMicrosecond);

// Pages of the sorted order: Arg 0 the page after a row in the middle, 1 the page before a row
// near the end, 2 a located page (a typed letter).
void BM_SortedPage(benchmark::State& state) {
  ClientFile& f = clients();
  view::ViewReader reader(f.conn, f.id, f.decl);
  reader.SetSortOrder(byFullName());
  view::ListPager pager(reader, 20);
  // Rows to page from: found by walking once from the locator's place.
  store::RecordBuffer probe(f.decl);
  reinterpret_cast<core::ClientRecord*>(probe.record.data())->LName = "M";
  std::vector<store::RecordBuffer> at;
  if (reader.from(probe, 1, at) != store::Ok || at.empty()) std::abort();
  std::vector<store::RecordBuffer> end;
  if (reader.last(30, end) != store::Ok || end.empty()) std::abort();
  const auto where = state.range(0);
  for (auto _ : state) {
    std::vector<store::RecordBuffer> page;
    store::Code c = where == 0   ? reader.after(at.front(), 20, page)
                    : where == 1 ? reader.before(end.back(), 20, page)
                                 : pager.locate(probe);
    if (c != store::Ok) state.SkipWithError("no page");
    benchmark::DoNotOptimize(page.data());
  }
}
BENCHMARK(BM_SortedPage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // Goals: each ratio at most 2.
  return bench::runBenchmarks(
      argc, argv,
      {{"header_sort_vs_raw_sqlite_sort", "BM_HeaderSort", "BM_RawSqliteSort"},
       {"sorted_middle_page_vs_key_first_page", "BM_SortedPage/0", "BM_KeyOrderFirstPage"},
       {"sorted_end_page_vs_key_first_page", "BM_SortedPage/1", "BM_KeyOrderFirstPage"},
       {"sorted_located_page_vs_key_first_page", "BM_SortedPage/2", "BM_KeyOrderFirstPage"}});
}
