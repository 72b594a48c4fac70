// The desktop shows the window model and sends what the user does back as model input.

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <csignal>
#include <filesystem>
#include <mutex>

#include "gui/desktop/run_desktop.h"
#include "runtime/ui/use_var.h"
#include "tests/gui/desktop_fixture.h"

namespace trv::gui {
namespace {

using namespace trv::ui;
using testing::DesktopTest;

std::string describe(const Event& e) {
  // An alert key off the lists is told by its name, wherever the focus stood.
  if (e.number == EventAlertKey && e.zone == ListZone::None)
    return std::to_string(e.number) + " " + keyName(e.key);
  std::string s = std::to_string(e.number) + ":" + std::to_string(e.control);
  if (e.zone != ListZone::None)
    s += " row " + std::to_string(e.row) + " col " + std::to_string(e.column) +
         (e.zone == ListZone::Header    ? " header"
          : e.zone == ListZone::Cell    ? " cell"
          : e.zone == ListZone::Divider ? " divider"
                                        : " below");
  return s;
}

// A small form: the procedure keeps its data and records the events its loop sees.
struct Form {
  std::string name = "Ann";
  std::int64_t active = 0;
  std::string colour = "Red";
  std::string nameAtOk;
  std::vector<std::string> events;
  int timers = 0;
  Window* window = nullptr;  // read with the baton held

  enum : int { kPrompt = 1, kName, kActive, kColour, kList, kOk, kCancel };

