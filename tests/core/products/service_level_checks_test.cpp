// The product form's service-level checks: a table of levels that pass and one of levels that
// are refused, with the message and the field that gets the focus.

#include "core/products/service_level_checks.h"

#include <gtest/gtest.h>

namespace trv::core {
namespace {

// A time number from hours and minutes (0:00 is 1; -1 gives an empty time).
constexpr std::int32_t t(int hours, int minutes = 0) {
  return hours < 0 ? 0 : (hours * 60 + minutes) * 6000 + 1;
}
constexpr std::int32_t kEmpty = 0;

struct Spans {
  std::int32_t t1, d1, t2, d2, t3, d3;
};

ServiceLevel level(Spans s) {
  ServiceLevel l;
  l.FirstEsc = s.t1;
  l.FirstEscDays = s.d1;
  l.SecEsc = s.t2;
  l.SecEscDays = s.d2;
  l.ThdEsc = s.t3;
  l.ThirdEscDays = s.d3;
  return l;
}

ServiceLevel office(Spans s, std::int32_t start, std::int32_t end) {
  ServiceLevel l = level(s);
  l.officeHours = true;
  l.ServiceStart = start;
  l.ServiceEnd = end;
  return l;
}

TEST(ServiceLevelChecks, LevelsThatPass) {
  struct Case {
    const char* what;
    ServiceLevel level;
  } cases[] = {
      {"three ascending times", level({t(4), 0, t(8), 0, t(12), 0})},
      {"first only", level({t(2), 0, kEmpty, 0, kEmpty, 0})},
      {"a later escalation with more days and a shorter time",
       level({t(4), 0, t(1), 3, kEmpty, 0})},
      {"equal spans", level({t(4), 1, t(4), 1, t(4), 1})},
      {"days only, times empty", level({kEmpty, 1, kEmpty, 2, kEmpty, 3})},
      {"a day count after an unset escalation is not compared",
       level({kEmpty, 1, kEmpty, 0, kEmpty, 0})},
      {"0:00 and 0:00 before a time", level({t(0), 0, t(0), 0, t(2), 0})},
      {"office hours of exactly 7 hours", office({t(4), 0, kEmpty, 0, kEmpty, 0}, t(8), t(15))},
      {"office hours of exactly 9 hours", office({t(4), 0, kEmpty, 0, kEmpty, 0}, t(8), t(17))},
      {"office hours with 3 days", office({t(4), 3, kEmpty, 0, kEmpty, 0}, t(9), t(17))},
      {"24 hours ignores start and end",
       [] {
         ServiceLevel l = level({t(4), 0, kEmpty, 0, kEmpty, 0});
         l.ServiceStart = t(17);
         l.ServiceEnd = t(8);
         return l;
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(checkServiceLevel(c.level), std::nullopt);
  }
}

TEST(ServiceLevelChecks, LevelsThatAreRefused) {
  using F = SlaField;
  struct Case {
    const char* what;
    ServiceLevel level;
    SlaRefusal refusal;
  } cases[] = {
      {"second time below the first, no days",
       level({t(2), 0, t(1), 0, kEmpty, 0}),
       {kNotAscending, F::FirstEsc}},
      {"third below the first with the second unset",
       level({t(5), 0, kEmpty, 0, t(2), 0}),
       {kNotAscending, F::FirstEsc}},
      {"same days, shorter times", level({t(5), 1, t(2), 1, t(6), 1}), {kNotAscending, F::SecEsc}},
      {"fewer days", level({t(1), 2, t(1), 1, kEmpty, 0}), {kNotAscending, F::SecEscDays}},
      {"third before the second by days",
       level({t(1), 1, t(1), 3, t(23), 2}),
       {kNotAscending, F::ThirdEscDays}},
      {"a time below a day count before it",
       level({kEmpty, 1, t(2), 0, kEmpty, 0}),
       {kNotAscending, F::SecEscDays}},
      {"all times empty",
       level({kEmpty, 0, kEmpty, 0, kEmpty, 0}),
       {kEscalationEmpty, F::FirstEsc}},
      {"all times 0:00", level({t(0), 0, t(0), 0, t(0), 0}), {kEscalationZero, F::FirstEsc}},
      {"first and second 0:00",
       level({t(0), 0, t(0), 0, kEmpty, 0}),
       {kEscalationZero, F::FirstEsc}},
      {"office hours with 4 days",
       office({t(1), 0, kEmpty, 4, kEmpty, 0}, t(8), t(16)),
       {kMaxThreeDays, F::SecEscDays}},
      {"start after end",
       office({t(4), 0, kEmpty, 0, kEmpty, 0}, t(17), t(8)),
       {kStartAfterEnd, F::ServiceStart}},
      {"a minute short of 7 hours",
       office({t(4), 0, kEmpty, 0, kEmpty, 0}, t(8), t(14, 59)),
       {kOfficeSpan, F::ServiceStart}},
      {"a minute past 9 hours",
       office({t(4), 0, kEmpty, 0, kEmpty, 0}, t(8), t(17, 1)),
       {kOfficeSpan, F::ServiceStart}},
      {"a priority flag without a priority",
       [] {
         ServiceLevel l = level({t(4), 0, kEmpty, 0, kEmpty, 0});
         l.priorityFix = true;
         return l;
       }(),
       {"", F::Priority}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(checkServiceLevel(c.level), std::optional<SlaRefusal>(c.refusal));
  }
}

}  // namespace
}  // namespace trv::core
