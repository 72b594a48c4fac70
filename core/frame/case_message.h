#pragma once
// The case-message window: an overdue warning for one case, with buttons to read the case,
// close the message or send the program to the task bar.

#include <cstdint>
#include <string>

namespace trv::core {

class ProgramState;

// Shows the warning on the calling (the frame's) thread and returns when it has closed.
void CaseMessage(ProgramState& state, std::uint32_t caseNr, const std::string& text);

}  // namespace trv::core
