// A list of 20 rows over a large case file: every move must cost about the same wherever the
// list stands.
//
// By client name: the top page, a located page in the middle and the bottom page. By product:
// the top page, and moves from a list standing at the top or inside the run of one product
// shared by a fortieth of the cases (25,000 of 10^6, spread over the whole file): page down from
// the run's first page, its middle and its end (a page that reads the run's last records and the
// next product's first ones), page up from the middle and the end, a line down, a refresh and a
// locator. Goals: a page inside the run at most 1.5x the top page; a line down and a refresh
// inside the run at most 1.5x the same move at the top of the list.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "core/data/files.h"
#include "core/data/records.h"
#include "runtime/view/list_pager.h"

namespace {

using namespace trv;
constexpr int kPageRows = 20;

// The generated case file, open.
struct OpenCases {
  const store::FileDecl& decl = core::declaration(core::DataFile::Sercase);
  store::Connection conn;
  store::FileId id = -1;

  OpenCases() {
    if (conn.open(decl, bench::caseFilePath(), store::OpenMode::Shared, &id) != store::Ok)
      std::abort();
  }
  ~OpenCases() { conn.close(id); }
};

struct Lists : OpenCases {
  view::ViewReader byName{conn, id, decl};
  view::ViewReader byProduct{conn, id, decl};
  // Pagers standing at the top of the list by product, then at the run's start, middle and end.
  std::vector<view::ListPager> at;
  int runLength = 0;

  Lists() {
    byName.SetKeyOrder(decl.findKey("SER:NameKey"));
    byProduct.SetKeyOrder(decl.findKey("SER:ProductID"));
    placeInRun();
  }

  store::RecordBuffer productProbe() const {
    store::RecordBuffer probe(decl);
    reinterpret_cast<core::SercaseRecord*>(probe.record.data())->IDProduct = bench::kRunProduct;
    return probe;
  }

  // The run's records in key order, then pagers whose pages start at its first record, in its
  // middle and 30 records before its end.
  void placeInRun() {
    const int key = decl.findKey("SER:ProductID");
    const store::RecordBuffer probe = productProbe();
    conn.setBulkRows(id, 1000);
    if (conn.setKeyOrder(id, key, &probe) != store::Ok) std::abort();
    std::vector<store::RecordBuffer> run;
    store::RecordBuffer b(decl);
    while (conn.next(id, b) == store::Ok &&
           reinterpret_cast<const core::SercaseRecord*>(b.record.data())->IDProduct ==
               bench::kRunProduct)
      run.push_back(b);
    conn.setBulkRows(id, 1);
    runLength = static_cast<int>(run.size());
    if (runLength < 2 * kPageRows + 10) std::abort();
    view::ListPager top(byProduct, kPageRows);
    if (top.top() != store::Ok || top.rows().size() != kPageRows) std::abort();
    at.push_back(top);
    for (int first : {0, runLength / 2, runLength - 30}) {
      view::ListPager p(byProduct, kPageRows);
      if (p.refreshAround(run[static_cast<std::size_t>(first)]) != store::Ok ||
          p.rows().size() != kPageRows || p.selected() != 0)
        std::abort();
      at.push_back(p);
    }
  }
};

Lists& lists() {
  static Lists l;
  return l;
}

void check(benchmark::State& state, store::Code c, const view::ListPager& p) {
  if (c != store::Ok || p.rows().size() != kPageRows) state.SkipWithError("page not read");
  benchmark::DoNotOptimize(p.rows().data());
}

// By client name: range(0) 0 the top page, 1 a located page in the middle, 2 the bottom page.
void BM_NamePage(benchmark::State& state) {
  Lists& l = lists();
  view::ListPager pager(l.byName, kPageRows);
  store::RecordBuffer probe(l.decl);
  reinterpret_cast<core::SercaseRecord*>(probe.record.data())->SName = "C450";
  const auto where = state.range(0);
  for (auto _ : state) {
    const store::Code c = where == 0   ? pager.top()
                          : where == 1 ? pager.locate(probe)
                                       : pager.bottom();
    check(state, c, pager);
  }
}

// Where a pager stands: range(0) 0 at the top of the list by product, 1 the run's first page,
// 2 its middle, 3 30 records before its end.
const view::ListPager& standing(benchmark::State& state) {
  return lists().at[static_cast<std::size_t>(state.range(0))];
}

void BM_ProductTopPage(benchmark::State& state) {
  for (auto _ : state) {
    view::ListPager p = standing(state);
    check(state, p.top(), p);
  }
}

void BM_PageDown(benchmark::State& state) {
  for (auto _ : state) {
    view::ListPager p = standing(state);
    check(state, p.pageDown(), p);
  }
}

void BM_PageUp(benchmark::State& state) {
  for (auto _ : state) {
    view::ListPager p = standing(state);
    check(state, p.pageUp(), p);
  }
}

void BM_LineDown(benchmark::State& state) {
  for (auto _ : state) {
    view::ListPager p = standing(state);
    p.select(kPageRows - 1);
    check(state, p.lineDown(), p);
  }
}

void BM_Refresh(benchmark::State& state) {
  for (auto _ : state) {
    view::ListPager p = standing(state);
    p.select(kPageRows / 2);
    check(state, p.refresh(), p);
  }
}

void BM_LocateRun(benchmark::State& state) {
  const store::RecordBuffer probe = lists().productProbe();
  for (auto _ : state) {
    view::ListPager p = standing(state);
    check(state, p.locate(probe), p);
  }
}

BENCHMARK(BM_NamePage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProductTopPage)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageDown)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageUp)->Arg(2)->Arg(3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LineDown)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Refresh)->Arg(0)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocateRun)->Arg(0)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  const std::string top = "BM_ProductTopPage/2";
  return bench::runBenchmarks(argc, argv,
                              {{"name_page_middle_vs_top", "BM_NamePage/1", "BM_NamePage/0"},
                               {"name_page_end_vs_top", "BM_NamePage/2", "BM_NamePage/0"},
                               {"run_page_down_start_vs_top", "BM_PageDown/1", top},
                               {"run_page_down_middle_vs_top", "BM_PageDown/2", top},
                               {"run_page_down_end_vs_top", "BM_PageDown/3", top},
                               {"run_page_up_middle_vs_top", "BM_PageUp/2", top},
                               {"run_page_up_end_vs_top", "BM_PageUp/3", top},
                               {"run_locate_vs_top", "BM_LocateRun/0", top},
                               {"run_line_down_middle_vs_at_top", "BM_LineDown/2", "BM_LineDown/0"},
                               {"run_refresh_middle_vs_at_top", "BM_Refresh/2", "BM_Refresh/0"}});
}
