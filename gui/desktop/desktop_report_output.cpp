#include "gui/desktop/desktop_report_output.h"

#include "gui/desktop/desktop_front_end.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::gui {

void DesktopReportOutput::showPages(const ui::Window& preview,
                                    std::shared_ptr<const report::Document> document) {
  desktop_.showPages(preview.id(), std::move(document));
}

void DesktopReportOutput::showPage(const ui::Window& preview, int page) {
  desktop_.showPage(preview.id(), page);
}

bool DesktopReportOutput::print(const report::Document& document, std::string* error) {
  if (rt_.ended()) return false;
  ui::PrintRequest request;
  request.title = document.title;
  request.pages = static_cast<int>(document.pages.size());
  request.job = desktop_.stagePrint(std::make_shared<const report::Document>(document));
  const ui::PrintResult result = rt_.print(request);
  switch (result.outcome) {
    case ui::PrintResult::Outcome::Printed:
      return true;
    case ui::PrintResult::Outcome::Failed:
      if (error) *error = result.detail.empty() ? "the printer refused it" : result.detail;
      return false;
    case ui::PrintResult::Outcome::Cancelled:
      break;
  }
  return false;
}

}  // namespace trv::gui
