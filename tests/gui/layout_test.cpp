// Every window of the program opened on a screen of an ordinary size, checked as a person would
// look at it: the window lies inside the screen (a child window inside the frame's work area)
// and, where it can be resized, can be made small enough for it; every control lies inside its
// window; no two input controls overlap; every text fits its control by the font's metrics; and
// Tab visits the controls in the order they are declared. Each window checked is printed.

#include <QAbstractButton>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QScreen>
#include <QTabBar>
#include <iostream>
#include <set>
#include <sstream>

#include "core/calendar/calendar.h"
#include "core/signon/logon.h"
#include "gui/desktop/desktop_report_output.h"
#include "runtime/forms/form_globals.h"
#include "runtime/forms/procedures.h"
#include "runtime/ui/events.h"
#include "tests/gui/layout_screen.h"
#include "tests/gui/program_fixture.h"

namespace trv::gui::testing {
namespace {

using ui::ControlKind;

std::string str(const QRect& r) {
  std::ostringstream o;
  o << r.width() << "x" << r.height() << " at " << r.x() << "," << r.y();
  return o.str();
}

bool inputKind(ControlKind k) {
  return ui::takesFocus(k) && k != ControlKind::Tab;
}

// What a control shows as its text, without mnemonic markers.
QString plain(QString text) {
  text.replace("&&", "\x01");
  text.remove('&');
  text.replace("\x01", "&");
  return text;
}

int textWidth(const QFontMetrics& m, const QString& text) {
  int widest = 0;
  for (const QString& line : text.split('\n')) widest = std::max(widest, m.horizontalAdvance(line));
  return widest;
}

// A procedure opened with a request and an argument, then controls pressed in the windows it
// opens ("title start|?Equate"), each followed by a look at every window open.
struct Opening {
  Opening(const char* p, int r = 0, std::string a = {}, std::vector<std::string> then = {})
      : procedure(p), request(r), arg(std::move(a)), presses(std::move(then)) {}
  const char* procedure;
  int request;
  std::string arg;
  std::vector<std::string> presses;
};

class Layout : public ProgramDesktopTest {
 protected:
  report::ReportOutput* reportOutput() override {
    if (!reports_) reports_ = std::make_unique<DesktopReportOutput>(*rt, desktop);
    return reports_.get();
  }
  void TearDown() override {
    ProgramDesktopTest::TearDown();
    reports_.reset();
  }

  void SetUp() override {
    ProgramDesktopTest::SetUp();
    const QSize screen = layoutScreenSize();
    ASSERT_EQ(QGuiApplication::primaryScreen()->geometry().size(), screen)
        << "the offscreen platform did not take the screen size";
    // A small database: a client, a product, users of each level, open and closed cases.
    for (const core::FieldValues& r : std::vector<core::FieldValues>{
             {{"CLI:SName", "ACME"}, {"CLI:LName", "Acme Ltd"}, {"CLI:Phone", "555-1234"}},
             {{"SLA:IDProduct", "WID"}, {"SLA:Product", "Widget"}},
             {{"IDE:Name", "Bob"},
              {"IDE:PassWord", "pw"},
              {"IDE:Level", "0"},
              {"IDE:Qualification", "User"}},
             {{"SER:CaseNr", "1"},
              {"SER:SName", "ACME"},
              {"SER:LName", "Acme Ltd"},
              {"SER:SProblem", "Printer jams"},
              {"SER:Status", "Active"},
              {"SER:Owner", "Admin"},
              {"SER:Priority", "Medium"},
              {"SER:IDProduct", "WID"},
              {"SER:Product", "Widget"}},
             {{"SER:CaseNr", "2"},
              {"SER:SName", "ACME"},
              {"SER:Status", "Closed"},
              {"SER:Owner", "Bob"}},
             {{"ARC:CASENR", "1"},
              {"ARC:SNAME", "ACME"},
              {"ARC:SProblem", "Smudges"},
              {"ARC:STATUS", "Closed"},
              {"ARC:OWNER", "Admin"}},
         }) {
      const core::ToolResult done = core::insertRecord(database(), r);
      ASSERT_TRUE(done.ok) << done.message;
    }
    // The date picker, as the case form's "Pick Other Date" opens it.
    state_->procedures.add("Calendar", forms::onCallersThread([this](std::string_view) {
                             (void)core::Calendar(*rt, *text::dateNumber(2015, 2, 1));
                           }));
    // The frame whose work area holds the child windows, as the program's own.
    run([this] {
      ui::WindowDecl d;
      d.title = "Layout Frame";
      d.kind = ui::WindowKind::Frame;
      d.resizable = true;
      d.statusZones = 1;
      d.menu = {ui::submenu(900, "&File", {ui::menuItem(901, "E&xit")})};
      std::unique_ptr<ui::Window> w = rt->open(d);
      ui::Event e;
      while (w && w->accept(e))
        if (e.number == ui::EventCloseWindow) w->close();
    });
    frame_ = view(0);
    ASSERT_NE(frame_, nullptr);
    ASSERT_TRUE(waitFor([&] { return frame_->window()->isVisible(); }));
  }

