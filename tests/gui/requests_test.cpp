// Message boxes, dialogs and popup menus that a program thread asks for, answered on the desktop.

#include "gui/desktop/requests.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTreeView>
#include <filesystem>
#include <fstream>

#include "tests/gui/desktop_fixture.h"

namespace trv::gui {
namespace {

using testing::DesktopTest;

class DesktopRequests : public DesktopTest {
 protected:
  template <class W>
  W* shown() {
    W* found = nullptr;
    (void)waitFor([&] {
      for (QWidget* w : desktop.requestWidgets())
        if (auto* t = qobject_cast<W*>(w); t && t->isVisible()) found = t;
      return found != nullptr;
    });
    return found;
  }
};

// Boxes and windows without a caption of their own carry the program's name, never the name of
// the executable; a path in a message is not broken at its "/".
TEST_F(DesktopRequests, WithoutACaptionTheProgramsNameShows) {
  const QString executable = QCoreApplication::applicationName();
  QCoreApplication::setApplicationName("Vorn Trovanel 1.2");
  std::atomic<int> answer{-1};
  run([&] {
    ui::WindowDecl d;  // a form opened to delete has no title
    auto w = rt->open(d);
    answer = rt->message({"Cannot read /srv/trv/DataBase/Client.kvx", "", ui::Icon::None});
  });
  auto* box = shown<QMessageBox>();
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->windowTitle(), "Vorn Trovanel 1.2");
  EXPECT_EQ(box->text(), "Cannot read /srv/trv/DataBase/Client.kvx");
  auto* label = box->findChild<QLabel*>("qt_msgbox_label");
  ASSERT_NE(label, nullptr);
  EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance("/srv/trv/DataBase/Client.kvx"));
  WindowView* v = desktop.view(desktop.windows().front());
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->window()->windowTitle(), "Vorn Trovanel 1.2");
  box->buttons().front()->click();
  EXPECT_TRUE(waitFor([&] { return answer == 1; }));
  QCoreApplication::setApplicationName(executable);
}

struct BoxCase {
  std::vector<std::string> buttons;
  int defaultButton;
  std::string press;  // a button's text, or "Esc"
  int answer;
};

// A short caption never makes the box narrower than its text: every message shows whole.
TEST_F(DesktopRequests, AShortMessageShowsWholeBesideItsCaption) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"There are no records to print for this report.", "No Records"},
      {"MS-Mail Unspecified error(s) occurred while signing in.", ""},
  };
  for (const auto& [text, caption] : cases) {
    std::atomic<int> answer{-1};
    run([&] { answer = rt->message({text, caption, ui::Icon::Information}); });
    auto* box = shown<QMessageBox>();
    ASSERT_NE(box, nullptr) << text;
    auto* label = box->findChild<QLabel*>("qt_msgbox_label");
    ASSERT_NE(label, nullptr);
    if (!label->wordWrap()) {
      EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << text;
    }
    EXPECT_LE(label->geometry().right(), box->width()) << text;
    const QPointer<QMessageBox> closing(box);  // the box deletes itself once answered
    box->buttons().front()->click();
    EXPECT_TRUE(waitFor([&] { return answer == 1; }));
    (void)waitFor([&] { return !closing || !closing->isVisible(); });
  }
}

TEST_F(DesktopRequests, MessageBoxesShowTheirButtonsAndAnswerTheOnePressed) {
  const std::vector<BoxCase> cases = {
      {{"&Yes", "&No"}, 2, "&Yes", 1},
      {{"&Yes", "&No", "&Cancel"}, 3, "Esc", 3},  // Esc is Cancel
      {{"&OK"}, 1, "Esc", 1},                     // the only button
      {{"&Retry", "&Ignore"}, 1, "&Ignore", 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.press);
    std::atomic<int> answer{-1};
    run([&] {
      answer = rt->message({"Delete the record?", "Vorn Trovanel 1.2", ui::Icon::Question,
                            c.buttons, c.defaultButton});
    });
    auto* box = shown<QMessageBox>();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), "Vorn Trovanel 1.2");
    EXPECT_EQ(box->text(), "Delete the record?");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    ASSERT_EQ(box->buttons().size(), static_cast<qsizetype>(c.buttons.size()));
    EXPECT_EQ(box->defaultButton()->text().toStdString(),
              c.buttons[static_cast<std::size_t>(c.defaultButton - 1)]);
    if (c.press == "Esc") {
      QTest::keyClick(box, Qt::Key_Escape);
    } else {
      for (auto* b : box->buttons())
        if (b->text().toStdString() == c.press) b->click();
    }
    ASSERT_TRUE(waitFor([&] { return answer != -1; }));
    EXPECT_EQ(answer, c.answer);
    ASSERT_TRUE(rt->waitFinished(std::chrono::milliseconds(kWaitMs)));
  }
}

TEST_F(DesktopRequests, PopupMenusAnswerTheChosenItemOrNothing) {
  std::atomic<int> answer{-1};
  run([&] { answer = rt->popup("&Insert|-|&Change|~&Delete|&Sort{By &Name|By &Date}"); });
  auto* menu = shown<QMenu>();
  ASSERT_NE(menu, nullptr);
  auto items = menu->actions();
  ASSERT_EQ(items.size(), 5);
  EXPECT_TRUE(items[1]->isSeparator());
  EXPECT_FALSE(items[3]->isEnabled());
  ASSERT_NE(items[4]->menu(), nullptr);
  items[4]->menu()->actions()[1]->trigger();  // By Date
  menu->hide();
  ASSERT_TRUE(waitFor([&] { return answer != -1; }));
  EXPECT_EQ(answer, 5);

  answer = -1;
  run([&] { answer = rt->popup("&Insert|&Change"); });
  menu = shown<QMenu>();
  ASSERT_NE(menu, nullptr);
  menu->hide();
  ASSERT_TRUE(waitFor([&] { return answer != -1; }));
  EXPECT_EQ(answer, 0);
  EXPECT_TRUE(endProgram());
}

