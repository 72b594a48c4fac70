// Popup menu text and key names.

#include <gtest/gtest.h>

#include "runtime/ui/events.h"
#include "runtime/ui/window_decl.h"

namespace trv::ui {
namespace {

TEST(PopupMenu, ItemsAreNumberedWithoutSeparatorsAndSubmenuTitles) {
  auto items = parsePopupMenu("&Insert|-|Sort{By &Name|~By Date}|+Checked||Last");
  std::vector<std::tuple<int, std::string, int, bool, bool>> got;
  for (const auto& i : items) got.emplace_back(i.number, i.text, i.depth, i.disabled, i.checked);
  std::vector<std::tuple<int, std::string, int, bool, bool>> want{
      {1, "&Insert", 0, false, false}, {0, "", 0, false, false},
      {0, "Sort", 0, false, false},    {2, "By &Name", 1, false, false},
      {3, "By Date", 1, true, false},  {4, "Checked", 0, false, true},
      {5, "Last", 0, false, false},
  };
  EXPECT_EQ(got, want);
  EXPECT_TRUE(items[1].separator);
  EXPECT_TRUE(items[2].submenu);
}

TEST(PopupMenu, ALeadingPlusOrMinusGivesACheckMarkOnOrOff) {
  struct Case {
    const char* text;
    std::string shown;
    bool checkable, checked, disabled;
  } cases[] = {
      {"+Fixed", "Fixed", true, true, false},
      {"-Fixed", "Fixed", true, false, false},
      {"~-Border", "Border", true, false, true},
      {"Plain", "Plain", false, false, false},
      {"-", "", false, false, false},
  };
  for (const Case& c : cases) {
    const auto items = parsePopupMenu(c.text);
    ASSERT_EQ(items.size(), 1u) << c.text;
    EXPECT_EQ(items[0].text, c.shown) << c.text;
    EXPECT_EQ(items[0].checkable, c.checkable) << c.text;
    EXPECT_EQ(items[0].checked, c.checked) << c.text;
    EXPECT_EQ(items[0].disabled, c.disabled) << c.text;
  }
  EXPECT_TRUE(parsePopupMenu("-")[0].separator);
}

TEST(PopupMenu, UnbalancedBracesDoNotLoseItems) {
  auto items = parsePopupMenu("a{b|c");
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[2].number, 2);
  EXPECT_EQ(parsePopupMenu("}}x")[0].number, 1);
}

TEST(Keys, NamesRoundTrip) {
  struct Case {
    const char* name;
    int key;
  } cases[] = {{"Enter", KeyEnter},
               {"Ctrl+Enter", KeyEnter | kCtrl},
               {"F1", KeyF1},
               {"a", 'a'},
               {"Shift+Tab", KeyTab | kShift},
               {"\xc3\xa9", 0xe9},
               {"Ctrl+'", kCtrl | '\''}};
  for (const auto& c : cases) {
    EXPECT_EQ(parseKey(c.name), c.key) << c.name;
    EXPECT_EQ(parseKey(keyName(c.key)), c.key) << c.name;
  }
  EXPECT_FALSE(parseKey("Hyper+x"));
  EXPECT_FALSE(parseKey("ab"));
  EXPECT_EQ(withoutAmpersand("&Save && Close"), "Save & Close");
}

}  // namespace
}  // namespace trv::ui
