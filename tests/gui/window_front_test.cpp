// Which window a person finds in front and which window the keys and clicks reach: a window
// opened from another stands in front of it with the focus, whatever their kinds and threads; the
// window in front keeps its own Alt+letter mnemonics from the frame's menu; a window's mouse
// alert keys reach it from its background and its texts.

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>
#include <list>
#include <mutex>

#include "tests/gui/desktop_fixture.h"

namespace trv::gui {
namespace {

using namespace trv::ui;
using testing::DesktopTest;

enum : int { kList = 1, kSelect, kCancel };

WindowDecl frameDecl() {
  WindowDecl d;
  d.title = "Frame";
  d.kind = WindowKind::Frame;
  d.resizable = true;
  d.statusZones = 1;
  d.menu = {submenu(-1, "&Browse", {menuItem(-2, "&Cases")}),
            submenu(-3, "&Search", {menuItem(-4, "&Case"), menuItem(-5, "&Archive")})};
  return d;
}

// A pick list like the client list in select mode.
WindowDecl pickDecl() {
  WindowDecl d;
  d.title = "Clients";
  d.kind = WindowKind::Child;
  d.resizable = true;
  d.controls = {list("?Browse:1", {{"Name", 20, "@s20", false}}).withNumber(kList).size(0, 5),
                button("?Select", "&Select").withNumber(kSelect).asDefault(),
                button("?Cancel", "&Cancel").withNumber(kCancel)};
  return d;
}

WindowDecl formDecl() {
  WindowDecl d;
  d.title = "Update Cases";
  d.kind = WindowKind::Modal;
  d.controls = {prompt("?Prompt", "Client ID"), entry("?SName", "@s6"), button("?OK", "&OK")};
  return d;
}

bool inWorkArea(const WindowView* v) {
  return qobject_cast<QMdiSubWindow*>(v->window()) != nullptr;
}

// The events the program's windows saw, by window title; written and read with the baton.
struct Seen {
  std::vector<std::string> events;
  void add(const std::string& title, const Event& e) {
    events.push_back(title + " " + std::to_string(e.number) + ":" + std::to_string(e.control) +
                     (e.key != KeyNone ? " " + keyName(e.key) : ""));
  }
};

// Runs `w` until it closes, noting its events.
void loop(Window& w, Seen& seen, const std::string& title) {
  Event e;
  while (w.accept(e)) {
    seen.add(title, e);
    if (e.number == EventCloseWindow ||
        (e.number == EventAccepted && (e.control == kSelect || e.control == kCancel)))
      w.close();
  }
}

class WindowFront : public DesktopTest {
 protected:
  Seen seen;
  bool saw(const std::string& event) {
    bool found = false;
    EXPECT_TRUE(inModel([&] {
      found = std::find(seen.events.begin(), seen.events.end(), event) != seen.events.end();
    }));
    return found;
  }
  // The frame on a thread of its own, running until the program ends.
  WindowView* openFrame(std::function<void(Window&)> opened = {}) {
    run([this, opened] {
      auto f = rt->open(frameDecl());
      if (opened) opened(*f);
      loop(*f, seen, "Frame");
    });
    return view(0);
  }
  // The case form with the pick list it opens, on the calling program thread.
  void formWithPick() {
    auto form = rt->open(formDecl());
    auto pick = rt->open(pickDecl());
    pick->setRows(kList, {{{"ACME"}}, {{"Bolt"}}});
    loop(*pick, seen, "Clients");
    pick.reset();
    loop(*form, seen, "Form");
  }
  WindowView* titled(const QString& title) {
    WindowView* found = nullptr;
    (void)waitFor([&] {
      for (WindowId id : desktop.windows())
        if (WindowView* v = desktop.view(id); v && v->window()->windowTitle() == title) found = v;
      return found != nullptr;
    });
    return found;
  }
  // True once `v` is the window in front with the keyboard focus in it.
  bool inFront(WindowView* v) {
    return waitFor([&] {
      QWidget* focus = QApplication::focusWidget();
      return QApplication::activeWindow() == v->window()->window() && focus &&
             v->window()->isAncestorOf(focus);
    });
  }
};

// The case form's pick list, on the frame's thread and on a thread of its own.
class PickListInFront : public WindowFront, public ::testing::WithParamInterface<bool> {};

TEST_P(PickListInFront, StandsInFrontOfTheFormThatOpenedItWithTheFocus) {
  const bool ownThread = GetParam();
  WindowView* frame = openFrame([this, ownThread](Window&) {
    if (!ownThread) formWithPick();
  });
  ASSERT_NE(frame, nullptr);
  if (ownThread) run([this] { formWithPick(); });
  WindowView* form = titled("Update Cases");
  WindowView* pick = titled("Clients");
  ASSERT_TRUE(form && pick);
  EXPECT_FALSE(inWorkArea(pick));
  EXPECT_EQ(pick->window()->parentWidget(), form->window());  // stands above its opener
  EXPECT_TRUE(inFront(pick));
  EXPECT_FALSE(form->controlWidget(3)->isEnabled());
  saveArtefact(pick->window(), ownThread ? "pick_list_own_thread.png" : "pick_list.png");

  // Enter presses the pick list's default button; the form takes the keyboard back.
  const auto pickId = pick->id();  // the view is deleted with its window
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  ASSERT_TRUE(waitFor([&] { return saw("Clients 1:2"); }));
  ASSERT_TRUE(waitFor([&] { return desktop.view(pickId) == nullptr; }));
  EXPECT_TRUE(inFront(form));
  EXPECT_TRUE(form->controlWidget(3)->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Threads, PickListInFront, ::testing::Bool(),
                         [](const auto& p) { return p.param ? "OwnThread" : "FramesThread"; });

TEST_F(WindowFront, AChildOpenedFromAChildStaysInTheWorkAreaInFront) {
  ASSERT_NE(openFrame(), nullptr);
  run([this] {
    auto list = rt->open(pickDecl());
    auto pick = rt->open(pickDecl());
    pick->setTitle("Products");
    loop(*pick, seen, "Products");
    pick.reset();
    loop(*list, seen, "Clients");
  });
  WindowView* pick = titled("Products");
  ASSERT_NE(pick, nullptr);
  EXPECT_TRUE(inWorkArea(pick));
  EXPECT_TRUE(inFront(pick));
}

// Two lists on threads of their own, the second with a form over it: when the form goes, the
// keys go back to the list it was opened from, not to the other one.
TEST_F(WindowFront, AClosedFormGivesTheKeysBackToItsOwnListNotAnother) {
  ASSERT_NE(openFrame(), nullptr);
  run([this] {
    auto cases = rt->open(pickDecl());
    cases->setTitle("Cases");
    loop(*cases, seen, "Cases");
  });
  ASSERT_NE(titled("Cases"), nullptr);
  run([this] {
    auto products = rt->open(pickDecl());
    products->setTitle("Products");
    {
      auto form = rt->open(formDecl());
      loop(*form, seen, "Form");
    }
    loop(*products, seen, "Products");
  });
  WindowView* form = titled("Update Cases");
  WindowView* products = titled("Products");
  ASSERT_TRUE(form && products);
  ASSERT_TRUE(inFront(form));
  const auto formId = form->id();
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  ASSERT_TRUE(waitFor([&] { return desktop.view(formId) == nullptr; }));
  EXPECT_TRUE(inFront(products));
  // Another Esc closes the list the form was opened from.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_TRUE(waitFor([&] { return saw("Products 513:0 Esc"); }));
  EXPECT_FALSE(saw("Cases 513:0 Esc"));
}

// A window without a position of its own opens centred on the window it was opened from, and
// an Alt+letter that is no mnemonic of it types nothing into its entry.
TEST_F(WindowFront, AFormOpensCentredOnItsOpenerAndAnUnclaimedAltLetterTypesNothing) {
  WindowView* frame = openFrame([this](Window&) {
    auto form = rt->open(formDecl());
    loop(*form, seen, "Form");
  });
  ASSERT_NE(frame, nullptr);
  WindowView* form = titled("Update Cases");
  ASSERT_NE(form, nullptr);
  ASSERT_TRUE(inFront(form));
  const QPoint opener = frame->window()->geometry().center();
  EXPECT_TRUE(waitFor([&] {
    return (form->window()->geometry().center() - opener).manhattanLength() <= 4;
  })) << "form centre "
      << form->window()->geometry().center().x() << "," << form->window()->geometry().center().y()
      << ", frame centre " << opener.x() << "," << opener.y();
  auto* entry = qobject_cast<QLineEdit*>(form->controlWidget(2));
  ASSERT_NE(entry, nullptr);
  entry->setFocus();
  QTest::keyClick(entry, Qt::Key_Q, Qt::AltModifier);
  QTest::keyClicks(entry, "ab");
  EXPECT_EQ(entry->text(), "ab");
}

TEST_F(WindowFront, TheWindowInFrontGetsItsOwnMnemonicBeforeTheFramesMenu) {
  WindowView* frame = openFrame();
  ASSERT_NE(frame, nullptr);
  run([this] {
    auto list = rt->open(pickDecl());
    loop(*list, seen, "Clients");
  });
  WindowView* list = titled("Clients");
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(inWorkArea(list));
  ASSERT_TRUE(inFront(list));
  auto* menuBar = static_cast<QMainWindow*>(frame->window())->menuBar();

  // Alt+B is no mnemonic of the list: the frame's Browse menu opens.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_B, Qt::AltModifier);
  ASSERT_TRUE(waitFor(
      [&] { return menuBar->activeAction() && menuBar->activeAction()->text() == "&Browse"; }));
  QTest::keyClick(QApplication::activePopupWidget() ? QApplication::activePopupWidget()
                                                    : QApplication::focusWidget(),
                  Qt::Key_Escape);
  ASSERT_TRUE(waitFor([&] { return QApplication::activePopupWidget() == nullptr; }));
  if (menuBar->activeAction()) QTest::keyClick(menuBar, Qt::Key_Escape);
  ASSERT_TRUE(inFront(list));

  // Alt+S is both the list's "&Select" and the frame's "&Search": the list's comes first.
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
  EXPECT_TRUE(waitFor([&] { return saw("Clients 1:2"); }));
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_FALSE(saw("Frame 1:-4"));
}

TEST_F(WindowFront, TheFramesRightClickReachesItOnTheWorkAreaOnly) {
  WindowView* frame = openFrame([](Window& f) { f.alert(KeyMouseRightUp); });
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(waitFor([&] {
    const auto& keys = frame->state().passedKeys;
    return std::find(keys.begin(), keys.end(), int{KeyMouseRightUp}) != keys.end();
  }));
  run([this] {
    auto list = rt->open(pickDecl());
    loop(*list, seen, "Clients");
  });
  WindowView* list = titled("Clients");
  ASSERT_NE(list, nullptr);
  QWidget* area = frame->mdiArea()->viewport();
  ASSERT_TRUE(waitFor([&] { return area->width() > 100 && list->window()->isVisible(); }));
  // A right click on the child window is the child's business.
  QWidget* select = list->controlWidget(kSelect);
  QTest::mouseClick(list->window(), Qt::RightButton, {},
                    select->mapTo(list->window(), QPoint(-2, -2)));
  // One on the bare work area, away from the child, is the frame's.
  const QRect child = list->window()->geometry();
  QPoint bare(child.right() + 20, child.bottom() + 20);
  if (!area->rect().contains(bare)) bare = QPoint(area->width() - 5, area->height() - 5);
  ASSERT_EQ(area->childAt(bare), nullptr);
  QTest::mouseClick(area, Qt::RightButton, {}, bare);
  EXPECT_TRUE(waitFor([&] { return saw("Frame 15:0 MouseRightUp"); }));
  EXPECT_TRUE(saw("Frame 16:0 MouseRightUp"));
  int frameAlerts = 0;
  ASSERT_TRUE(inModel([&] {
    frameAlerts = static_cast<int>(
        std::count(seen.events.begin(), seen.events.end(), "Frame 15:0 MouseRightUp"));
  }));
  EXPECT_EQ(frameAlerts, 1);
}

TEST_F(WindowFront, AClickOnAWindowsTextsOrBackgroundIsItsAlertKey) {
  ASSERT_NE(openFrame(), nullptr);
  run([this] {
    WindowDecl d;
    d.title = "Splash";
    d.kind = WindowKind::Child;
    d.controls = {string("?Title", "Vorn Trovanel 1.2"), string("?Line", "Interactive")};
    auto w = rt->open(std::move(d));
    for (int key : {KeyMouseLeft, KeyMouseLeft2, KeyMouseRight}) w->alert(key);
    loop(*w, seen, "Splash");
  });
  WindowView* splash = titled("Splash");
  ASSERT_NE(splash, nullptr);
  ASSERT_TRUE(waitFor([&] { return splash->state().passedKeys.size() == 3; }));
  QTest::mouseClick(splash->controlWidget(1), Qt::LeftButton);
  EXPECT_TRUE(waitFor([&] { return saw("Splash 15:0 MouseLeft"); }));
  QWidget* face = splash->controlWidget(1)->parentWidget();
  QTest::mousePress(face, Qt::RightButton, {}, QPoint(1, 1));
  EXPECT_TRUE(waitFor([&] { return saw("Splash 15:0 MouseRight"); }));
  QTest::mouseRelease(face, Qt::RightButton, {}, QPoint(1, 1));
  EXPECT_FALSE(saw("Splash 15:0 MouseRightUp"));  // not asked for
}

}  // namespace
}  // namespace trv::gui