TEST_F(DesktopRequests, APopupAskedBelowAListsColumnOpensThereWithItsCheckMarks) {
  std::atomic<int> answer{-1};
  run([&] {
    ui::WindowDecl d;
    d.title = "Items";
    d.controls = {ui::list("?List", {{"Name", 20, "@s20"}, {"Group", 12, "@s12"}, {"Nr", 6, "@n6"}})
                      .withNumber(1)
                      .size(40, 6)};
    auto w = rt->open(d);
    answer = rt->popup("-Fixed|+Border|Sort", 1, 2);
  });
  auto* menu = shown<QMenu>();
  ASSERT_NE(menu, nullptr);
  auto* tree = qobject_cast<QTreeView*>(desktop.view(desktop.windows().front())->controlWidget(1));
  ASSERT_NE(tree, nullptr);
  // Its top left corner on the list's lower edge, within the second column.
  const QHeaderView* h = tree->header();
  const int left = h->mapToGlobal(QPoint(h->sectionViewportPosition(1), 0)).x();
  EXPECT_EQ(menu->y(), tree->mapToGlobal(QPoint(0, tree->height())).y());
  EXPECT_GT(menu->x(), left);
  EXPECT_LT(menu->x(), left + h->sectionSize(1));
  const auto items = menu->actions();
  ASSERT_EQ(items.size(), 3);
  EXPECT_EQ(items[0]->text(), "Fixed");
  EXPECT_TRUE(items[0]->isCheckable());
  EXPECT_FALSE(items[0]->isChecked());
  EXPECT_TRUE(items[1]->isCheckable() && items[1]->isChecked());
  EXPECT_FALSE(items[2]->isCheckable());
  menu->hide();
  ASSERT_TRUE(waitFor([&] { return answer != -1; }));
  EXPECT_EQ(answer, 0);
  EXPECT_TRUE(endProgram());
}

TEST_F(DesktopRequests, AnOpenBoxIsAnsweredAsCancelledWhenTheProgramEnds) {
  std::atomic<int> answer{-1};
  run([&] { answer = rt->message({"Still there?", "Vorn Trovanel 1.2"}); });
  ASSERT_NE(shown<QMessageBox>(), nullptr);
  ASSERT_TRUE(endProgram());
  EXPECT_EQ(answer, 0);
  EXPECT_TRUE(waitFor([&] { return desktop.requestWidgets().empty(); }));
}

TEST_F(DesktopRequests, DialogsAnswerTheirChoiceAndFileDialogsMoveTheCurrentFolder) {
  namespace fs = std::filesystem;
  fs::path dir = testing::scratchPath("trv_dialogs");
  fs::create_directories(dir);
  std::ofstream(dir / "VKT.csv") << "heading\n";
  rt->setCurrentFolder(dir);
  std::atomic<bool> done{false};
  ui::Answer file;
  run([&] {
    file = rt->dialog({ui::DialogKind::FileOpen,
                       "Import Clients",
                       "Comma separated|*.csv|All files|*.*",
                       "VKT.csv",
                       0,
                       {}});
    done = true;
  });
  auto* d = shown<QFileDialog>();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->windowTitle(), "Import Clients");
  EXPECT_EQ(d->nameFilters().front(), "Comma separated (*.csv)");
  d->selectFile(QString::fromStdString((dir / "VKT.csv").string()));
  static_cast<QDialog*>(d)->accept();  // as the Open button does
  ASSERT_TRUE(waitFor([&] { return done.load(); }));
  EXPECT_TRUE(file.ok);
  EXPECT_EQ(fs::path(file.path), dir / "VKT.csv");
  EXPECT_EQ(rt->currentFolder(), dir);

  done = false;
  ui::Answer colour;
  run([&] {
    colour = rt->dialog({ui::DialogKind::Colour, "", "", "", 12975860, {}});
    done = true;
  });
  auto* c = shown<QColorDialog>();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->currentColor(), QColor(0xF4, 0xFE, 0xC5));  // 12975860 is 0xC5FEF4
  c->setCurrentColor(QColor(255, 0, 0));
  c->accept();
  ASSERT_TRUE(waitFor([&] { return done.load(); }));
  EXPECT_TRUE(colour.ok);
  EXPECT_EQ(colour.colour, 0x0000FF);
  EXPECT_TRUE(endProgram());
  fs::remove_all(dir);
}

TEST(NameFilters, TurnsMaskListsIntoQtFilters) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"Text files|*.txt|All files|*.*", "Text files (*.txt);;All files (*)"},
      {"Comma separated|*.csv;*.txt", "Comma separated (*.csv *.txt)"},
      {"Dangling", ""},
      {"", ""},
  };
  for (const auto& [masks, qt] : cases) EXPECT_EQ(nameFilters(masks).toStdString(), qt) << masks;
}

}  // namespace
}  // namespace trv::gui
