// A list of 20 rows over a large case file: every move must cost about what the top page
// costs, wherever the list stands.
//
// By client name: the top page, a located page in the middle and the bottom page. By product,
// inside the run of one product shared by a fortieth of the cases (25,000 of 10^6, spread over
// the whole file): page down from the run's first page, from its middle and from its end (a page
// that reads the run's last records and the next product's first ones), page up from the middle
// and the end, a line down and a refresh in the middle. Goal: each at most 1.5x the top page.

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
  std::vector<view::ListPager> inRun;  // pagers standing at the run's start, middle and end
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
    for (int at : {0, runLength / 2, runLength - 30}) {
      view::ListPager p(byProduct, kPageRows);
      if (p.refreshAround(run[static_cast<std::size_t>(at)]) != store::Ok ||
          p.rows().size() != kPageRows || p.selected() != 0)
        std::abort();
      inRun.push_back(p);
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

// By product: the top page (the first product's run), from a pager standing in the run.
void BM_ProductTopPage(benchmark::State& state) {
  Lists& l = lists();
  for (auto _ : state) {
    view::ListPager p = l.inRun[1];
    check(state, p.top(), p);
  }
}

// Moves from a pager standing in the run; range(0): 0 start, 1 middle, 2 end.
void BM_PageDownInRun(benchmark::State& state) {
  Lists& l = lists();
  for (auto _ : state) {
    view::ListPager p = l.inRun[static_cast<std::size_t>(state.range(0))];
    check(state, p.pageDown(), p);
  }
}

void BM_PageUpInRun(benchmark::State& state) {
  Lists& l = lists();
  for (auto _ : state) {
    view::ListPager p = l.inRun[static_cast<std::size_t>(state.range(0))];
    check(state, p.pageUp(), p);
  }
}

void BM_LineDownInRun(benchmark::State& state) {
  Lists& l = lists();
  for (auto _ : state) {
    view::ListPager p = l.inRun[static_cast<std::size_t>(state.range(0))];
    p.select(kPageRows - 1);
    check(state, p.lineDown(), p);
  }
}

void BM_RefreshInRun(benchmark::State& state) {
  Lists& l = lists();
  for (auto _ : state) {
    view::ListPager p = l.inRun[static_cast<std::size_t>(state.range(0))];
    p.select(kPageRows / 2);
    check(state, p.refresh(), p);
  }
}

void BM_LocateRun(benchmark::State& state) {
  Lists& l = lists();
  const store::RecordBuffer probe = l.productProbe();
  for (auto _ : state) {
    view::ListPager p = l.inRun[1];
    check(state, p.locate(probe), p);
  }
}

BENCHMARK(BM_NamePage)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProductTopPage)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageDownInRun)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PageUpInRun)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LineDownInRun)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RefreshInRun)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LocateRun)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  const std::string top = "BM_ProductTopPage";
  return bench::runBenchmarks(argc, argv,
                              {{"name_page_middle_vs_top", "BM_NamePage/1", "BM_NamePage/0"},
                               {"name_page_end_vs_top", "BM_NamePage/2", "BM_NamePage/0"},
                               {"run_page_down_start_vs_top", "BM_PageDownInRun/0", top},
                               {"run_page_down_middle_vs_top", "BM_PageDownInRun/1", top},
                               {"run_page_down_end_vs_top", "BM_PageDownInRun/2", top},
                               {"run_page_up_middle_vs_top", "BM_PageUpInRun/1", top},
                               {"run_page_up_end_vs_top", "BM_PageUpInRun/2", top},
                               {"run_line_down_middle_vs_top", "BM_LineDownInRun/1", top},
                               {"run_refresh_middle_vs_top", "BM_RefreshInRun/1", top},
                               {"run_locate_vs_top", "BM_LocateRun", top}});
}
