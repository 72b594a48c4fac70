#pragma once
// Printing the report page model through Qt's print support, on the Qt main thread.
//
// A program thread asks for it with a print request (UiRuntime::print) and waits without the
// baton; the desktop shows its print dialog for the request, prints the pages the user chose
// there and answers the request with how it went.

#include <QPointer>
#include <memory>

#include "gui/desktop/requests.h"
#include "runtime/report/page_model.h"
#include "runtime/ui/front_end.h"

class QPrinter;
class QWidget;

namespace trv::gui {

// Sets the printer's page to the document's paper and orientation, full page (the page model
// places its own margins).
void preparePrinter(QPrinter& printer, const report::Document& document);
// Prints the pages of the printer's page range (every page when it has none) onto the prepared
// printer. False when the printer cannot be painted on.
[[nodiscard]] bool printReport(const report::Document& document, QPrinter& printer);

// The printer set-up: a print dialog on the printer chosen so far; what the user chooses there
// (the printer or a file, copies, colour, both sides) is kept for the run and used by every
// print dialog after it. Returns the dialog.
QPointer<QWidget> showPrinterSetup(QWidget* owner);
// Gives `printer` the choice of the printer set-up, when one was made.
void applyPrinterChoice(QPrinter& printer);

// Shows the print dialog for `document` above owner (may be null) without a nested event loop;
// once the user chose, prints and answers through `done` exactly once: printed (with the printer
// or file), failed (with why) or cancelled, also when the dialog is closed without a choice.
// Returns the dialog, so that it can be dismissed when the program ends.
QPointer<QWidget> showPrintDialog(std::shared_ptr<const report::Document> document,
                                  const ui::PrintRequest& request, QWidget* owner, AnswerFn done);

}  // namespace trv::gui
