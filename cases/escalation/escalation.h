#pragma once
// Escalation moments: by when a new case must have been acted on, three times over.
//
// A product's service level gives each of its three escalations a span (a time number) and a
// count of whole days. A product is served around the clock, or in office hours between a
// service start and a service end on weekdays; in office hours an escalation counts service
// time only, skips nights and moves dates that fall on a weekend to the next Monday or Tuesday.
//
// The computation is pure: it reads no file and keeps no state, so it may be called from any
// thread. The case form reads the product and calls it through escalation_records.h.
//
// Stored time numbers are added as they are: a start time plus a span is one hundredth later
// than the clock sum (13:00 plus 4:00 is 17:00:00.01). Existing cases carry moments computed
// that way, so the rule stays.

#include <array>
#include <cstdint>
#include <string_view>

namespace trv::cases {

inline constexpr int kEscalationCount = 3;

// The done mark of an escalation the product defines ("N", open) and of one it does not.
inline constexpr char kEscalationOpen = 'N';
inline constexpr char kEscalationUndefined = ' ';

// The product's service hours, as the case form needs them for its start-time and start-date
// checks. `shift` is the stored service mode: 1 office hours, 0 around the clock; any other
// value is treated as around the clock, as the case form's checks treat it.
struct ServiceWindow {
  std::uint8_t shift = 0;
  std::int32_t serviceStart = 0;  // time number
  std::int32_t serviceEnd = 0;    // time number

  bool officeHours() const { return shift == 1; }
  // Whether a new case may start at this time: in office hours, from the service start to the
  // service end inclusive; around the clock, always.
  bool acceptsStartTime(std::int32_t time) const {
    return !officeHours() || (time >= serviceStart && time <= serviceEnd);
  }
  // Whether a new case may start on this date: in office hours, not on a Saturday or Sunday.
  bool acceptsStartDate(std::int32_t date) const;
  friend bool operator==(const ServiceWindow&, const ServiceWindow&) = default;
};

// One escalation of a service level: a span (time number, 0 not set) and whole days as stored,
// of which only the low byte counts. An escalation is defined when either is not zero.
struct EscalationStep {
  std::int32_t span = 0;
  std::int32_t days = 0;
};

struct ServiceLevel {
  std::array<EscalationStep, kEscalationCount> steps{};
  ServiceWindow window;
};

// The start of a case: a date number and a time number.
struct CaseStart {
  std::int32_t date = 0;
  std::int32_t time = 0;
};

// One computed moment; date and time are 0 for an escalation the product does not define.
struct EscalationMoment {
  std::int32_t date = 0;
  std::int32_t time = 0;
  char action = kEscalationUndefined;
  friend bool operator==(const EscalationMoment&, const EscalationMoment&) = default;
};

enum class EscalationFault {
  None,
  ProductUnreadable,    // the product could not be read: nothing to compute from
  ServiceHoursInvalid,  // office hours whose end is not after their start, or not a time
  SpanInvalid,          // a negative escalation span
  StartInvalid,         // the case's start date or time is not a valid date or time number
  BeyondLastDate,       // a moment would fall after 31 December 9999
};

struct EscalationResult {
  EscalationFault fault = EscalationFault::None;
  // Meaningful only when ok(); all zero otherwise, so a faulty result is never mistaken for
  // moments.
  std::array<EscalationMoment, kEscalationCount> moments{};
  // The product's service hours; filled whenever the product was read, faulty or not.
  ServiceWindow window;

  bool ok() const { return fault == EscalationFault::None; }
};

// Computes the three escalation moments of a case started at `start` under `level`.
//
// Around the clock, each span is added to the start time (past midnight carrying into the
// date) and the days to the date. In office hours each day counts as 24 hours of service time,
// spans run on into the next service day when they pass the service end, and the weekend rule
// moves Saturday to Monday and Sunday to Tuesday where it applies. A span greater than the
// service end is counted in whole service days and added to the start time as it is, so the
// moment may lie after the service end; past midnight it carries into the next date, which the
// weekend rule then checks.
//
// Escalation 2 undefined leaves escalations 2 and 3 at 0 with blank marks; escalation 3
// undefined leaves escalation 3 so. Escalation 1 is always computed and marked open.
//
// Fails, with no moments, when the start is not a valid date and time, a span is negative, an
// office-hours product's hours are not valid time numbers with the end after the start, or a
// moment would lie beyond the last date.
[[nodiscard]] EscalationResult computeEscalationMoments(const ServiceLevel& level, CaseStart start);

// The days of an escalation step that count: the low byte of the stored number.
[[nodiscard]] constexpr int countedDays(std::int32_t storedDays) {
  return static_cast<int>(static_cast<std::uint32_t>(storedDays) & 0xFFu);
}

// Whether the step is defined: a span or a day count that is not zero.
[[nodiscard]] constexpr bool isDefined(const EscalationStep& step) {
  return step.span != 0 || countedDays(step.days) != 0;
}

// A message for the case form to show when it refuses the save; empty for None.
[[nodiscard]] std::string_view escalationFaultText(EscalationFault fault);

}  // namespace trv::cases
