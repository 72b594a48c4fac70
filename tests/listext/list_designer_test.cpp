// The list designer on a real list: columns hidden, added back with their settings and moved,
// kept by the saved layout; the sort column hidden ends the header sort; column colours by name;
// with a full option mask every column and list setting reaches the list and the saved layout;
// the attribute editor moves and sizes the list as its value changes; the designer's keys.

#include <gtest/gtest.h>

#include "tests/listext/item_list_fixture.h"

namespace trv::listext {
namespace {

// The designer's controls.
enum : int {
  kShown = 1,
  kPicture = 18,
  kMoveUp = 25,
  kAdd = 26,
  kHide = 27,
  kAll = 28,
  kColours = 30
};
// The designer's controls that the option mask enables, and of those the list's position and
// size, which only a list that may be moved and sized shows.
const std::vector<int> kMasked = {2,  4,  5,  6,  7,  8,  9,  11, 12, 13, 14, 15, 16, 17, 19, 20,
                                  21, 22, 23, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43, 44, 45};
const std::vector<int> kPlace = {33, 34, 35, 36, 37, 38, 39, 40};

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
  void key(ui::Window* w, int key) {
    ui::Input in = to(w, ui::Input::Kind::Key);
    in.key = key;
    input(in);
  }
  void enter(ui::Window* w, int control, const std::string& text) {
    ui::Input in = to(w, ui::Input::Kind::Accept, control);
    in.text = text;
    input(in);
  }
  // The list control as the window model holds it now.
  ui::ControlState listControl() {
    ui::ControlState c;
    EXPECT_TRUE(driver.inspect([&] { c = *list_->control(kList); }));
    return c;
  }
  std::string format() {
    std::string f;
    EXPECT_TRUE(driver.inspect([&] { f = quorix_->formatNow(); }));
    return f;
  }
  // The last press on the header, on the divider right of `column`.
  void pressDivider(int column) {
    for (int key : {ui::KeyMouseLeft, ui::KeyMouseLeftUp}) {
      ui::Input in = to(list_, ui::Input::Kind::Mouse, kList);
      in.key = key;
      in.column = column;
      in.zone = ui::ListZone::Divider;
      input(in);
    }
  }

  ui::Window* list_ = nullptr;
};

TEST_F(ListDesignerTest, HidesAddsAndMovesColumnsAndTheSavedLayoutKeepsThem) {
  open();
  post(EventDesignList);
  ui::Window* d = front();
  ASSERT_NE(d, list_);
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(d->title(), "Format Listbox...");
    EXPECT_EQ(d->text(kPicture), "@s10");  // the current column's picture
    EXPECT_EQ(d->control(kAll)->rows.size(), 3u);
    // The lists' option mask disables every masked control; the list may not be moved.
    for (int n : kMasked) EXPECT_TRUE(d->control(n)->disabled) << "control " << n;
    for (int n : kPlace) EXPECT_TRUE(d->control(n)->hidden) << "control " << n;
    for (int n :
         {int{kShown}, int{kMoveUp}, int{kAdd}, int{kHide}, int{kAll}, int{kColours}, 31, 32})
      EXPECT_FALSE(d->control(n)->disabled) << "control " << n;
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

TEST_F(ListDesignerTest, ARightClickHidesAColumnOnTheRightAndAddsItOnTheLeft) {
  open();
  post(EventDesignList);
  ui::Window* d = front();
  auto rightClick = [&](int pressIn, int releaseIn, int row) {
    for (int key : {ui::KeyMouseRight, ui::KeyMouseRightUp}) {
      ui::Input in = to(d, ui::Input::Kind::Mouse, key == ui::KeyMouseRight ? pressIn : releaseIn);
      in.key = key;
      in.row = row;
      in.column = 1;
      in.zone = ui::ListZone::Cell;
      input(in);
    }
  };
  rightClick(kShown, kShown, 2);
  EXPECT_EQ(headers(), (std::vector<std::string>{">Name", "Nr"}));
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(d->control(kAll)->rows[1].cells[0], ""); }));
  // Pressed in one list and released in the other: nothing.
  rightClick(kAll, kShown, 2);
  EXPECT_EQ(headers(), (std::vector<std::string>{">Name", "Nr"}));
  rightClick(kAll, kAll, 2);
  EXPECT_EQ(headers(), (std::vector<std::string>{">Name", "Nr", "Group"}));
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(d->selected(kShown), 3); }));
  (void)fe.takeBeeps();
  rightClick(kAll, kAll, 1);  // shown already: selected on the right, with a beep
  EXPECT_EQ(headers(), (std::vector<std::string>{">Name", "Nr", "Group"}));
  EXPECT_EQ(fe.takeBeeps(), 1);
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(d->selected(kShown), 1); }));
  // The last column displayed stays.
  for (int i = 0; i < 3; ++i) rightClick(kShown, kShown, 1);
  EXPECT_EQ(headers(), (std::vector<std::string>{"Group"}));
  closeBox();
}

