#include "core/calendar/month_grid.h"

#include <gtest/gtest.h>

#include "runtime/text/date_time.h"

namespace trv::core {
namespace {

std::int32_t day(int y, int m, int d) {
  return *text::dateNumber(y, m, d);
}

struct MonthCase {
  int year, month;
  int length;
  int firstColumn;  // 0 Sunday
  const char* title;
};

TEST(MonthGrid, LengthsFirstWeekdaysAndTitles) {
  const MonthCase cases[] = {
      {1801, 1, 31, 4, "January 1801"},   // date number 4 is a Thursday
      {1900, 2, 28, 4, "February 1900"},  // a century year that is no leap year
      {2000, 2, 29, 2, "February 2000"},
      {2024, 2, 29, 4, "February 2024"},
      {2023, 2, 28, 3, "February 2023"},
      {2015, 2, 28, 0, "February 2015"},  // starts on a Sunday: exactly four rows
      {2002, 4, 30, 1, "April 2002"},
      {2002, 6, 30, 6, "June 2002"},
      {2002, 9, 30, 0, "September 2002"},
      {2002, 11, 30, 5, "November 2002"},
      {2011, 10, 31, 6, "October 2011"},  // 31 days from a Saturday
      {2099, 12, 31, 2, "December 2099"},
  };
  for (const MonthCase& c : cases) {
    const MonthGrid g(day(c.year, c.month, 1));
    EXPECT_EQ(g.monthLength(), c.length) << c.title;
    EXPECT_EQ(g.firstColumn(), c.firstColumn) << c.title;
    EXPECT_EQ(g.title(), c.title);
  }
}

TEST(MonthGrid, CellsShowTheDaysFromTheFirstColumn) {
  const MonthGrid feb2015(day(2015, 2, 10));
  EXPECT_EQ(feb2015.dayAt(1), 1);
  EXPECT_EQ(feb2015.dayAt(28), 28);
  EXPECT_EQ(feb2015.dayAt(29), 0);
  EXPECT_EQ(feb2015.markedPosition(), 10);

  const MonthGrid oct2011(day(2011, 10, 31));  // every one of the 37 cells in use
  EXPECT_EQ(oct2011.dayAt(6), 0);
  EXPECT_EQ(oct2011.dayAt(7), 1);
  EXPECT_EQ(oct2011.dayAt(37), 31);
  EXPECT_EQ(oct2011.markedPosition(), 37);
  EXPECT_EQ(oct2011.dayAt(0), 0);
  EXPECT_EQ(oct2011.dayAt(38), 0);
}

TEST(MonthGrid, MarkFollowsTheStartingDayIntoEveryMonthThatHasIt) {
  MonthGrid g(day(2002, 1, 31));
  EXPECT_EQ(g.nextMonth(), YearBound::None);  // February: no 31st
  EXPECT_EQ(g.markedPosition(), 0);
  EXPECT_EQ(g.nextMonth(), YearBound::None);  // March 2002 starts on a Friday
  EXPECT_EQ(g.markedPosition(), 31 + 5);
  EXPECT_EQ(g.startDate(), day(2002, 1, 31));
}

TEST(MonthGrid, ChoosingADayGivesItsDateAndAnEmptyCellNothing) {
  const MonthGrid g(day(2002, 5, 6));  // May 2002 starts on a Wednesday
  EXPECT_EQ(g.choose(3 + 25), day(2002, 5, 25));
  EXPECT_FALSE(g.choose(1).has_value());
  EXPECT_FALSE(g.choose(37).has_value());
}

struct StepCase {
  const char* what;
  int year, month;
  YearBound (MonthGrid::*step)();
  int wantYear, wantMonth;
  YearBound report;
};

TEST(MonthGrid, StepsWrapTheMonthAndKeepTheYearInRange) {
  const StepCase cases[] = {
      {"next month in December", 2002, 12, &MonthGrid::nextMonth, 2003, 1, YearBound::None},
      {"previous month in January", 2002, 1, &MonthGrid::previousMonth, 2001, 12, YearBound::None},
      {"before January 1801", 1801, 1, &MonthGrid::previousMonth, 1801, 12, YearBound::Lower},
      {"after December 2099", 2099, 12, &MonthGrid::nextMonth, 2099, 1, YearBound::Upper},
      {"year back in 1801", 1801, 7, &MonthGrid::previousYear, 1801, 7, YearBound::Lower},
      {"year on in 2099", 2099, 3, &MonthGrid::nextYear, 2099, 3, YearBound::Upper},
      {"year on", 2002, 3, &MonthGrid::nextYear, 2003, 3, YearBound::None},
  };
  for (const StepCase& c : cases) {
    MonthGrid g(day(c.year, c.month, 1));
    EXPECT_EQ((g.*c.step)(), c.report) << c.what;
    EXPECT_EQ(g.year(), c.wantYear) << c.what;
    EXPECT_EQ(g.month(), c.wantMonth) << c.what;
  }
}

TEST(MonthGrid, MonthFieldWrapsOnceWhateverItsValue) {
  MonthGrid g(day(2002, 5, 6));
  EXPECT_EQ(g.setMonth(13), YearBound::None);
  EXPECT_EQ(g.month(), 1);
  EXPECT_EQ(g.year(), 2003);
  EXPECT_EQ(g.setMonth(-4), YearBound::None);
  EXPECT_EQ(g.month(), 12);
  EXPECT_EQ(g.year(), 2002);
  EXPECT_EQ(g.setYear(1700), YearBound::Lower);
  EXPECT_EQ(g.year(), 1801);
}

TEST(MonthGrid, StartAfter2099OpensOnItsOwnMonthUntilTheFirstStep) {
  MonthGrid g(day(2150, 6, 15));
  EXPECT_EQ(g.title(), "June 2150");
  EXPECT_EQ(g.nextMonth(), YearBound::Upper);
  EXPECT_EQ(g.title(), "July 2099");
}

TEST(MonthGrid, RangeMessages) {
  EXPECT_EQ(rangeMessage(YearBound::Lower),
            "You cannot use the calendar for\r\ndates before the year 1801");
  EXPECT_EQ(rangeMessage(YearBound::Upper),
            "You cannot use the calendar for\r\ndates after the year 2099");
  EXPECT_EQ(rangeMessage(YearBound::None), "");
}

}  // namespace
}  // namespace trv::core
