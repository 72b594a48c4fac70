// What a person meets when a window opens: the keyboard focus in the first field, the window
// where it was left and large enough for its controls, controls as large as their content.

#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <atomic>
#include <list>

#include "runtime/ui/use_var.h"
#include "tests/gui/desktop_fixture.h"

namespace trv::gui {
namespace {

using namespace trv::ui;
using testing::DesktopTest;

enum : int { kSheet = 1, kTab, kIdPrompt, kId, kNamePrompt, kName, kOk, kCancel, kHelp };

// A form like the client form: a sheet first, then its fields, then a row of buttons.
WindowDecl formDecl(WindowKind kind = WindowKind::Modal) {
  WindowDecl d;
  d.title = "Client";
  d.kind = kind;
  d.resizable = true;
  d.controls = {
      sheet("?Sheet").withNumber(kSheet),
      tab("?Tab", "General").withNumber(kTab).in(kSheet),
      prompt("?IdPrompt", "Name ID:").withNumber(kIdPrompt).in(kTab),
      entry("?Id", "@s6").withNumber(kId).in(kTab),
      prompt("?NamePrompt", "Full Name").withNumber(kNamePrompt).in(kTab),
      entry("?Name", "@s40").withNumber(kName).in(kTab),
      button("?OK", "OK").withNumber(kOk).at(2, 1).asDefault(),
      button("?Cancel", "Cancel").withNumber(kCancel).at(2, 2),
      button("?Help", "Help").withNumber(kHelp).at(2, 3),
  };
  return d;
}

// A frame whose Print menu hides its separator and last item, as for a user of level 0.
WindowDecl frameDeclWithPrint() {
  WindowDecl d;
  d.title = "Frame";
  d.kind = WindowKind::Frame;
  d.resizable = true;
  MenuItemDecl separator = menuSeparator(-3);
  separator.hidden = true;
  MenuItemDecl log = menuItem(-4, "&Activity Log");
  log.hidden = true;
  d.statusZones = 1;
  d.menu = {submenu(-1, "&Print", {menuItem(-2, "&Cases").withTip("All Cases"), separator, log})};
  return d;
}

// Runs a window until it is closed; `first` is the control the procedure selects at opening (0:
// none), `placement` where it opens (none when empty). The last placement reported is kept.
struct Procedure {
  WindowDecl decl = formDecl();
  int first = 0;
  Placement placement;
  Placement last;  // read with the baton held

  void run(UiRuntime& rt) {
    auto w = rt.open(decl);
    if (placement.width > 0 || placement.x != 0) w->setPlacement(placement);
    Event e;
    while (w->accept(e)) {
      if (e.number == EventOpenWindow && first) w->select(first);
      if (e.number == EventCloseWindow) w->close();
      last = w->placement();
    }
    last = w->placement();
  }
};

class WindowViewTest : public DesktopTest {
 protected:
  // Procedures outlive the program threads that run them (they end in TearDown).
  std::list<Procedure> procedures;
  Procedure& procedure(WindowDecl decl = formDecl()) {
    procedures.emplace_back();
    procedures.back().decl = std::move(decl);
    return procedures.back();
  }

