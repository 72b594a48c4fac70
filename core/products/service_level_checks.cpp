#include "core/products/service_level_checks.h"

#include <array>

namespace trv::core {
namespace {

constexpr std::int64_t kHour = 360000;  // hundredths of a second
constexpr std::int64_t kDay = 24 * kHour;
constexpr std::int64_t kOfficeMin = 7 * kHour;
constexpr std::int64_t kOfficeMax = 9 * kHour;
constexpr std::int32_t kZeroTime = 1;  // 0:00; 0 is an empty time

struct Escalation {
  std::int32_t time;
  std::int32_t days;
  SlaField timeField;
  SlaField daysField;

  bool set() const { return days != 0 || time != 0; }
  std::int64_t span() const {
    return static_cast<std::int64_t>(days) * kDay + (time > 0 ? time - 1 : 0);
  }
};

}  // namespace

std::optional<SlaRefusal> checkServiceLevel(const ServiceLevel& l) {
  const std::array<Escalation, 3> e{{
      {l.FirstEsc, l.FirstEscDays, SlaField::FirstEsc, SlaField::FirstEscDays},
      {l.SecEsc, l.SecEscDays, SlaField::SecEsc, SlaField::SecEscDays},
      {l.ThdEsc, l.ThirdEscDays, SlaField::ThdEsc, SlaField::ThirdEscDays},
  }};

  if (l.officeHours)
    for (const Escalation& x : e)
      if (x.days > kOfficeMaxDays) return SlaRefusal{kMaxThreeDays, x.daysField};

  const bool noDays = l.FirstEscDays == 0 && l.SecEscDays == 0 && l.ThirdEscDays == 0;
  // Each later escalation against each earlier one: third and second, third and first, second
  // and first. Days and time are one span, so more days with a shorter time still ascend.
  constexpr std::array<std::pair<int, int>, 3> kPairs{{{2, 1}, {2, 0}, {1, 0}}};
  for (const auto& [later, earlier] : kPairs) {
    const Escalation& a = e[static_cast<std::size_t>(later)];
    const Escalation& b = e[static_cast<std::size_t>(earlier)];
    if (!a.set() || !b.set() || a.span() >= b.span()) continue;
    const SlaField focus = noDays            ? SlaField::FirstEsc
                           : a.days < b.days ? a.daysField
                                             : a.timeField;
    return SlaRefusal{kNotAscending, focus};
  }

  if (noDays) {
    const bool t1 = l.FirstEsc != 0, t2 = l.SecEsc != 0, t3 = l.ThdEsc != 0;
    const bool zero12 = l.FirstEsc == kZeroTime && l.SecEsc == kZeroTime;
    if (t1 && t2 && t3) {
      if (zero12 && l.ThdEsc == kZeroTime) return SlaRefusal{kEscalationZero, SlaField::FirstEsc};
    } else if (t1 && t2) {
      if (zero12) return SlaRefusal{kEscalationZero, SlaField::FirstEsc};
    } else if (!t1 && !t2 && !t3) {
      return SlaRefusal{kEscalationEmpty, SlaField::FirstEsc};
    }
  }

  if (l.officeHours) {
    if (l.ServiceStart > l.ServiceEnd) return SlaRefusal{kStartAfterEnd, SlaField::ServiceStart};
    const std::int64_t span = static_cast<std::int64_t>(l.ServiceEnd) - l.ServiceStart;
    if (span < kOfficeMin || span > kOfficeMax)
      return SlaRefusal{kOfficeSpan, SlaField::ServiceStart};
  }

  if (l.priorityFix && l.priorityBlank) return SlaRefusal{{}, SlaField::Priority};
  return std::nullopt;
}

}  // namespace trv::core
