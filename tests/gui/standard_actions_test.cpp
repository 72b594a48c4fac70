// The window layer's standard menu actions at the desktop: the clipboard on the entry last
// focused, arranging and listing the frame's child windows, the printer set-up kept for later
// printing, and the help index saying when the help is missing. None reaches the procedure.

#include <QClipboard>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <list>

#include "gui/desktop/report_printing.h"
#include "runtime/ui/use_var.h"
#include "tests/gui/desktop_fixture.h"

namespace trv::gui {
namespace {

using namespace trv::ui;
using testing::DesktopTest;

enum : int { kCopy = -3, kPaste = -4, kTile = -6, kCascade = -7, kSetup = -9, kIndex = -11 };

MenuItemDecl item(int number, std::string text, StandardAction standard = StandardAction::None) {
  MenuItemDecl d;
  d.number = number;
  d.text = std::move(text);
  d.standard = standard;
  return d;
}

WindowDecl frameDecl() {
  WindowDecl d;
  d.title = "Frame";
  d.kind = WindowKind::Frame;
  d.resizable = true;
  MenuItemDecl edit = item(-1, "&Edit");
  edit.items = {item(-2, "&Refresh"), item(kCopy, "&Copy", StandardAction::Copy),
                item(kPaste, "&Paste", StandardAction::Paste)};
  MenuItemDecl window = item(-5, "&Window");
  window.items = {item(kTile, "T&ile", StandardAction::Tile),
                  item(kCascade, "&Cascade", StandardAction::Cascade)};
  MenuItemDecl print = item(-8, "&Print");
  print.items = {item(kSetup, "P&rint Setup...", StandardAction::PrintSetup)};
  MenuItemDecl help = item(-10, "He&lp");
  help.items = {item(kIndex, "&Search for Help On...", StandardAction::HelpIndex)};
  d.menu = {edit, window, print, help};
  return d;
}

WindowDecl childDecl(std::string title, std::string& name) {
  WindowDecl d;
  d.title = std::move(title);
  d.kind = WindowKind::Child;
  d.resizable = true;
  d.controls = {prompt("?P", "&Name:"), entry("?Name", "@s20", useText("Name", name)),
                button("?OK", "&OK")};
  return d;
}

// A window's loop that records its events and closes on a close.
struct Loop {
  std::vector<int> events;  // read with the baton held
  void run(Window& w) {
    Event e;
    while (w.accept(e)) {
      events.push_back(e.number);
      if (e.number == EventCloseWindow) w.close();
    }
  }
};

class StandardActionsTest : public DesktopTest {
 protected:
  Loop frameLoop;
  std::list<std::string> names;
  std::list<Loop> childLoops;
  WindowView* frame = nullptr;