  // Opens procedure p and returns the view of its window (the n-th opened).
  WindowView* open(Procedure& p, std::size_t n = 0) {
    run([this, &p] { p.run(*rt); });
    return view(n);
  }
  // The program has ended its procedures and the desktop shows no window any more.
  bool closed() {
    return rt->waitFinished(std::chrono::milliseconds(kWaitMs)) &&
           waitFor([&] { return desktop.windows().empty(); });
  }
};

TEST_F(WindowViewTest, TheFirstFieldHasTheKeyboardFocusWhenAFormOpens) {
  Procedure& form = procedure();
  WindowView* v = open(form);
  ASSERT_NE(v, nullptr);
  // The sheet comes first, but typing goes into the first entry.
  EXPECT_TRUE(waitFor([&] { return QApplication::focusWidget() == v->controlWidget(kId); }));
  QTest::keyClicks(QApplication::focusWidget(), "ACME");
  EXPECT_EQ(widget<QLineEdit>(v, kId)->text(), "ACME");
  v->window()->close();
  EXPECT_TRUE(closed());
}

TEST_F(WindowViewTest, TheFieldTheProcedureSelectsAtOpeningHasTheFocus) {
  Procedure& form = procedure();
  form.first = kName;
  WindowView* v = open(form);
  ASSERT_NE(v, nullptr);
  EXPECT_TRUE(waitFor([&] { return QApplication::focusWidget() == v->controlWidget(kName); }));
  v->window()->close();
  EXPECT_TRUE(closed());
}

TEST_F(WindowViewTest, AWindowInTheFramesWorkAreaGetsTheFocusToo) {
  WindowDecl frameDecl;
  frameDecl.title = "Frame";
  frameDecl.kind = WindowKind::Frame;
  frameDecl.resizable = true;
  Procedure& frame = procedure(frameDecl);
  Procedure& child = procedure(formDecl(WindowKind::Child));
  ASSERT_NE(open(frame), nullptr);
  WindowView* v = open(child, 1);
  ASSERT_NE(v, nullptr);
  ASSERT_NE(qobject_cast<QMdiSubWindow*>(v->window()), nullptr);
  EXPECT_TRUE(waitFor([&] { return QApplication::focusWidget() == v->controlWidget(kId); }));
}

TEST_F(WindowViewTest, APositionSavedAtClosingBringsTheWindowBackExactly) {
  Procedure& first = procedure();
  WindowView* v = open(first);
  ASSERT_NE(v, nullptr);
  const QRect moved(130, 90, 520, 330);
  v->window()->setGeometry(moved);
  ASSERT_TRUE(waitFor([&] {
    Placement p;
    EXPECT_TRUE(inModel([&] { p = first.last; }));
    return p.x == moved.x() && p.width == moved.width();
  }));
  v->window()->close();
  ASSERT_TRUE(closed());

  for (int start = 0; start < 3; ++start) {  // each start opens where the last one was saved
    Procedure& again = procedure();
    again.placement = first.last;
    WindowView* w = open(again, 0);
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(waitFor([&] { return w->window()->geometry() == moved; }))
        << "start " << start << ": " << w->window()->geometry().x() << ","
        << w->window()->geometry().y();
    w->window()->close();
    ASSERT_TRUE(closed());
    EXPECT_EQ(again.last, first.last);
    first.last = again.last;
  }
}

TEST_F(WindowViewTest, AMaximizedWindowTellsTheRoomItFillsAndKeepsItsNormalPlace) {
  Procedure& form = procedure();
  form.placement = {false, true, 40, 40, 300, 200};
  WindowView* v = open(form);
  ASSERT_NE(v, nullptr);
  QWidget* win = v->window();
  ASSERT_TRUE(waitFor([&] { return win->isMaximized(); }));
  Placement p;
  ASSERT_TRUE(waitFor([&] {
    EXPECT_TRUE(inModel([&] { p = form.last; }));
    return p.shownWidth == win->width() && p.shownHeight == win->height();
  })) << p.shownWidth
      << "x" << p.shownHeight;
  EXPECT_TRUE(p.maximized);
  // The normal place is what a saved position keeps; the room shown is the screen's.
  EXPECT_EQ(p.width, win->normalGeometry().width());
  EXPECT_GE(p.shownWidth, p.width);
  v->window()->close();
  ASSERT_TRUE(closed());
}

TEST_F(WindowViewTest, AWindowAskedAtThePointerOpensThereUnlessItHasAPlaceOfItsOwn) {
  const QPoint pointer(210, 140);
  QCursor::setPos(pointer);
  WindowDecl d = formDecl();
  d.atPointer = true;
  Procedure& small = procedure(d);
  WindowView* v = open(small);
  ASSERT_NE(v, nullptr);
  EXPECT_TRUE(waitFor([&] { return v->window()->geometry().topLeft() == pointer; }))
      << v->window()->geometry().x() << "," << v->window()->geometry().y();
  v->window()->close();
  ASSERT_TRUE(closed());

  Procedure& placed = procedure(d);
  placed.placement = {false, false, 60, 50, 520, 330};
  v = open(placed);
  ASSERT_NE(v, nullptr);
  EXPECT_TRUE(waitFor([&] { return v->window()->geometry() == QRect(60, 50, 520, 330); }));
}

TEST_F(WindowViewTest, ASelectedCellShowsItsOwnSelectedColoursAndABoldTabCaptionIsWider) {
  constexpr int kRed = 255, kWhite = 16777215, kBlue = 16711680;
  std::atomic<bool> shown{false};
  run([&] {
    WindowDecl d;
    d.title = "Preferences";
    d.controls = {
        sheet("?Sheet").withNumber(1), tab("?A", "Colors").withNumber(2).in(1),
        tab("?B", "Colors").withNumber(3).in(1),
        list("?List", {{"Name", 10, "@s10"}, {"", 4, "@s4"}}).withNumber(4).size(20, 6).in(2)};
    auto w = rt->open(d);
    ListRow red;
    red.cells = {"Red", ""};
    red.cellColours = {{}, {0, kRed, kWhite, kRed}};
    ListRow blue;
    blue.cells = {"Blue", ""};
    blue.cellColours = {{}, {0, kBlue, kWhite, kBlue}};
    w->setRows(4, {red, blue});
    w->setSelected(4, 1);
    Font bold;
    bold.bold = true;
    w->setFont(2, bold);
    shown = true;
    Event e;
    while (w->accept(e))
      if (e.number == EventCloseWindow) w->close();
  });
  ASSERT_TRUE(waitFor([&] { return shown.load(); }));
  WindowView* v = view(0);
  ASSERT_NE(v, nullptr);
  auto* tree = qobject_cast<QTreeWidget*>(v->controlWidget(4));
  ASSERT_NE(tree, nullptr);
  auto cell = [&](int row, int column) {
    return tree->visualRect(tree->model()->index(row, column));
  };
  ASSERT_TRUE(waitFor([&] {
    return tree->topLevelItemCount() == 2 && tree->viewport()->rect().contains(cell(1, 1).center());
  }));
  auto pixel = [&](int row, int column) {
    return tree->viewport()->grab().toImage().pixelColor(cell(row, column).center());
  };
  EXPECT_TRUE(tree->topLevelItem(0)->isSelected());
  // Selected, in its own colour (the style may shade its selection a little).
  const QColor selected = pixel(0, 1);
  EXPECT_TRUE(selected.red() > 200 && selected.green() < 60 && selected.blue() < 60)
      << selected.name().toStdString();
  EXPECT_EQ(pixel(1, 1), QColor(0, 0, 255));
  EXPECT_NE(pixel(0, 0), QColor(255, 0, 0));  // the name keeps the list's selection colour
  auto* tabs = qobject_cast<QTabWidget*>(v->controlWidget(1));
  ASSERT_NE(tabs, nullptr);
  EXPECT_TRUE(waitFor(
      [&] { return tabs->tabBar()->tabRect(0).width() > tabs->tabBar()->tabRect(1).width(); }));
  saveArtefact(v->window(), "selected_swatch.png");
}

TEST_F(WindowViewTest, AWindowOpensLargeEnoughForItsControlsAndOnTheScreen) {
  Procedure& tiny = procedure();
  tiny.placement = {false, false, 100000, 50, 20, 10};
  WindowView* v = open(tiny);
  ASSERT_NE(v, nullptr);
  QWidget* win = v->window();
  ASSERT_TRUE(waitFor([&] { return win->isVisible(); }));
  EXPECT_GE(win->width(), win->minimumSizeHint().width());
  EXPECT_GE(win->height(), win->minimumSizeHint().height());
  QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_TRUE(screen.contains(win->geometry().topLeft())) << win->geometry().x();
  for (int n : {kId, kName, kOk, kCancel, kHelp})
    EXPECT_FALSE(v->controlWidget(n)->visibleRegion().isEmpty()) << "control " << n;
}

TEST_F(WindowViewTest, ASizeKeptFromALargerScreenIsFittedToThisOne) {
  Procedure& big = procedure();
  big.decl.resizable = true;
  big.placement = {false, false, 30, 40, 5000, 4000};
  WindowView* v = open(big);
  ASSERT_NE(v, nullptr);
  QWidget* win = v->window();
  ASSERT_TRUE(waitFor([&] { return win->isVisible(); }));
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  EXPECT_LE(win->width(), screen.width());
  EXPECT_LE(win->height(), screen.height());
  EXPECT_TRUE(screen.contains(win->geometry()))
      << win->geometry().width() << "x" << win->geometry().height();
}

TEST_F(WindowViewTest, ControlsAreAsLargeAsTheirContent) {
  Procedure& form = procedure();
  form.placement = {false, false, 10, 40, 760, 500};  // the offscreen screen is 800 wide
  WindowView* v = open(form);
  ASSERT_NE(v, nullptr);
  ASSERT_TRUE(waitFor([&] { return v->window()->width() == 760; }));
  auto* id = widget<QLineEdit>(v, kId);
  auto* name = widget<QLineEdit>(v, kName);
  auto *ok = widget<QPushButton>(v, kOk), *cancel = widget<QPushButton>(v, kCancel),
       *help = widget<QPushButton>(v, kHelp);
  ASSERT_TRUE(id && name && ok && cancel && help);
  // An entry holds its picture's characters, not the window's width.
  EXPECT_LT(id->width() * 4, name->width());
  EXPECT_LT(name->width(), 560);
  const int digit = id->fontMetrics().horizontalAdvance(QLatin1Char('0'));
  EXPECT_GE(id->width(), 6 * digit);
  // Buttons are sized by their text and stand in their declared order.
  EXPECT_LT(cancel->width(), 200);
  EXPECT_EQ(ok->width(), help->width());
  EXPECT_LT(ok->x(), cancel->x());
  EXPECT_LT(cancel->x(), help->x());
  EXPECT_EQ(ok->y(), help->y());
  saveArtefact(v->window(), "form_sizes.png");
}

// A progress window stands above its owner without a close box and keeps a picture.
TEST_F(WindowViewTest, AProgressWindowShowsItsBar) {
  WindowDecl d;
  d.title = "Exporting Cases";
  d.kind = WindowKind::Progress;
  d.controls = {string("?Status", "Case 120 of 400").withNumber(1),
                progress("?Bar", 0, 400).withNumber(2), button("?Cancel", "&Cancel").withNumber(3)};
  Procedure& p = procedure(d);
  WindowView* v = open(p);
  ASSERT_NE(v, nullptr);
  ASSERT_TRUE(inModel([&] { rt->windows().back()->setValue(2, std::int64_t{120}); }));
  auto* bar = widget<QProgressBar>(v, 2);
  ASSERT_NE(bar, nullptr);
  EXPECT_TRUE(waitFor([&] { return bar->value() == 120; }));
  EXPECT_FALSE(v->window()->windowFlags() & Qt::WindowCloseButtonHint);
  saveArtefact(v->window(), "progress.png");
}

// Prompts declared as a row before their controls (the sign-on window's "Name" and "Password",
// an image, then the two fields) each stand beside the control they label.
TEST_F(WindowViewTest, PromptsStandBesideTheControlsTheyLabel) {
  WindowDecl d;
  d.title = "Logon";
  d.controls = {
      prompt("?Prompt1", "&Name").withNumber(1),
      prompt("?Prompt2", "&Password").withNumber(2),
      image("?Light", "").withNumber(3),
      combo("?Name", "@s20").withNumber(4),
      entry("?Password", "@s20").asPassword().withNumber(5),
      prompt("?Prompt3", "Phone").withNumber(6),
      string("?Phone", "555-1234").withNumber(7),
      button("?OK", "&OK").asDefault().withNumber(8),
  };
  Procedure& logon = procedure(d);
  WindowView* v = open(logon);
  ASSERT_NE(v, nullptr);
  ASSERT_TRUE(waitFor([&] { return v->window()->isVisible(); }));
  auto middle = [&](int n) {
    QWidget* w = v->controlWidget(n);
    return w->mapTo(v->window(), w->rect().center()).y();
  };
  auto* name = widget<QLabel>(v, 1);
  auto* password = widget<QLabel>(v, 2);
  ASSERT_TRUE(name && password);
  EXPECT_EQ(middle(1), middle(4));
  EXPECT_EQ(middle(2), middle(5));
  EXPECT_EQ(middle(6), middle(7));  // a shown value sits beside its label too
  EXPECT_LT(middle(4), middle(5));
  EXPECT_EQ(name->buddy(), v->controlWidget(4));
  EXPECT_EQ(password->buddy(), v->controlWidget(5));
  saveArtefact(v->window(), "prompts.png");
}

// The frame's picture fills its work area, also after the frame changes size.
TEST_F(WindowViewTest, TheWallpaperFillsTheWorkArea) {
  // A small picture of 4:3, as the shipped wallpapers are (sanitizer runs scale big ones slowly).
  const std::filesystem::path dir = testing::scratchPath("trv_wallpaper");
  std::filesystem::create_directories(dir);
  QImage picture(64, 48, QImage::Format_RGB32);
  picture.fill(QColor(40, 90, 160));
  ASSERT_TRUE(picture.save(QString::fromStdString((dir / "logo2.jpg").string()), "JPEG"));
  rt->setCurrentFolder(dir);
  WindowDecl frameDecl;
  frameDecl.title = "Frame";
  frameDecl.kind = WindowKind::Frame;
  frameDecl.resizable = true;
  frameDecl.controls = {image("?Wallpaper", "logo2.jpg").withNumber(1)};
  Procedure& frame = procedure(frameDecl);
  frame.placement = {false, false, 10, 10, 500, 400};
  WindowView* f = open(frame);
  ASSERT_NE(f, nullptr);
  QMdiArea* area = f->mdiArea();
  ASSERT_NE(area, nullptr);

  auto fills = [&] {
    const QBrush b = area->background();
    return !b.texture().isNull() && b.texture().size() == area->viewport()->size();
  };
  EXPECT_TRUE(waitFor(fills));
  f->window()->resize(640, 420);
  EXPECT_TRUE(waitFor(fills));
  EXPECT_TRUE(endProgram());
  std::filesystem::remove_all(dir);
}

TEST_F(WindowViewTest, APictureButtonWithoutItsPictureShowsItsTip) {
  WindowDecl d;
  d.title = "Send";
  d.controls = {button("?Send", "").withImage("gone.ico").withTip("Send this message"),
                button("?To", "").withImage("To2.ico").withTip("Address book")};
  Procedure& mail = procedure(d);
  WindowView* v = open(mail);
  ASSERT_NE(v, nullptr);
  auto* send = widget<QPushButton>(v, 1);
  auto* to = widget<QPushButton>(v, 2);
  ASSERT_TRUE(send && to);
  EXPECT_EQ(send->text(), "Send this message");
  EXPECT_TRUE(to->text().isEmpty());
  EXPECT_FALSE(to->icon().isNull());
}

// The frame's close box while a form of its thread is open: refused on the spot (the form comes
// to the front), and nothing happens to the frame when the form closes later.
TEST_F(WindowViewTest, ClosingTheFrameBehindAFormIsRefusedAndNeverActsLater) {
  std::vector<int> frameEvents;  // read with the baton held
  run([&] {
    WindowDecl d;
    d.title = "Frame";
    d.kind = WindowKind::Frame;
    d.resizable = true;
    auto frame = rt->open(d);
    Event e;
    while (frame->accept(e)) {
      frameEvents.push_back(e.number);
      if (e.number == EventOpenWindow) {
        auto form = rt->open(formDecl());
        Event f;
        while (form->accept(f))
          if (f.number == EventCloseWindow) form->close();
      }
      if (e.number == EventCloseWindow) frame->close();
    }
  });
  WindowView* frame = view(0);
  WindowView* form = view(1);
  ASSERT_TRUE(frame && form);
  ASSERT_TRUE(waitFor([&] { return form->window()->isVisible(); }));
  frame->window()->activateWindow();
  frame->window()->close();
  EXPECT_TRUE(waitFor([&] { return QApplication::activeWindow() == form->window(); }));
  form->window()->close();
  ASSERT_TRUE(waitFor([&] { return desktop.windows().size() == 1; }));
  bool closed = true;
  ASSERT_TRUE(inModel([&] {
    closed = std::find(frameEvents.begin(), frameEvents.end(), int{EventCloseWindow}) !=
             frameEvents.end();
  }));
  EXPECT_FALSE(closed);
  EXPECT_TRUE(frame->window()->isVisible());
  EXPECT_TRUE(endProgram());
}

}  // namespace
}  // namespace trv::gui