  void run(UiRuntime& rt, int timer = 0) {
    WindowDecl d;
    d.title = "Client";
    d.resizable = true;
    d.timerHundredths = timer;
    d.controls = {
        prompt("?Prompt:Name", "&Name:"),
        entry("?Name", "@s20", useText("LOC:Name", name)),
        check("?Active", "&Active", useNumber("LOC:Active", active)),
        dropList("?Colour", {"Red", "Green", "Blue"}, useText("LOC:Colour", colour)),
        list("?Browse:1", {{"Name", 20, "@s20", false}, {"Cases", 6, "@n6", true}}).size(0, 5),
        button("?OK", "&OK").asDefault(),
        button("?Cancel", "&Cancel"),
    };
    auto w = rt.open(std::move(d));
    window = w.get();
    w->setRows(kList, {{{"Ann", "3"}}, {{"Bob", "12"}}, {{"Cyd", "0"}}});
    w->alert(KeyMouseRight);
    Event e;
    while (w->accept(e)) {
      if (e.number == EventTimer) {
        ++timers;
        continue;
      }
      events.push_back(describe(e));
      if (e.number == EventAccepted && e.control == kOk) {
        nameAtOk = name;
        w->close();
      }
      if (e.number == EventCloseWindow || (e.number == EventAccepted && e.control == kCancel))
        w->close();
    }
    window = nullptr;
  }
};

class DesktopForm : public DesktopTest {
 protected:
  Form form;
  WindowView* v = nullptr;
  void SetUp() override {
    DesktopTest::SetUp();
    run([this] { form.run(*rt); });
    v = view(0);
    ASSERT_NE(v, nullptr);
  }
  bool seen(const std::string& event) {
    bool found = false;
    EXPECT_TRUE(inModel([&] {
      found = std::find(form.events.begin(), form.events.end(), event) != form.events.end();
    }));
    return found;
  }
};

TEST_F(DesktopForm, ShowsTheDeclaredControlsWithTheirValues) {
  auto* name = widget<QLineEdit>(v, Form::kName);
  auto* colour = widget<QComboBox>(v, Form::kColour);
  auto* rows = widget<QTreeWidget>(v, Form::kList);
  ASSERT_TRUE(name && colour && rows);
  EXPECT_EQ(v->window()->windowTitle(), "Client");
  EXPECT_EQ(name->text(), "Ann");
  EXPECT_EQ(name->maxLength(), 20);
  EXPECT_EQ(colour->currentText(), "Red");
  ASSERT_TRUE(waitFor([&] { return rows->topLevelItemCount() == 3; }));
  EXPECT_EQ(rows->headerItem()->text(1), "Cases");
  EXPECT_EQ(rows->topLevelItem(1)->text(1), "12");
  EXPECT_EQ(widget<QLabel>(v, Form::kPrompt)->buddy(), name);
  saveArtefact(v->window(), "form.png");
}

TEST_F(DesktopForm, TypedTextReachesTheUseVariableOnAcceptAndEnterPressesTheDefault) {
  auto* name = widget<QLineEdit>(v, Form::kName);
  ASSERT_NE(name, nullptr);
  name->selectAll();
  QTest::keyClicks(name, "Bob");
  QTest::keyClick(name, Qt::Key_Return);
  ASSERT_TRUE(rt->waitFinished(std::chrono::milliseconds(kWaitMs)));
  EXPECT_EQ(form.nameAtOk, "Bob");
  EXPECT_EQ(form.events.back(), "1:6");  // accepted OK after the name
  EXPECT_NE(std::find(form.events.begin(), form.events.end(), "1:2"), form.events.end());
}

TEST_F(DesktopForm, TextTheRecordsCannotHoldStaysAsTypedAndNeverReachesTheVariable) {
  auto* name = widget<QLineEdit>(v, Form::kName);
  ASSERT_NE(name, nullptr);
  name->selectAll();
  // A letter that record fields cannot hold, typed as the keyboard would deliver it.
  QKeyEvent letter(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                   QString::fromUtf8("\u0100da"));
  QApplication::sendEvent(name, &letter);
  ASSERT_EQ(name->text(), QString::fromUtf8("\u0100da"));
  QFocusEvent leave(QEvent::FocusOut);
  QApplication::sendEvent(name, &leave);
  std::string shown;
  EXPECT_TRUE(waitFor([&] {
    return inModel([&] { shown = rt->find(v->id())->text(Form::kName); }) && shown == "\u0100da";
  })) << shown;
  EXPECT_EQ(name->text(), QString::fromUtf8("\u0100da"));
  std::string kept;
  ASSERT_TRUE(inModel([&] { kept = form.name; }));
  EXPECT_EQ(kept, "Ann");
}

TEST_F(DesktopForm, ChecksAndDropListsChangeThroughTheModel) {
  auto* active = widget<QCheckBox>(v, Form::kActive);
  auto* colour = widget<QComboBox>(v, Form::kColour);
  ASSERT_TRUE(active && colour);
  QTest::mouseClick(active, Qt::LeftButton, {}, QPoint(6, active->height() / 2));  // the box
  ASSERT_TRUE(waitFor([&] { return active->isChecked(); }));
  colour->activated(2);  // what choosing "Blue" from the drop-down emits
  ASSERT_TRUE(waitFor([&] { return seen("2:4"); }));
  std::int64_t flag = 0;
  std::string chosen;
  ASSERT_TRUE(inModel([&] {
    flag = form.active;
    chosen = form.colour;
  }));
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(chosen, "Blue");
}

TEST_F(DesktopForm, ModelChangesReachTheWidgets) {
  ASSERT_TRUE(inModel([&] {
    form.window->setTitle("Client - Change");
    form.window->setHidden(Form::kActive, true);
    form.window->setDisabled(Form::kCancel, true);
    form.window->setText(Form::kPrompt, "&Surname:");
    form.window->setValue(Form::kName, std::string("Zoe"));
    form.window->setColours(Form::kName, 0x0000FF, 0xFFFF00);  // red on cyan
    form.window->setTip(Form::kName, "The client's name");
    form.window->setRows(Form::kList, {{{"Dan", "1"}, 0xFF0000, 0x00FFFF}});  // blue on yellow
  }));
  auto* name = widget<QLineEdit>(v, Form::kName);
  auto* rows = widget<QTreeWidget>(v, Form::kList);
  ASSERT_TRUE(waitFor([&] { return rows->topLevelItemCount() == 1; }));
  EXPECT_EQ(v->window()->windowTitle(), "Client - Change");
  EXPECT_TRUE(v->controlWidget(Form::kActive)->isHidden());
  EXPECT_FALSE(v->controlWidget(Form::kCancel)->isEnabled());
  EXPECT_EQ(widget<QLabel>(v, Form::kPrompt)->text(), "&Surname:");
  EXPECT_EQ(name->text(), "Zoe");
  EXPECT_EQ(name->palette().color(QPalette::Text), QColor(255, 0, 0));
  EXPECT_EQ(name->palette().color(QPalette::Base), QColor(0, 255, 255));
  EXPECT_EQ(name->toolTip(), "The client's name");
  EXPECT_EQ(rows->topLevelItem(0)->foreground(0).color(), QColor(0, 0, 255));
  EXPECT_EQ(rows->topLevelItem(0)->background(1).color(), QColor(255, 255, 0));
}

TEST_F(DesktopForm, ListMouseHitsCarryRowColumnAndZone) {
  auto* rows = widget<QTreeWidget>(v, Form::kList);
  ASSERT_TRUE(rows);
  ASSERT_TRUE(waitFor([&] { return rows->topLevelItemCount() == 3; }));
  QPoint second(10, rows->visualItemRect(rows->topLevelItem(1)).center().y());
  QTest::mouseDClick(rows->viewport(), Qt::LeftButton, {}, second);
  ASSERT_TRUE(waitFor([&] { return seen("1:5 row 2 col 1 cell"); }));
  EXPECT_TRUE(seen("2:5 row 2 col 1 cell"));  // the new selection came first

  QHeaderView* header = rows->header();
  QPoint cases(header->sectionViewportPosition(1) + 5, header->height() / 2);
  QTest::mousePress(header->viewport(), Qt::RightButton, {}, cases);
  EXPECT_TRUE(waitFor([&] { return seen("15:5 row 0 col 2 header"); }));
  EXPECT_TRUE(seen("16:5 row 0 col 2 header"));
}

TEST_F(DesktopForm, HeaderDividerHitsAndDraggedWidthsReachTheModel) {
  auto* rows = widget<QTreeWidget>(v, Form::kList);
  ASSERT_TRUE(rows);
  QHeaderView* header = rows->header();
  auto edgeOfFirst = [&] {
    return QPoint(header->sectionViewportPosition(0) + header->sectionSize(0) - 1,
                  header->height() / 2);
  };
  ASSERT_TRUE(inModel([&] { form.window->alert(KeyMouseLeft2); }));
  QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, edgeOfFirst());
  ASSERT_TRUE(waitFor([&] { return seen("15:5 row 0 col 1 divider"); }));
  EXPECT_FALSE(seen("1:5 row 0 col 1 divider"));  // fitting a column opens nothing

