// A list's page at the start, the middle and the end of a large case file: each must cost
// about the same, since a page is read with one index search. Prints the ratios to the first
// page.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "core/data/files.h"
#include "core/data/records.h"
#include "runtime/view/list_pager.h"

namespace {

using namespace trv;

int caseCount() {
  return std::getenv("TRV_BENCH_SMALL") ? 2000 : 100000;
}

// One generated case file shared by every benchmark of the run.
struct CaseFile {
  std::filesystem::path dir;
  store::Connection conn;
  store::FileId id = -1;
  const store::FileDecl& decl = core::declaration(core::DataFile::Sercase);
  int nameKey = decl.findKey("SER:NameKey");
  int count = caseCount();

  CaseFile() {
    dir = std::filesystem::temp_directory_path() / ("trv_bench_list_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    if (conn.open(decl, (dir / "Sercase.kvx").string(), store::OpenMode::Shared, &id) != store::Ok)
      std::abort();
    if (conn.begin() != store::Ok) std::abort();
    for (int i = 0; i < count; ++i) {
      store::RecordBuffer b(decl);
      auto& r = *reinterpret_cast<core::SercaseRecord*>(b.record.data());
      char name[8];
      std::snprintf(name, sizeof name, "C%05d", i % 5000);  // 5000 clients, many cases each
      r.SName = name;
      r.Status = i % 3 == 0 ? "Closed" : "Active";
      r.Owner = "Agent" + std::to_string(i % 17);
      if (conn.add(id, b) != store::Ok) std::abort();
    }
    if (conn.commit() != store::Ok) std::abort();
  }
  ~CaseFile() {
    conn.close(id);
    std::filesystem::remove_all(dir);
  }
};

CaseFile& cases() {
  static CaseFile f;
  return f;
}

std::map<std::string, double>& timings() {
  static std::map<std::string, double> t;
  return t;
}

// Where = 0 start, 1 middle, 2 end.
void BM_PageOfTwenty(benchmark::State& state) {
  CaseFile& f = cases();
  view::ViewReader reader(f.conn, f.id, f.decl);
  reader.SetKeyOrder(f.nameKey);
  view::ListPager pager(reader, 20);
  store::RecordBuffer probe(f.decl);
  auto& p = *reinterpret_cast<core::SercaseRecord*>(probe.record.data());
  p.SName = "C02500";
  const auto where = state.range(0);
  for (auto _ : state) {
    store::Code c = where == 0 ? pager.top() : where == 1 ? pager.locate(probe) : pager.bottom();
    if (c != store::Ok || pager.rows().size() != 20) state.SkipWithError("page not read");
    benchmark::DoNotOptimize(pager.rows().data());
  }
  state.SetLabel(where == 0 ? "start" : where == 1 ? "middle" : "end");
}
BENCHMARK(BM_PageOfTwenty)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) timings()[r.report_label] = r.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    auto& t = timings();
    if (t.count("start") && t["start"] > 0)
      std::printf("page ratios to the first page: middle %.2fx, end %.2fx (goal: at most 1.5x)\n",
                  t["middle"] / t["start"], t["end"] / t["start"]);
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
