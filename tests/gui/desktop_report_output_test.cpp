// A report in the model's "Report Preview" window, drawn and printed at the desktop: finished,
// and shown at its first page while it goes on.

#include "gui/desktop/desktop_report_output.h"

#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "gui/desktop/page_view.h"
#include "runtime/report/print_previewer.h"
#include "runtime/report/report_runner.h"
#include "runtime/view/view_reader.h"
#include "tests/gui/desktop_fixture.h"
#include "tests/runtime/store/test_files.h"
#include "tests/support/recording_sink.h"

namespace trv::gui {
namespace {

namespace fs = std::filesystem;
using report::PrintPreviewer;
using testing::DesktopTest;

// Two pages; the second has a black block over its middle, so the two look different.
std::shared_ptr<const report::Document> twoPages() {
  auto doc = std::make_shared<report::Document>();
  doc->title = "All cases";
  for (int n = 1; n <= 2; ++n) {
    report::Page page;
    page.number = n;
    page.items.push_back(report::TextItem{
        {500, 500, 5000, 300}, n == 1 ? "Case 1001 Printer jams" : "Case 1002 Lost mail", {}, {}});
    if (n == 2) page.items.push_back(report::BoxItem{{1000, 3000, 6000, 5500}, true, 0});
    doc->pages.push_back(page);
  }
  return doc;
}

std::string pdfText(const fs::path& pdf) {
  const std::string cmd = "pdftotext '" + pdf.string() + "' -";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(cmd.c_str(), "r"), ::pclose);
  std::string out;
  char buf[4096];
  while (pipe && std::fgets(buf, sizeof buf, pipe.get())) out += buf;
  return out;
}

class DesktopReport : public DesktopTest {
 protected:
  std::unique_ptr<DesktopReportOutput> output;
  std::atomic<int> printed{-1};  // the previewer's result once it returned
  WindowView* v = nullptr;
  PageView* pages = nullptr;

  void SetUp() override {
    DesktopTest::SetUp();
    output = std::make_unique<DesktopReportOutput>(*rt, desktop);
    run([this] {
      PrintPreviewer previewer(*rt, *output);
      printed = previewer.Preview(twoPages()) ? 1 : 0;
    });
    v = view(0);
    ASSERT_NE(v, nullptr);
    ASSERT_TRUE(waitFor([&] { return (pages = v->pageView()) != nullptr; }));
  }
  void TearDown() override {
    DesktopTest::TearDown();
    output.reset();
  }

  void press(int control) {
    auto* b = widget<QPushButton>(v, control);
    ASSERT_NE(b, nullptr);
    ASSERT_TRUE(waitFor([&] { return b->isEnabled(); }));
    b->click();
  }
  QPrintDialog* printDialog() {
    QPrintDialog* found = nullptr;
    (void)waitFor([&] {
      for (QWidget* w : desktop.requestWidgets())
        if (auto* d = qobject_cast<QPrintDialog*>(w); d && d->isVisible()) found = d;
      return found != nullptr;
    });
    return found;
  }
  // The print dialog's choice of a PDF file, as "Print to file" makes it.
  static void chooseFile(QPrintDialog& dialog, const fs::path& pdf) {
    dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
    dialog.printer()->setOutputFileName(QString::fromStdString(pdf.string()));
    dialog.done(QDialog::Accepted);
  }
  std::string frontTitle() {
    std::string title;
    EXPECT_TRUE(inModel([&] { title = rt->front() ? rt->front()->title() : ""; }));
    return title;
  }
  QRgb middle() {
    QImage shot = pages->grab().toImage();
    return shot.pixel(shot.width() / 2, shot.height() / 2);
  }
};

// The preview opens inside the screen with the whole page; it fits the width, zooms in and out
// by steps and scrolls a page larger than its room.
TEST_F(DesktopReport, ThePreviewZoomsAndOpensInsideTheScreen) {
  ASSERT_TRUE(waitFor([&] { return v->window()->isVisible(); }));
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.contains(v->window()->frameGeometry()));
  auto* area = qobject_cast<QScrollArea*>(pages->parentWidget()->parentWidget());
  ASSERT_NE(area, nullptr);
  EXPECT_EQ(pages->zoom(), PageView::Zoom::FitPage);
  EXPECT_LE(pages->height(), area->viewport()->height());

