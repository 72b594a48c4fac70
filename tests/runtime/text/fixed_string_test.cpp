#include "runtime/text/fixed_string.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace trv::text {
namespace {

#pragma pack(push, 1)
struct Sample {
  FixedString<6> name;
  std::int32_t number;
  CString<5> code;
};
#pragma pack(pop)
static_assert(sizeof(Sample) == 15);
static_assert(std::is_trivially_copyable_v<Sample>);

TEST(FixedString, PadsWithBlanksAndCutsAtTheWidth) {
  FixedString<6> s;
  EXPECT_EQ(s.raw(), "      ");
  EXPECT_TRUE(s.blank());
  s = "ACME";
  EXPECT_EQ(s.raw(), "ACME  ");
  EXPECT_EQ(s.view(), "ACME");
  s = "ACME-LONGER";
  EXPECT_EQ(s.raw(), "ACME-L");
  s = std::string_view();  // an empty view without data clears the field
  EXPECT_TRUE(s.blank());
}

TEST(FixedString, ComparesWithoutTrailingBlanks) {
  FixedString<6> a("AB");
  FixedString<10> b("AB   ");
  EXPECT_TRUE(a == b);
  EXPECT_TRUE(a == "AB    ");
  EXPECT_FALSE(a == "ab");
  EXPECT_TRUE(equalNoCase(a.view(), "ab  "));
  EXPECT_FALSE(equalNoCase("abc", "ab"));
}

TEST(CString, KeepsAtMostWidthMinusOneCharactersZeroEnded) {
  CString<5> c("abcdefg");
  EXPECT_EQ(c.raw(), "abcd");
  EXPECT_EQ(c.data()[4], '\0');
  c = "ab";
  EXPECT_EQ(c.raw(), "ab");
  EXPECT_EQ(c.data()[3], '\0');  // the rest is cleared, so equal texts have equal bytes
  c = std::string_view("x\0y", 3);
  EXPECT_EQ(c.raw(), "x");
  c = std::string_view();
  EXPECT_EQ(c.raw(), "");
}

TEST(FixedString, AssignmentInsideAPackedRecordTouchesOnlyItsField) {
  Sample s;
  s.number = 0x01020304;
  s.name = "TOOLONGNAME";
  s.code = "12345678";
  const std::int32_t number = s.number;  // a copy: packed fields cannot bind to references
  EXPECT_EQ(number, 0x01020304);
  EXPECT_EQ(s.name.view(), "TOOLON");
  EXPECT_EQ(s.code.view(), "1234");
}

}  // namespace
}  // namespace trv::text
