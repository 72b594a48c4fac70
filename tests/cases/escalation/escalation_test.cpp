#include "cases/escalation/escalation.h"

#include <gtest/gtest.h>

#include <utility>

#include "runtime/text/date_time.h"

namespace trv::cases {
namespace {

std::int32_t day(int month, int d) {
  return *text::dateNumber(2002, month, d);
}
std::int32_t may(int d) {
  return day(5, d);
}
// A clock time as a time number; spans are entered and stored the same way.
std::int32_t hm(int h, int m) {
  return *text::timeNumber(h, m);
}

ServiceLevel officeHours(std::int32_t start, std::int32_t end) {
  ServiceLevel level;
  level.window = {1, start, end};
  return level;
}

ServiceLevel aroundTheClock() {
  return ServiceLevel{};
}

struct Row {
  const char* name;
  std::int32_t serviceStart, serviceEnd;  // office hours; unused around the clock
  std::int32_t startDate, startTime;
  std::int32_t span, days;
  std::int32_t date, time;  // expected first escalation
};

// Most results are one hundredth after the clock time shown: two stored time numbers added.
const Row kOfficeHours[] = {
    {"within the day", hm(8, 0), hm(17, 0), may(6), hm(10, 0), hm(4, 0), 0, may(6), hm(14, 0) + 1},
    {"past the end, on to the next day", hm(8, 0), hm(17, 0), may(6), hm(15, 0), hm(4, 0), 0,
     may(7), hm(10, 0) + 1},
    {"Friday past the end, on to Monday", hm(8, 0), hm(17, 0), may(10), hm(15, 0), hm(4, 0), 0,
     may(13), hm(10, 0) + 1},
    {"Friday 16:30 plus one hour", hm(8, 0), hm(17, 0), may(10), hm(16, 30), hm(1, 0), 0, may(13),
     hm(8, 30) + 1},
    {"13:00 plus 4:00 is one hundredth past the end", hm(8, 0), hm(17, 0), may(6), hm(13, 0),
     hm(4, 0), 0, may(7), hm(8, 0) + 1},
    {"one day from Thursday lands on Saturday", hm(8, 0), hm(17, 0), may(9), hm(10, 0), 0, 1,
     may(13), hm(16, 0)},
    {"two days from Monday", hm(8, 0), hm(17, 0), may(6), hm(10, 0), 0, 2, may(13), hm(13, 0)},
    {"two days from Wednesday", hm(8, 0), hm(17, 0), may(8), hm(10, 0), 0, 2, may(15), hm(13, 0)},
    {"three days", hm(8, 0), hm(17, 0), may(6), hm(10, 0), 0, 3, may(16), hm(10, 0)},
    {"nine days", hm(8, 0), hm(17, 0), may(6), hm(10, 0), 0, 9, day(6, 3), hm(10, 0)},
    {"day count 0 adds nothing", hm(8, 0), hm(17, 0), may(6), hm(10, 0), hm(1, 0), 0, may(6),
     hm(11, 0) + 1},
    {"day count above 9 adds only the weekend days", hm(8, 0), hm(17, 0), may(6), hm(10, 0),
     hm(1, 0), 10, may(8), hm(11, 0) + 1},
    {"only the low byte of the day count counts", hm(8, 0), hm(17, 0), may(6), hm(10, 0), hm(1, 0),
     256, may(6), hm(11, 0) + 1},
    {"span beyond the service end stays past it", hm(8, 0), hm(17, 0), may(6), hm(16, 30),
     hm(20, 0), 0, may(8), hm(18, 30) + 1},
    {"days exactly to the service end stay there", hm(8, 0), hm(16, 0), may(10), hm(16, 0), 0, 1,
     may(13), hm(16, 0)},
    {"Saturday start", hm(8, 0), hm(17, 0), may(11), hm(10, 0), hm(1, 0), 0, may(13),
     hm(11, 0) + 1},
    {"Sunday start moves to Tuesday", hm(8, 0), hm(17, 0), may(12), hm(10, 0), hm(1, 0), 0, may(14),
     hm(11, 0) + 1},
    {"rest of more than a service day", hm(8, 0), hm(17, 0), may(6), hm(16, 0), hm(10, 0), 0,
     may(8), hm(8, 0) + 1},
    {"rest of exactly one service day ends at the next end", hm(8, 0), hm(17, 0), may(6), hm(16, 0),
     hm(10, 0) - 1, 0, may(7), hm(17, 0)},
    {"day count to Sunday, then whole days of the span", hm(8, 0), hm(17, 0), may(10), hm(10, 0),
     hm(20, 0), 1, may(16), hm(18, 0) + 1},
    {"whole service days of a long span skip weekends", hm(8, 0), hm(17, 0), may(10), hm(10, 0),
     hm(20, 0), 0, may(14), hm(12, 0) + 1},
    {"twenty one-hour service days from Friday", hm(8, 0), hm(9, 0), may(10), hm(10, 0), hm(20, 0),
     0, day(6, 7), hm(10, 0) + 1},
    // A long span counted in whole service days could pass midnight: it carries into the date.
    {"long span past midnight carries into the date", hm(8, 0), hm(17, 0), may(6), hm(16, 0),
     hm(17, 30), 0, may(8), hm(0, 30) + 1},
    {"carried past midnight onto Saturday", hm(8, 0), hm(17, 0), may(9), hm(16, 0), hm(17, 30), 0,
     may(13), hm(0, 30) + 1},
    {"long span reaching exactly 8,640,000", hm(8, 0), hm(17, 0), may(6), hm(15, 30), 6299999, 0,
     may(7), 8640000},
    {"long span reaching 8,640,001", hm(8, 0), hm(17, 0), may(6), hm(15, 30), 6300000, 0, may(8),
     1},
};

const Row kAroundTheClock[] = {
    {"past midnight", 0, 0, may(6), hm(23, 0), hm(2, 0), 0, may(7), hm(1, 0) + 1},
    {"span and days", 0, 0, may(6), hm(10, 0), hm(4, 0), 2, may(8), hm(14, 0) + 1},
    {"sum of exactly 8,640,000 stays on the day", 0, 0, may(6), 8640000 - hm(4, 0), hm(4, 0), 0,
     may(6), 8640000},
    {"sum of 8,640,001 is 1 the next day", 0, 0, may(6), 8640001 - hm(4, 0), hm(4, 0), 0, may(7),
     1},
    {"several whole days carried", 0, 0, may(6), 1, 2 * 8640000 + 5, 0, may(8), 6},
    {"no weekend rule", 0, 0, may(10), hm(22, 0), hm(4, 0), 0, may(11), hm(2, 0) + 1},
    {"day count 0 adds nothing", 0, 0, may(6), hm(10, 0), hm(1, 0), 0, may(6), hm(11, 0) + 1},
    {"day count above 9 is added", 0, 0, may(6), hm(10, 0), hm(1, 0), 10, may(16), hm(11, 0) + 1},
    {"only the low byte of the day count counts", 0, 0, may(6), hm(10, 0), hm(1, 0), 257, may(7),
     hm(11, 0) + 1},
    {"first escalation without span or days is the start", 0, 0, may(6), hm(10, 0), 0, 0, may(6),
     hm(10, 0)},
};

void expectFirstMoment(const ServiceLevel& base, const Row& row) {
  ServiceLevel level = base;
  level.steps[0] = {row.span, row.days};
  const EscalationResult r = computeEscalationMoments(level, {row.startDate, row.startTime});
  ASSERT_TRUE(r.ok()) << row.name;
  EXPECT_EQ(r.moments[0], (EscalationMoment{row.date, row.time, 'N'}))
      << row.name << ": got " << text::weekdayName(r.moments[0].date) << " "
      << r.moments[0].date - may(0) << " May, time " << r.moments[0].time;
}

TEST(EscalationMoments, OfficeHours) {
  for (const Row& row : kOfficeHours)
    expectFirstMoment(officeHours(row.serviceStart, row.serviceEnd), row);
}

TEST(EscalationMoments, AroundTheClock) {
  for (const Row& row : kAroundTheClock) expectFirstMoment(aroundTheClock(), row);
}

TEST(EscalationMoments, EachEscalationCountsFromTheStart) {
  ServiceLevel level = officeHours(hm(8, 0), hm(17, 0));
  level.steps = {{{hm(1, 0), 0}, {hm(4, 0), 0}, {0, 1}}};
  const EscalationResult r = computeEscalationMoments(level, {may(6), hm(15, 0)});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.moments[0], (EscalationMoment{may(6), hm(16, 0) + 1, 'N'}));
  EXPECT_EQ(r.moments[1], (EscalationMoment{may(7), hm(10, 0) + 1, 'N'}));
  // One day: 24 service hours are two service days and 6 hours, which run on past 17:00.
  EXPECT_EQ(r.moments[2], (EscalationMoment{may(9), hm(12, 0), 'N'}));
}

TEST(EscalationMoments, UndefinedEscalationsAreZeroWithBlankMarks) {
  const EscalationMoment none{};
  struct Case {
    const char* name;
    EscalationStep second, third;
    bool secondSet, thirdSet;
  };
  const Case cases[] = {
      {"all three", {hm(2, 0), 0}, {0, 1}, true, true},
      {"no third", {hm(2, 0), 0}, {0, 0}, true, false},
      {"no second: no third either", {0, 0}, {hm(3, 0), 0}, false, false},
      {"day count whose low byte is 0 does not define", {0, 256}, {0, 0}, false, false},
  };
  for (const ServiceLevel& base : {aroundTheClock(), officeHours(hm(8, 0), hm(17, 0))}) {
    for (const Case& c : cases) {
      ServiceLevel level = base;
      level.steps = {{{hm(1, 0), 0}, c.second, c.third}};
      const EscalationResult r = computeEscalationMoments(level, {may(6), hm(10, 0)});
      ASSERT_TRUE(r.ok()) << c.name;
      EXPECT_EQ(r.moments[0].action, 'N') << c.name;
      EXPECT_NE(r.moments[0].date, 0) << c.name;
      if (c.secondSet) {
        EXPECT_EQ(r.moments[1].action, 'N') << c.name;
        EXPECT_NE(r.moments[1].time, 0) << c.name;
      } else {
        EXPECT_EQ(r.moments[1], none) << c.name;
      }
      if (c.thirdSet) {
        EXPECT_EQ(r.moments[2].action, 'N') << c.name;
        EXPECT_NE(r.moments[2].time, 0) << c.name;
      } else {
        EXPECT_EQ(r.moments[2], none) << c.name;
      }
    }
  }
}

// Whatever the start and the service level, an office-hours moment is a valid time number on a
// weekday.
TEST(EscalationMoments, OfficeHoursMomentsAreValidWeekdayTimes) {
  for (auto [start, end] : {std::pair{hm(8, 0), hm(17, 0)}, std::pair{hm(7, 0), hm(14, 0)},
                            std::pair{hm(14, 0), hm(23, 0)}}) {
    ServiceLevel level = officeHours(start, end);
    for (int d = 6; d < 13; ++d)
      for (std::int32_t t = hm(0, 0); t <= hm(23, 30); t += 30 * 6000)
        for (std::int32_t span = 0; span <= hm(23, 30); span += 30 * 6000)
          for (int days = 0; days <= 3; ++days) {
            level.steps[0] = {span, days};
            const EscalationResult r = computeEscalationMoments(level, {may(d), t});
            ASSERT_TRUE(r.ok());
            const EscalationMoment& m = r.moments[0];
            ASSERT_TRUE(text::isValidTimeNumber(m.time))
                << "start " << d << " May " << t << " span " << span << " days " << days;
            const int wd = text::weekday(m.date);
            ASSERT_TRUE(wd >= 1 && wd <= 5)
                << "start " << d << " May " << t << " span " << span << " days " << days;
          }
  }
}

TEST(EscalationMoments, RefusesWhatCannotGiveSoundMoments) {
  struct Case {
    const char* name;
    ServiceLevel level;
    CaseStart start;
    EscalationFault fault;
  };
  ServiceLevel negativeSpan = aroundTheClock();
  negativeSpan.steps[1] = {-5, 0};
  ServiceLevel lastDay = aroundTheClock();
  lastDay.steps[0] = {hm(1, 0), 1};
  // Office hours one hundredth long: a long span would be millions of service days.
  ServiceLevel tinyDay = officeHours(hm(8, 0), hm(8, 0) + 1);
  tinyDay.steps[0] = {hm(23, 59), 0};
  const CaseStart monday{may(6), hm(10, 0)};
  const Case cases[] = {
      {"office hours end at their start", officeHours(hm(8, 0), hm(8, 0)), monday,
       EscalationFault::ServiceHoursInvalid},
      {"office hours end before their start", officeHours(hm(17, 0), hm(8, 0)), monday,
       EscalationFault::ServiceHoursInvalid},
      {"office hours without a start", officeHours(0, hm(8, 0)), monday,
       EscalationFault::ServiceHoursInvalid},
      {"office hours ending past the day", officeHours(hm(8, 0), 8640001), monday,
       EscalationFault::ServiceHoursInvalid},
      {"negative span", negativeSpan, monday, EscalationFault::SpanInvalid},
      {"no start date", aroundTheClock(), {0, hm(10, 0)}, EscalationFault::StartInvalid},
      {"no start time", aroundTheClock(), {may(6), 0}, EscalationFault::StartInvalid},
      {"start time past the day",
       aroundTheClock(),
       {may(6), 8640001},
       EscalationFault::StartInvalid},
      {"past the last date",
       lastDay,
       {text::kLastDateNumber, hm(10, 0)},
       EscalationFault::BeyondLastDate},
      {"millions of service days", tinyDay, monday, EscalationFault::BeyondLastDate},
  };
  for (const Case& c : cases) {
    const EscalationResult r = computeEscalationMoments(c.level, c.start);
    EXPECT_EQ(r.fault, c.fault) << c.name;
    EXPECT_FALSE(r.ok()) << c.name;
    for (const EscalationMoment& m : r.moments) EXPECT_EQ(m, EscalationMoment{}) << c.name;
    EXPECT_EQ(r.window, c.level.window) << c.name;
    EXPECT_FALSE(escalationFaultText(r.fault).empty()) << c.name;
  }
}

TEST(EscalationMoments, AroundTheClockIgnoresTheServiceHours) {
  ServiceLevel level = aroundTheClock();
  level.window = {0, hm(17, 0), hm(8, 0)};
  level.steps[0] = {hm(1, 0), 0};
  const EscalationResult r = computeEscalationMoments(level, {may(6), hm(10, 0)});
  ASSERT_TRUE(r.ok());
  EXPECT_EQ(r.window, level.window);
  EXPECT_EQ(r.moments[0], (EscalationMoment{may(6), hm(11, 0) + 1, 'N'}));
}

TEST(ServiceWindow, StartChecksOfTheCaseForm) {
  const ServiceWindow office{1, hm(8, 0), hm(17, 0)};
  const ServiceWindow allDay{0, hm(8, 0), hm(17, 0)};
  struct Case {
    std::int32_t time;
    bool inOffice;
  };
  for (const Case& c : {Case{hm(7, 59), false}, Case{hm(8, 0), true}, Case{hm(17, 0), true},
                        Case{hm(17, 0) + 1, false}}) {
    EXPECT_EQ(office.acceptsStartTime(c.time), c.inOffice) << c.time;
    EXPECT_TRUE(allDay.acceptsStartTime(c.time)) << c.time;
  }
  for (int d = 6; d <= 12; ++d) {
    EXPECT_EQ(office.acceptsStartDate(may(d)), d <= 10) << d << " May";
    EXPECT_TRUE(allDay.acceptsStartDate(may(d))) << d << " May";
  }
}

}  // namespace
}  // namespace trv::cases
