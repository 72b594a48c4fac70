#pragma once
// EmailIn: the mail window ("Inbox"). Lists the inbox at opening, shows the selected message
// with its attachments, deletes a message, extracts an attachment to a file, and composes,
// replies to and sends messages. Its mail state is its own: the send-mail window, open at the
// same time, never changes what this window shows or holds. One at a time, on its own thread.

namespace trv::core {
class ProgramState;
}

namespace trv::cases {

void EmailIn(core::ProgramState& s);

// Registers "EmailIn", started on a thread of its own in the slot EmailInThread.
void registerEmailIn(core::ProgramState& s);

}  // namespace trv::cases