  // The user drags the first column from 20 to 30 characters and lets go on its new edge.
  ASSERT_TRUE(inModel([&] {
    form.window->unalert(KeyMouseLeft2);
    form.window->alert(KeyMouseLeftUp);
    form.events.clear();
  }));
  const int charPixels = (header->sectionSize(0) - 12) / 20;
  header->resizeSection(0, 12 + 30 * charPixels);
  QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, edgeOfFirst());
  ASSERT_TRUE(waitFor([&] { return seen("15:5 row 0 col 1 divider"); }));
  int width = 0;
  ASSERT_TRUE(inModel([&] { width = form.window->control(Form::kList)->columns[0].width; }));
  EXPECT_EQ(width, 30);  // already kept when the release reached the procedure
  EXPECT_EQ(header->sectionSize(0), 12 + 30 * charPixels);

  // A release after a press in a column is a header release, not a divider one.
  QPoint inSecond(header->sectionViewportPosition(1) + 5, header->height() / 2);
  QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, inSecond);
  EXPECT_TRUE(waitFor([&] { return seen("15:5 row 0 col 2 header"); }));
}

TEST_F(DesktopForm, KeysHeldWithAltAndPrintScreenReachTheModelWhenTheWindowAsks) {
  auto* name = widget<QLineEdit>(v, Form::kName);
  auto* rows = widget<QTreeWidget>(v, Form::kList);
  ASSERT_TRUE(name && rows);
  ASSERT_TRUE(inModel([&] {
    for (int k : {'1' | kAlt, KeyDown | kAlt, int{KeyPrintScreen}, '\'' | kCtrl})
      form.window->alert(k);
  }));
  ASSERT_TRUE(waitFor([&] {
    const auto& passed = v->state().passedKeys;
    return std::count_if(passed.begin(), passed.end(), [](int k) { return k != KeyMouseRight; }) ==
           4;
  }));
  QTest::keyClick(name, Qt::Key_2, Qt::AltModifier);  // not asked for
  QTest::keyClick(name, Qt::Key_1, Qt::AltModifier);
  QTest::keyClick(rows, Qt::Key_Down, Qt::AltModifier);
  QTest::keyClick(name, Qt::Key_Apostrophe, Qt::ControlModifier);  // the forms' ditto key
  QTest::keyClick(name, Qt::Key_Print);
  ASSERT_TRUE(waitFor([&] { return seen("15 PrintScreen"); }));
  EXPECT_TRUE(seen("15 Ctrl+'"));
  EXPECT_TRUE(seen("15 Alt+1"));
  EXPECT_TRUE(seen("15 Alt+Down"));
  EXPECT_FALSE(seen("15 Alt+2"));
}

