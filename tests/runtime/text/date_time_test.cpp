#include "runtime/text/date_time.h"

#include <gtest/gtest.h>

#include "runtime/text/clock.h"

namespace trv::text {
namespace {

TEST(DateNumber, ConvertsBothWays) {
  struct Case {
    int y, m, d;
    std::int32_t number;
    int weekday;
  };
  const Case cases[] = {
      {1801, 1, 1, 4, 4},  // Thursday
      {1801, 1, 2, 5, 5},         {1900, 3, 1, 36222, 4},
      {2000, 2, 29, 72746, 2},  // leap day of a century year
      {2002, 5, 6, 73543, 1},   // Monday 6 May 2002
      {2002, 5, 11, 73548, 6},  // Saturday
      {9999, 12, 31, 2994626, 5},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(dateNumber(c.y, c.m, c.d), c.number) << c.y << "-" << c.m << "-" << c.d;
    EXPECT_EQ(civilDate(c.number), (CivilDate{c.y, c.m, c.d})) << c.number;
    EXPECT_EQ(weekday(c.number), c.weekday) << c.number;
  }
  EXPECT_STREQ(weekdayName(73543), "Monday");
}

TEST(DateNumber, RefusesDaysThatDoNotExistOrLieOutsideTheRange) {
  EXPECT_FALSE(dateNumber(1800, 12, 31));
  EXPECT_FALSE(dateNumber(10000, 1, 1));
  EXPECT_FALSE(dateNumber(1900, 2, 29));
  EXPECT_FALSE(dateNumber(2002, 4, 31));
  EXPECT_FALSE(dateNumber(2002, 13, 1));
  EXPECT_FALSE(dateNumber(2002, 0, 1));
  for (std::int32_t bad : {0, 3, -5, 2994627}) EXPECT_FALSE(civilDate(bad).has_value()) << bad;
}

TEST(TimeNumber, IsHundredthsSinceMidnightPlusOne) {
  EXPECT_EQ(timeNumber(0, 0), 1);
  EXPECT_EQ(timeNumber(10, 0), 3600001);
  EXPECT_EQ(timeNumber(23, 59, 59, 99), kLastTimeNumber);
  EXPECT_FALSE(timeNumber(24, 0));
  EXPECT_FALSE(timeNumber(0, 60));
  EXPECT_EQ(clockTime(3600001), (ClockTime{10, 0, 0, 0}));
  EXPECT_EQ(clockTime(kLastTimeNumber), (ClockTime{23, 59, 59, 99}));
  EXPECT_FALSE(clockTime(0));
  EXPECT_FALSE(clockTime(kLastTimeNumber + 1));
}

TEST(TwoDigitYear, FallsBetweenEightyYearsBackAndNineteenAhead) {
  struct Case {
    int digits, current, year;
  };
  const Case cases[] = {{2, 2002, 2002},  {21, 2002, 2021}, {22, 2002, 1922}, {23, 2002, 1923},
                        {99, 2002, 1999}, {0, 2002, 2000},  {45, 2026, 2045}, {46, 2026, 1946}};
  for (const Case& c : cases)
    EXPECT_EQ(expandTwoDigitYear(c.digits, c.current), c.year) << c.digits << " in " << c.current;
}

TEST(ManualClock, MovesOnlyWhenToldAndCrossesMidnight) {
  ManualClock clock(73543, *timeNumber(23, 59, 30));
  EXPECT_EQ(clock.today(), 73543);
  clock.advance(3000);
  EXPECT_EQ(clock.today(), 73544);
  EXPECT_EQ(clock.now(), 1);
  EXPECT_EQ(clock.monotonicHundredths(), 3000);
  clock.set(73543, *timeNumber(10, 0));
  EXPECT_EQ(clock.now(), 3600001);
  EXPECT_EQ(clock.monotonicHundredths(), 3000);
}

}  // namespace
}  // namespace trv::text
