#pragma once
// The checks a product's service level must pass before the product form saves it: escalation
// days in office hours, ascending escalation spans, escalation times that are not all empty or
// all zero, office hours of 7 to 9 hours, and a priority when the priority flag is set.
//
// An escalation's span is its days and its time together (a time number: 0 empty, 1 0:00), so
// "1 day 2:00" lies after "0 days 23:00". An escalation with no days and an empty time is not
// set and is compared with none; every two escalations that are set must not descend.
//
// Pure functions over values; no window or file is touched.

#include <cstdint>
#include <optional>
#include <string>

namespace trv::core {

// The service-level fields of a product as the form holds them.
struct ServiceLevel {
  std::int32_t FirstEsc = 0, SecEsc = 0, ThdEsc = 0;  // time numbers
  std::int32_t FirstEscDays = 0, SecEscDays = 0, ThirdEscDays = 0;
  bool officeHours = false;  // SLA:ServiceShift
  std::int32_t ServiceStart = 0, ServiceEnd = 0;
  bool priorityFix = false;
  bool priorityBlank = true;
};

// The field a refusal puts the focus on.
enum class SlaField {
  FirstEsc,
  FirstEscDays,
  SecEsc,
  SecEscDays,
  ThdEsc,
  ThirdEscDays,
  ServiceStart,
  Priority,
};

struct SlaRefusal {
  std::string message;  // empty: the focus moves without a message
  SlaField focus = SlaField::FirstEsc;
  friend bool operator==(const SlaRefusal&, const SlaRefusal&) = default;
};

inline constexpr const char* kMaxThreeDays =
    "  Maximum is 3 Days (72 hours) when using Office Hours !";
inline constexpr const char* kNotAscending = " Escalation times must be ascending ! ";
inline constexpr const char* kEscalationZero = " Escalation field can not be zero.. ";
inline constexpr const char* kEscalationEmpty = " Escalation field can not be empty.. ";
inline constexpr const char* kStartAfterEnd = "  Start Service can NOT be later then End Service !";
inline constexpr const char* kOfficeSpan =
    "  Office Hours TimeSpan : Minimal 7 and Maximal 9 hours !";

// Office hours allow escalations of at most this many days.
inline constexpr std::int32_t kOfficeMaxDays = 3;

// The first check the level fails, in the form's order (days in office hours, ascending spans,
// empty or zero times, office hours, priority); nothing when it passes.
std::optional<SlaRefusal> checkServiceLevel(const ServiceLevel& level);

}  // namespace trv::core