TEST_F(DesktopForm, TheCloseBoxClosesThroughTheModel) {
  v->window()->close();
  EXPECT_TRUE(rt->waitFinished(std::chrono::milliseconds(kWaitMs)));
  EXPECT_EQ(form.events.back(), "513:0");
  EXPECT_TRUE(waitFor([&] { return desktop.windows().empty(); }));
}

TEST_F(DesktopForm, EscInAFieldClosesThroughTheModel) {
  auto* name = widget<QLineEdit>(v, Form::kName);
  ASSERT_NE(name, nullptr);
  QTest::keyClick(name, Qt::Key_End);  // the field's text stands selected when the form opens
  QTest::keyClicks(name, "x");
  QTest::keyClick(name, Qt::Key_Escape);
  EXPECT_TRUE(rt->waitFinished(std::chrono::milliseconds(kWaitMs)));
  EXPECT_EQ(form.events.back(), "513:0");
  EXPECT_EQ(form.name, "Annx");  // what was typed is accepted before the window goes
}

TEST_F(DesktopForm, PlacementsComeFromAndGoBackToTheModel) {
  ASSERT_TRUE(inModel([&] { form.window->setPlacement({false, false, 60, 40, 420, 380}); }));
  QWidget* win = v->window();
  ASSERT_TRUE(waitFor([&] { return win->geometry() == QRect(60, 40, 420, 380); }));
  win->resize(500, 400);
  ASSERT_TRUE(waitFor([&] {
    Placement p;
    EXPECT_TRUE(inModel([&] { p = form.window->placement(); }));
    return p.width == 500 && p.height == 400 && p.x == 60;
  }));
  EXPECT_TRUE(seen("561:0"));
}

TEST_F(DesktopForm, TimersFireFromTheModelsClock) {
  ASSERT_TRUE(inModel([&] { form.window->setTimer(100); }));
  clock.advance(100);
  ASSERT_TRUE(waitFor([&] {
    int n = 0;
    EXPECT_TRUE(inModel([&] { n = form.timers; }));
    return n == 1;
  }));
}