namespace trv::gui {
namespace {

// A sign-on like form: a proposed name, a password, a read-only number, the OK button.
TEST_F(WindowViewTest, AProposedNameIsSelectedPasswordsAreMaskedAndShownValuesPassedOver) {
  WindowDecl d;
  d.title = "Logon";
  d.controls = {
      entry("?Number", "@n06").withNumber(1).asReadOnly(),
      entry("?Name", "@s20").withNumber(2),
      entry("?Password", "@s20").withNumber(3).asPassword(),
      button("?OK", "&OK").withNumber(4).asDefault(),
  };
  Procedure& logon = procedure(d);
  logon.first = 2;
  run([this, &logon] {
    auto w = rt->open(logon.decl);
    w->setText(2, "Admin");
    Event e;
    while (w->accept(e)) {
      if (e.number == EventOpenWindow) w->select(2);
      if (e.number == EventCloseWindow) w->close();
    }
  });
  WindowView* v = view(0);
  ASSERT_NE(v, nullptr);
  auto* name = widget<QLineEdit>(v, 2);
  auto* number = widget<QLineEdit>(v, 1);
  ASSERT_TRUE(name && number);
  ASSERT_TRUE(
      waitFor([&] { return QApplication::focusWidget() == name && name->text() == "Admin"; }));
  EXPECT_EQ(name->selectedText(), "Admin");  // typing replaces it
  QTest::keyClicks(name, "Ann");
  EXPECT_EQ(name->text(), "Ann");
  EXPECT_EQ(widget<QLineEdit>(v, 3)->echoMode(), QLineEdit::Password);
  // The read-only number is shown as such and Tab passes it by.
  EXPECT_TRUE(number->isReadOnly());
  EXPECT_EQ(number->palette().color(QPalette::Base), number->palette().color(QPalette::Window));
  QWidget* ok = v->controlWidget(4);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), ok);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), name);
}

