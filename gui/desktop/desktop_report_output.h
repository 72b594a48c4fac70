#pragma once
// DesktopReportOutput: finished reports shown and printed at the Qt desktop.
//
// The "Report Preview" window of the model gets a page view of the report's pages at the
// desktop, which follows the page the model shows. Printing asks the desktop for its print
// dialog through a print request, so the report's program thread waits without the baton while
// the dialog is open; the desktop prints on the Qt main thread. The desktop receives shared,
// unchanging copies of the pages and never reads the report's own objects.
//
// Calls come on the program thread that runs the report, with the baton held.

#include <memory>
#include <string>

#include "runtime/report/report_output.h"

namespace trv::ui {
class UiRuntime;
}

namespace trv::gui {

class DesktopFrontEnd;

class DesktopReportOutput final : public report::ReportOutput {
 public:
  // Both must outlive the output; `desktop` must be the front end that shows `runtime`.
  DesktopReportOutput(ui::UiRuntime& runtime, DesktopFrontEnd& desktop)
      : rt_(runtime), desktop_(desktop) {}

  void showPages(const ui::Window& preview,
                 std::shared_ptr<const report::Document> document) override;
  void showPage(const ui::Window& preview, int page) override;
  // False with the reason when printing failed, with no reason when the user cancelled or the
  // program ended.
  bool print(const report::Document& document, std::string* error) override;

 private:
  ui::UiRuntime& rt_;
  DesktopFrontEnd& desktop_;
};

}  // namespace trv::gui