// A frame with a menu and a status bar, and a child list on a thread of its own.
TEST_F(DesktopTest, FrameShowsMenusStatusAndChildWindowsInside) {
  std::vector<int> accepted;
  Window* frame = nullptr;
  run([&] {
    WindowDecl d;
    d.title = "Vorn Trovanel 1.2";
    d.kind = WindowKind::Frame;
    d.statusZones = 2;
    d.resizable = true;
    MenuItemDecl file{0, "?File", "&File", {}};
    file.items = {{0, "?Browse", "&Browse Cases", {}}, {0, "", "-", {}}, {0, "?Exit", "E&xit", {}}};
    d.menu = {file};
    auto w = rt->open(std::move(d));
    frame = w.get();
    w->setStatus(1, "Ready");
    w->setMenuDisabled(2, true);
    (void)rt->start([&] {
      WindowDecl c;
      c.title = "Browse Cases";
      c.kind = WindowKind::Child;
      c.controls = {list("?Browse:1", {{"Case", 8, "@n08", true}, {"Client", 20, "@s20", false}}),
                    button("?Close", "&Close")};
      auto child = rt->open(std::move(c));
      child->setRows(1, {{{"00000001", "Ann"}}});
      Event e;
      while (child->accept(e))
        if (e.number == EventCloseWindow || e.number == EventAccepted) child->close();
    });
    Event e;
    while (w->accept(e)) {
      if (e.number == EventAccepted) accepted.push_back(e.control);
      if (e.number == EventAccepted && e.control == 3) w->close();
    }
    frame = nullptr;
  });
  WindowView* f = view(0);
  WindowView* child = view(1);
  ASSERT_TRUE(f && child);
  auto* main = qobject_cast<QMainWindow*>(f->window());
  ASSERT_NE(main, nullptr);
  auto* sub = qobject_cast<QMdiSubWindow*>(child->window());
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->mdiArea(), f->mdiArea());

  auto menus = main->menuBar()->actions();
  ASSERT_EQ(menus.size(), 1);
  EXPECT_EQ(menus[0]->text(), "&File");
  auto items = menus[0]->menu()->actions();
  ASSERT_EQ(items.size(), 3);
  EXPECT_TRUE(items[1]->isSeparator());
  ASSERT_TRUE(waitFor([&] { return !items[0]->isEnabled(); }));
  auto* zone = main->statusBar()->findChild<QLabel*>();
  ASSERT_NE(zone, nullptr);
  EXPECT_EQ(zone->text(), "Ready");
  saveArtefact(main, "frame.png");

  items[2]->trigger();
  ASSERT_TRUE(waitFor([&] {
    bool gone = false;
    EXPECT_TRUE(inModel([&] { gone = frame == nullptr; }));
    return gone;
  }));
  EXPECT_EQ(accepted, std::vector<int>{3});  // File=1, Browse=2, Exit=3
  EXPECT_TRUE(endProgram());
}

TEST_F(DesktopTest, RadiosAndTabsGoThroughTheModel) {
  std::string level = "1";
  Window* w = nullptr;
  std::vector<std::string> events;
  run([&] {
    WindowDecl d;
    d.title = "Options";
    d.controls = {
        option("?Level", "Level", useText("LOC:Level", level)),  // 1
        radio("?User", "&User", "1").in(1),                      // 2
        radio("?Admin", "&Administrator", "2").in(1),            // 3
        sheet("?Sheet"),                                         // 4
        tab("?General", "General").in(4),                        // 5
        tab("?Mail", "Mail").in(4),                              // 6
        entry("?Server", "@s30").in(6),                          // 7
    };
    auto win = rt->open(std::move(d));
    w = win.get();
    Event e;
    while (win->accept(e)) {
      events.push_back(describe(e));
      if (e.number == EventCloseWindow) win->close();
    }
    w = nullptr;
  });
  WindowView* v = view(0);
  ASSERT_NE(v, nullptr);
  auto* user = widget<QRadioButton>(v, 2);
  auto* admin = widget<QRadioButton>(v, 3);
  auto* tabs = widget<QTabWidget>(v, 4);
  ASSERT_TRUE(user && admin && tabs);
  EXPECT_TRUE(user->isChecked());
  ASSERT_EQ(tabs->count(), 2);
  EXPECT_EQ(tabs->tabText(1), "Mail");
  EXPECT_EQ(v->controlWidget(7)->parentWidget(), tabs->widget(1));

  admin->click();
  ASSERT_TRUE(waitFor([&] { return admin->isChecked() && !user->isChecked(); }));
  tabs->setCurrentIndex(1);
  std::string chosen;
  ASSERT_TRUE(waitFor([&] {
    bool seen = false;
    EXPECT_TRUE(inModel([&] {
      seen = std::find(events.begin(), events.end(), "2:4") != events.end();
      chosen = level;
    }));
    return seen;
  }));
  EXPECT_EQ(chosen, "2");
  ASSERT_TRUE(inModel([&] { w->setSelected(4, 1); }));
  EXPECT_TRUE(waitFor([&] { return tabs->currentIndex() == 0; }));
  EXPECT_TRUE(endProgram());
}

