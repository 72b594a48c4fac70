#pragma once
// AddNotes: the notes window. Every action the case form records in a case's history asks for
// its text here first; the text goes into SER:AddHistory, from which the form writes the entry.
// For an outgoing mail (kind 4) the window also builds the subject from the templates of
// section "AddNotes", can put the problem in front of the text and the agent's signature after
// it, checks the client's address and hands the mail to the send-mail window.
//
// It runs modally over the case form on the calling program thread, with an event loop of its
// own, and works on that thread's Sercase buffer (the case form's).

#include <string>

#include "cases/history/history_text.h"

namespace trv::core {
class ProgramState;
}

namespace trv::cases {

// Control numbers of the notes window.
namespace notes {
enum Control : int {
  kWindowMenu = 1,
  kColourMenu = 2,
  kTextColour = 3,  // menu item "&Text Color"
  kBackground = 4,  // menu item "&Background"
  kText = 5,
  kOk = 6,
  kSendEmail = 7,
  kCancel = 8,
  kAddSignature = 9,
  kHelp = 10,
  kAddProblem = 11,
  kEdit = 12,
  kHeaderArea = 13,
  kSubjectEntry = 14,
  kSubjectPrompt = 15,
  kCaptionEntry = 16,
  kSubjectLine = 17,
  kHeader = 18,      // the option "Header"
  kFirstRadio = 19,  // its radios 19-24: choices 1-6
};
}  // namespace notes

struct NotesOutcome {
  bool confirmed = false;    // OK, or "Send Email" once the mail was dealt with
  bool revert = false;       // Cancel or the window's close box: the case form undoes the choice
  bool mailNotSent = false;  // an outgoing mail was not handed over: no history entry
  std::string mailAddress;   // the client address the mail went to (Windows-1252, clipped)
};

// Opens the notes window modally over the case form, on the calling program thread, for the
// action `kind` on the case in this thread's Sercase buffer; the text goes into SER:AddHistory.
// mailMode is the case form's mail mode (1 once "&Email Out" was used), passed to SendOutLook.
// Requires the Sercase and Client files open on this thread (the case form has them open).
//
// SER:AddHistory is emptied when the window opens. A window left without confirming (Cancel,
// the close box, the program ending) reverts and empties it again, so no status, priority or
// done mark is saved without its entry. A mail that was not handed over (client not found,
// empty or invalid address, a failed send) is told to the agent and comes back confirmed with
// mailNotSent set; its text stays in SER:AddHistory. The Client buffer is left as it was found.
// Without the Sercase file open on this thread no window opens and the outcome reverts.
[[nodiscard]] NotesOutcome AddNotes(core::ProgramState& s, ActionKind kind, int mailMode);

// Registers "AddNotes", run on its caller's thread. Its argument is the action kind and,
// optionally after blanks, a case number to read first and the mail mode ("4 12 1"); kind 1
// and mail mode 0 when not given. It opens the Sercase and Client files itself and leaves
// ResponseCompleted in LastResponse when the window was confirmed.
void registerNotesWindow(core::ProgramState& s);

}  // namespace trv::cases
