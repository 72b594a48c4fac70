#pragma once
// The case-message window: an overdue warning for one case, with buttons to read the case,
// close the message or send the program to the task bar.

#include <cstdint>
#include <string>

namespace trv::core {

class ProgramState;

// Control numbers of the case-message window.
namespace casemessage {
enum Control : int { kImage = 1, kText = 2, kIconize = 3, kClose = 4, kCase = 5 };
}  // namespace casemessage

// Shows the warning on the calling (the frame's) thread and returns when it has closed.
void CaseMessage(ProgramState& state, std::uint32_t caseNr, const std::string& text);

}  // namespace trv::core
