#include "core/jobs/schedule.h"

#include <gtest/gtest.h>

#include "runtime/text/date_time.h"

namespace trv::core::jobs {
namespace {

const std::int32_t kToday = *text::dateNumber(2002, 5, 6);

std::int32_t at(int h, int m, int s = 0) {
  return *text::timeNumber(h, m, s);
}

TEST(ClosedCaseDueTest, DaysAndTimeWithAndWithoutTheServerOption) {
  struct Case {
    const char* what;
    std::uint8_t deleteClosed, server2, days;
    std::int32_t deleteTime, closedDate, now;
    bool due;
  };
  const Case cases[] = {
      {"deletion off", 0, 0, 0, 0, kToday, at(10, 0), false},
      {"0 days: at once", 1, 0, 0, 0, kToday, at(10, 0), true},
      {"days not reached", 1, 0, 3, 0, kToday - 2, at(10, 0), false},
      {"days reached", 1, 0, 3, 0, kToday - 3, at(10, 0), true},
      {"days, no closing date", 1, 0, 3, 0, 0, at(10, 0), false},
      {"0 days, no closing date", 1, 0, 0, 0, 0, at(10, 0), true},
      {"closed in the future", 1, 0, 1, 0, kToday + 2, at(10, 0), false},
      {"server, 0 days, before the time", 1, 1, 0, at(18, 0), kToday, at(17, 59, 59), false},
      {"server, 0 days, at the time", 1, 1, 0, at(18, 0), kToday, at(18, 0), true},
      {"server, days reached, before the time", 1, 1, 2, at(18, 0), kToday - 5, at(9, 0), false},
      {"server, days reached, after the time", 1, 1, 2, at(18, 0), kToday - 2, at(19, 0), true},
      {"server, days not reached", 1, 1, 2, at(18, 0), kToday - 1, at(19, 0), false},
      {"server time ignored without it", 1, 0, 0, at(18, 0), kToday, at(9, 0), true},
  };
  for (const Case& c : cases) {
    SystemCopies sys;
    sys.SysDeleteClosed = c.deleteClosed;
    sys.SysServer2 = c.server2;
    sys.SysDeleteDays = c.days;
    sys.SysDeleteTime = c.deleteTime;
    EXPECT_EQ(closedCaseDue(sys, c.closedDate, {kToday, c.now}), c.due) << c.what;
  }
}

TEST(TimedBackupMinuteTest, TheSetMinuteBetweenTwoRescans) {
  struct Case {
    const char* what;
    std::uint8_t doBackup, server, days;
    std::int32_t lastBackUp;
    std::optional<Moment> previous;
    Moment now;
    std::optional<std::int32_t> minute;
  };
  const std::int32_t d = kToday;
  const Case cases[] = {
      {"first rescan inside the minute", 1, 1, 0, 0, {}, {d, at(14, 30, 59)}, d},
      {"first rescan after the minute", 1, 1, 0, 0, {}, {d, at(14, 31)}, {}},
      {"rescan inside the minute", 1, 1, 0, 0, Moment{d, at(14, 29, 50)}, {d, at(14, 30, 21)}, d},
      {"91 s apart, stepping over it",
       1,
       1,
       0,
       0,
       Moment{d, at(14, 29, 50)},
       {d, at(14, 31, 21)},
       d},
      {"previous rescan at its last second",
       1,
       1,
       0,
       0,
       Moment{d, at(14, 30, 59)},
       {d, at(14, 31, 30)},
       d},
      {"previous rescan after it", 1, 1, 0, 0, Moment{d, at(14, 31)}, {d, at(14, 32, 31)}, {}},
      {"before it", 1, 1, 0, 0, Moment{d, at(14, 28)}, {d, at(14, 29, 59)}, {}},
      {"across midnight", 1, 1, 0, 0, Moment{d, at(23, 59, 40)}, {d + 1, at(0, 0, 11)}, d + 1},
      {"no backup option", 0, 1, 0, 0, {}, {d, at(14, 30)}, {}},
      {"no server option", 1, 0, 0, 0, {}, {d, at(14, 30)}, {}},
      {"days not yet passed", 1, 1, 2, d - 1, {}, {d, at(14, 30)}, {}},
      {"days passed", 1, 1, 2, d - 2, {}, {d, at(14, 30)}, d},
      {"clock set back: the minute itself only",
       1,
       1,
       0,
       0,
       Moment{d, at(16, 0)},
       {d, at(14, 45)},
       {}},
      {"a long gap counts one day", 1, 1, 0, 0, Moment{d - 3, at(9, 0)}, {d, at(15, 0)}, d},
  };
  for (const Case& c : cases) {
    SystemCopies sys;
    sys.SysDoBackup = c.doBackup;
    sys.SysServer = c.server;
    sys.SysBackUpDays = c.days;
    sys.SysBackUpTime = at(14, 30);
    if (std::string_view(c.what) == "across midnight") sys.SysBackUpTime = at(0, 0);
    EXPECT_EQ(timedBackupMinute(sys, c.lastBackUp, c.previous, c.now), c.minute) << c.what;
  }
}

TEST(ClosingBackupDueTest, MoreThanTheSetDaysSinceTheLast) {
  struct Case {
    std::uint8_t doBackup, server, days;
    std::int32_t lastBackUp;
    bool due;
  };
  const Case cases[] = {
      {0, 0, 0, 0, false},          {1, 1, 0, 0, false},         {1, 0, 0, kToday, true},
      {1, 0, 3, kToday - 3, false}, {1, 0, 3, kToday - 4, true}, {1, 0, 3, 0, true},
  };
  for (const Case& c : cases) {
    SystemCopies sys;
    sys.SysDoBackup = c.doBackup;
    sys.SysServer = c.server;
    sys.SysBackUpDays = c.days;
    EXPECT_EQ(closingBackupDue(sys, c.lastBackUp, kToday), c.due)
        << int{c.doBackup} << int{c.server} << int{c.days} << " " << kToday - c.lastBackUp;
  }
}

TEST(LogEntryExpiredTest, ZeroDaysTakesTodayOthersStopBeforeTheLimit) {
  struct Case {
    std::int32_t keepDays, entryDate;
    bool expired;
  };
  const Case cases[] = {
      {0, kToday, true},         {0, kToday + 1, false}, {0, 0, true},
      {7, kToday - 7, false},    {7, kToday - 8, true},  {7, kToday, false},
      {-1, kToday - 100, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(logEntryExpired(c.entryDate, c.keepDays, kToday), c.expired)
        << c.keepDays << " days, entry " << kToday - c.entryDate << " days old";
  EXPECT_EQ(logLimitDate(7, kToday), kToday - 7);
}

}  // namespace
}  // namespace trv::core::jobs
