// The list enhancement's popup items: the "ListBox" submenu by the option mask, and the column
// items' texts and states for the column under the cursor.

#include "listext/header_menu.h"

#include <gtest/gtest.h>

namespace trv::listext {
namespace {

std::vector<std::string> names(const std::vector<MenuItem>& items) {
  std::vector<std::string> out;
  for (const MenuItem& i : items) out.push_back(i.name);
  return out;
}

TEST(HeaderMenu, TheListBoxSubmenuHoldsTheItemsOfTheMasksBits) {
  struct Case {
    std::int64_t mask;
    std::vector<std::string> items;
  } cases[] = {
      {0x2000, {}},
      {0x200000, {"XPS", "S31"}},
      {0x2000000, {"FNT"}},
      {0x8000000 | 0x1000000, {"BHI", "S31", "HSC", "S32"}},
      {0x1FE00000, {"XPS", "YPS", "BWI", "BHI", "S31", "LHI", "HSC", "VSC", "S32", "FNT"}},
  };
  for (const Case& c : cases) EXPECT_EQ(names(listBoxItems(c.mask)), c.items) << c.mask;
}

TEST(HeaderMenu, ColumnItemsFollowTheColumnAndTheValue) {
  Column c;
  c.description = "City  ";
  c.hjust = 'C';
  c.viewField = false;
  c.sortField = 0;
  HeaderMenuState s;
  s.filterEqual = true;
  const auto items = columnItems(c, "Leeds", s);
  auto item = [&](const std::string& name) {
    for (const MenuItem& i : items)
      if (i.name == name) return i;
    return MenuItem{};
  };
  EXPECT_EQ(item("ADDF2").text, "Add Filter of (City<=Leeds)");
  EXPECT_EQ(item("ADDF3").text, "Add Filter of (City>=Leeds)");
  EXPECT_EQ(item("ADDF4").text, "Add Filter of (City<>Leeds)");
  EXPECT_FALSE(item("ADDF1").enabled);
  EXPECT_TRUE(item("HJC").checked);
  EXPECT_FALSE(item("HJL").checked);
  EXPECT_EQ(item("SRT").text, "Sort on City");
  EXPECT_FALSE(item("SRT").enabled);
  s.filterEqual = false;
  EXPECT_EQ(columnItems(c, "Leeds", s)[16].text, "Add Filter of (City<Leeds)");
  EXPECT_EQ(menuText({{"A", "+H Scroll", 1, true}, {"B", "Sort", 2, false, false}}),
            "+H Scroll|~Sort");
  // A check mark that is off shows "-", also on an item whose own text starts with "+".
  EXPECT_EQ(menuText({{"FXD", "Fixed", 1051, false, true, true},
                      {"HSC", "+H Scroll", 1061, false, false, true},
                      {"SRT", "Sort", 1068}}),
            "-Fixed|~-H Scroll|Sort");
  const std::string shown = menuText(columnItems(c, "Leeds", s));
  EXPECT_EQ(shown.substr(0, shown.find("|+Header Centre|")),
            "-Fixed|-Underline|+Border|+Resize|+H Scroll|+V Scroll|-Header Left|-Header Right");
}

}  // namespace
}  // namespace trv::listext