TEST_F(ListDesignerTest, TheListsColumnCursorFollowsTheDesignersCurrentColumn) {
  open();
  // The list's own cursor on its third column.
  ASSERT_TRUE(driver.inspect([&] { quorix_->ToggleColumnCursor(); }));
  ui::Input pick = to(list_, ui::Input::Kind::Select, kList);
  pick.row = 1;
  pick.column = 3;
  input(pick);
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(quorix_->columnCursor(), 3); }));
  post(EventDesignList);
  ui::Window* d = front();
  auto cursor = [&] {
    int c = -1;
    EXPECT_TRUE(driver.inspect([&] { c = quorix_->columnCursor(); }));
    return c;
  };
  EXPECT_EQ(cursor(), 1);
  select(d, kShown, 3);
  EXPECT_EQ(cursor(), 3);
  select(d, kAll, 2);  // Group, displayed second
  EXPECT_EQ(cursor(), 2);
  press(d, kMoveUp);  // the right list's Nr moves to the second place
  EXPECT_EQ(headers(), (std::vector<std::string>{">Name", "Nr", "Group"}));
  EXPECT_EQ(cursor(), 2);
  press(d, kHide);
  EXPECT_EQ(headers(), (std::vector<std::string>{">Name", "Group"}));
  select(d, kAll, 3);  // Nr, no longer displayed: the cursor is off
  EXPECT_EQ(cursor(), 0);
  press(d, kAdd);
  EXPECT_EQ(cursor(), 3);
  closeBox();
  // The list's own cursor is back.
  EXPECT_EQ(cursor(), 3);
}

TEST_F(ListDesignerTest, AltKeysGoToTheListsAndPressTheMoveAddAndHideButtons) {
  struct Step {
    int selectIn, row;  // a row chosen first (control 0: none)
    int key;
    int focus;  // the control with the focus after the key
    std::vector<std::string> headers;
  };
  const std::vector<std::string> all = {">Name", "Group", "Nr"};
  const Step steps[] = {
      {0, 0, '2' | ui::kAlt, kShown, all},
      {0, 0, '1' | ui::kAlt, kAll, all},
      {kShown, 3, ui::KeyLeft | ui::kAlt, kShown, {">Name", "Group"}},
      {kAll, 3, ui::KeyRight | ui::kAlt, kAll, all},
      {kShown, 3, ui::KeyUp | ui::kAlt, kShown, {">Name", "Nr", "Group"}},
      {0, 0, ui::KeyDown | ui::kAlt, kShown, all},
  };
  open();
  post(EventDesignList);
  ui::Window* d = front();
  for (const Step& s : steps) {
    if (s.selectIn != 0) {
      select(d, s.selectIn, s.row);
      ASSERT_TRUE(driver.inspect([&] { d->select(s.selectIn); }));
    }
    key(d, s.key);
    EXPECT_EQ(front(), d) << ui::keyName(s.key);
    EXPECT_EQ(headers(), s.headers) << ui::keyName(s.key);
    ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(d->focus(), s.focus) << ui::keyName(s.key); }));
  }
  // The text shows the picture of the column chosen on the right.
  select(d, kShown, 3);
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(d->text(kPicture), "@N06"); }));
  closeBox();
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
    // In dialog units, as the designer's width.
    EXPECT_EQ(w->value(2), ui::Value(std::int64_t{24}));
  }));
  ui::Input value = to(w, ui::Input::Kind::Accept, 2);
  value.text = "68";
  input(value);
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(list_->control(kList)->columns[1].width, 17); }));
  EXPECT_NE(format().find("68L"), std::string::npos) << format();
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

