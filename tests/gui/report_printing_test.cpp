// Printing the page model onto a printer, here Qt's PDF output.

#include "gui/desktop/report_printing.h"

#include <QPrinter>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <regex>

#include "tests/gui/desktop_fixture.h"

namespace trv::gui {
namespace {

namespace fs = std::filesystem;

report::Document threePages(bool landscape) {
  report::Document doc;
  doc.title = "All cases";
  doc.setup.landscape = landscape;
  if (landscape) std::swap(doc.setup.width, doc.setup.height);
  for (int n = 1; n <= 3; ++n) {
    report::Page page;
    page.number = n;
    page.items.push_back(
        report::TextItem{{500, 500, 4000, 250}, "Sheet " + std::to_string(n), {}, {}});
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

struct PrintCase {
  bool landscape;
  int from, to;  // the printer's page range; 0: every page
  int pages;
  std::string firstText, lastText;
};

TEST(ReportPrint, PrintsThePagesOfTheRangeOnTheDocumentsPaper) {
  testing::qtApp();
  const fs::path pdf = testing::scratchPath("trv_report_print").replace_extension(".pdf");
  const std::vector<PrintCase> cases = {
      {false, 0, 0, 3, "Sheet 1", "Sheet 3"},
      {true, 0, 0, 3, "Sheet 1", "Sheet 3"},
      {false, 2, 3, 2, "Sheet 2", "Sheet 3"},
      {false, 2, 9, 2, "Sheet 2", "Sheet 3"},  // a range past the end stops at the last page
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + "-" + std::to_string(c.to));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    if (c.from > 0) {
      printer.setPrintRange(QPrinter::PageRange);
      printer.setFromTo(c.from, c.to);
    }
    auto doc = threePages(c.landscape);
    preparePrinter(printer, doc);
    ASSERT_TRUE(printReport(doc, printer));
    std::string info = run("pdfinfo '" + pdf.string() + "'");
    EXPECT_TRUE(std::regex_search(info, std::regex("Pages: +" + std::to_string(c.pages) + "\n")))
        << info;
    // A4 is 595 x 842 points.
    EXPECT_NE(info.find(c.landscape ? "842 x 595" : "595 x 842"), std::string::npos) << info;
    const std::string first = run("pdftotext -l 1 '" + pdf.string() + "' -");
    const std::string all = run("pdftotext '" + pdf.string() + "' -");
    EXPECT_NE(first.find(c.firstText), std::string::npos) << first;
    EXPECT_NE(all.find(c.lastText), std::string::npos) << all;
    if (c.from > 1) {
      EXPECT_EQ(all.find("Sheet 1"), std::string::npos) << all;
    }
  }
  fs::remove(pdf);
}

}  // namespace
}  // namespace trv::gui
