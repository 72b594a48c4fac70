#include "runtime/ini/profile_text.h"

#include <gtest/gtest.h>

namespace trv::ini {
namespace {

// A file as another program might leave it: odd spacing, letter case, comments, CRLF.
constexpr std::string_view kForeign =
    "; written by hand\r\n"
    "[ config ]\r\n"
    "  DataBase =  /srv/help desk/DataBase  \r\n"
    "Color=12975860\r\n"
    "NoEquals line\r\n"
    "\r\n"
    "[Config]\r\n"
    "Color=1\r\n"
    "[Browses]\r\n"
    "QueXPosition=\"45\"\r\n"
    ";Hidden=1\r\n";

TEST(ProfileText, ReadsWithoutRegardToCaseOrSpacingAndFirstSectionWins) {
  const ProfileText t(kForeign);
  struct Case {
    const char* section;
    const char* key;
    std::optional<std::string> value;
  };
  const Case cases[] = {
      {"Config", "Database", "/srv/help desk/DataBase"},
      {"CONFIG", "color", "12975860"},  // the second [Config] is never reached
      {"browses", "QueXPosition", "45"},
      {"Browses", "Hidden", std::nullopt},
      {"Browses", ";Hidden", std::nullopt},
      {"Config", "Missing", std::nullopt},
      {"Nowhere", "Color", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(t.read(c.section, c.key), c.value) << c.section << c.key;
}

TEST(ProfileText, WritingKeepsEveryOtherLineAndTheLineEndings) {
  ProfileText t(kForeign);
  ASSERT_TRUE(t.write("CONFIG", "color", "255   "));
  ASSERT_TRUE(t.write("config", "WallSel", "logo2.jpg"));
  ASSERT_TRUE(t.write("Registration", "LastLogon", "Admin"));
  EXPECT_EQ(t.text(),
            "; written by hand\r\n"
            "[ config ]\r\n"
            "  DataBase =  /srv/help desk/DataBase  \r\n"
            "Color=255\r\n"
            "NoEquals line\r\n"
            "WallSel=logo2.jpg\r\n"
            "\r\n"
            "[Config]\r\n"
            "Color=1\r\n"
            "[Browses]\r\n"
            "QueXPosition=\"45\"\r\n"
            ";Hidden=1\r\n"
            "\r\n"
            "[Registration]\r\n"
            "LastLogon=Admin\r\n");
}

TEST(ProfileText, RefusesWhatTheFormatCannotHold) {
  ProfileText t("[A]\nk=v\n");
  const std::string before = t.text();
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  };
  const Case bad[] = {
      {"A", "k", "two\nlines"}, {"A", "k", "cr\r"}, {"A]x", "k", "v"},
      {"A", "k=2", "v"},        {"", "k", "v"},     {"A", "  ", "v"},
      {"A", "[k", "v"},         {"A", ";k", "v"},   {"A\n", "k", "v"},
  };
  for (const Case& c : bad) {
    EXPECT_FALSE(t.write(c.section, c.key, c.value)) << c.section << "/" << c.key;
    EXPECT_EQ(t.text(), before);
  }
}

TEST(ProfileText, StartsAnEmptyTextAndRemovesKeys) {
  ProfileText t;
  ASSERT_TRUE(t.write("Config", "Color", "1"));
  ASSERT_TRUE(t.write("Config", "MessageOnOff", "1"));
  EXPECT_EQ(t.text(), "[Config]\nColor=1\nMessageOnOff=1\n");
  EXPECT_TRUE(t.remove("config", "COLOR"));
  EXPECT_FALSE(t.remove("config", "COLOR"));
  EXPECT_EQ(t.text(), "[Config]\nMessageOnOff=1\n");
}

}  // namespace
}  // namespace trv::ini
