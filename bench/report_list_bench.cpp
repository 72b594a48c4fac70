// The case list report over the generated cases: building its page model (every case read in
// key order, without memos as the report reads them, filtered, placed on its pages) against a
// raw SQLite scan of the same rows in the same order and against the store's reader; writing the
// model as PDF against drawing the same text lines and rules with QPdfWriter and QPainter
// directly, and against the scan; and, run by the report runner with its progress window, the
// time until the preview shows the first page against the time until it shows the whole report.
// Prints RATIO lines last. TRV_BENCH_CASES sets the number of cases (see bench_support.h).

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

constexpr int kBatch = report::ReportSettings{}.recordsPerCycle;

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
    if (conn.open(decl, bench::caseFilePath(), store::OpenMode::Shared, &id) != store::Ok)
      std::abort();
    conn.setSequenceMemos(id, false);  // the case list prints no memo
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

// Reads the whole file in key order through the report runner's record loop, batch by batch.
template <class Each>
class ScanLoop final : public report::RecordLoop {
 public:
  ScanLoop(view::ViewReader& v, Each& each) : RecordLoop(v), each_(each) {}
  data::Level ProcessRecord(const store::RecordBuffer& r) override {
    each_(r);
    return data::LevelOk;
  }

 private:
  Each& each_;
};

template <class Each>
std::int64_t scan(Each each) {
  CaseFile& f = caseFile();
  view::ViewReader v(f.conn, f.id, f.decl);
  v.SetKeyOrder(f.key);
  ScanLoop<Each> loop(v, each);
  report::RecordLoop::Batch b;
  do {
    b = loop.next(kBatch);
  } while (!b.atEnd && !b.stopped);
  if (b.stopped) std::abort();
  return static_cast<std::int64_t>(loop.processed());
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

// The floor: the same rows in the same order straight from SQLite, each record decoded.
void BM_RawSqliteScan(benchmark::State& state) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(bench::caseFilePath().c_str(), &db,
                      SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK)
    std::abort();
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db,
                         "SELECT id, data FROM records WHERE \"SER:CaseNrKey\" IS NOT NULL "
                         "ORDER BY \"SER:CaseNrKey\"",
                         -1, &s, nullptr) != SQLITE_OK)
    std::abort();
  for (auto _ : state) {
    std::int64_t sum = 0, n = 0;
    core::SercaseRecord r;
    while (sqlite3_step(s) == SQLITE_ROW) {
      if (sqlite3_column_bytes(s, 1) != sizeof r) std::abort();
      std::memcpy(static_cast<void*>(&r), sqlite3_column_blob(s, 1), sizeof r);
      sum += r.CaseNr;
      ++n;
    }
    sqlite3_reset(s);
    benchmark::DoNotOptimize(sum);
    if (n != caseFile().count) state.SkipWithError("records missing");
  }
  sqlite3_finalize(s);
  sqlite3_close(db);
}
BENCHMARK(BM_RawSqliteScan)->Unit(benchmark::kMillisecond);

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

const report::Document& caseListDocument() {
  static const report::Document doc = [] {
    cases::reports::CaseList list(allCases(), false, "Report of All Cases", " 6/05/02", "10:00",
                                  "Vorn Trovanel 1.2");
    (void)scan([&](const store::RecordBuffer& r) { (void)list.print(r); });
    return list.layout().finish();
  }();
  return doc;
}

void BM_CaseListPdf(benchmark::State& state) {
  gui::ensureGuiApplication();
  const report::Document& doc = caseListDocument();
  const std::filesystem::path file = caseFile().dir / "cases.pdf";
  gui::PdfRenderer pdf;
  for (auto _ : state) {
    std::string error;
    if (!pdf.writePdf(doc, file, &error)) state.SkipWithError(error.c_str());
  }
  state.counters["pages"] = static_cast<double>(doc.pages.size());
}
BENCHMARK(BM_CaseListPdf)->Unit(benchmark::kMillisecond)->Iterations(1);

// The floor of the PDF: the same text lines and rules at the same places in the same fonts,
// drawn with QPdfWriter and QPainter directly (the font set when it changes).
void BM_RawQpdf(benchmark::State& state) {
  gui::ensureGuiApplication();
  const report::Document& doc = caseListDocument();
  const QString file = QString::fromStdString((caseFile().dir / "raw.pdf").string());
  constexpr double dpi = 600;
  auto dots = [](int thousandths) { return thousandths * dpi / 1000.0; };
  for (auto _ : state) {
    QPdfWriter writer(file);
    writer.setResolution(static_cast<int>(dpi));
    writer.setPageSize(
        QPageSize(QSizeF(doc.setup.width / 1000.0, doc.setup.height / 1000.0), QPageSize::Inch));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    QPainter painter(&writer);
    const report::FontSpec* font = nullptr;
    for (std::size_t i = 0; i < doc.pages.size(); ++i) {
      if (i > 0) writer.newPage();
      for (const report::ItemView item : doc.pages[i].items) {
        if (item.kind() == report::ItemKind::kText) {
          const report::FontSpec& spec = item.font();
          if (font == nullptr || font->face != spec.face || font->points != spec.points ||
              font->bold != spec.bold) {
            QFont f(QString::fromStdString(spec.face));
            f.setPointSize(spec.points);
            f.setBold(spec.bold);
            painter.setFont(f);
            font = &spec;
          }
          const report::Rect box = item.box();
          const std::string_view text = item.text();
          const int align = item.align() == report::Align::kRight    ? Qt::AlignRight
                            : item.align() == report::Align::kCenter ? Qt::AlignHCenter
                                                                     : Qt::AlignLeft;
          painter.drawText(QRectF(dots(box.x), dots(box.y), dots(box.width), dots(box.height)),
                           align | Qt::AlignVCenter | Qt::TextSingleLine,
                           QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        } else if (item.kind() == report::ItemKind::kLine) {
          const report::LineItem l = item.line();
          painter.drawLine(QPointF(dots(l.x1), dots(l.y1)), QPointF(dots(l.x2), dots(l.y2)));
        }
      }
    }
    painter.end();
  }
}
BENCHMARK(BM_RawQpdf)->Unit(benchmark::kMillisecond)->Iterations(1);

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
    const std::filesystem::path file = bench::caseFilePath();
    if (rt.start([&] {
          store::Connection conn;
          store::FileId id = -1;
          if (conn.open(f.decl, file.string(), store::OpenMode::Shared, &id) != store::Ok) return;
          conn.setSequenceMemos(id, false);
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
       {"report_pages_vs_raw_sqlite", "BM_CaseListPages", "BM_RawSqliteScan"},
       {"report_pdf_vs_raw_qpdf", "BM_CaseListPdf/iterations:1", "BM_RawQpdf/iterations:1"},
       {"report_first_page_shown_vs_whole_report", "BM_ReportShown/1/manual_time",
        "BM_ReportShown/2/manual_time", bench::Ratio::kWall}});
}