TEST_F(DesktopTest, OnlyTheInnermostWindowOfAThreadTakesInput) {
  run([&] {
    WindowDecl d;
    d.title = "Browse Clients";
    d.kind = WindowKind::Child;
    d.controls = {button("?Insert", "&Insert")};
    auto list = rt->open(std::move(d));
    Event e;
    while (list->accept(e)) {
      if (e.number == EventCloseWindow) list->close();
      if (e.number != EventAccepted) continue;
      WindowDecl f;
      f.title = "Update Client";
      f.controls = {button("?OK", "&OK")};
      auto form = rt->open(std::move(f));
      Event fe;
      while (form->accept(fe))
        if (fe.number == EventAccepted || fe.number == EventCloseWindow) form->close();
    }
  });
  WindowView* list = view(0);
  ASSERT_NE(list, nullptr);
  widget<QPushButton>(list, 1)->click();
  WindowView* form = view(1);
  ASSERT_NE(form, nullptr);
  QWidget* insert = list->controlWidget(1);
  EXPECT_FALSE(insert->isEnabled());
  EXPECT_TRUE(form->controlWidget(1)->isEnabled());
  widget<QPushButton>(form, 1)->click();
  EXPECT_TRUE(waitFor([&] { return desktop.windows().size() == 1 && insert->isEnabled(); }));
}

TEST_F(DesktopTest, ImagesShowOnControlsAndAsTheFramesWallpaper) {
  namespace fs = std::filesystem;
  fs::path dir = testing::scratchPath("trv_desktop_images");
  fs::create_directories(dir);
  QImage logo(40, 20, QImage::Format_RGB32);
  logo.fill(QColor(10, 120, 200));
  ASSERT_TRUE(logo.save(QString::fromStdString((dir / "Logo.jpg").string()), "JPEG"));
  rt->setCurrentFolder(dir);  // relative image names resolve here
  run([&] {
    WindowDecl f;
    f.title = "Vorn Trovanel 1.2";
    f.kind = WindowKind::Frame;
    f.controls = {image("?Wallpaper", "Logo.jpg")};
    auto frame = rt->open(std::move(f));
    WindowDecl d;
    d.title = "Splash";
    d.controls = {image("?Logo", "Logo.jpg"), image("?Missing", "Nothing.jpg")};
    auto splash = rt->open(std::move(d));
    Event e;
    while (splash->accept(e))
      if (e.number == EventCloseWindow) splash->close();
  });
  WindowView* frame = view(0);
  WindowView* splash = view(1);
  ASSERT_TRUE(frame && splash);
  EXPECT_FALSE(frame->mdiArea()->background().textureImage().isNull());
  auto* shown = widget<QLabel>(splash, 1);
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(shown->pixmap().size(), QSize(40, 20));
  EXPECT_TRUE(widget<QLabel>(splash, 2)->pixmap().isNull());  // a missing file shows nothing
  saveArtefact(splash->window(), "splash.png");
  EXPECT_TRUE(endProgram());
  fs::remove_all(dir);
}

// The rectangle of the dark pixels of an image (text drawn on a light background).
QRect ink(const QImage& image) {
  QRect r;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (qGray(image.pixel(x, y)) < 96) r |= QRect(x, y, 1, 1);
  return r;
}