  pages->fitWidth();
  QTest::qWait(20);
  EXPECT_EQ(pages->zoom(), PageView::Zoom::FitWidth);
  EXPECT_EQ(pages->width(), area->viewport()->width());
  EXPECT_GE(pages->height(), area->viewport()->height());

  pages->fitPage();
  const double fitted = pages->scale();
  pages->zoomIn();
  EXPECT_EQ(pages->zoom(), PageView::Zoom::Scaled);
  EXPECT_GT(pages->scale(), fitted);
  const double larger = pages->scale();
  pages->zoomOut();
  pages->zoomOut();
  EXPECT_LT(pages->scale(), larger);
  for (int i = 0; i < 20; ++i) pages->zoomIn();
  EXPECT_NEAR(pages->scale(), 4.0, 0.05);  // the largest step
  EXPECT_GT(pages->width(), area->viewport()->width());
  press(PrintPreviewer::kExit);
  EXPECT_TRUE(waitFor([&] { return printed.load() >= 0; }));
}

TEST_F(DesktopReport, PreviewDrawsThePageTheModelShows) {
  EXPECT_EQ(v->window()->windowTitle(), "Report Preview");
  EXPECT_EQ(pages->window(), v->window());  // the body of the model's window
  EXPECT_EQ(pages->pageCount(), 2);
  EXPECT_EQ(pages->page(), 1);
  ASSERT_TRUE(waitFor([&] { return pages->isVisible() && pages->height() > 200; }));
  EXPECT_EQ(middle(), qRgb(255, 255, 255));
  saveArtefact(v->window(), "report_preview_page1.png");

  press(PrintPreviewer::kNext);
  auto* text = widget<QLabel>(v, PrintPreviewer::kPageText);
  ASSERT_TRUE(waitFor([&] { return pages->page() == 2; }));
  EXPECT_EQ(text->text(), "Page 2 of 2");
  EXPECT_EQ(middle(), qRgb(0, 0, 0));
  saveArtefact(v->window(), "report_preview_page2.png");

  press(PrintPreviewer::kPrevious);
  ASSERT_TRUE(waitFor([&] { return pages->page() == 1; }));
  press(PrintPreviewer::kExit);
  ASSERT_TRUE(rt->waitFinished(std::chrono::milliseconds(kWaitMs)));
  EXPECT_EQ(printed, 0);
}

TEST_F(DesktopReport, PrintingWaitsWithoutTheBatonAndWritesThePages) {
  const fs::path pdf = testing::scratchPath("trv_desktop_print").replace_extension(".pdf");
  fs::remove(pdf);
  press(PrintPreviewer::kPrint);
  QPrintDialog* dialog = printDialog();
  ASSERT_NE(dialog, nullptr);

  // While the dialog is open the report's thread waits without the baton: the program is idle,
  // and another program thread runs to its end meanwhile.
  EXPECT_EQ(frontTitle(), "Report Preview");
  std::atomic<bool> otherRan{false};
  run([&] { otherRan = true; });
  ASSERT_TRUE(waitFor([&] { return otherRan.load(); }));
  EXPECT_EQ(printed, -1);

  chooseFile(*dialog, pdf);
  ASSERT_TRUE(rt->waitFinished(std::chrono::milliseconds(kWaitMs)));
  EXPECT_EQ(printed, 1);  // printing closes the preview
  const std::string text = pdfText(pdf);
  EXPECT_NE(text.find("Case 1001 Printer jams"), std::string::npos) << text;
  EXPECT_NE(text.find("Case 1002 Lost mail"), std::string::npos) << text;
  fs::remove(pdf);
}

