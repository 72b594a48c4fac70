// The case list report over a large case file: building its page model (every case read in key
// order, filtered, placed on its pages) against a raw scan of the same records in the same
// order, writing the model as PDF against the same scan, and, run by the report runner with its
// progress window, the time until the preview shows the first page against the time until it
// shows the whole report. Prints RATIO lines last. TRV_BENCH_CASES sets the number of cases
// (see bench_support.h).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "bench/bench_support.h"
#include "cases/reports/case_reports.h"
#include "core/data/files.h"
#include "core/data/records.h"
#include "gui/pdf/pdf_renderer.h"
#include "runtime/report/report_runner.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/ui/headless.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/view/view_reader.h"

namespace {

using namespace trv;

constexpr int kBatch = 50;  // the report runner's records per cycle

struct CaseFile {
  std::filesystem::path dir;
  store::Connection conn;
  store::FileId id = -1;
  const store::FileDecl& decl = core::declaration(core::DataFile::Sercase);
  int key = decl.findKey("SER:CaseNrKey");
  int count = bench::caseCount();

  CaseFile() {
    dir =
        std::filesystem::temp_directory_path() / ("trv_bench_report_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    if (conn.open(decl, (dir / "Sercase.kvx").string(), store::OpenMode::Shared, &id) != store::Ok)
      std::abort();
    if (conn.begin() != store::Ok) std::abort();
    for (int i = 1; i <= count; ++i) {
      store::RecordBuffer b(decl);
      auto& r = *reinterpret_cast<core::SercaseRecord*>(b.record.data());
      char name[8];
      std::snprintf(name, sizeof name, "C%05d", i % 5000);
      r.CaseNr = static_cast<std::uint32_t>(i);
      r.SName = name;
      r.IDProduct = "WIDGET-" + std::to_string(i % 40);
      r.SProblem = "The printer jams after " + std::to_string(i % 97) + " pages";
      r.Status = i % 3 == 0 ? "Closed" : "Active";
      r.Owner = "Agent" + std::to_string(i % 17);
      r.SDate = 73000 + i % 365;
      r.STime = 1 + (i % 8640) * 1000;
      if (conn.add(id, b) != store::Ok) std::abort();
    }
    if (conn.commit() != store::Ok) std::abort();
  }
  ~CaseFile() {
    conn.close(id);
    std::filesystem::remove_all(dir);
  }
};

CaseFile& caseFile() {
  static CaseFile f;
  return f;
}

// Reads the whole file in key order through the view, batch by batch, as the report loop does.
template <class Each>
std::int64_t scan(Each each) {
  CaseFile& f = caseFile();
  view::ViewReader v(f.conn, f.id, f.decl);
  v.SetKeyOrder(f.key);
  std::vector<store::RecordBuffer> rows;
  if (v.first(kBatch, rows) != store::Ok) std::abort();
  std::int64_t n = 0;
  while (!rows.empty()) {
    for (const store::RecordBuffer& r : rows) {
      each(r);
      ++n;
    }
    const store::RecordBuffer last = rows.back();
    rows.clear();
    if (v.after(last, kBatch, rows) != store::Ok) std::abort();
  }
  return n;
}

cases::reports::PrintOptions allCases() {
  return {};
}

void BM_RawScan(benchmark::State& state) {
  for (auto _ : state) {
    std::int64_t sum = 0;
    const std::int64_t n = scan([&](const store::RecordBuffer& r) {
      sum += reinterpret_cast<const core::SercaseRecord*>(r.record.data())->CaseNr;
    });
    benchmark::DoNotOptimize(sum);
    if (n != caseFile().count) state.SkipWithError("records missing");
  }
}
BENCHMARK(BM_RawScan)->Unit(benchmark::kMillisecond);

void BM_CaseListPages(benchmark::State& state) {
  int pages = 0;
  for (auto _ : state) {
    cases::reports::CaseList list(allCases(), false, "Report of All Cases", " 6/05/02", "10:00",
                                  "Vorn Trovanel 1.2");
    (void)scan([&](const store::RecordBuffer& r) { (void)list.print(r); });
    const report::Document doc = list.layout().finish();
    pages = static_cast<int>(doc.pages.size());
    benchmark::DoNotOptimize(doc.pages.data());
  }
  state.counters["pages"] = pages;
}
BENCHMARK(BM_CaseListPages)->Unit(benchmark::kMillisecond);

void BM_CaseListPdf(benchmark::State& state) {
  gui::ensureGuiApplication();
  cases::reports::CaseList list(allCases(), false, "Report of All Cases", " 6/05/02", "10:00",
                                "Vorn Trovanel 1.2");
  (void)scan([&](const store::RecordBuffer& r) { (void)list.print(r); });
  const report::Document doc = list.layout().finish();
  const std::filesystem::path file = caseFile().dir / "cases.pdf";
  gui::PdfRenderer pdf;
  for (auto _ : state) {
    std::string error;
    if (!pdf.writePdf(doc, file, &error)) state.SkipWithError(error.c_str());
  }
}
BENCHMARK(BM_CaseListPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

using Clock = std::chrono::steady_clock;

// The case list as a record loop of the report runner.
class CaseListLoop final : public report::RecordLoop {
 public:
  CaseListLoop(view::ViewReader& v, cases::reports::CaseList& list) : RecordLoop(v), list_(list) {}
  data::Level ProcessRecord(const store::RecordBuffer& r) override { return list_.print(r); }

 private:
  cases::reports::CaseList& list_;
};

// Notes when the preview is given pages; at the `endAt`-th time (1: the first page shown while
// the report goes on, 2: the whole report) it ends the program, so the run stops there.
class TimedOutput final : public report::ReportOutput {
 public:
  TimedOutput(ui::UiRuntime& rt, int endAt) : rt_(rt), endAt_(endAt) {}
  void showPages(const ui::Window&, std::shared_ptr<const report::Document> document) override {
    pages = static_cast<int>(document->pages.size());
    if (++shown_ == endAt_) {
      at = Clock::now();
      rt_.endProgram();
    }
  }
  bool print(const report::Document&, std::string*) override { return true; }
  Clock::time_point at{};
  int pages = 0;

 private:
  ui::UiRuntime& rt_;
  int endAt_;
  int shown_ = 0;
};

class NoMessages final : public data::MessageSink {
 public:
  data::Level raise(int) override { return data::LevelNotify; }
  data::Level raiseWithText(int, std::string_view) override { return data::LevelNotify; }
  data::MessageButton showMessage(int, int, data::MessageButton b) override { return b; }
  void setFileName(std::string_view) override {}
  void setFieldName(std::string_view) override {}
};

// The case list report run by the report runner on a program thread, from the start of the run
// until the preview is given its first page (range(0) 1) or the whole report (2): wall time,
// as the report runs on its own thread.
void BM_ReportShown(benchmark::State& state) {
  CaseFile& f = caseFile();
  const int endAt = static_cast<int>(state.range(0));
  int pages = 0;
  for (auto _ : state) {
    text::ManualClock clock{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
    ui::HeadlessFrontEnd fe;
    ui::UiRuntime rt(clock, fe);
    TimedOutput output(rt, endAt);
    NoMessages messages;
    std::atomic<Clock::rep> began{0};
    const std::filesystem::path file = f.dir / "Sercase.kvx";
    if (rt.start([&] {
          store::Connection conn;
          store::FileId id = -1;
          if (conn.open(f.decl, file.string(), store::OpenMode::Shared, &id) != store::Ok) return;
          view::ViewReader v(conn, id, f.decl);
          v.SetKeyOrder(f.key);
          cases::reports::CaseList list(allCases(), false, "Report of All Cases", " 6/05/02",
                                        "10:00", "Vorn Trovanel 1.2");
          CaseListLoop loop(v, list);
          loop.Init([](const store::RecordBuffer& r) {
            return static_cast<std::int64_t>(
                reinterpret_cast<const core::SercaseRecord*>(r.record.data())->CaseNr);
          });
          report::ReportRunner runner(rt, messages, output);
          began = Clock::now().time_since_epoch().count();
          (void)runner.Run(loop, list.layout(), {});
        }) == 0 ||
        !rt.waitFinished(std::chrono::minutes(10)) || output.at == Clock::time_point{}) {
      state.SkipWithError("the report did not show its pages");
      break;
    }
    pages = output.pages;
    const Clock::time_point from(Clock::duration(began.load()));
    state.SetIterationTime(std::chrono::duration<double>(output.at - from).count());
  }
  state.counters["pages"] = pages;
}
BENCHMARK(BM_ReportShown)->Arg(1)->Arg(2)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  (void)caseFile();  // generated before any timing
  return bench::runBenchmarks(
      argc, argv,
      {{"case_list_pdf_vs_raw_scan", "BM_CaseListPdf/iterations:1", "BM_RawScan"},
       {"case_list_pages_vs_raw_scan", "BM_CaseListPages", "BM_RawScan"},
       {"report_first_page_shown_vs_whole_report", "BM_ReportShown/1/manual_time",
        "BM_ReportShown/2/manual_time", bench::Ratio::kWall}});
}
