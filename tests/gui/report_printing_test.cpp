// The report preview and printing of the page model.

#include "gui/desktop/report_preview.h"

#include <QPrintPreviewDialog>
#include <QPrinter>
#include <cstdio>
#include <filesystem>
#include <future>
#include <memory>
#include <regex>

#include "tests/gui/desktop_fixture.h"

namespace trv::gui {
namespace {

namespace fs = std::filesystem;

report::Document twoPages(bool landscape) {
  report::Document doc;
  doc.title = "All cases";
  doc.setup.landscape = landscape;
  if (landscape) std::swap(doc.setup.width, doc.setup.height);
  for (int n = 1; n <= 2; ++n) {
    report::Page page;
    page.number = n;
    page.items.push_back(
        report::TextItem{{500, 500, 4000, 250}, "Page " + std::to_string(n), {}, {}});
    doc.pages.push_back(page);
  }
  return doc;
}

std::string run(const std::string& cmd) {
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(cmd.c_str(), "r"), ::pclose);
  std::string out;
  char buf[4096];
  while (pipe && std::fgets(buf, sizeof buf, pipe.get())) out += buf;
  return out;
}

TEST(ReportPrint, PrintsEveryPageOnTheDocumentsPaper) {
  testing::qtApp();
  fs::path pdf = fs::path(::testing::TempDir()) / "trv_report_print.pdf";
  for (bool landscape : {false, true}) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    auto doc = twoPages(landscape);
    preparePrinter(printer, doc);
    ASSERT_TRUE(printReport(doc, printer));
    std::string info = run("pdfinfo '" + pdf.string() + "'");
    EXPECT_TRUE(std::regex_search(info, std::regex("Pages: +2\n"))) << info;
    // A4 is 595 x 842 points.
    EXPECT_NE(info.find(landscape ? "842 x 595" : "595 x 842"), std::string::npos) << info;
    EXPECT_NE(run("pdftotext '" + pdf.string() + "' -").find("Page 2"), std::string::npos);
  }
  fs::remove(pdf);
}

TEST(ReportPreview, ShowsTheReportPreviewAndReturnsWhenItCloses) {
  testing::qtApp();
  auto doc = twoPages(false);
  ui::Placement at{false, false, 40, 30, 700, 500};
  auto result = std::async(std::launch::async, [&] { return previewReport(doc, at); });
  QPrintPreviewDialog* dialog = nullptr;
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
          if (auto* d = qobject_cast<QPrintPreviewDialog*>(w); d && d->isVisible()) dialog = d;
        return dialog != nullptr;
      },
      5000));
  EXPECT_EQ(dialog->windowTitle(), "Report Preview");
  EXPECT_EQ(dialog->size(), QSize(700, 500));
  dialog->reject();
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return result.wait_for(std::chrono::seconds(0)) == std::future_status::ready; }, 5000));
  PreviewResult r = result.get();
  EXPECT_TRUE(r.shown);
  EXPECT_EQ(r.placement.width, 700);
  EXPECT_EQ(r.placement.height, 500);

  EXPECT_FALSE(previewReport(report::Document{}).shown);  // no pages: nothing to show
}

}  // namespace
}  // namespace trv::gui
