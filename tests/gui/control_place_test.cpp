// A control moved and sized while its window is open takes its new place at the desktop; a
// list's line height and scroll bars follow the model.

#include <QGridLayout>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>

#include "tests/gui/desktop_fixture.h"

namespace trv::gui {
namespace {

using namespace trv::ui;

enum : int { kList = 1, kOk };

class ControlPlace : public testing::DesktopTest {
 protected:
  Window* window = nullptr;  // with the baton

  void SetUp() override {
    DesktopTest::SetUp();
    run([this] {
      WindowDecl d;
      d.title = "Place";
      d.resizable = true;
      d.controls = {list("?Browse:1", {{"Name", 12, "@s12", false}}).at(1, 1).size(20, 3),
                    button("?OK", "OK").withNumber(kOk).at(2, 1)};
      auto w = rt->open(std::move(d));
      window = w.get();
      w->setRows(kList, {{{"Ann"}}, {{"Bob"}}});
      Event e;
      while (w->accept(e))
        if (e.number == EventCloseWindow) w->close();
      window = nullptr;
    });
    tree = widget<QTreeWidget>(view(0), kList);
    ok = widget<QPushButton>(view(0), kOk);
    ASSERT_TRUE(tree && ok);
    ASSERT_TRUE(waitFor([&] { return tree->topLevelItemCount() == 2 && tree->isVisible(); }));
  }

  // The (row, column) of the layout cell that holds the list; (0, 0) when none does.
  std::pair<int, int> cell() const {
    for (QGridLayout* g : tree->parentWidget()->findChildren<QGridLayout*>()) {
      const int i = g->indexOf(tree);
      if (i < 0) continue;
      int row = 0, column = 0, rows = 0, columns = 0;
      g->getItemPosition(i, &row, &column, &rows, &columns);
      return {row, column};
    }
    return {0, 0};
  }

  QTreeWidget* tree = nullptr;
  QPushButton* ok = nullptr;
};

TEST_F(ControlPlace, AListMovedAtRunTimeIsPlacedAgainWithItsLinesAndBars) {
  ASSERT_LT(tree->y(), ok->y());
  ASSERT_EQ(cell(), std::make_pair(1, 1));
  const int rowBefore = tree->visualItemRect(tree->topLevelItem(0)).height();
  ASSERT_TRUE(inModel([&] {
    window->setPlace(kList, 3, 2, 20, 6);
    window->setListLines(kList, 24, false, true);  // three lines a row
  }));
  // In its new cell below the button, taller, with rows three times the font's height.
  EXPECT_TRUE(waitFor([&] { return tree->y() > ok->y(); }));
  EXPECT_EQ(cell(), std::make_pair(3, 2));
  EXPECT_TRUE(waitFor([&] {
    return tree->visualItemRect(tree->topLevelItem(0)).height() >= 3 * tree->fontMetrics().height();
  }));
  EXPECT_GT(tree->visualItemRect(tree->topLevelItem(0)).height(), rowBefore);
  EXPECT_GE(tree->minimumHeight(), 6 * tree->fontMetrics().height());
  EXPECT_EQ(tree->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(tree->verticalScrollBarPolicy(), Qt::ScrollBarAsNeeded);
}

}  // namespace
}  // namespace trv::gui
