#include "runtime/text/charset.h"

#include <gtest/gtest.h>

namespace trv::text {
namespace {

TEST(Charset, RoundTripsEveryByte) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  EXPECT_EQ(fromUtf8(toUtf8(all)), all);
  EXPECT_EQ(fromUtf8Strict(toUtf8(all)), all);
}

TEST(Charset, ConvertsTheUpperHalfToItsCodePoints) {
  EXPECT_EQ(toUtf8("\x80"), "\u20AC");
  EXPECT_EQ(toUtf8("caf\xE9"), "caf\u00E9");
  EXPECT_EQ(toUtf8("\x9F"), "\u0178");
  EXPECT_EQ(fromUtf8("\u201Cquoted\u201D"), "\x93quoted\x94");
}

TEST(Charset, UnmappableAndMalformedTextBecomesQuestionMarksOrIsRefused) {
  struct Case {
    std::string utf8;
    std::string lenient;
  };
  const Case cases[] = {
      {"\u4E2D\u6587", "??"},   // outside the set
      {"a\xC3", "a?"},          // cut sequence
      {"\xFF\xFE", "??"},       // not UTF-8 at all
      {"\xC0\xAF", "?"},        // overlong encoding, one sequence
      {"\xED\xA0\x80x", "?x"},  // surrogate
      {"\U0001F600!", "?!"},    // four-byte character
  };
  for (const Case& c : cases) {
    EXPECT_EQ(fromUtf8(c.utf8), c.lenient) << c.utf8;
    EXPECT_FALSE(fromUtf8Strict(c.utf8).has_value()) << c.utf8;
  }
}

// A byte of the upper half anywhere, in the words read eight at a time or in the rest, is seen.
TEST(Charset, TellsPlainAsciiFromTheUpperHalf) {
  const std::string ascii = "Printer jams twice a day";  // 24 bytes: three whole words
  EXPECT_TRUE(isAscii(""));
  EXPECT_TRUE(isAscii(ascii));
  EXPECT_TRUE(isAscii(ascii.substr(0, 11)));
  for (std::size_t at : {0u, 7u, 8u, 15u, 23u}) {
    std::string s = ascii;
    s[at] = '\xe9';
    EXPECT_FALSE(isAscii(s)) << at;
    EXPECT_FALSE(isAscii(std::string_view(s).substr(0, at + 1))) << at;
  }
}

TEST(Charset, FoldsCaseInTheWholeSet) {
  EXPECT_EQ(upper1252("acme ltd"), "ACME LTD");
  EXPECT_EQ(upper1252("\xE9\xE0\xF6\xFE"), "\xC9\xC0\xD6\xDE");
  EXPECT_EQ(upper1252("\x9A\x9C\x9E\xFF"), "\x8A\x8C\x8E\x9F");
  EXPECT_EQ(upper1252("\xF7\xDF"), "\xF7\xDF");  // division sign and sharp s have no pair
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    EXPECT_EQ(upper1252(lower1252(upper1252(c))), upper1252(c)) << b;
  }
}

TEST(Charset, CutsAndCountsWholeCharacters) {
  struct Case {
    const char* text;
    std::size_t chars;
    const char* first;
    std::size_t count;
  } cases[] = {
      {"Acme", 2, "Ac", 4},
      {"M\u00FCller", 2, "M\u00FC", 6},
      {"\u4E2D\u6587x", 1, "\u4E2D", 3},
      {"\U0001F600ab", 1, "\U0001F600", 3},
      {"ab", 5, "ab", 2},
      {"", 3, "", 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(firstCharacters(c.text, c.chars), c.first) << c.text;
    EXPECT_EQ(characterCount(c.text), c.count) << c.text;
  }
}

TEST(Charset, NamesTheCharactersItCannotHold) {
  EXPECT_EQ(unstorableCharacters("M\u00FCller & S\u00F6hne \u20AC"), "");
  EXPECT_EQ(unstorableCharacters("Chen \u4E2D\u6587 Trading \u4E2D"), "\u4E2D \u6587");
  EXPECT_EQ(unstorableCharacters("ok \U0001F600"), "\U0001F600");
  EXPECT_EQ(unstorableCharacters("bad \xFF byte"), "\uFFFD");
}

}  // namespace
}  // namespace trv::text
