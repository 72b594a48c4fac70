#include "runtime/text/fixed_string.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

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

// Padding of every length on either side of the eight bytes taken at a time, blanks and zeros
// mixed; bytes that only look alike (0xA0, a no-break space; 0x60, 0x40) are text.
TEST(Clip, DropsTrailingBlanksAndZerosOnly) {
  struct Case {
    std::string text;
    std::size_t kept;
  };
  std::vector<Case> cases = {
      {"", 0},
      {std::string(20, ' '), 0},
      {std::string("\0 \0 \0 \0 \0 \0 \0 \0 \0", 17), 0},
      {"x" + std::string(16, ' '), 1},
      {"problem text\xA0" + std::string(9, ' '), 13},
      {"abc`" + std::string(8, ' '), 4},
      {"abc@" + std::string(7, '\0'), 4},
      {" leading", 8},
  };
  for (std::size_t pad = 0; pad <= 17; ++pad)
    cases.push_back({"ab c" + std::string(pad, pad % 3 == 0 ? '\0' : ' '), 4});
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.text));
    EXPECT_EQ(clip(c.text), std::string_view(c.text).substr(0, c.kept));
  }
  static_assert(clip("ab  ") == "ab");  // still usable in constant expressions
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