  // Opens, looks at every window on the way, and closes everything again.
  void open(const Opening& o) {
    SCOPED_TRACE(o.procedure);
    procedure_ = o.procedure;
    const forms::ProcedureEntry* entry = state_->procedures.find(o.procedure);
    ASSERT_NE(entry, nullptr) << o.procedure << " is not registered";
    run([this, e = *entry, o] {
      state_->globals.NextRequest = o.request;
      forms::startProcedure(state_->forms, e, o.arg);
    });
    ASSERT_TRUE(waitFor([&] { return desktop.windows().size() > 1 || boxShown(); }))
        << "no window opened";
    lookAtAll();
    for (const std::string& press : o.presses) {
      const auto bar = press.find('|');
      pressIn(QString::fromStdString(press.substr(0, bar)), press.substr(bar + 1));
      lookAtAll();
    }
    closeAll();
    std::cout << "[layout] " << checked_.size() << " windows checked\n";
  }

  bool boxShown() {
    for (QWidget* w : desktop.requestWidgets())
      if (w->isVisible()) return true;
    return false;
  }

  void settle() {
    for (int i = 0; i < 3; ++i) {
      (void)inModel([] {});
      desktop.flush();
      QTest::qWait(60);
    }
  }

  WindowView* titled(const QString& start) {
    WindowView* found = nullptr;
    (void)waitFor([&] {
      for (ui::WindowId id : desktop.windows())
        if (WindowView* v = desktop.view(id); v && v->window()->windowTitle().startsWith(start))
          found = v;
      return found != nullptr;
    });
    return found;
  }

  void pressIn(const QString& title, const std::string& equate) {
    WindowView* v = titled(title);
    ASSERT_NE(v, nullptr) << "no window " << title.toStdString();
    int number = 0;
    ASSERT_TRUE(inModel([&] {
      if (ui::Window* w = rt->find(v->id()))
        for (const ui::ControlState& c : w->controls())
          if (c.equate == equate) number = c.number;
    }));
    auto* button = qobject_cast<QAbstractButton*>(v->controlWidget(number));
    ASSERT_NE(button, nullptr) << "no button " << equate << " in " << title.toStdString();
    const std::vector<ui::WindowId> before = desktop.windows();
    button->click();
    ASSERT_TRUE(waitFor([&] {
      for (ui::WindowId id : desktop.windows())
        if (std::find(before.begin(), before.end(), id) == before.end()) return true;
      return boxShown();
    })) << equate
        << " in " << title.toStdString() << " opened no window";
  }

  void lookAtAll() {
    settle();
    for (ui::WindowId id : desktop.windows()) {
      WindowView* v = desktop.view(id);
      if (!v || v == frame_ || !v->window()->isVisible()) continue;
      lookAt(*v);
    }
    for (QWidget* w : desktop.requestWidgets())
      if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) lookAt(*box);
  }

  QRect screenArea() const { return QGuiApplication::primaryScreen()->availableGeometry(); }

