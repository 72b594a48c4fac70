#include "cases/escalation/escalation.h"

#include "runtime/text/date_time.h"

namespace trv::cases {
namespace {

// Wide arithmetic throughout: stored spans and days are 32-bit and their sums must not wrap.
using Wide = std::int64_t;

constexpr Wide kDay = text::kHundredthsPerDay;

// Saturday becomes Monday, Sunday becomes Tuesday; applied once, not repeated.
Wide weekendRule(Wide date) {
  const Wide weekday = date % 7;
  return (weekday == 6 || weekday == 0) ? date + 2 : date;
}

// `count` times: the next day, then the weekend rule. After the first step the date is always
// a weekday, and from a weekday five such steps are exactly one week, so a run of any length
// takes constant time.
Wide stepServiceDays(Wide date, Wide count) {
  if (count <= 0) return date;
  date = weekendRule(date + 1);
  --count;
  date += (count / 5) * 7;
  for (Wide i = 0; i < count % 5; ++i) date = weekendRule(date + 1);
  return date;
}

struct Moment {
  Wide date;
  Wide time;
};

// A time past the end of the day moves whole days into the date.
Moment carryPastMidnight(Moment m) {
  if (m.time > kDay) {
    const Wide days = (m.time - 1) / kDay;
    m.time -= days * kDay;
    m.date += days;
  }
  return m;
}

Moment aroundTheClock(const EscalationStep& step, bool mayBeUnset, CaseStart start) {
  if (mayBeUnset && !isDefined(step)) return {start.date, 0};
  Moment m = carryPastMidnight({start.date, Wide{start.time} + step.span});
  m.date += countedDays(step.days);
  return m;
}

Moment officeHours(const EscalationStep& step, const ServiceWindow& window, CaseStart start) {
  const Wide serviceStart = window.serviceStart;
  const Wide serviceEnd = window.serviceEnd;
  const Wide dayLength = serviceEnd - serviceStart;
  const int days = countedDays(step.days);

  Wide date = start.date;
  Wide span = step.span;

  // Each escalation day is 24 hours of service time: whole service days go to the date, the
  // rest to the span.
  if (days >= 1 && days <= 9) {
    const Wide serviceTime = days * kDay;
    date += serviceTime / dayLength;
    span += serviceTime % dayLength;
  }
  // Spans of two days and more cross a weekend.
  if (days > 1) date += 2;
  date = weekendRule(date);

  if (span > serviceEnd) {
    const Wide wholeDays = span / dayLength;
    span -= wholeDays * dayLength;
    date = stepServiceDays(date, wholeDays);
    Moment m{date, start.time + span};
    if (m.time > kDay) {
      m = carryPastMidnight(m);
      m.date = weekendRule(m.date);
    }
    return m;
  }

  Moment m{date, start.time + span};
  if (m.time > serviceEnd) {
    // What is left after today's service end runs on from the next service start.
    Wide rest = span - (serviceEnd - start.time);
    m.date += 1;
    if (rest > dayLength) {
      m.date += rest / dayLength;
      rest %= dayLength;
    }
    m.time = serviceStart + rest;
  }
  m.date = weekendRule(m.date);
  return m;
}

EscalationFault checkInputs(const ServiceLevel& level, CaseStart start) {
  if (!text::isValidDateNumber(start.date) || !text::isValidTimeNumber(start.time))
    return EscalationFault::StartInvalid;
  for (const EscalationStep& step : level.steps)
    if (step.span < 0) return EscalationFault::SpanInvalid;
  if (level.window.officeHours()) {
    const ServiceWindow& w = level.window;
    if (!text::isValidTimeNumber(w.serviceStart) || !text::isValidTimeNumber(w.serviceEnd) ||
        w.serviceEnd <= w.serviceStart)
      return EscalationFault::ServiceHoursInvalid;
  }
  return EscalationFault::None;
}

}  // namespace

bool ServiceWindow::acceptsStartDate(std::int32_t date) const {
  const int weekday = text::weekday(date);
  return !officeHours() || (weekday != 0 && weekday != 6);
}

EscalationResult computeEscalationMoments(const ServiceLevel& level, CaseStart start) {
  EscalationResult result;
  result.window = level.window;
  result.fault = checkInputs(level, start);
  if (!result.ok()) return result;

  std::array<EscalationMoment, kEscalationCount> moments{};
  for (int i = 0; i < kEscalationCount; ++i) {
    const EscalationStep& step = level.steps[i];
    const Moment m = level.window.officeHours() ? officeHours(step, level.window, start)
                                                : aroundTheClock(step, i > 0, start);
    if (m.date > text::kLastDateNumber) {
      result.fault = EscalationFault::BeyondLastDate;
      return result;
    }
    moments[i] = {static_cast<std::int32_t>(m.date), static_cast<std::int32_t>(m.time),
                  kEscalationOpen};
  }

  // Without a second escalation there is no third either.
  const int defined = !isDefined(level.steps[1]) ? 1 : !isDefined(level.steps[2]) ? 2 : 3;
  for (int i = defined; i < kEscalationCount; ++i) moments[i] = EscalationMoment{};

  result.moments = moments;
  return result;
}

std::string_view escalationFaultText(EscalationFault fault) {
  switch (fault) {
    case EscalationFault::None:
      return {};
    case EscalationFault::ProductUnreadable:
      return "The product of this case cannot be read, so its escalation moments cannot be "
             "computed. The case is not saved.";
    case EscalationFault::ServiceHoursInvalid:
      return "The office hours of this product do not end after they start. Correct the "
             "product's service level first; the case is not saved.";
    case EscalationFault::SpanInvalid:
      return "An escalation time of this product is not valid. Correct the product's service "
             "level first; the case is not saved.";
    case EscalationFault::StartInvalid:
      return "The case has no valid start date and time. The case is not saved.";
    case EscalationFault::BeyondLastDate:
      return "The escalation moments of this case would fall after 31/12/9999. The case is "
             "not saved.";
  }
  return {};
}

}  // namespace trv::cases