  void SetUp() override {
    DesktopTest::SetUp();
    run([this] {
      auto w = rt->open(frameDecl());
      frameLoop.run(*w);
    });
    frame = view(0);
    ASSERT_NE(frame, nullptr);
  }
  // A child window on a thread of its own; returns its view.
  WindowView* child(const std::string& title, const std::string& text) {
    names.push_back(text);
    childLoops.emplace_back();
    std::string& name = names.back();
    Loop& loop = childLoops.back();
    const std::size_t n = desktop.windows().size();
    run([this, title, &name, &loop] {
      auto w = rt->open(childDecl(title, name));
      loop.run(*w);
    });
    return view(n);
  }
  QAction* action(const QString& text) {
    for (QAction* a : frame->window()->findChildren<QAction*>())
      if (a->text() == text) return a;
    return nullptr;
  }
  QMenu* menu(const QString& title) {
    for (QMenu* m : frame->window()->findChildren<QMenu*>())
      if (m->title() == title) return m;
    return nullptr;
  }
  bool frameSawAccepted() {
    bool seen = false;
    EXPECT_TRUE(inModel([&] {
      seen = std::count(frameLoop.events.begin(), frameLoop.events.end(), int{EventAccepted}) > 0;
    }));
    return seen;
  }
};

TEST_F(StandardActionsTest, CopyAndPasteActOnTheEntryLastFocused) {
  WindowView* v = child("Clients", "Acme");
  ASSERT_NE(v, nullptr);
  auto* entry = widget<QLineEdit>(v, 2);
  ASSERT_TRUE(waitFor([&] { return entry->text() == "Acme"; }));
  entry->setFocus();
  ASSERT_TRUE(waitFor([&] { return entry->hasFocus(); }));
  entry->selectAll();
  frame->window()->activateWindow();  // choosing from the frame's menu
  action("&Copy")->trigger();
  EXPECT_EQ(QApplication::clipboard()->text(), "Acme");
  QApplication::clipboard()->setText("Beta Ltd");
  entry->selectAll();
  action("&Paste")->trigger();
  EXPECT_EQ(entry->text(), "Beta Ltd");
  QFocusEvent leave(QEvent::FocusOut);
  QApplication::sendEvent(entry, &leave);
  EXPECT_TRUE(waitFor([&] {
    std::string now;
    EXPECT_TRUE(inModel([&] { now = names.back(); }));
    return now == "Beta Ltd";
  }));
  EXPECT_FALSE(frameSawAccepted());  // the procedure never saw the menu
}

TEST_F(StandardActionsTest, TheWindowMenuArrangesAndListsTheChildWindows) {
  WindowView* a = child("Clients", "");
  WindowView* b = child("Products", "");
  ASSERT_TRUE(a && b);
  frame->window()->resize(800, 600);
  action("T&ile")->trigger();
  ASSERT_TRUE(waitFor([&] { return a->window()->isVisible() && b->window()->isVisible(); }));
  EXPECT_FALSE(a->window()->geometry().intersects(b->window()->geometry()));
  QMenu* windows = menu("&Window");
  ASSERT_NE(windows, nullptr);
  emit windows->aboutToShow();
  QStringList listed;
  QAction* clients = nullptr;
  for (QAction* x : windows->actions()) {
    listed << x->text();
    if (x->text().endsWith("Clients")) clients = x;
  }
  EXPECT_TRUE(listed.contains("&1 Clients")) << listed.join("|").toStdString();
  EXPECT_TRUE(listed.contains("&2 Products")) << listed.join("|").toStdString();
  ASSERT_NE(clients, nullptr);
  clients->trigger();
  EXPECT_EQ(frame->mdiArea()->activeSubWindow(), a->window());
  emit windows->aboutToShow();  // listed again, not twice
  EXPECT_EQ(windows->actions().size(), listed.size());
  action("&Cascade")->trigger();
  EXPECT_TRUE(a->window()->geometry().intersects(b->window()->geometry()));
  EXPECT_FALSE(frameSawAccepted());
}

TEST_F(StandardActionsTest, StandardItemsStayOpenWhileTheFramesThreadIsBusy) {
  frame->setInputEnabled(false);  // a form of the frame's thread is in front
  EXPECT_FALSE(action("&Refresh")->isEnabled());
  EXPECT_TRUE(action("&Copy")->isEnabled());
  EXPECT_TRUE(action("T&ile")->isEnabled());
  frame->setInputEnabled(true);
  EXPECT_TRUE(action("&Refresh")->isEnabled());
}

TEST_F(StandardActionsTest, ThePrinterSetUpChoiceIsUsedByLaterPrinting) {
  action("P&rint Setup...")->trigger();
  QPrintDialog* dialog = nullptr;
  ASSERT_TRUE(waitFor([&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* d = qobject_cast<QPrintDialog*>(w); d && d->isVisible()) dialog = d;
    return dialog != nullptr;
  }));
  EXPECT_EQ(dialog->windowTitle(), "Print Setup");
  // What the user leaves in the dialog when accepting it is the choice.
  QString file, printerName;
  QObject::connect(dialog, &QDialog::finished, [&] {
    file = dialog->printer()->outputFileName();
    printerName = dialog->printer()->printerName();
  });
  dialog->accept();
  ASSERT_FALSE(file.isEmpty() && printerName.isEmpty());
  QPrinter later(QPrinter::HighResolution);
  applyPrinterChoice(later);
  EXPECT_EQ(later.outputFileName(), file);
  if (file.isEmpty()) {
    EXPECT_EQ(later.printerName(), printerName);
  }
}

TEST_F(StandardActionsTest, TheHelpIndexSaysWhenTheHelpIsMissing) {
  ASSERT_TRUE(inModel([&] { rt->setHelpFile("nowhere.hlp"); }));
  action("&Search for Help On...")->trigger();
  QMessageBox* box = nullptr;
  ASSERT_TRUE(waitFor([&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) box = b;
    return box != nullptr;
  }));
  EXPECT_TRUE(box->text().contains("help pages are not installed")) << box->text().toStdString();
  box->accept();
  ASSERT_TRUE(waitFor([&] { return !box->isVisible(); }));

  // The pages are there, but nothing on this desktop shows web pages: that is said too.
  ASSERT_TRUE(inModel(
      [&] { rt->setHelpFile(std::string(TRV_SOURCE_DIR) + "/app/trvnel01/help/Vkt2a.hlp"); }));
  action("&Search for Help On...")->trigger();
  box = nullptr;
  ASSERT_TRUE(waitFor([&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) box = b;
    return box != nullptr;
  }));
  EXPECT_TRUE(box->text().contains("index.html could not be opened")) << box->text().toStdString();
  box->accept();
}

}  // namespace
}  // namespace trv::gui
