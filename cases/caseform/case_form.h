#pragma once
// ChangeCases: the case form. An agent creates a case for a client and product, gets its
// priority and escalation moments, works it through notes, calls, mails, status and priority
// changes and done marks (each through the notes window, each leaving a history entry), takes
// it over from another agent, and closes it. A delete request deletes the case after asking,
// without showing the form.
//
// Runs on its caller's thread, at most one in the whole program (slot "ChangeCasesThread"): a
// second call brings the open form to the front and returns. The frame's timer stands still
// while the window is open. The request is taken from NextRequest; the response (completed or
// cancelled) is left in LastResponse.
//
// A save writes, in this order: for a new case the escalation moments and the creation line,
// for an existing case the update mark; then the validation pass and the record with its
// history; only once the record is written the activity-log entry and (existing cases) the
// queue marks. A refused save therefore leaves neither behind.

#include <cstdint>
#include <optional>

namespace trv::core {
class ProgramState;
}

namespace trv::cases {

// With a case number the form reads that case by its number; without one it works on the case
// already in the thread's Sercase buffer.
void ChangeCases(core::ProgramState& state, std::optional<std::uint32_t> caseNr = std::nullopt);

// Registers "ChangeCases" (argument: the case number in decimal, or empty), run on its
// caller's thread.
void registerCaseForm(core::ProgramState& state);

}  // namespace trv::cases
