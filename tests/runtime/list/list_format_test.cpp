#include "runtime/list/list_format.h"

#include <gtest/gtest.h>

#include <vector>

namespace trv::list {
namespace {

TEST(ListFormatTest, DialogUnitsRoundToTheNearestCharacter) {
  struct Case {
    int dialogUnits;
    int chars;
  } cases[] = {{0, 1}, {1, 1}, {5, 1}, {6, 2}, {28, 7}, {44, 11}, {68, 17}, {80, 20}, {396, 99}};
  for (const Case& c : cases)
    EXPECT_EQ(charsOfDialogUnits(c.dialogUnits), c.chars) << c.dialogUnits;
}

TEST(ListFormatTest, StoredWidthsApplyOnlyWhenTheyFit) {
  std::vector<ui::ListColumn> builtIn;
  for (int w : {26, 23, 26, 26, 20, 20, 20}) builtIn.push_back({"H", w, "@s4", false});
  EXPECT_EQ(listFormat(builtIn), "26,23,26,26,20,20,20");
  EXPECT_EQ(listFormat(withListFormat(builtIn, "30,23,26,26,20,40,20")), "30,23,26,26,20,40,20");
  for (const char* bad : {"", "30,23", "30,23,26,26,20,40,20,9", "30,,26,26,20,40,20",
                          "30,23,26,26,20,40,x", "0,23,26,26,20,40,20", "30,23,26,26,20,40,20,",
                          "30,23,26,26,20,40,1000", "-1,23,26,26,20,40,20"})
    EXPECT_EQ(listFormat(withListFormat(builtIn, bad)), "26,23,26,26,20,20,20") << bad;
}

}  // namespace
}  // namespace trv::list