  void lookAt(WindowView& v) {
    std::vector<ui::ControlState> controls;
    bool resizable = false;
    ASSERT_TRUE(inModel([&] {
      if (ui::Window* w = rt->find(v.id())) {
        controls = w->controls();
        resizable = w->state().resizable;
      }
    }));
    QWidget* window = v.window();
    const std::string name = window->windowTitle().toStdString();
    std::cout << "[layout] " << name << ": " << str(window->frameGeometry()) << "\n";
    checked_.insert(name);
    const std::string picture =
        "layout_" + std::string(procedure_) + "_" + std::to_string(checked_.size()) + ".png";
    saveArtefact(window, picture);
    // At a real display, the whole screen as well: the window manager's frames show there.
    if (QGuiApplication::platformName() == "xcb") {
      QApplication::processEvents();
      QTest::qWait(150);
      EXPECT_TRUE(QGuiApplication::primaryScreen()->grabWindow(0).save(
          QString::fromStdString(std::string(TRV_ARTEFACT_DIR) + "/screen_" + picture)));
    }

    // The window inside the screen, or inside the frame's work area.
    auto* sub = qobject_cast<QMdiSubWindow*>(window);
    const QRect area = sub ? frame_->mdiArea()->viewport()->rect() : screenArea();
    std::cout << "[layout]   in " << str(area) << "\n";
    const QRect outer = sub ? window->geometry() : window->frameGeometry();
    EXPECT_TRUE(area.contains(outer))
        << name << ": the window (" << str(outer) << ") lies outside the "
        << (sub ? "work area" : "screen") << " (" << str(area) << ")";
    if (resizable) {
      const QSize least = window->minimumSizeHint().expandedTo(window->minimumSize());
      EXPECT_TRUE(least.width() <= area.width() && least.height() <= area.height())
          << name << ": cannot be made smaller than " << least.width() << "x" << least.height()
          << ", the " << (sub ? "work area" : "screen") << " is " << area.width() << "x"
          << area.height();
    }

    std::vector<std::pair<const ui::ControlState*, QRect>> inputs;
    for (const ui::ControlState& c : controls) {
      QWidget* w = v.controlWidget(c.number);
      if (!w || w == window || !w->isVisibleTo(window) || w->maximumWidth() == 0 || c.cellOf != 0 ||
          c.kind == ControlKind::Image)
        continue;
      const std::string control =
          name + ", control " + (c.equate.empty() ? std::to_string(c.number) : c.equate);
      const QRect in(w->mapTo(window, QPoint(0, 0)), w->size());
      // Inside its window and inside each container on the way.
      for (QWidget* a = w->parentWidget(); a; a = a->parentWidget()) {
        const QRect r(w->mapTo(a, QPoint(0, 0)), w->size());
        if (!a->rect().contains(r)) {
          ADD_FAILURE() << control << " (" << str(r) << ") lies outside "
                        << (a == window ? std::string("its window") : "its container") << " ("
                        << str(a->rect()) << ")";
          break;
        }
        if (a == window) break;
      }
      if (inputKind(c.kind)) inputs.push_back({&c, in});
      checkText(control, c, *w);
    }
    for (std::size_t i = 0; i < inputs.size(); ++i)
      for (std::size_t j = i + 1; j < inputs.size(); ++j)
        if (inputs[i].second.intersects(inputs[j].second) &&
            !contains(v, *inputs[i].first, *inputs[j].first) &&
            !contains(v, *inputs[j].first, *inputs[i].first))
          ADD_FAILURE() << name << ": " << inputs[i].first->equate << " (" << str(inputs[i].second)
                        << ") and " << inputs[j].first->equate << " (" << str(inputs[j].second)
                        << ") overlap";
    checkFocusOrder(v, name, controls);
  }

  // Whether control `outer` holds `inner` (a sheet its tabs' controls).
  static bool contains(WindowView& v, const ui::ControlState& outer,
                       const ui::ControlState& inner) {
    QWidget* o = v.controlWidget(outer.number);
    QWidget* i = v.controlWidget(inner.number);
    return o && i && o->isAncestorOf(i);
  }

  void checkText(const std::string& control, const ui::ControlState& c, QWidget& w) {
    const QFontMetrics m(w.font());
    if (auto* label = qobject_cast<QLabel*>(&w); label && label->pixmap().isNull()) {
      if (label->wordWrap() || label->text().isEmpty() || c.angle != 0) return;
      const QString text = plain(label->text());
      const int need = textWidth(m, text);
      const int lines = static_cast<int>(text.count('\n')) + 1;
      EXPECT_LE(need, label->contentsRect().width())
          << control << ": the text \"" << text.toStdString() << "\" needs " << need
          << " px, the control is " << label->contentsRect().width() << " px wide";
      EXPECT_LE(lines * m.height(), label->contentsRect().height() + 2)
          << control << ": " << lines << " lines need " << lines * m.height()
          << " px, the control is " << label->contentsRect().height() << " px high";
    } else if (auto* button = qobject_cast<QAbstractButton*>(&w)) {
      if (button->text().isEmpty()) return;
      EXPECT_LE(button->sizeHint().width(), button->width())
          << control << ": the text \"" << plain(button->text()).toStdString() << "\" needs "
          << button->sizeHint().width() << " px, the control is " << button->width() << " px wide";
    } else if (auto* group = qobject_cast<QGroupBox*>(&w); group && !group->title().isEmpty()) {
      const int need = m.horizontalAdvance(plain(group->title())) + 2 * m.averageCharWidth();
      EXPECT_LE(need, group->width())
          << control << ": the caption \"" << plain(group->title()).toStdString() << "\" needs "
          << need << " px, the group is " << group->width() << " px";
    } else if (auto* entry = qobject_cast<QLineEdit*>(&w); entry && entry->isReadOnly()) {
      const int need = m.horizontalAdvance(entry->text()) + 6;
      EXPECT_LE(need, entry->width())
          << control << ": the text \"" << entry->text().toStdString() << "\" needs " << need
          << " px, the control is " << entry->width() << " px wide";
    }
  }

