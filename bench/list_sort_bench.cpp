// A list sorted by a column header over a large client file: taking the sorted order must cost
// at most about twice what SQLite itself takes to sort the file by that column (a raw
// "SELECT id ... ORDER BY upper(field)" on the same file), and a page anywhere in the sorted
// order at most about twice the first page of a key order. Prints RATIO lines last.
// TRV_BENCH_CASES sets the number of clients (TRV_BENCH_SMALL: 2000; default 100000).

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <new>
#include <string>

#include "core/data/files.h"
#include "core/data/records.h"
#include "runtime/view/list_pager.h"

namespace {

using namespace trv;

int clientCount() {
  if (const char* n = std::getenv("TRV_BENCH_CASES"); n && std::atoi(n) > 0) return std::atoi(n);
  return std::getenv("TRV_BENCH_SMALL") ? 2000 : 100000;
}

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
  int count = clientCount();

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

std::map<std::string, double>& timings() {
  static std::map<std::string, double> t;
  return t;
}

std::vector<store::SortPart> byFullName(bool descending = false) {
  return {{clients().lname, descending, true}};
}

// What SQLite itself takes to sort the file by the column: every row id in that order.
void BM_RawSqliteSort(benchmark::State& state) {
  ClientFile& f = clients();
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(f.path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
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
  state.SetLabel("raw");
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
  state.SetLabel("sort");
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
  state.SetLabel("keyfirst");
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
  state.SetLabel(where == 0 ? "middle" : where == 1 ? "end" : "located");
}
BENCHMARK(BM_SortedPage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) timings()[r.report_label] = r.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    auto& t = timings();
    std::printf("clients: %d\n", clients().count);
    std::printf("goals: each ratio at most 2\n");
    auto ratio = [&](const char* name, const char* a, const char* b) {
      if (t.count(a) && t.count(b) && t[b] > 0) std::printf("RATIO %s %.2f\n", name, t[a] / t[b]);
    };
    // Milliseconds against milliseconds, microseconds against microseconds.
    ratio("header_sort_vs_raw_sqlite_sort", "sort", "raw");
    ratio("sorted_middle_page_vs_key_first_page", "middle", "keyfirst");
    ratio("sorted_end_page_vs_key_first_page", "end", "keyfirst");
    ratio("sorted_located_page_vs_key_first_page", "located", "keyfirst");
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
