#pragma once
// The assignment window ("Assign Agent to Case Nr. N"): a supervisor or administrator gives the
// case highlighted in the case list to another agent, with an optional remark.
//
// The window offers every user but the signed-on one, sorted by name, with the agent chosen
// last on this workstation pre-selected ("Config"/"AssignAgent", "Boss" when none was chosen);
// it keeps its position in section "AssignWindow". "&OK" reads the case again by its number
// and compares the chosen agent with the owner stored now (not with what the list showed):
// the same agent is refused with a beep. Otherwise the case gets its new owner, the history
// entry "Case ASSIGNMENT: ..." with the remark, SER:UpdateFlag 1 (changed for its new owner),
// and an "Assign" activity-log entry once the case is written.
//
// Runs modally on the case list's thread, with the case, users and log files open there; the
// case file's buffer is used and left holding the case as written.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trv::core {
class ProgramState;
}

namespace trv::cases {

// Control numbers of the assignment window.
enum AssignControl : int {
  AssignAgentPrompt = 1,
  AssignAgentList = 2,
  AssignRemark = 3,
  AssignRemarkPrompt = 4,
  AssignOk = 5,
  AssignCancel = 6,
};

// The agents a case can be given to: every name but the signed-on user's (exact comparison,
// trailing blanks ignored), clipped and sorted ascending.
std::vector<std::string> assignableAgents(std::vector<std::string> names, std::string_view user);

// The history with the assignment entry appended: an empty line, the assignment line, a line
// break and the remark (clipped; an empty remark still ends the entry with its line break).
// Nothing when the result would not fit in SER:History.
std::optional<std::string> withAssignmentEntry(std::string_view history, std::int32_t date,
                                               std::int32_t time, std::string_view agent,
                                               std::string_view newOwner, std::string_view remark);

// Opens the window for case `caseNr`; true when the case was assigned.
bool AssignCase(core::ProgramState& state, std::uint32_t caseNr);

}  // namespace trv::cases
