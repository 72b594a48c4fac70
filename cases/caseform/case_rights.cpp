#include "cases/caseform/case_rights.h"

#include "runtime/text/fixed_string.h"

namespace trv::cases {
namespace {

bool closed(std::string_view status) {
  return text::clip(status) == "Closed";
}

}  // namespace

CaseControlStates openingStates(const CaseFacts& f) {
  CaseControlStates s;
  s.notesEnabled = !closed(f.status);
  for (std::size_t i = 0; i < s.doneEnabled.size(); ++i)
    s.doneEnabled[i] = f.owner && f.marks[i] == 'N';
  s.priorityEnabled = !f.priorityForced;
  if (f.level == 0) {
    s.statusEnabled = f.owner;
    s.priorityEnabled = f.owner && !f.priorityForced;
  } else if (closed(f.status)) {
    s.priorityEnabled = false;
  }
  s.yankEnabled = !f.owner;
  return s;
}

CaseControlStates afterTakeOver(const CaseFacts& f, std::string_view rememberedStatus) {
  CaseControlStates s;
  s.notesEnabled = !closed(f.status);
  s.statusEnabled = true;
  s.priorityEnabled = !f.priorityForced && !closed(rememberedStatus);
  s.yankEnabled = false;
  for (std::size_t i = 0; i < s.doneEnabled.size(); ++i) s.doneEnabled[i] = f.marks[i] == 'N';
  return s;
}

}  // namespace trv::cases