  void lookAt(QMessageBox& box) {
    const std::string name = "message box " + box.windowTitle().toStdString();
    std::cout << "[layout] " << name << ": " << str(box.frameGeometry()) << "\n";
    checked_.insert(name);
    EXPECT_TRUE(screenArea().contains(box.frameGeometry()))
        << name << " (" << str(box.frameGeometry()) << ") lies outside the screen";
    // The caption shows whole in the title bar, beside its close button.
    const QFontMetrics m(QApplication::font("QMdiSubWindowTitleBar"));
    const int need = m.horizontalAdvance(box.windowTitle()) + 3 * m.height() + 16;
    EXPECT_LE(need, box.width()) << name << ": the caption needs " << need << " px, the box is "
                                 << box.width() << " px wide";
  }

  // The control of a widget or of the part of it that takes the focus; 0 for none.
  int controlOf(WindowView& v, const std::vector<ui::ControlState>& controls, QWidget* w) {
    for (; w && w != v.window(); w = w->parentWidget())
      for (const ui::ControlState& c : controls)
        if (v.controlWidget(c.number) == w) return c.number;
    return 0;
  }

  void checkFocusOrder(WindowView& v, const std::string& name,
                       const std::vector<ui::ControlState>& controls) {
    QWidget* window = v.window();
    std::vector<int> visited;
    QWidget* w = window;
    for (int guard = 0; guard < 2000; ++guard) {
      w = w->nextInFocusChain();
      if (!w || w == window) break;
      if (!window->isAncestorOf(w) || !w->isVisibleTo(window) || !w->isEnabled() ||
          !(w->focusPolicy() & Qt::TabFocus))
        continue;
      const int n = controlOf(v, controls, w);
      if (n != 0 && (visited.empty() || visited.back() != n)) visited.push_back(n);
    }
    std::vector<int> declared;
    for (const ui::ControlState& c : controls)
      if (std::find(visited.begin(), visited.end(), c.number) != visited.end())
        declared.push_back(c.number);
    auto equates = [&](const std::vector<int>& numbers) {
      std::string s;
      for (int n : numbers)
        for (const ui::ControlState& c : controls)
          if (c.number == n) s += (c.equate.empty() ? std::to_string(n) : c.equate) + " ";
      return s;
    };
    std::cout << "[layout]   Tab: " << equates(visited) << "\n";
    EXPECT_EQ(visited, declared) << name << ": Tab goes " << equates(visited)
                                 << "\n  declared order " << equates(declared);
  }

  void closeAll() {
    for (int round = 0; round < 40; ++round) {
      settle();
      bool answered = false;
      for (QWidget* w : desktop.requestWidgets()) {
        if (!w->isVisible()) continue;
        if (auto* box = qobject_cast<QMessageBox*>(w)) {
          // Nothing is saved on the way out.
          QAbstractButton* b = box->escapeButton() ? box->escapeButton() : box->buttons().value(0);
          for (QAbstractButton* no : box->buttons())
            if (plain(no->text()) == "No") b = no;
          if (b) b->click();
        } else {
          w->close();
        }
        answered = true;
      }
      if (answered) continue;
      auto ids = desktop.windows();
      if (ids.size() <= 1) return;
      for (auto it = ids.rbegin(); it != ids.rend(); ++it)
        if (WindowView* v = desktop.view(*it); v && v != frame_) {
          v->window()->close();
          break;
        }
    }
    ADD_FAILURE() << "windows stay open: " << desktop.windows().size() - 1;
  }

