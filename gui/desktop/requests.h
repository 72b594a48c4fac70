#pragma once
// Message boxes, file, folder, colour, font and printer dialogs and popup menus that a program
// thread asked for, shown with Qt's own boxes and dialogs on the Qt main thread. Every request
// is shown without a nested event loop and answered exactly once through `done`, also when the
// box is closed without a choice (then as cancelled). Print requests go to showPrintDialog
// (report_printing.h) with their pages; here they fail.

#include <QPoint>
#include <QPointer>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "runtime/ui/front_end.h"

class QWidget;
class QString;

namespace trv::gui {

using AnswerFn = std::function<void(ui::Answer)>;

// Shows the request above owner (may be null). Relative initial names of file dialogs resolve
// against currentFolder. Returns the box or dialog shown, so that it can be dismissed when the
// program ends.
// A popup menu opens at `popupAt` (global) when given, else at the pointer.
QPointer<QWidget> showRequest(const ui::Request& request, QWidget* owner,
                              const std::filesystem::path& currentFolder, AnswerFn done,
                              std::optional<QPoint> popupAt = std::nullopt);

// The global point below list widget `list`, at the middle of its column `column` (display
// position from 1); none for another widget or a column it does not show.
std::optional<QPoint> belowColumn(QWidget* list, int column);

// "Text files|*.txt|All files|*.*" as a Qt name filter list ("Text files (*.txt);;All files
// (*)"); a description without its pattern list is dropped, "*.*" matches every file.
QString nameFilters(std::string_view masks);

}  // namespace trv::gui
