// A list's header at the desktop: the header texts (a sort mark on any column), justification
// and underline the model gives, the pressed-header mark, the grey copy of a dragged header that
// follows the pointer, hits beside the columns and the sideways scroll in whole columns.

#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTreeWidget>
#include <algorithm>

#include "tests/gui/desktop_fixture.h"

namespace trv::gui {
namespace {

using namespace trv::ui;

constexpr int kList = 1;

class ListHeader : public testing::DesktopTest {
 protected:
  std::vector<std::string> events;  // with the baton
  Window* window = nullptr;         // with the baton

  void SetUp() override {
    DesktopTest::SetUp();
    run([this] {
      WindowDecl d;
      d.title = "Columns";
      d.resizable = true;
      std::vector<ListColumn> cols;
      for (const char* h : {"Name", "City", "Phone", "Email", "State"})
        cols.push_back({h, 12, "@s12", false});
      d.controls = {list("?Browse:1", cols).size(30, 5)};
      auto w = rt->open(std::move(d));
      window = w.get();
      w->setRows(kList, {{{"Ann", "Leeds", "1", "a@x", "W"}}});
      for (int k : {KeyMouseLeft, KeyMouseMove, KeyMouseLeftUp}) w->alert(k);
      Event e;
      while (w->accept(e)) {
        if (e.number == EventAlertKey)
          events.push_back(std::to_string(e.key - KeyMouseLeft) + " col " +
                           std::to_string(e.column));
        if (e.number == EventCloseWindow) w->close();
      }
      window = nullptr;
    });
    tree = widget<QTreeWidget>(view(0), kList);
    ASSERT_TRUE(tree);
    ASSERT_TRUE(waitFor([&] { return tree->topLevelItemCount() == 1; }));
  }
  bool seen(const std::string& e) {
    bool found = false;
    EXPECT_TRUE(inModel([&] { found = std::count(events.begin(), events.end(), e) > 0; }));
    return found;
  }
  QLabel* dragCopy() { return tree->findChild<QLabel*>("trvDragHeader"); }

  QTreeWidget* tree = nullptr;
};

TEST_F(ListHeader, ShowsTheModelsHeaderTextsJustificationAndMarks) {
  ASSERT_TRUE(inModel([&] {
    auto cols = window->control(kList)->columns;
    cols[2].header = "<Phone";
    cols[2].headerJustify = 'R';
    cols[2].dataJustify = 'C';
    cols[3].underline = true;
    cols[3].resizable = false;
    window->setColumns(kList, cols);
    window->setHeaderMarks(kList, 2, "");
  }));
  ASSERT_TRUE(waitFor([&] { return tree->headerItem()->text(2) == "<Phone"; }));
  EXPECT_EQ(tree->headerItem()->textAlignment(2) & Qt::AlignHorizontal_Mask, Qt::AlignRight);
  EXPECT_EQ(tree->topLevelItem(0)->textAlignment(2) & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_TRUE(tree->headerItem()->font(3).underline());
  EXPECT_EQ(tree->header()->sectionResizeMode(3), QHeaderView::Fixed);
  EXPECT_EQ(tree->header()->sectionResizeMode(1), QHeaderView::Interactive);
  EXPECT_TRUE(tree->headerItem()->data(1, Qt::BackgroundRole).isValid());
  EXPECT_FALSE(tree->headerItem()->data(0, Qt::BackgroundRole).isValid());

  ASSERT_TRUE(inModel([&] { window->setHeaderMarks(kList, 0, "City"); }));
  ASSERT_TRUE(waitFor([&] { return dragCopy() && dragCopy()->isVisible(); }));
  EXPECT_FALSE(tree->headerItem()->data(1, Qt::BackgroundRole).isValid());
  EXPECT_EQ(dragCopy()->text().trimmed(), "City");
  EXPECT_EQ(dragCopy()->palette().color(QPalette::Window), QColor(128, 128, 128));
  saveArtefact(tree->window(), "list_header_drag.png");
  ASSERT_TRUE(inModel([&] { window->setHeaderMarks(kList, 0, ""); }));
  EXPECT_TRUE(waitFor([&] { return !dragCopy()->isVisible(); }));
}

TEST_F(ListHeader, TheDragCopyFollowsThePointerAndHitsBesideTheColumnsHaveASide) {
  QHeaderView* header = tree->header();
  const int y = header->height() / 2;
  const QPoint inCity(header->sectionViewportPosition(1) + 6, y);
  QTest::mousePress(header->viewport(), Qt::LeftButton, {}, inCity);
  ASSERT_TRUE(waitFor([&] { return seen("0 col 2"); }));
  ASSERT_TRUE(inModel([&] { window->setHeaderMarks(kList, 0, "City"); }));
  ASSERT_TRUE(waitFor([&] { return dragCopy() && dragCopy()->isVisible(); }));
  const int before = dragCopy()->x();
  QMouseEvent move(QEvent::MouseMove, QPointF(inCity.x() + 40, y),
                   header->viewport()->mapToGlobal(QPointF(inCity.x() + 40, y)), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(header->viewport(), &move);
  EXPECT_EQ(dragCopy()->x(), before + 40);
  ASSERT_TRUE(waitFor([&] { return seen("5 col 2") || seen("5 col 3"); }));
  // Released right of the last column: the column after the last.
  const int right = header->sectionViewportPosition(4) + header->sectionSize(4) + 3;
  if (right < header->viewport()->width()) {
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, {}, QPoint(right, y));
    EXPECT_TRUE(waitFor([&] { return seen("4 col 6"); }));
  }
}

TEST_F(ListHeader, TheSidewaysScrollReachesTheModelInWholeColumns) {
  ASSERT_TRUE(inModel([&] {
    auto cols = window->control(kList)->columns;
    for (auto& c : cols) c.width = 60;
    window->setColumns(kList, cols);
  }));
  QScrollBar* bar = tree->horizontalScrollBar();
  QHeaderView* header = tree->header();
  ASSERT_TRUE(waitFor([&] { return header->sectionSize(0) > 100 && bar->maximum() > 0; }));
  const int pastTwo = header->sectionPosition(2) + 1;
  ASSERT_LE(pastTwo, bar->maximum());
  bar->setValue(pastTwo);
  int scrolled = -1;
  EXPECT_TRUE(waitFor([&] {
    EXPECT_TRUE(inModel([&] { scrolled = window->control(kList)->scrolledColumns; }));
    return scrolled == 2;
  }));
  // Showing the model's change keeps the list where the user scrolled it.
  EXPECT_EQ(bar->value(), pastTwo);
  bar->setValue(0);
  EXPECT_TRUE(waitFor([&] {
    EXPECT_TRUE(inModel([&] { scrolled = window->control(kList)->scrolledColumns; }));
    return scrolled == 0;
  }));
}

}  // namespace
}  // namespace trv::gui
