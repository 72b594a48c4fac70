// A stored list layout is used only while the built-in format it was saved against is the
// list's; then every key is read, missing ones giving the defaults.

#include "listext/saved_layout.h"

#include <gtest/gtest.h>

#include "runtime/ini/ini_settings.h"
#include "tests/runtime/store/test_files.h"

namespace trv::listext {
namespace {

constexpr const char* kBuiltIn = "28L(2)M|~Name~L(2)@s6@80L(2)M|~City~L(2)@s30@";
constexpr const char* kMoved = "80L(2)M|~City~L(2)@s30@#2#28L(2)M|~Name~L(2)@s6@#1#";

class SavedLayoutTest : public ::testing::Test {
 protected:
  SavedLayoutTest() { ini.Init(dir.path(), "trvnel12.ini"); }
  ListLook current() const {
    ListLook l;
    l.width = 80;
    l.height = 15;
    l.font = "Sans";
    l.point = 9;
    return l;
  }
  RestoredLayout read(std::size_t slots = 1) {
    return readLayout(ini, "BrowsClients", "?Browse:1", kBuiltIn, slots, current());
  }

  store::testing::TempFolder dir;
  ini::IniSettings ini;
};

TEST_F(SavedLayoutTest, WhatWasWrittenComesBackWhileTheBuiltInFormatIsTheSame) {
  RestoredLayout none = read();
  EXPECT_FALSE(none.accepted);
  EXPECT_EQ(none.layout.formats, std::vector<std::string>{kBuiltIn});
  EXPECT_EQ(none.layout.sortColumn, 1);
  EXPECT_EQ(none.layout.look, current());

  SavedLayout saved;
  saved.formats = {kMoved, "0"};
  saved.origFormat = kBuiltIn;
  saved.look = current();
  saved.look.font = "Serif";
  saved.look.point = 12;
  saved.look.style = 4796;
  saved.sortColumn = 2;
  saved.ascDesc = 1;
  ASSERT_TRUE(writeLayout(ini, "BrowsClients", "?Browse:1", saved));
  EXPECT_EQ(ini.ReadValue("BrowsClients", "QuorixFormatString-?Browse:11"), kMoved);
  EXPECT_EQ(ini.ReadValue("BrowsClients", "QuorixFormatString-?Browse:12"), "0");
  EXPECT_EQ(ini.ReadValue("BrowsClients", "QuorixPrevCol-?Browse:1"), "2");

  RestoredLayout back = read(2);
  EXPECT_TRUE(back.accepted);
  EXPECT_EQ(back.layout.formats, saved.formats);
  EXPECT_EQ(back.layout.look, saved.look);
  EXPECT_EQ(back.layout.sortColumn, 2);
  EXPECT_EQ(back.layout.ascDesc, 1);

  // Trailing blanks do not make another built-in format.
  ini.WriteValue("BrowsClients", "QuorixOrigFormatString-?Browse:1", std::string(kBuiltIn) + "   ");
  EXPECT_TRUE(read().accepted);
}

TEST_F(SavedLayoutTest, ALayoutSavedAgainstAnotherBuiltInFormatIsIgnoredAsAWhole) {
  SavedLayout saved;
  saved.formats = {kMoved};
  saved.origFormat = "40L~Name~@s6@";
  saved.look = current();
  saved.look.font = "Serif";
  saved.sortColumn = 2;
  ASSERT_TRUE(writeLayout(ini, "BrowsClients", "?Browse:1", saved));
  RestoredLayout r = read();
  EXPECT_FALSE(r.accepted);
  EXPECT_EQ(r.layout.formats, std::vector<std::string>{kBuiltIn});
  EXPECT_EQ(r.layout.origFormat, kBuiltIn);
  EXPECT_EQ(r.layout.look.font, "Sans");
  EXPECT_EQ(r.layout.sortColumn, 1);
}

TEST_F(SavedLayoutTest, MissingOrUnreadableKeysGiveTheDefaults) {
  ini.WriteValue("BrowsClients", "QuorixOrigFormatString-?Browse:1", kBuiltIn);
  ini.WriteValue("BrowsClients", "QuorixPoint-?Browse:1", "big");
  // Values the list cannot keep (16-bit positions and sizes, a byte's line height and size).
  ini.WriteValue("BrowsClients", "QuorixXpos-?Browse:1", "70000");
  ini.WriteValue("BrowsClients", "QuorixWidth-?Browse:1", "-5");
  ini.WriteValue("BrowsClients", "QuorixLineHeight-?Browse:1", "256");
  RestoredLayout r = read();
  EXPECT_TRUE(r.accepted);
  EXPECT_EQ(r.layout.formats, std::vector<std::string>{kBuiltIn});
  EXPECT_EQ(r.layout.look, current());
  EXPECT_EQ(r.layout.sortColumn, 1);
  EXPECT_EQ(r.layout.ascDesc, 0);
}

}  // namespace
}  // namespace trv::listext
