// The in-place row editor's entry on the desktop: hidden until the model shows it, then over its
// cell of the list; what is typed reaches the use variable before the keys the model takes.

#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include "runtime/ui/use_var.h"
#include "tests/gui/desktop_fixture.h"

namespace trv::gui {
namespace {

using namespace trv::ui;
using testing::DesktopTest;

enum : int { kList = 1, kEdit = 2, kClose = 3 };

// A list whose second column is edited in place from the start of the loop's first event.
struct Problems {
  std::string problem = "Printer offline";
  std::string atEnter;
  bool editing = false;

  void run(UiRuntime& rt) {
    WindowDecl d;
    d.title = "Problems";
    d.controls = {
        list("?Browse:1", {{"Nr", 4, "@n3", true}, {"Problem", 30, "@s50", false}}).size(0, 5),
        cellEditor("?EditInPlace:PRO:PROBLEM", kList, 2, "@s50", useText("PRO:PROBLEM", problem)),
        button("?Close", "&Close"),
    };
    auto w = rt.open(std::move(d));
    w->setRows(kList, {{{"1", "Mail bounces"}}, {{"2", "Printer offline"}}, {{"3", "Toner"}}});
    w->setSelected(kList, 2);
    w->post(EventUser);
    Event e;
    while (w->accept(e)) {
      if (e.number == EventUser) {
        w->alert(KeyEnter);
        w->display(kEdit);
        w->setHidden(kEdit, false);
        w->select(kEdit);
        editing = true;
      } else if (e.number == EventAlertKey && e.control == kEdit && e.key == KeyEnter) {
        atEnter = problem;
        w->setHidden(kEdit, true);
        w->select(kList);
        editing = false;
      } else if (e.number == EventCloseWindow ||
                 (e.number == EventAccepted && e.control == kClose)) {
        w->close();
      }
    }
  }
};

TEST_F(DesktopTest, TheCellEditorStandsOverItsCellAndTypedTextComesBeforeEnter) {
  Problems p;
  run([&] { p.run(*rt); });
  WindowView* v = view(0);
  ASSERT_NE(v, nullptr);
  auto* tree = widget<QTreeWidget>(v, kList);
  auto* edit = widget<QLineEdit>(v, kEdit);
  ASSERT_TRUE(tree && edit);
  // Not laid out with the window's controls: a child of the list's rows.
  EXPECT_EQ(edit->parentWidget(), tree->viewport());
  ASSERT_TRUE(waitFor([&] { return edit->isVisible() && edit->hasFocus(); }));
  EXPECT_EQ(edit->text(), "Printer offline");
  const QRect cell = tree->visualRect(tree->model()->index(1, 1));
  EXPECT_EQ(edit->geometry(), cell);
  saveArtefact(v->window(), "cell_editor.png");

  edit->selectAll();
  QTest::keyClicks(edit, "Paper jam");
  QTest::keyClick(edit, Qt::Key_Return);
  ASSERT_TRUE(waitFor([&] { return !edit->isVisible(); }));
  bool done = false;
  ASSERT_TRUE(inModel([&] { done = !p.editing; }));
  EXPECT_TRUE(done);
  EXPECT_EQ(p.atEnter, "Paper jam");
  ASSERT_TRUE(endProgram());
}

}  // namespace
}  // namespace trv::gui
