#include "gui/pdf/pdf_renderer.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "runtime/report/report_layout.h"

namespace trv::gui {
namespace {

std::string pdfText(const std::filesystem::path& pdf) {
  const std::string cmd = "pdftotext -layout '" + pdf.string() + "' -";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(cmd.c_str(), "r"), ::pclose);
  std::string out;
  if (!pipe) return out;
  char buf[4096];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe.get())) out.append(buf, n);
  return out;
}

TEST(PdfRenderer, WritesTheRowsAndPageNumbersOfAReport) {
  ensureGuiApplication();
  report::ReportLayout layout({}, "All cases");
  layout.setPageHeader([](int) {
    report::Band b;
    b.height = 300;
    b.items.push_back(report::TextItem{{0, 0, 3000, 250}, "Date :  6/05/02", {}, {}});
    b.items.push_back(report::LineItem{0, 280, 7000, 280, 10});
    return b;
  });
  layout.setPageFooter([](int page) {
    report::Band b;
    b.height = 250;
    b.items.push_back(report::TextItem{{0, 0, 3000, 250}, "Page " + std::to_string(page), {}, {}});
    return b;
  });
  for (int i = 1; i <= 60; ++i) {
    report::Band row;
    row.height = 250;
    row.items.push_back(
        report::TextItem{{0, 0, 1000, 250}, "00000" + std::to_string(i % 10), {}, {}});
    row.items.push_back(report::TextItem{{1200, 0, 3000, 250}, "Caf\u00E9 printer jam", {}, {}});
    row.items.push_back(report::CheckItem{{4500, 0, 1000, 250}, "Done", i % 2 == 0, {}});
    layout.addDetail(row);
  }
  const report::Document doc = layout.finish();
  ASSERT_GT(doc.pages.size(), 1u);

  const auto file = std::filesystem::temp_directory_path() /
                    ("trv_report_" + std::to_string(::getpid()) + ".pdf");
  PdfRenderer renderer;
  std::string error;
  ASSERT_TRUE(renderer.writePdf(doc, file, &error)) << error;
  const std::string text = pdfText(file);
  EXPECT_NE(text.find("6/05/02"), std::string::npos) << text;
  EXPECT_NE(text.find("Caf\u00E9 printer jam"), std::string::npos);
  EXPECT_NE(text.find("Page 1"), std::string::npos);
  EXPECT_NE(text.find("Page " + std::to_string(doc.pages.size())), std::string::npos);
  std::filesystem::remove(file);
}

TEST(PdfRenderer, SaysWhyWhenTheFileCannotBeWritten) {
  ensureGuiApplication();
  report::ReportLayout layout;
  layout.addDetail(report::Band{100, {report::TextItem{{0, 0, 1000, 100}, "x", {}, {}}}});
  PdfRenderer renderer;
  std::string error;
  EXPECT_FALSE(renderer.writePdf(layout.finish(), "/nonexistent-folder/report.pdf", &error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace trv::gui