TEST_F(ListDesignerTest, WithEveryBitEachSettingReachesTheListAndTheSavedLayoutKeepsIt) {
  adjust_ = [](ListSettings& s) {
    s.mask = 0x1FFFFFFF;
    s.allowResize = true;
  };
  open();
  post(EventDesignList);
  ui::Window* d = front();
  ASSERT_TRUE(driver.inspect([&] {
    for (int n : kMasked) {
      EXPECT_FALSE(d->control(n)->disabled) << "control " << n;
      EXPECT_FALSE(d->control(n)->hidden) << "control " << n;
    }
  }));
  // The Group column: header right with indent 9, data centred with indent 7, fixed and
  // underlined, no border, not resizable, 60 dialog units wide, header "Team".
  select(d, kShown, 2);
  press(d, 7);
  enter(d, 4, "9");
  press(d, 14);
  enter(d, 12, "7");
  for (int check : {20, 21, 22, 23}) press(d, check);
  enter(d, 19, "60");
  enter(d, 2, "Team");
  const ui::ListColumn group = listControl().columns[1];
  EXPECT_EQ(group.headerJustify, 'R');
  EXPECT_EQ(group.headerIndent, 9);
  EXPECT_EQ(group.dataJustify, 'C');
  EXPECT_EQ(group.dataIndent, 7);
  EXPECT_TRUE(group.fixed && group.underline);
  EXPECT_FALSE(group.border || group.resizable);
  EXPECT_EQ(group.width, 15);
  EXPECT_EQ(group.header, "Team");
  EXPECT_NE(format().find("60C(7)F_~Team~R(9)@s6@#2#"), std::string::npos) << format();

  // The list: x 40, y 16, 200 by 96 dialog units, line height 12, no scroll bars, a font.
  enter(d, 34, "40");
  enter(d, 36, "16");
  enter(d, 38, "200");
  enter(d, 40, "96");
  enter(d, 42, "12");
  press(d, 43);
  press(d, 44);
  press(d, 45);
  const auto dialog = driver.dialog();
  ASSERT_TRUE(dialog.has_value());
  EXPECT_EQ(dialog->second.kind, ui::DialogKind::Font);
  ui::Answer chosen;
  chosen.ok = true;
  chosen.font.face = "Courier";
  chosen.font.size = 9;
  ASSERT_TRUE(driver.answerDialog(chosen));
  ASSERT_TRUE(driver.waitIdle());
  auto expectLook = [&](const char* when) {
    const ui::ControlState c = listControl();
    EXPECT_EQ(c.column, 11) << when;  // a column of 4 dialog units from 1
    EXPECT_EQ(c.row, 3) << when;      // a row of 8 from 1
    EXPECT_EQ(c.width, 50) << when;
    EXPECT_EQ(c.height, 12) << when;
    EXPECT_EQ(c.lineHeight, 12) << when;
    EXPECT_FALSE(c.verticalBar || c.horizontalBar) << when;
    EXPECT_EQ(c.font.face, "Courier") << when;
    EXPECT_EQ(c.font.size, 9) << when;
  };
  expectLook("designed");
  ASSERT_TRUE(driver.inspect([&] {
    const ListLook pars = quorix_->CaptureCurrentLayout();
    EXPECT_EQ(pars.x, 40);
    EXPECT_EQ(pars.y, 16);
    EXPECT_EQ(pars.width, 200);
    EXPECT_EQ(pars.height, 96);
  }));
  closeBox();
  const std::string designed = format();
  press(list_, kClose);
  ASSERT_TRUE(driver.waitIdle());

  open();
  EXPECT_EQ(format(), designed);
  EXPECT_EQ(listControl().columns[1], group);
  expectLook("restored");

  // "&Default": the built-in columns, place, line height and font; the scroll bars stay.
  post(EventDesignList);
  press(front(), 31);
  const ui::ControlState c = listControl();
  EXPECT_EQ(c.row, 0);  // laid out as declared, without a row or column
  EXPECT_EQ(c.column, 0);
  EXPECT_EQ(c.width, 40);
  EXPECT_EQ(c.height, 10);
  EXPECT_EQ(c.lineHeight, 0);
  EXPECT_NE(c.font.face, "Courier");
  EXPECT_FALSE(c.horizontalBar || c.verticalBar);
  EXPECT_EQ(c.columns[1].header, "Group");
  EXPECT_EQ(c.columns[1].dataIndent, 0);
  EXPECT_TRUE(c.columns[1].border && c.columns[1].resizable);
  EXPECT_FALSE(c.columns[1].fixed || c.columns[1].underline);
  closeBox();
}