TEST_F(WindowViewTest, AHiddenMenuSeparatorGoesWithItsItemsAndTipsShowInTheStatusBar) {
  WindowDecl d = frameDeclWithPrint();
  Procedure& frame = procedure(d);
  WindowView* v = open(frame);
  ASSERT_NE(v, nullptr);
  auto* main = qobject_cast<QMainWindow*>(v->window());
  ASSERT_NE(main, nullptr);
  QMenu* print = main->menuBar()->actions().front()->menu();
  ASSERT_NE(print, nullptr);
  ASSERT_EQ(print->actions().size(), 3);
  EXPECT_TRUE(print->actions()[1]->isSeparator());
  EXPECT_FALSE(print->actions()[1]->isVisible());
  EXPECT_FALSE(print->actions()[2]->isVisible());
  // Walking the menu shows the item's tip in the status bar.
  QAction* cases = print->actions()[0];
  EXPECT_EQ(cases->statusTip(), "All Cases");
  cases->showStatusText(main->menuBar());  // as the menu bar shows it for its open menu
  EXPECT_EQ(main->statusBar()->currentMessage(), "All Cases");
}

// A control's message stands in the frame's status bar while it has the focus (the dialog has no
// bar of its own); a link shows the program's hand over it.
TEST_F(WindowViewTest, AFocusedControlsMessageShowsInTheFramesStatusBarAndALinkShowsTheHand) {
  Procedure& frame = procedure(frameDeclWithPrint());
  WindowView* f = open(frame);
  ASSERT_NE(f, nullptr);
  auto* main = qobject_cast<QMainWindow*>(f->window());
  ASSERT_NE(main, nullptr);
  WindowDecl d;
  d.title = "Options";
  d.controls = {check("?Server", " &Server").withMessage("This PC is a Server"),
                check("?Backup", " &Backup"), button("?Link", "www").withCursor("Hand.cur")};
  Procedure& options = procedure(d);
  WindowView* v = open(options, 1);
  ASSERT_NE(v, nullptr);
  v->controlWidget(1)->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(
      waitFor([&] { return main->statusBar()->currentMessage() == "This PC is a Server"; }));
  v->controlWidget(2)->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(waitFor([&] { return main->statusBar()->currentMessage().isEmpty(); }));
  EXPECT_EQ(v->controlWidget(3)->cursor().shape(), Qt::BitmapCursor);
  EXPECT_FALSE(v->controlWidget(3)->cursor().pixmap().isNull());
  EXPECT_EQ(v->controlWidget(2)->cursor().shape(), Qt::ArrowCursor);
}

}  // namespace
}  // namespace trv::gui
