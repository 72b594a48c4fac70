#include "cases/caselist/case_log.h"

#include "cases/history/case_trace.h"
#include "core/data/words.h"
#include "core/jobs/activity_log.h"
#include "core/program/program_state.h"
#include "runtime/forms/program_message.h"
#include "runtime/text/clock.h"

namespace trv::cases {

std::string_view caseLogWord(CaseLogKind kind) {
  switch (kind) {
    case CaseLogKind::Yanked:
      return core::kActionYanked;
    case CaseLogKind::Assign:
      return core::kActionAssign;
    case CaseLogKind::Deleted:
    case CaseLogKind::DeletedClosed:
      break;
  }
  return core::kActionDeleted;
}

void writeCaseLogEntry(core::ProgramState& s, CaseLogKind kind, std::uint32_t caseNr) {
  if (s.sys.DoLog != 1) return;
  core::jobs::LogEntry e;
  e.userId = s.user.Id;
  e.name = s.user.Name;
  e.caseNr = caseNr;
  e.action = caseLogWord(kind);
  e.date = s.env.clock.today();
  e.time = s.env.clock.now();
  if (core::jobs::addLogEntry(*s.dictionary.LogAccess, e) != store::Ok)
    forms::tell(s.forms, std::string(kActivityLogFailure), ui::Icon::Exclamation);
}

}  // namespace trv::cases
