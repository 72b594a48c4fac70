#include "uninstall/ref_string.h"

#include <gtest/gtest.h>

#include <string>

namespace trv::uninstall {
namespace {

struct FindCase {
  const char* text;
  const char* pattern;
  int start;
  int expected;
};

TEST(RefStringFind, IgnoresLetterCaseAndClampsTheStart) {
  const FindCase cases[] = {
      {"abcabc", "a", 0, 0},
      {"abcabc", "c", 0, 2},
      {"abcabc", "a", 1, 3},
      {"xAB", "ab", 0, 1},
      {"xAB", "ab", 2, -1},
      {"", "a", 0, -1},
      {"abc", "", 0, -1},
      {"abc", "abcd", 0, -1},
      {"abc", "a", -5, 0},
      {"abc", "c", 2147483600, -1},
      {"Hello World", "WORLD", 0, 6},
      {"CAF\xC9 caf\xE9", "caf\xE9", 1, 5},
      {"aaab", "aab", 0, 1},
      {"a\0b\0c", "c", 0, -1},  // a C text ends at its zero byte
  };
  for (const auto& c : cases)
    EXPECT_EQ(CRefString(c.text).find(c.pattern, c.start), c.expected)
        << c.text << " / " << c.pattern << " from " << c.start;
}

TEST(RefStringFind, SearchesPastZeroBytes) {
  const CRefString text("a\0b\0cd", 6);
  EXPECT_EQ(text.find(CRefString("CD"), 0), 4);
  EXPECT_EQ(text.find(CRefString("\0c", 2), 0), 3);
}

TEST(RefStringFind, WholeWordSkipsMatchesInsideWords) {
  const struct {
    const char* text;
    const char* pattern;
    int expected;
  } cases[] = {
      {"cat concat cat", "cat", 0},
      {"concat cat", "cat", 7},
      {"concatenate", "cat", -1},
      {"cat2 cat_", "cat", 5},
      {"(cat)", "CAT", 1},
      {"\xE9"
       "cat cat",
       "cat", 5},  // an accented letter is a letter
  };
  for (const auto& c : cases)
    EXPECT_EQ(CRefString(c.text).findWholeWord(c.pattern), c.expected) << c.text;
}

TEST(RefStringFind, AChangedPatternIsSearchedForWithItsNewContent) {
  CRefString pattern("abc");
  const CRefString text("xxabcxxab");
  EXPECT_EQ(text.find(pattern), 2);
  pattern.erase(2, 1);
  EXPECT_EQ(text.find(pattern), 2);
  pattern += "x";
  EXPECT_EQ(text.find(pattern), -1);
  pattern.setAt(2, 'C');
  EXPECT_EQ(text.find(pattern), 2);
  // A copy shares the cached table; changing the original leaves the copy's search intact.
  CRefString copy = pattern;
  EXPECT_EQ(text.find(copy), 2);
  pattern.makeLower();
  pattern.erase(0, 1);
  EXPECT_EQ(text.find(copy), 2);
  EXPECT_EQ(text.find(pattern), 3);
}

TEST(RefString, CopiesShareUntilChanged) {
  CRefString original("shared text");
  CRefString copy = original;
  EXPECT_TRUE(copy.sharesBufferWith(original));
  copy.makeUpper();
  EXPECT_EQ(original, "shared text");
  EXPECT_EQ(copy, "SHARED TEXT");
  EXPECT_FALSE(copy.sharesBufferWith(original));

  EXPECT_TRUE(original.mid(0, 100).sharesBufferWith(original));
  EXPECT_FALSE(original.mid(1, 100).sharesBufferWith(original));
  // Every empty text is the one empty buffer.
  CRefString emptied("x");
  emptied.erase(0, 1);
  EXPECT_TRUE(emptied.sharesBufferWith(CRefString()));
  EXPECT_TRUE(CRefString(reinterpret_cast<const char*>(123)).sharesBufferWith(CRefString()));
  EXPECT_TRUE(CRefString(nullptr).isEmpty());
}

TEST(RefString, MidClampsStartAndCount) {
  const struct {
    int start, count;
    const char* expected;
  } cases[] = {
      {0, 3, "abc"}, {2, 10, "cdef"}, {-4, 2, "ab"}, {1, -1, ""}, {6, 1, ""}, {100, 5, ""},
  };
  const CRefString text("abcdef");
  for (const auto& c : cases)
    EXPECT_EQ(text.mid(c.start, c.count), c.expected) << c.start << "," << c.count;
  EXPECT_EQ(text.mid(4), "ef");
}

TEST(RefString, EraseAndInsertStayInsideTheText) {
  const struct {
    int pos, count;
    const char* after;
    int returned;
  } erases[] = {
      {1, 2, "adef", 6},   {-3, 2, "cdef", 6},  {4, 100, "abcd", 6},
      {6, 1, "abcdef", 6}, {2, 0, "abcdef", 6}, {2, -4, "abcdef", 6},
  };
  for (const auto& c : erases) {
    CRefString t("abcdef");
    EXPECT_EQ(t.erase(c.pos, c.count), c.returned);
    EXPECT_EQ(t, c.after) << c.pos << "," << c.count;
  }
  const struct {
    int pos;
    const char* after;
  } inserts[] = {{0, "XYabc"}, {2, "abXYc"}, {-7, "XYabc"}, {99, "abcXY"}};
  for (const auto& c : inserts) {
    CRefString t("abc");
    EXPECT_EQ(t.insert(c.pos, "XY"), 5);
    EXPECT_EQ(t, c.after);
  }
  CRefString t("abc");
  EXPECT_EQ(t.insert(1, nullptr), 3);
  EXPECT_EQ(t.insert(1, t.c_str()), 6) << "inserting a text into itself";
  EXPECT_EQ(t, "aabcbc");
}

TEST(RefString, ReplaceAndRemove) {
  CRefString t("a-b-c");
  EXPECT_EQ(t.replace('-', '+'), 2);
  EXPECT_EQ(t, "a+b+c");

  CRefString zeros(std::string_view("ab\0ab", 5));
  EXPECT_EQ(zeros.replace(CRefString("ab"), CRefString("xyz")), 2);
  EXPECT_EQ(zeros.view(), std::string_view("xyz\0xyz", 7));

  CRefString overlap("aaaa");
  EXPECT_EQ(overlap.replace(CRefString("aa"), CRefString("a")), 2);
  EXPECT_EQ(overlap, "aa");

  CRefString guarded("abc");
  EXPECT_EQ(guarded.replace(CRefString(), CRefString("x")), 0);
  EXPECT_FALSE(guarded.removeText(CRefString()));
  EXPECT_FALSE(guarded.removeTextNoCase(CRefString()));
  EXPECT_EQ(guarded, "abc");

  CRefString words("one TWO two three");
  EXPECT_TRUE(words.removeTextNoCase(CRefString("two ")));
  EXPECT_EQ(words, "one three");
  EXPECT_FALSE(words.removeText(CRefString("ONE")));
  EXPECT_TRUE(words.removeText(CRefString("one ")));
  EXPECT_EQ(words, "three");
  EXPECT_EQ(words.remove('e'), 2);
  EXPECT_EQ(words, "thr");
}

TEST(RefString, TrimAndCase) {
  CRefString t(" \t\r\n text \n");
  t.trimRight();
  EXPECT_EQ(t, " \t\r\n text");
  t.trimLeft();
  EXPECT_EQ(t, "text");
  CRefString blank("   ");
  blank.trim();
  EXPECT_TRUE(blank.isEmpty());

  CRefString name("caf\xe9 ok");
  name.makeUpper(4);
  EXPECT_EQ(name, "CAF\xC9 ok");
  name.makeUpper(100);
  EXPECT_EQ(name, "CAF\xC9 OK");
  name.makeLower();
  EXPECT_EQ(name, "caf\xe9 ok");
  name.setAt(-1, 'x');
  name.setAt(99, 'x');
  EXPECT_EQ(name, "caf\xe9 ok");
}

TEST(RefString, FormatGrowsBeyondItsFirstBuffer) {
  CRefString t;
  const std::string longText(5000, 'x');
  EXPECT_EQ(t.format("[%s] %d", longText.c_str(), 42), 5000 + 5);
  EXPECT_EQ(t.view(), "[" + longText + "] 42");
  t.format("%s and %s", t.mid(1, 2).c_str(), t.c_str() + 5003);
  EXPECT_EQ(t, "xx and 42");
}

TEST(RefString, WritableBuffer) {
  CRefString t("abc");
  CRefString copy = t;
  char* b = t.getBuffer(10);
  std::snprintf(b, 11, "filled");
  t.releaseBuffer();
  EXPECT_EQ(t, "filled");
  EXPECT_EQ(copy, "abc");

  char* fixed = t.getBufferSetLength(3);
  fixed[0] = 'X';
  t.releaseBuffer(99);  // more than the buffer holds is cut to it
  EXPECT_EQ(t, "Xil");
  t.getBuffer(0);
  t.releaseBuffer(0);
  EXPECT_TRUE(t.sharesBufferWith(CRefString()));
  CRefString e;
  std::snprintf(e.getBuffer(4), 5, "new");
  e.releaseBuffer();
  EXPECT_EQ(e, "new");
  EXPECT_TRUE(CRefString().isEmpty()) << "the shared empty text is never written";
}

}  // namespace
}  // namespace trv::uninstall
