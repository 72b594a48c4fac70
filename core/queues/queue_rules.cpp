#include "core/queues/queue_rules.h"

#include "runtime/text/fixed_string.h"

namespace trv::core {

bool isClosed(const SercaseRecord& c) {
  return c.Status == "Closed";
}

std::optional<Placement> placeCase(const SercaseRecord& c, std::int32_t today, std::int32_t now) {
  struct Moment {
    const text::FixedString<1>& action;
    std::int32_t date, time;
  };
  const Moment moments[] = {{c.FirstAction, c.FirstEscDate, c.FirstEscTime},
                            {c.SecAction, c.SecEscDate, c.SecEscTime},
                            {c.ThirdAction, c.ThirdEscDate, c.ThirdEscTime}};
  for (int i = 0; i < 3; ++i) {
    const Moment& m = moments[i];
    if (!(m.action == "N")) continue;
    if (i > 0 && m.date == 0 && m.time == 0) return std::nullopt;
    const bool ahead = m.date > today || (m.date == today && m.time > now);
    return Placement{ahead ? QueueKind::AFT : QueueKind::BEF, i + 1, m.date, m.time};
  }
  return std::nullopt;
}

bool viewerSees(const QueueViewer& viewer, const SercaseRecord& c) {
  if (viewer.ownCasesOnly && c.Owner.view() != text::clip(viewer.userName)) return false;
  if (viewer.hideOnHold && c.Status == "On Hold") return false;
  if (viewer.level == 0 && !text::equalNoCase(c.Owner.view(), viewer.userName)) return false;
  return true;
}

QueueEntry makeEntry(const SercaseRecord& c, const Placement& p, std::uint32_t nr) {
  QueueEntry e;
  e.NR = nr;
  e.CASENR = c.CaseNr;
  e.NEWUPDATE = c.UpdateFlag;
  e.PRIORITY = c.Priority.raw();
  e.CLIENT = c.SName.raw();
  e.FASE = phaseName(p.escalation);
  e.Time = p.time;
  e.Date = p.date;
  e.PROBLEM = c.SProblem.raw();
  e.OWNER = c.Owner.raw();
  e.STATUS = c.Status.raw();
  return e;
}

}  // namespace trv::core