TEST_F(DesktopReport, CancelledPrintStaysInThePreviewAndAFailedOneSaysWhy) {
  press(PrintPreviewer::kPrint);
  QPrintDialog* dialog = printDialog();
  ASSERT_NE(dialog, nullptr);
  dialog->reject();
  ASSERT_TRUE(waitFor([&] { return desktop.requestWidgets().empty(); }));
  EXPECT_EQ(frontTitle(), "Report Preview");
  EXPECT_TRUE(desktop.requestWidgets().empty());  // nothing to tell after a cancel

  // A PDF file inside a regular file cannot be written.
  const fs::path notAFolder = testing::scratchPath("trv_not_a_folder");
  std::ofstream(notAFolder) << "x";
  press(PrintPreviewer::kPrint);
  dialog = printDialog();
  ASSERT_NE(dialog, nullptr);
  chooseFile(*dialog, notAFolder / "report.pdf");
  QMessageBox* box = nullptr;
  ASSERT_TRUE(waitFor([&] {
    for (QWidget* w : desktop.requestWidgets())
      if (auto* m = qobject_cast<QMessageBox*>(w); m && m->isVisible()) box = m;
    return box != nullptr;
  }));
  EXPECT_EQ(box->text().toStdString(),
            "The report was not printed: cannot write " + (notAFolder / "report.pdf").string());
  box->buttons().front()->click();
  EXPECT_EQ(frontTitle(), "Report Preview");
  press(PrintPreviewer::kExit);
  ASSERT_TRUE(rt->waitFinished(std::chrono::milliseconds(kWaitMs)));
  EXPECT_EQ(printed, 0);
  fs::remove(notAFolder);
}

// One line per item of a generated item file; at item `pauseAt` the report asks a question, so
// its thread waits without the baton and the test looks at the desktop mid-way.
class ItemReport final : public report::RecordLoop {
 public:
  ItemReport(view::ViewReader& v, report::ReportLayout& layout, const store::FileDecl& d,
             ui::UiRuntime& rt, int pauseAt)
      : RecordLoop(v), layout_(layout), decl_(d), rt_(rt), pauseAt_(pauseAt) {}
  data::Level ProcessRecord(const store::RecordBuffer& r) override {
    if (static_cast<int>(read()) == pauseAt_) rt_.message("Paused", "Report");
    report::Band b;
    b.height = 200;
    b.items.push_back(
        report::TextItem{{0, 0, 2000, 200}, store::testing::field(decl_, r, 1), {}, {}});
    layout_.addDetail(b);
    return data::LevelOk;
  }

 private:
  report::ReportLayout& layout_;
  const store::FileDecl& decl_;
  ui::UiRuntime& rt_;
  int pauseAt_;
};

class DesktopReportGoingOn : public DesktopTest {
 protected:
  static constexpr int kItems = 200;  // four pages of 53 lines
  store::testing::TempFolder dir;
  store::FileDecl decl = store::testing::itemDecl();
  std::unique_ptr<DesktopReportOutput> output;
  trv::testing::RecordingSink sink;
  std::atomic<int> response{0};

  void SetUp() override {
    DesktopTest::SetUp();
    store::Connection conn;
    store::FileId id = -1;
    ASSERT_EQ(conn.open(decl, dir.file("Item.kvx"), store::OpenMode::Shared, &id), store::Ok);
    ASSERT_EQ(conn.begin(), store::Ok);
    for (int i = 1; i <= kItems; ++i) {
      store::RecordBuffer b =
          store::testing::itemBuffer(decl, {0, "N" + std::to_string(100 + i), "g", i});
      ASSERT_EQ(conn.add(id, b), store::Ok);
    }
    ASSERT_EQ(conn.commit(), store::Ok);
    output = std::make_unique<DesktopReportOutput>(*rt, desktop);
    run([this] {
      store::Connection c;
      store::FileId fid = -1;
      if (c.open(decl, dir.file("Item.kvx"), store::OpenMode::Shared, &fid) != store::Ok) return;
      view::ViewReader v(c, fid, decl);
      v.SetKeyOrder(1);
      report::ReportLayout layout;
      ItemReport loop(v, layout, decl, *rt, 120);
      loop.InitCounted(kItems);
      report::ReportRunner runner(*rt, sink, *output);
      response = runner.Run(loop, layout, {});
    });
  }
  void TearDown() override {
    DesktopTest::TearDown();
    output.reset();
  }
  WindowView* titled(const QString& title) {
    for (ui::WindowId id : desktop.windows())
      if (WindowView* v = desktop.view(id); v && v->window()->windowTitle() == title) return v;
    return nullptr;
  }
  void answerPause() {
    QMessageBox* box = nullptr;
    ASSERT_TRUE(waitFor([&] {
      for (QWidget* w : desktop.requestWidgets())
        if (auto* m = qobject_cast<QMessageBox*>(w); m && m->isVisible()) box = m;
      return box != nullptr;
    }));
    box->buttons().front()->click();
  }
};

