#include "gui/desktop/standard_actions.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QUrl>

#include "gui/desktop/help_pages.h"
#include "gui/desktop/qt_values.h"
#include "gui/desktop/report_printing.h"

namespace trv::gui {
namespace {

constexpr const char* kWindowListMark = "trv-window-list";

// The text widget of an editable control, or null.
QWidget* editorOf(QWidget* w) {
  if (!w) return nullptr;
  if (qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w)) return w;
  if (auto* cb = qobject_cast<QComboBox*>(w)) return cb->lineEdit();
  return nullptr;
}

void clipboard(QWidget* editor, ui::StandardAction action) {
  if (auto* e = qobject_cast<QLineEdit*>(editor)) {
    if (action == ui::StandardAction::Cut && !e->isReadOnly()) e->cut();
    if (action == ui::StandardAction::Copy) e->copy();
    if (action == ui::StandardAction::Paste && !e->isReadOnly()) e->paste();
  } else if (auto* t = qobject_cast<QPlainTextEdit*>(editor)) {
    if (action == ui::StandardAction::Cut && !t->isReadOnly()) t->cut();
    if (action == ui::StandardAction::Copy) t->copy();
    if (action == ui::StandardAction::Paste && !t->isReadOnly()) t->paste();
  } else {
    QApplication::beep();  // no entry to act on
  }
}

// Iconized child windows in a row along the bottom of the work area.
void arrangeIcons(QMdiArea* area) {
  const QRect room = area->viewport()->rect();
  int x = room.left();
  int y = room.bottom();
  for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder)) {
    if (!w->isMinimized()) continue;
    const QSize size = w->size();
    if (x > room.left() && x + size.width() > room.right()) {
      x = room.left();
      y -= size.height();
    }
    w->move(x, y - size.height() + 1);
    x += size.width();
  }
}

}  // namespace

void openHelp(const std::string& helpFile, std::string_view topic,
              const std::vector<std::filesystem::path>& folders, QWidget* owner) {
  std::string why;
  if (auto page = helpPage(helpFile, topic, folders)) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(qs(page->string())))) return;
    why = "The help page " + page->string() +
          " could not be opened: the desktop has no program set up to show web pages.";
  } else {
    why = "The help pages are not installed: no folder \"" +
          std::filesystem::path(helpFile).stem().string() +
          "\" with a contents page beside the program.";
  }
  auto* box =
      new QMessageBox(QMessageBox::Information, titleText({}), qs(why), QMessageBox::Ok, owner);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

StandardActions::StandardActions() : watch_(std::make_unique<QObject>()) {
  QObject::connect(qApp, &QApplication::focusChanged, watch_.get(), [this](QWidget*, QWidget* now) {
    if (QWidget* e = editorOf(now)) editor_ = e;
  });
}

StandardActions::~StandardActions() = default;

void StandardActions::run(ui::StandardAction action, const Context& c) {
  using A = ui::StandardAction;
  switch (action) {
    case A::None:
      return;
    case A::PrintSetup:
      showPrinterSetup(c.owner);
      return;
    case A::Cut:
    case A::Copy:
    case A::Paste:
      clipboard(editor_, action);
      return;
    case A::Tile:
      if (c.area) c.area->tileSubWindows();
      return;
    case A::Cascade:
      if (c.area) c.area->cascadeSubWindows();
      return;
    case A::ArrangeIcons:
      if (c.area) arrangeIcons(c.area);
      return;
    case A::HelpIndex:
      openHelp(c.helpFile, kHelpIndex, c.folders, c.owner);
      return;
    case A::HelpOnHelp:
      openHelp(c.helpFile, kHelpOnHelp, c.folders, c.owner);
      return;
  }
}

void StandardActions::listWindows(QMenu* menu, QMdiArea* area) {
  for (QAction* a : menu->actions())
    if (a->property(kWindowListMark).toBool()) {
      menu->removeAction(a);
      a->deleteLater();
    }
  if (!area) return;
  const auto windows = area->subWindowList(QMdiArea::CreationOrder);
  if (windows.isEmpty()) return;
  QAction* line = menu->addSeparator();
  line->setProperty(kWindowListMark, true);
  int n = 0;
  for (QMdiSubWindow* w : windows) {
    if (!w->isVisible() && !w->isMinimized()) continue;
    ++n;
    const QString title = w->windowTitle().isEmpty() ? titleText({}) : w->windowTitle();
    QAction* a = menu->addAction(n < 10 ? QStringLiteral("&%1 %2").arg(n).arg(title) : title);
    a->setProperty(kWindowListMark, true);
    a->setCheckable(true);
    a->setChecked(w == area->activeSubWindow());
    QPointer<QMdiSubWindow> target = w;
    QObject::connect(a, &QAction::triggered, menu, [target, area] {
      if (!target) return;
      if (target->isMinimized()) target->showNormal();
      area->setActiveSubWindow(target);
    });
  }
}

}  // namespace trv::gui
