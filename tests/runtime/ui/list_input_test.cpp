// Mouse input on a list: which hits choose a row, which reach the procedure and how, and the
// column widths the user drags.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/ui/window.h"
#include "tests/runtime/ui/ui_fixture.h"

namespace trv::ui {
namespace {

class ListInput : public testing::UiFixture {
 protected:
  std::vector<Event> seen;
  std::unique_ptr<Window> w;

  void SetUp() override {
    ASSERT_NE(rt.start([this] {
      WindowDecl d;
      d.title = "Cases";
      d.controls = {
          list("?Browse", {{"Case", 6, "", false}, {"Subject", 20, "", false}}),  // 1
          button("?Close", "&Close"),                                             // 2
      };
      w = rt.open(std::move(d));
      w->setRows(1, {{{"1", "Printer"}}, {{"2", "Mail"}}, {{"3", "Login"}}});
      w->setSelected(1, 1);
      w->alert(KeyMouseLeftUp);
      w->alert(KeyMouseMove);
      Event e;
      while (w->accept(e)) {
        if (e.number == EventOpenWindow) continue;
        seen.push_back(e);
        if (e.number == EventCloseWindow) w->close();
      }
    }),
              0);
    ASSERT_TRUE(driver.waitIdle());
  }
  void TearDown() override {
    if (driver.inspect([&] {})) rt.post(to(w.get(), Input::Kind::Close));
    EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  }
  Input mouse(int key, ListZone zone, int row, int column) {
    Input in = to(w.get(), Input::Kind::Mouse, 1);
    in.key = key;
    in.zone = zone;
    in.row = row;
    in.column = column;
    return in;
  }
  int selected() {
    int s = -1;
    EXPECT_TRUE(driver.inspect([&] { s = w->selected(1); }));
    return s;
  }
};

TEST_F(ListInput, ReleasesAndMovesReachAlertsWithTheirHitButChooseNoRow) {
  struct Case {
    const char* what;
    int key;
    ListZone zone;
    int row;
    int column;
  };
  const Case cases[] = {
      {"release on a row", KeyMouseLeftUp, ListZone::Cell, 3, 2},
      {"move over a row", KeyMouseMove, ListZone::Cell, 2, 1},
      {"release on a divider", KeyMouseLeftUp, ListZone::Divider, 0, 1},
      {"move over the header", KeyMouseMove, ListZone::Header, 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    seen.clear();
    input(mouse(c.key, c.zone, c.row, c.column));
    EXPECT_EQ(selected(), 1);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].number, EventPreAlertKey);
    EXPECT_EQ(seen[1].number, EventAlertKey);
    for (const Event& e : seen) {
      EXPECT_EQ(e.control, 1);
      EXPECT_EQ(e.key, c.key);
      EXPECT_EQ(e.zone, c.zone);
      EXPECT_EQ(e.row, c.row);
      EXPECT_EQ(e.column, c.column);
    }
  }
}

TEST_F(ListInput, UnalertedReleaseIsSilentAndDividerDoubleClickOpensNothing) {
  ASSERT_TRUE(driver.inspect([&] { w->unalert(KeyMouseLeftUp); }));
  input(mouse(KeyMouseLeftUp, ListZone::Cell, 2, 1));
  EXPECT_TRUE(seen.empty());
  // A double-click on a divider fits a column; it must not accept the chosen row.
  input(mouse(KeyMouseLeft2, ListZone::Divider, 0, 1));
  EXPECT_TRUE(seen.empty());
  input(mouse(KeyMouseLeft2, ListZone::Cell, 2, 1));
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].number, EventNewSelection);
  EXPECT_EQ(seen[1].number, EventAccepted);
  EXPECT_EQ(selected(), 2);
}

TEST_F(ListInput, DraggedColumnWidthIsKeptAndBadOnesIgnored) {
  auto sized = [&](int column, int width) {
    Input in = to(w.get(), Input::Kind::ColumnWidth, 1);
    in.column = column;
    in.width = width;
    return in;
  };
  input(sized(2, 31));
  input(sized(3, 12));  // no such column
  input(sized(1, 0));
  input(sized(1, -4));
  std::vector<int> widths;
  ASSERT_TRUE(driver.inspect([&] {
    for (const ListColumn& c : w->control(1)->columns) widths.push_back(c.width);
  }));
  EXPECT_EQ(widths, (std::vector<int>{6, 31}));
  EXPECT_TRUE(seen.empty());
}

}  // namespace
}  // namespace trv::ui