TEST_F(DesktopTest, TurnedStringsStandUpAndAWindowsImageGoesToTheClipboard) {
  constexpr int kCopy = 2000;
  ServiceResult copied;
  ServiceResult opened{true, 0, {}};
  ServiceResult openedBare{true, 0, {}};
  int copies = 0;
  run([&] {
    WindowDecl d;
    d.title = "Graph";
    d.controls = {string("?Flat", "January February").withNumber(1).at(1, 1),
                  string("?Turned", "January February").withNumber(2).turned(900).at(2, 1)};
    auto w = rt->open(std::move(d));
    Event e;
    while (w->accept(e)) {
      if (e.number == kCopy) {
        copied = rt->copyWindowImage(w->id());
        // A file that is not there is not handed to the desktop's opener.
        opened = rt->shellOpen("/nonexistent/trv/XPort.CSV");
        // Nor is a bare name, which is a file of the current folder, not a web address.
        openedBare = rt->shellOpen("trv-missing-XPort.CSV");
        ++copies;
      }
      if (e.number == EventCloseWindow) w->close();
    }
  });
  WindowView* v = view(0);
  ASSERT_NE(v, nullptr);
  auto* flat = widget<QLabel>(v, 1);
  auto* turned = widget<QLabel>(v, 2);
  ASSERT_TRUE(flat && turned);
  EXPECT_GT(flat->sizeHint().width(), flat->sizeHint().height());
  EXPECT_EQ(turned->sizeHint(), flat->sizeHint().transposed());
  // The text reads upwards: its ink is taller than wide.
  turned->resize(turned->sizeHint());
  const QRect drawn = ink(turned->grab().toImage());
  ASSERT_FALSE(drawn.isEmpty());
  EXPECT_GT(drawn.height(), 3 * drawn.width());
  saveArtefact(v->window(), "turned_legend.png");

  QGuiApplication::clipboard()->clear();
  Window* model = nullptr;
  ASSERT_TRUE(inModel([&] { model = rt->front(); }));
  ASSERT_TRUE(inModel([&] { model->post(kCopy); }));
  ASSERT_TRUE(waitFor([&] {
    int n = 0;
    EXPECT_TRUE(inModel([&] { n = copies; }));
    return n == 1;
  }));
  EXPECT_TRUE(copied.ok) << copied.detail;
  EXPECT_FALSE(opened.ok);
  EXPECT_EQ(opened.error, 2);
  EXPECT_FALSE(openedBare.ok);
  EXPECT_EQ(openedBare.error, 2);
  const QImage image = QGuiApplication::clipboard()->image();
  EXPECT_EQ(image.size(), v->window()->grab().size());
  EXPECT_TRUE(endProgram());
}

// Runs the desktop with one window of this title and kind until it closes; `act` is called on
// every visible top-level widget, every 20 ms, with a timer to stop once it has acted. True when
// the window saw its close and runDesktop returned 0.
bool runOneWindow(const std::string& title, WindowKind kind,
                  const std::function<void(QWidget*, QTimer&)>& act) {
  testing::qtApp();
  text::ManualClock clock{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
  bool closed = false;
  QTimer actor;
  QObject::connect(&actor, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && w->windowTitle() == QString::fromStdString(title)) act(w, actor);
  });
  actor.start(20);
  int argc = 1;
  char name[] = "trvnel01";
  char* argv[] = {name, nullptr};
  int code = runDesktop(argc, argv, clock, [&](UiRuntime& rt, report::ReportOutput&) {
    WindowDecl d;
    d.title = title;
    d.kind = kind;
    auto w = rt.open(std::move(d));
    Event e;
    while (w->accept(e))
      if (e.number == EventCloseWindow) {
        closed = true;
        w->close();
      }
  });
  EXPECT_EQ(code, 0);
  return closed && code == 0;
}

TEST(RunDesktop, RunsTheProgramBodyAndReturnsWhenItEnds) {
  // The sign-on window is closed through its close box once it shows.
  EXPECT_TRUE(runOneWindow("Vorn Trovanel 1.2 - Logon", WindowKind::Modal,
                           [](QWidget* w, QTimer&) { w->close(); }));
}

TEST(RunDesktop, AStopSignalClosesTheFrameAsItsCloseBoxDoes) {
  // The desktop session ends once the frame shows.
  EXPECT_TRUE(runOneWindow("Frame", WindowKind::Frame, [](QWidget*, QTimer& actor) {
    actor.stop();
    std::raise(SIGTERM);
  }));
}

}  // namespace
}  // namespace trv::gui
