// The list designer on a real list: columns hidden, added back with their settings and moved,
// kept by the saved layout; the sort column hidden ends the header sort; column colours by name.

#include <gtest/gtest.h>

#include "tests/listext/item_list_fixture.h"

namespace trv::listext {
namespace {

// The designer's controls.
enum : int { kShown = 1, kMoveUp = 25, kAdd = 26, kHide = 27, kAll = 28, kColours = 30 };

class ListDesignerTest : public testing::ItemListFixture {
 protected:
  ListDesignerTest()
      : ItemListFixture("Items", {{"Name", 40, "ITM:Name", "@s10"},
                                  {"Group", 24, "ITM:Group", "@s6"},
                                  {"Nr", 26, "ITM:Nr", "@N06", true}}) {
    for (const char* name : {"Cedar", "ash", "Birch"}) stationAdd(name);
  }
  void open() {
    ItemListFixture::open();
    if (!HasFatalFailure()) list_ = front();
  }
  std::vector<std::string> headers() {
    std::vector<std::string> h;
    EXPECT_TRUE(driver.inspect([&] {
      for (const ui::ListColumn& c : list_->control(kList)->columns) h.push_back(c.header);
    }));
    return h;
  }
  void select(ui::Window* w, int control, int row) {
    ui::Input in = to(w, ui::Input::Kind::Select, control);
    in.row = row;
    input(in);
  }
  void press(ui::Window* w, int control) { input(to(w, ui::Input::Kind::Press, control)); }

  ui::Window* list_ = nullptr;
};

TEST_F(ListDesignerTest, HidesAddsAndMovesColumnsAndTheSavedLayoutKeepsThem) {
  open();
  post(EventDesignList);
  ui::Window* d = front();
  ASSERT_NE(d, list_);
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(d->title(), "Format Listbox...");
    EXPECT_EQ(d->control(kAll)->rows.size(), 3u);
    EXPECT_TRUE(d->control(2)->disabled);  // the lists' option mask leaves the header text off
  }));
  select(d, kShown, 3);
  press(d, kHide);
  EXPECT_EQ(headers(), (std::vector<std::string>{">Name", "Group"}));
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(d->control(kAll)->rows[2].cells[0], ""); }));
  select(d, kAll, 3);
  press(d, kAdd);
  press(d, kAdd);  // shown already: selected, nothing added
  EXPECT_EQ(headers(), (std::vector<std::string>{">Name", "Group", "Nr"}));
  select(d, kShown, 3);
  press(d, kMoveUp);
  EXPECT_EQ(headers(), (std::vector<std::string>{">Name", "Nr", "Group"}));
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(d->selected(kShown), 2); }));
  closeBox();
  EXPECT_EQ(front(), list_);
  const std::string format = [&] {
    std::string f;
    EXPECT_TRUE(driver.inspect([&] { f = quorix_->formatNow(); }));
    return f;
  }();
  press(list_, kClose);
  ASSERT_TRUE(driver.waitIdle());

  // The saved layout brings the designed format back.
  open();
  EXPECT_EQ(headers(), (std::vector<std::string>{">Name", "Nr", "Group"}));
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(quorix_->formatNow(), format); }));
}

TEST_F(ListDesignerTest, HidingTheSortColumnEndsTheHeaderSortAndColoursGoByName) {
  open();
  post(EventDesignList);
  ui::Window* d = front();
  press(d, kColours);  // the first column
  ui::Window* c = front();
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(c->title(), "Colors for Column: Name"); }));
  select(c, 1, 11);  // normal background "Red"
  ASSERT_TRUE(
      driver.inspect([&] { EXPECT_EQ(list_->control(kList)->columns[0].background, 255); }));
  press(c, 5);  // Reset
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(list_->control(kList)->columns[0].background, ui::kColorNone);
    EXPECT_EQ(c->selected(1), 1);  // "None"
  }));
  press(c, 6);
  EXPECT_EQ(front(), d);

  select(d, kShown, 1);
  press(d, kHide);
  EXPECT_EQ(headers(), (std::vector<std::string>{"Group", "Nr"}));
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_FALSE(quorix_->viewOrder());
    EXPECT_EQ(quorix_->sortColumn(), 0);
  }));
  closeBox();
}

TEST_F(ListDesignerTest, TheColumnEditorsChangeTheColumnUnderTheMouseAsTheyGo) {
  open();
  // The last press was on the Group header's divider (no sort).
  for (int key : {ui::KeyMouseLeft, ui::KeyMouseLeftUp}) {
    ui::Input in = to(list_, ui::Input::Kind::Mouse, kList);
    in.key = key;
    in.column = 2;
    in.zone = ui::ListZone::Divider;
    input(in);
  }
  post(1046);  // width
  ui::Window* w = front();
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(w->title(), "Group");
    EXPECT_EQ(w->text(1), "Width:");
  }));
  ui::Input value = to(w, ui::Input::Kind::Accept, 2);
  value.text = "17";
  input(value);
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(list_->control(kList)->columns[1].width, 17); }));
  press(w, 3);
  post(1050);  // header text
  w = front();
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(w->title(), "Header Text: Group"); }));
  value = to(w, ui::Input::Kind::Accept, 2);
  value.text = "Team";
  input(value);
  press(w, 3);
  EXPECT_EQ(headers(), (std::vector<std::string>{">Name", "Team", "Nr"}));
  post(1047);  // the header indent
  w = front();
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(w->text(1), "Header offset:"); }));
  press(w, 3);
  EXPECT_EQ(front(), list_);
}

}  // namespace
}  // namespace trv::listext
