#include "runtime/text/picture.h"

#include <gtest/gtest.h>

#include <limits>

#include "runtime/text/date_time.h"

namespace trv::text {
namespace {

constexpr std::int32_t kMay6 = 73543;   // 6 May 2002
constexpr std::int32_t kDec25 = 73776;  // 25 December 2002

TEST(Picture, FormatsNumbers) {
  struct Case {
    const char* picture;
    std::int64_t value;
    const char* shown;
  };
  const Case cases[] = {
      {"@D5", kMay6, " 6/05/02"},
      {"@D6", kMay6, " 6/05/2002"},
      {"D6", kDec25, "25/12/2002"},
      {"@D5", 0, "        "},
      {"@D5B", 0, "        "},
      {"@D6", 2994627, "          "},
      {"@D6", 4, " 1/01/1801"},
      {"@T1", 3600001, "10:00"},
      {"@T1", *timeNumber(9, 5), " 9:05"},
      {"@T4", *timeNumber(9, 5, 30), " 9:05:30"},
      {"t7", *timeNumber(13, 0, 7), "13:00:07"},
      {"@T1", 0, " 0:00"},
      {"@T1B", 0, "     "},
      {"@T1", 8640001, "     "},
      {"@N06", 42, "000042"},
      {"n05", 3, "00003"},
      {"n08", 12345678, "12345678"},
      {"n03", 7, "007"},
      {"@N_6", 42, "    42"},
      {"@N_6B", 0, "      "},
      {"@N_4B", 12, "  12"},
      {"@N06", 1234567, "######"},
      {"n-6", -12, "   -12"},
      {"@N06B", 0, "      "},
      {"pPage <<<#p", 3, "Page    3"},
      {"pPage <<<#p", 1234, "Page 1234"},
      {"@s5", 42, "42   "},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(formatPicture(c.picture, c.value), c.shown) << c.picture;
    EXPECT_EQ(ParsedPicture(c.picture).format(c.value), c.shown) << c.picture;
  }
  // A picture read once formats value after value.
  const ParsedPicture date("D5");
  EXPECT_EQ(date.format(kMay6), " 6/05/02");
  EXPECT_EQ(date.format(kDec25), "25/12/02");
  EXPECT_EQ(date.format(0), "        ");
}

TEST(Picture, FormatsText) {
  EXPECT_EQ(formatPicture("@s6", "ACME"), "ACME  ");
  EXPECT_EQ(formatPicture("@S3", "ACME"), "ACM");
  EXPECT_EQ(formatPicture("", "as is "), "as is ");
  EXPECT_EQ(formatPicture("@N06", "17"), "000017");
}

TEST(Picture, ReadsTypedValuesBack) {
  struct Case {
    const char* picture;
    const char* typed;
    std::int64_t value;
  };
  const Case cases[] = {
      {"@D6", " 6/05/2002", kMay6},
      {"@D6", "6/5/2002", kMay6},
      {"@D5", "6/05/02", kMay6},
      {"@D6", "25-12-02", kDec25},
      {"@D6", "6/5/23", *dateNumber(1923, 5, 6)},
      {"@D6", "", 0},
      {"@T1", "10:00", 3600001},
      {"@T1", " 9:05", *timeNumber(9, 5)},
      {"@T4", "09:05:30", *timeNumber(9, 5, 30)},
      {"@T1", "0:00", 1},
      {"@N06", "000042", 42},
      {"@N_6", "  1,234", 1234},
      {"n-6", "-12", -12},
      {"@N06", "   ", 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(deformatPicture(c.picture, c.typed, 2002), c.value) << c.picture << " " << c.typed;
}

TEST(Picture, RefusesTextThatIsNoValueOfThePicture) {
  struct Case {
    const char* picture;
    const char* typed;
  };
  const Case cases[] = {
      {"@D6", "31/02/2002"}, {"@D6", "1/13/2002"}, {"@D6", "12/2002"}, {"@D6", "a/b/c"},
      {"@D6", "1/1/1800"},   {"@T1", "25:00"},     {"@T1", "10:61"},   {"@T4", "1:2:3:4"},
      {"@N06", "12a"},       {"@N06", "-5"},
  };
  for (const Case& c : cases)
    EXPECT_FALSE(deformatPicture(c.picture, c.typed, 2002).has_value())
        << c.picture << " " << c.typed;
}

TEST(Picture, HostileTypedTextIsRefusedWithoutOverflow) {
  struct Case {
    const char* picture;
    const char* typed;
  };
  const Case cases[] = {
      {"@D6", "1/1/99999999999"}, {"@D6", "99999999999999999999/1/2002"},
      {"@T1", "29999999x59"},     {"@T1", "12x30"},
      {"@T4", "1:2:99999999999"}, {"@D5", "1/1/00000000000000000000000002002x"},
  };
  for (const Case& c : cases)
    EXPECT_FALSE(deformatPicture(c.picture, c.typed, 2002).has_value())
        << c.picture << " " << c.typed;
  // Leading zeros are no overflow, and a year typed with more than two digits stays as typed.
  EXPECT_EQ(deformatPicture("@D6", "0000006/005/2002", 2002), kMay6);
  EXPECT_EQ(deformatPicture("@D6", "6/5/02.", 2002), kMay6);
  EXPECT_FALSE(deformatPicture("@D6", "6/5/002", 2002).has_value()) << "the year 2";
}

TEST(Picture, ExtremeWidthsAndValuesStayInBounds) {
  EXPECT_EQ(pictureWidth("@S99999999999"), kMaxPictureWidth);
  EXPECT_EQ(pictureWidth("@S2000000000"), kMaxPictureWidth);
  EXPECT_EQ(formatPicture("@S99999999999", "x"), "x" + std::string(kMaxPictureWidth - 1, ' '));
  EXPECT_EQ(formatPicture("@N099999999999", 5).size(), std::size_t(kMaxPictureWidth));

  constexpr std::int64_t kLowest = std::numeric_limits<std::int64_t>::min();
  EXPECT_EQ(formatPicture("@P###P", "-9223372036854775808"), "808");
  EXPECT_EQ(formatPicture("@P<<<<<<<<<<<<<<<<<<<<#P", kLowest), "  9223372036854775808");
  EXPECT_EQ(formatPicture("@N-_21", kLowest), " -9223372036854775808");
  EXPECT_EQ(formatPicture("@N-_8", kLowest), "########");
  // A number beyond 32 bits is no date, however its low bits look.
  EXPECT_EQ(formatPicture("@D6", (std::int64_t{1} << 32) + kMay6), std::string(10, ' '));
}

TEST(Picture, KnowsItsWidth) {
  EXPECT_EQ(pictureWidth("@D5"), 8);
  EXPECT_EQ(pictureWidth("@D6"), 10);
  EXPECT_EQ(pictureWidth("@T1"), 5);
  EXPECT_EQ(pictureWidth("@T4"), 8);
  EXPECT_EQ(pictureWidth("@N_6B"), 6);
  EXPECT_EQ(pictureWidth("@s255"), 255);
  EXPECT_TRUE(isTextPicture("@s20"));
  EXPECT_FALSE(isTextPicture("@N06"));
}

}  // namespace
}  // namespace trv::text
