#pragma once
// Message boxes, file, folder, colour, font and printer dialogs and popup menus that a program
// thread asked for, shown with Qt's own boxes and dialogs on the Qt main thread. Every request
// is shown without a nested event loop and answered exactly once through `done`, also when the
// box is closed without a choice (then as cancelled). Print requests go to showPrintDialog
// (report_printing.h) with their pages; here they fail.

#include <QPointer>
#include <filesystem>
#include <functional>
#include <string_view>

#include "runtime/ui/front_end.h"

class QWidget;
class QString;

namespace trv::gui {

using AnswerFn = std::function<void(ui::Answer)>;

// Shows the request above owner (may be null). Relative initial names of file dialogs resolve
// against currentFolder. Returns the box or dialog shown, so that it can be dismissed when the
// program ends.
QPointer<QWidget> showRequest(const ui::Request& request, QWidget* owner,
                              const std::filesystem::path& currentFolder, AnswerFn done);

// "Text files|*.txt|All files|*.*" as a Qt name filter list ("Text files (*.txt);;All files
// (*)"); a description without its pattern list is dropped, "*.*" matches every file.
QString nameFilters(std::string_view masks);

}  // namespace trv::gui