  std::unique_ptr<DesktopReportOutput> reports_;
  WindowView* frame_ = nullptr;
  const char* procedure_ = "";
  std::set<std::string> checked_;
};

using forms::RequestChange;
using forms::RequestInsert;

// The sign-on window refuses a third wrong password with a box whose caption shows whole.
TEST_F(Layout, TheSignOnsRefusalShowsItsCaptionWhole) {
  run([this] {
    int level = 0;
    std::uint16_t id = 0;
    (void)core::Logon(*state_, level, id);
  });
  WindowView* logon = titled("Vorn Trovanel 1.2 - Logon");
  ASSERT_NE(logon, nullptr);
  settle();
  procedure_ = "Logon";
  lookAt(*logon);
  for (int attempt = 0; attempt < 3; ++attempt) {
    auto* password = qobject_cast<QLineEdit*>(logon->controlWidget(core::logon::kPassword));
    ASSERT_NE(password, nullptr);
    password->setText("wrong");
    Q_EMIT password->textEdited(password->text());
    qobject_cast<QAbstractButton*>(logon->controlWidget(core::logon::kOk))->click();
    settle();
  }
  ASSERT_TRUE(waitFor([&] { return boxShown(); }));
  lookAtAll();
  closeAll();
}

// The About window closes on Enter.
TEST_F(Layout, TheAboutWindowClosesOnEnter) {
  run([this] { state_->procedures.find("About")->body(""); });
  WindowView* about = titled("Vorn Trovanel 1.2");
  ASSERT_NE(about, nullptr);
  ASSERT_TRUE(waitFor([&] { return about->window()->isVisible(); }));
  settle();
  procedure_ = "About";
  lookAt(*about);
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr);
  QTest::keyClick(focus, Qt::Key_Return);
  EXPECT_TRUE(waitFor([&] { return desktop.windows().size() == 1; }));
}

// The product form's priority box shows its drop list right beside it, and the window keeps its
// size.
TEST_F(Layout, AControlShownKeepsTheWindowsSizeAndItsPlace) {
  run([this] {
    state_->globals.NextRequest = RequestInsert;
    state_->procedures.find("UpdateSLA")->body("");
  });
  WindowView* form = titled("Adding a Product");
  ASSERT_NE(form, nullptr);
  settle();
  int box = 0;
  int choice = 0;
  ASSERT_TRUE(inModel([&] {
    for (const ui::ControlState& c : rt->find(form->id())->controls()) {
      if (c.equate == "?SLA:PriorityFix") box = c.number;
      if (c.equate == "?SLA:Priority") choice = c.number;
    }
  }));
  auto* check = qobject_cast<QAbstractButton*>(form->controlWidget(box));
  QWidget* list = form->controlWidget(choice);
  ASSERT_TRUE(check && list);
  ASSERT_FALSE(list->isVisible());
  const QSize before = form->window()->size();
  check->click();
  ASSERT_TRUE(waitFor([&] { return list->isVisible(); }));
  settle();
  EXPECT_EQ(form->window()->size(), before);
  const QRect boxAt(check->mapTo(form->window(), QPoint(0, 0)), check->size());
  const QRect listAt(list->mapTo(form->window(), QPoint(0, 0)), list->size());
  EXPECT_LE(listAt.left() - boxAt.right(), 3 * check->fontMetrics().averageCharWidth())
      << "the drop list (" << str(listAt) << ") stands away from its box (" << str(boxAt) << ")";
  closeAll();
}

class EveryWindow : public Layout, public ::testing::WithParamInterface<Opening> {};

TEST_P(EveryWindow, FitsTheScreenAndItsControlsFitIt) {
  open(GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Program, EveryWindow,
    ::testing::Values(Opening("About"), Opening("ActionQueues"), Opening("BrowsCases"),
                      Opening("BrowsClients"), Opening("BrowsLog"), Opening("BrowsProblem"),
                      Opening("BrowsSLA"), Opening("BrowseArchive"), Opening("BrowseUsers"),
                      Opening("ChangeCases", RequestInsert),
                      Opening("ChangeCases", RequestChange, "1"), Opening("Calendar"),
                      Opening("AddNotes", 0, "1"), Opening("EmailIn"), Opening("ImportClientData"),
                      Opening("PrintAllCases", 0, "", {"Printing Cases|?OK"}),
                      Opening("PrintCase", 0, "1"), Opening("PrintAllArchive"),
                      Opening("PrintArchiveCase", 0, "1"), Opening("PrintClient"),
                      Opening("PrintLog"), Opening("PrintProducts"), Opening("Search"),
                      Opening("SelectProd"), Opening("SendOutLook"), Opening("UpdatePass"),
                      Opening("UpdateSLA", RequestInsert), Opening("UpdateSysOptions"),
                      Opening("UpdateUsers", RequestInsert), Opening("Updateclient", RequestInsert),
                      Opening("ViewArchive", 0, "1"), Opening("WindowExportFile")),
    [](const ::testing::TestParamInfo<Opening>& param) {
      std::string name = param.param.procedure;
      if (param.param.request == RequestInsert) name += "_insert";
      if (param.param.request == RequestChange) name += "_change";
      return name;
    });

}  // namespace
}  // namespace trv::gui::testing
