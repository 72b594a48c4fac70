#pragma once
// The case list's activity-log entries: "Deleted" for a case deleted from the list, "Yanked"
// for a take-over and "Assign" for an assignment, by the signed-on user, dated by the
// workstation's clock.

#include <cstdint>
#include <string_view>

namespace trv::core {
class ProgramState;
}

namespace trv::cases {

enum class CaseLogKind : int {
  Deleted = 1,        // deleted through the case form
  Yanked = 2,         // taken over
  Assign = 3,         // given to another agent
  DeletedClosed = 4,  // removed by "Delete Clo&sed"
};

// The action word of the kind ("Deleted", "Yanked", "Assign").
std::string_view caseLogWord(CaseLogKind kind);

// Adds the entry for case `caseNr` while activity logging is on (SysDoLog 1); nothing otherwise.
// A refused entry shows "Activity Log Update Failure" (the program's caption, exclamation icon)
// and changes nothing else. Requires the Log file open on the calling program thread.
void writeCaseLogEntry(core::ProgramState& state, CaseLogKind kind, std::uint32_t caseNr);

}  // namespace trv::cases
