// One of the program's own reports, run from its Print menu procedure over a small client file,
// written as PDF by the page renderer and read back as text: what lands on paper.

#include <QPushButton>
#include <cstdio>
#include <mutex>
#include <regex>

#include "core/data/database_tool.h"
#include "gui/pdf/pdf_renderer.h"
#include "runtime/report/print_previewer.h"
#include "runtime/report/report_output.h"
#include "tests/gui/program_fixture.h"

namespace trv::gui::testing {
namespace {

// Keeps the document the preview shows, for the test to render on the Qt thread.
class KeptReports final : public report::ReportOutput {
 public:
  void showPages(const ui::Window&, std::shared_ptr<const report::Document> document) override {
    std::lock_guard lock(m_);
    shown_ = std::move(document);
  }
  bool print(const report::Document&, std::string* error) override {
    *error = "no printer";
    return false;
  }
  std::shared_ptr<const report::Document> shown() const {
    std::lock_guard lock(m_);
    return shown_;
  }

 private:
  mutable std::mutex m_;
  std::shared_ptr<const report::Document> shown_;
};

std::string pdfText(const std::filesystem::path& pdf) {
  const std::string cmd = "pdftotext -layout '" + pdf.string() + "' -";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(::popen(cmd.c_str(), "r"), ::pclose);
  std::string out;
  if (!pipe) return out;
  char buf[4096];
  while (std::size_t n = std::fread(buf, 1, sizeof buf, pipe.get())) out.append(buf, n);
  return out;
}

class ProgramReportPdf : public ProgramDesktopTest {};

TEST_F(ProgramReportPdf, TheClientReportPrintsItsTitleAndRowsOnPaper) {
  const std::string db = database();
  ASSERT_TRUE(core::insertRecord(db, {{"CLI:SName", "ZED"},
                                      {"CLI:LName", "Zed Works"},
                                      {"CLI:Contact", "Zoe"},
                                      {"CLI:Phone", "555-9"}})
                  .ok);
  ASSERT_TRUE(core::insertRecord(db, {{"CLI:SName", "ACME"},
                                      {"CLI:LName", "Acme Ltd"},
                                      {"CLI:Contact", "Ann"},
                                      {"CLI:Phone", "555-1"},
                                      {"CLI:Email", "ann@acme.example"}})
                  .ok);
  KeptReports reports;
  state_->env.reports = &reports;
  run([this] {
    if (const forms::ProcedureEntry* e = state_->procedures.find("PrintClient")) e->body("");
  });
  ASSERT_TRUE(waitFor([&] { return reports.shown() != nullptr; }));
  const std::shared_ptr<const report::Document> doc = reports.shown();

  const auto pdf = scratchPath("trv_client_report").replace_extension(".pdf");
  PdfRenderer renderer;
  std::string error;
  ASSERT_TRUE(renderer.writePdf(*doc, pdf, &error)) << error;
  const std::string text = pdfText(pdf);
  std::filesystem::remove(pdf);
  EXPECT_NE(text.find("Report of Client File"), std::string::npos) << text;
  EXPECT_NE(text.find("Date :"), std::string::npos) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("ACME +Acme Ltd +Ann +555-1 +ann@acme\\.example")))
      << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("ZED +Zed Works +Zoe +555-9"))) << text;
  // In key order: the first client before the second.
  EXPECT_LT(text.find("ACME"), text.find("ZED")) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("ID +Name +Contact +Phone +Phone 2 +Email +Fax")))
      << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("\\(TM\\) +Vorn Trovanel 1\\.2 +Page +1\\n")))
      << text;

  WindowView* preview = nullptr;
  ASSERT_TRUE(waitFor([&] {
    for (ui::WindowId id : desktop.windows())
      if (WindowView* v = desktop.view(id); v && v->window()->windowTitle() == "Report Preview")
        preview = v;
    return preview != nullptr;
  }));
  auto* exit = widget<QPushButton>(preview, report::PrintPreviewer::kExit);
  ASSERT_NE(exit, nullptr);
  exit->click();
  EXPECT_TRUE(waitFor([&] { return desktop.windows().empty(); }));
  EXPECT_TRUE(endProgram());
}

}  // namespace
}  // namespace trv::gui::testing
