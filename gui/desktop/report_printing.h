#pragma once
// The "Report Preview" window and printing of the report page model through Qt's print support.
//
// A report runner on a program thread hands its finished document to previewReport(), which
// shows the preview on the Qt main thread and returns when the user leaves it (the user prints
// from the preview's own print button, to a printer or to a PDF file). The calling thread waits
// meanwhile; it must not hold a store transaction or open read statements.

#include <optional>

#include "runtime/report/page_model.h"
#include "runtime/ui/front_end.h"

class QPrinter;

namespace trv::gui {

struct PreviewResult {
  bool shown = false;       // false when there is no Qt application or no page to show
  ui::Placement placement;  // where the preview stood when it closed, for the next opening
};

// Shows the preview at `placement` (no size: a size that fits the screen). Thread-safe; called on
// the Qt main thread it runs a nested loop until the window closes.
PreviewResult previewReport(const report::Document& document, const ui::Placement& placement = {});

// Sets the printer's page to the document's paper and orientation, full page (the page model
// places its own margins).
void preparePrinter(QPrinter& printer, const report::Document& document);
// Prints every page onto the prepared printer. False when the printer cannot be painted on.
[[nodiscard]] bool printReport(const report::Document& document, QPrinter& printer);

}  // namespace trv::gui
