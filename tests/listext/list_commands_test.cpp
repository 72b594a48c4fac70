// Commands of the list enhancement that no list of the program offers in a menu, called as the
// list's own procedure would call them: the colour option code, the editors of the column under
// the mouse, the column menu and the print's paper.

#include <gtest/gtest.h>

#include <functional>

#include "tests/listext/item_list_fixture.h"

namespace trv::listext {
namespace {

class ListCommandsTest : public testing::ItemListFixture {
 protected:
  ListCommandsTest()
      : ItemListFixture("Items", {{"Name", 40, "ITM:Name", "@s10"},
                                  {"Group", 24, "ITM:Group", "@s6"},
                                  {"Nr", 26, "ITM:Nr", "@N06", true}}) {
    for (const char* name : {"Cedar", "ash", "Birch"}) stationAdd(name);
  }
  void open() {
    ItemListFixture::open();
    if (!HasFatalFailure()) list_ = front();
  }
  // Runs `task` on the list's thread, as its own procedure would call it.
  void onList(std::function<void()> task) {
    ASSERT_TRUE(rt.postTask(list_->thread(), std::move(task)));
    ASSERT_TRUE(driver.waitIdle());
  }
  void select(ui::Window* w, int control, int row) {
    ui::Input in = to(w, ui::Input::Kind::Select, control);
    in.row = row;
    input(in);
  }
  void press(ui::Window* w, int control) { input(to(w, ui::Input::Kind::Press, control)); }
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
  // A press on the header, on the divider right of `column` (no sort).
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

TEST_F(ListCommandsTest, TheColourOptionCodeOpensTheColoursOfTheColumnUnderTheMouse) {
  open();
  pressDivider(2);
  onList([this] { quorix_->ApplyOptionCode("CLR"); });
  ui::Window* c = front();
  ASSERT_NE(c, list_);
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(c->title(), "Colors for Column: Group"); }));
  select(c, 3, 14);  // normal text "Blue"
  press(c, 6);
  EXPECT_EQ(front(), list_);
  EXPECT_EQ(listControl().columns[1].colour, 16711680);
  EXPECT_NE(format().find("E(16711680,,,)"), std::string::npos) << format();
}

TEST_F(ListCommandsTest, TheEditorsOfTheColumnUnderTheMouseOpenThereInTheListsFont) {
  open();
  ui::Font font;
  font.face = "Courier";
  font.size = 11;
  font.bold = true;
  onList([&] { list_->setFont(kList, font); });
  pressDivider(2);
  for (int event : {1046, 1047, 1048, 1050, 1055, 1060, int{EventColumnColours}}) {
    post(event);
    ui::Window* w = front();
    ASSERT_NE(w, list_) << event;
    ASSERT_TRUE(driver.inspect([&] {
      EXPECT_TRUE(w->state().atPointer) << event;
      for (const ui::ControlState& c : w->controls())
        EXPECT_EQ(c.font, font) << event << " " << c.equate;
    }));
    closeBox();
    EXPECT_EQ(front(), list_) << event;
  }
}

TEST_F(ListCommandsTest, ThePreferencesSwatchesKeepTheirColourWhenSelectedAndTheChosenTabIsBold) {
  open();
  onList([this] { quorix_->EditGraphPreferences(); });
  ui::Window* p = front();
  ASSERT_NE(p, list_);
  enum { kSheet = 1, kColoursTab, kFontTab, kColours };
  constexpr int kWhite = 16777215;
  struct Swatch {
    int row;
    ui::CellColours colours;
  } swatches[] = {
      {1, {0, 128, kWhite, 128}},    // "Maroon"
      {15, {0, kWhite, 0, kWhite}},  // "White": the selected text black
      {16, {kWhite, 0, kWhite, 0}},  // "Black": the text white
  };
  ASSERT_TRUE(driver.inspect([&] {
    const auto& rows = p->control(kColours)->rows;
    ASSERT_EQ(rows.size(), 16u);
    for (const Swatch& s : swatches) {
      const ui::ListRow& r = rows[static_cast<std::size_t>(s.row - 1)];
      ASSERT_EQ(r.cellColours.size(), 2u) << s.row;
      // The name itself keeps the list's colours.
      EXPECT_EQ(r.cellColours[0].background, ui::kColorNone) << s.row;
      EXPECT_EQ(r.cellColours[0].selectedBackground, ui::kColorNone) << s.row;
      const ui::CellColours& c = r.cellColours[1];
      EXPECT_EQ(c.colour, s.colours.colour) << s.row;
      EXPECT_EQ(c.background, s.colours.background) << s.row;
      EXPECT_EQ(c.selectedColour, s.colours.selectedColour) << s.row;
      EXPECT_EQ(c.selectedBackground, s.colours.selectedBackground) << s.row;
    }
    EXPECT_TRUE(p->control(kColoursTab)->font.bold);
    EXPECT_FALSE(p->control(kFontTab)->font.bold);
  }));
  press(p, kFontTab);
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(p->selected(kSheet), 2);
    EXPECT_FALSE(p->control(kColoursTab)->font.bold);
    EXPECT_TRUE(p->control(kFontTab)->font.bold);
  }));
  closeBox();
  EXPECT_EQ(front(), list_);
}

TEST_F(ListCommandsTest, AListWhoseDefaultFollowsItsWindowTakesItsPlaceAtAResizeAsTheDefault) {
  adjust_ = [](ListSettings& s) {
    s.mask = 0x1FFFFFFF;
    s.allowResize = true;
    s.resizeTakesDefault = true;
  };
  open();
  auto xPos = [&](const char* value) {
    post(1055);
    ui::Window* w = front();
    ui::Input in = to(w, ui::Input::Kind::Accept, 2);
    in.text = value;
    input(in);
    closeBox();
  };
  xPos("40");
  EXPECT_EQ(listControl().column, 11);  // a column of 4 dialog units from 1
  post(ui::EventSized);
  xPos("80");
  EXPECT_EQ(listControl().column, 21);
  post(EventRestoreDefault);
  EXPECT_EQ(listControl().column, 11);
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(quorix_->CaptureCurrentLayout().x, 40); }));
}

TEST_F(ListCommandsTest, TheColumnMenuOpensBelowTheCursorsColumnWithItsCheckMarksOnAndOff) {
  open();
  onList([this] { quorix_->ShowHeaderMenu(); });  // the column cursor is off
  EXPECT_FALSE(driver.popup().has_value());
  onList([this] { quorix_->ToggleColumnCursor(); });
  ui::Input in = to(list_, ui::Input::Kind::Select, kList);
  in.row = 1;
  in.column = 2;
  input(in);
  onList([this] { quorix_->ShowHeaderMenu(); });
  const auto popup = driver.popup();
  ASSERT_TRUE(popup.has_value());
  EXPECT_EQ(popup->second.control, kList);
  EXPECT_EQ(popup->second.column, 2);
  const std::string& text = popup->second.menuText;
  EXPECT_EQ(text.substr(0, text.find("|-Header Right|")),
            "-Fixed|-Underline|+Border|+Resize|+H Scroll|+V Scroll|+Header Left")
      << text;
  EXPECT_NE(text.find("|-Filter Includes Value|"), std::string::npos) << text;
  ASSERT_TRUE(driver.answerPopup("Underline"));
  ASSERT_TRUE(driver.waitIdle());
  // The item's command is for the column under the last press; none was made.
  EXPECT_FALSE(listControl().columns[1].underline);
}

}  // namespace
}  // namespace trv::listext