TEST_F(DesktopReportGoingOn, ThePreviewDrawsPageOneBehindTheProgressWindowThenTheWholeReport) {
  WindowView* progress = nullptr;
  WindowView* preview = nullptr;
  PageView* pages = nullptr;
  ASSERT_TRUE(waitFor([&] {
    progress = titled("Progress...");
    preview = titled("Report Preview");
    pages = preview ? preview->pageView() : nullptr;
    return progress && pages && !desktop.requestWidgets().empty();
  }));
  EXPECT_EQ(pages->pageCount(), 1);
  EXPECT_EQ(pages->page(), 1);
  EXPECT_EQ(desktop.windows().back(), progress->id());  // in front, taking the input
  auto* cancel = widget<QPushButton>(progress, report::ReportRunner::kCancel);
  auto* exit = widget<QPushButton>(preview, PrintPreviewer::kExit);
  ASSERT_TRUE(cancel && exit);
  EXPECT_TRUE(cancel->isEnabled());
  EXPECT_FALSE(exit->isEnabled());
  // The preview stays when the progress window goes: it does not belong to it.
  EXPECT_NE(preview->window()->parentWidget(), progress->window());
  saveArtefact(preview->window(), "report_preview_going_on.png");

  answerPause();
  ASSERT_TRUE(waitFor([&] { return !titled("Progress...") && pages->pageCount() == 4; }));
  ASSERT_EQ(titled("Report Preview"), preview);
  EXPECT_EQ(preview->pageView(), pages);
  EXPECT_TRUE(preview->window()->isVisible());
  auto* text = widget<QLabel>(preview, PrintPreviewer::kPageText);
  // The pages and the page text reach the desktop as separate changes.
  EXPECT_TRUE(waitFor([&] { return text->text() == "Page 1 of 4"; })) << qPrintable(text->text());
  auto* next = widget<QPushButton>(preview, PrintPreviewer::kNext);
  ASSERT_TRUE(waitFor([&] { return next->isEnabled() && exit->isEnabled(); }));
  next->click();
  ASSERT_TRUE(waitFor([&] { return pages->page() == 2; }));
  EXPECT_EQ(text->text(), "Page 2 of 4");
  exit->click();
  ASSERT_TRUE(rt->waitFinished(std::chrono::milliseconds(kWaitMs)));
  EXPECT_EQ(response, report::ResponseCompleted);
}

TEST_F(DesktopReportGoingOn, CancelClosesTheProgressWindowAndThePreview) {
  WindowView* progress = nullptr;
  ASSERT_TRUE(waitFor([&] {
    progress = titled("Progress...");
    return progress && titled("Report Preview") && !desktop.requestWidgets().empty();
  }));
  auto* cancel = widget<QPushButton>(progress, report::ReportRunner::kCancel);
  ASSERT_NE(cancel, nullptr);
  cancel->click();
  answerPause();
  ASSERT_TRUE(rt->waitFinished(std::chrono::milliseconds(kWaitMs)));
  EXPECT_TRUE(waitFor([&] { return desktop.windows().empty(); }));
  EXPECT_EQ(response, report::ResponseCancelled);
}

}  // namespace
}  // namespace trv::gui