TEST_F(ListDesignerTest, TheAttributeEditorMovesAndSizesTheListAsItsValueChanges) {
  struct Case {
    int event;
    const char* title;
    const char* prompt;
    int ui::ControlState::*field;
    const char* first;
    int firstShown;
    const char* last;
    int lastShown;
  };
  const Case cases[] = {
      {1055, "X Pos", "X Pos:", &ui::ControlState::column, "20", 6, "40", 11},
      {1056, "Y Pos", "Y Pos:", &ui::ControlState::row, "8", 2, "24", 4},
      {1057, "Width", "Width:", &ui::ControlState::width, "100", 25, "120", 30},
      {1058, "Height", "Height:", &ui::ControlState::height, "40", 5, "64", 8},
      // A line height is kept in a byte.
      {1060, "Line Height", "Line Height:", &ui::ControlState::lineHeight, "10", 10, "300", 255},
  };
  open();
  for (const Case& c : cases) {
    post(c.event);
    ui::Window* w = front();
    ASSERT_NE(w, list_) << c.title;
    ASSERT_TRUE(driver.inspect([&] {
      EXPECT_EQ(w->title(), c.title);
      EXPECT_EQ(w->text(1), c.prompt);
    }));
    enter(w, 2, c.first);
    EXPECT_EQ(listControl().*c.field, c.firstShown) << c.title;
    enter(w, 2, c.last);
    closeBox();  // no cancel: the last value stays
    EXPECT_EQ(front(), list_);
    EXPECT_EQ(listControl().*c.field, c.lastShown) << c.title;
  }
  post(1061);  // the horizontal scroll bar off
  EXPECT_FALSE(listControl().horizontalBar);
  EXPECT_TRUE(listControl().verticalBar);
  ASSERT_TRUE(driver.inspect([&] {
    const ListLook pars = quorix_->CaptureCurrentLayout();
    EXPECT_EQ(pars.x, 40);
    EXPECT_EQ(pars.y, 24);
    EXPECT_EQ(pars.width, 120);
    EXPECT_EQ(pars.height, 64);
  }));

  // A data indent is kept in a byte too.
  pressDivider(2);
  post(1048);
  ui::Window* w = front();
  enter(w, 2, "300");
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(w->value(2), ui::Value(std::int64_t{255})); }));
  press(w, 3);
  EXPECT_EQ(listControl().columns[1].dataIndent, 255);
  EXPECT_NE(format().find("24L(255)"), std::string::npos) << format();
}

}  // namespace
}  // namespace trv::listext
