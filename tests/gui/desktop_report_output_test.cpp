// A finished report in the model's "Report Preview" window, drawn and printed at the desktop.

#include "gui/desktop/desktop_report_output.h"

#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "gui/desktop/page_view.h"
#include "runtime/report/print_previewer.h"
#include "tests/gui/desktop_fixture.h"

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

}  // namespace
}  // namespace trv::gui
