#include "runtime/list/queue_list.h"

#include <gtest/gtest.h>

#include <atomic>

#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/ui/headless.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::list {
namespace {

std::vector<ui::ListRow> rowsOf(int n) {
  std::vector<ui::ListRow> rows;
  for (int i = 1; i <= n; ++i)
    rows.push_back({{"case " + std::to_string(i)}, ui::kColorNone, ui::kColorNone});
  return rows;
}

class QueueListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(rt_.start([this] {
      ui::WindowDecl d;
      d.title = "Queue";
      d.controls = {ui::list("?List", {{"Case", 10, "@s10"}}), ui::button("?Refresh", "&Refresh")};
      std::unique_ptr<ui::Window> w = rt_.open(std::move(d));
      QueueList q(*w, 1);
      q.SetRows(rowsOf(25));
      ui::Event e;
      while (w->accept(e)) {
        bool opened = false;
        q.HandleEvent(e, &opened);
        if (opened) openedRow_ = q.selected();
        if (e.number == ui::EventAccepted && e.control == 2) q.SetRows(rowsOf(3));
        if (e.number == ui::EventCloseWindow) w->close();
      }
    }),
              0);
    ASSERT_TRUE(driver_.waitIdle());
  }
  void TearDown() override {
    rt_.endProgram();
    rt_.waitFinished(std::chrono::seconds(10));
  }
  void send(ui::Input in) {
    ASSERT_TRUE(driver_.inspect([&] {
      in.window = rt_.front()->id();
      rt_.post(in);
    }));
    ASSERT_TRUE(driver_.waitIdle());
  }
  void key(int k) {
    ui::Input in;
    in.kind = ui::Input::Kind::Key;
    in.key = k;
    send(in);
  }
  int selectedRow() {
    int s = 0;
    EXPECT_TRUE(driver_.inspect([&] { s = rt_.front()->control(1)->selected; }));
    return s;
  }

  text::ManualClock clock_{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
  ui::HeadlessFrontEnd fe_;
  ui::UiRuntime rt_{clock_, fe_};
  ui::HeadlessDriver driver_{rt_, fe_, &clock_};
  std::atomic<int> openedRow_{-1};
};

TEST_F(QueueListTest, KeysMoveTheSelectionWithinTheRows) {
  EXPECT_EQ(selectedRow(), 1);
  key(ui::KeyUp);
  EXPECT_EQ(selectedRow(), 1);
  key(ui::KeyPgDn);
  EXPECT_EQ(selectedRow(), 11);
  key(ui::KeyEnd);
  EXPECT_EQ(selectedRow(), 25);
  key(ui::KeyDown);
  EXPECT_EQ(selectedRow(), 25);
  key(ui::KeyHome);
  EXPECT_EQ(selectedRow(), 1);
}

TEST_F(QueueListTest, ADoubleClickOpensTheRowAndARefreshKeepsTheSelectionInRange) {
  ui::Input dbl;
  dbl.kind = ui::Input::Kind::Mouse;
  dbl.control = 1;
  dbl.key = ui::KeyMouseLeft2;
  dbl.row = 7;
  dbl.zone = ui::ListZone::Cell;
  send(dbl);
  EXPECT_EQ(openedRow_, 6);
  ui::Input refresh;
  refresh.kind = ui::Input::Kind::Press;
  refresh.control = 2;
  send(refresh);
  EXPECT_EQ(selectedRow(), 3);
}

}  // namespace
}  // namespace trv::list
