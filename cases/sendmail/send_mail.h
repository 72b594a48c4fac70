#pragma once
// SendOutLook: the send-mail window. Mode 0 opens it empty for a free message; mode 1 sends a
// case's new notes to its client at once, without showing the window (a blank subject or
// address leaves the completion to the mail system's own send dialog).
//
// The outcome goes back to the caller, so a caller can record that a mail was not sent: a
// failed send is shown with its result text (in mode 1 too), and in mode 0 the window stays
// open with the message as composed, so nothing typed is lost. LastResponse is
// ResponseCompleted when a message was handed to the mail system, else ResponseCancelled.
//
// Requires a program thread of the state's runtime.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trv::core {
class ProgramState;
}

namespace trv::cases {

// Control numbers of the send-mail window.
namespace sendmail {
enum Control : int {
  kSheet = 1,
  kAddressTab = 2,
  kToPrompt = 3,
  kTo = 4,
  kAddressBook = 5,
  kSubjectPrompt = 6,
  kSubject = 7,
  kAttachPath = 8,
  kAttachButton = 9,
  kAttachPrompt = 10,
  kTextTab = 11,
  kText = 12,
  kNotes = 13,
  kSend = 14,
  kCancel = 15,
};
}  // namespace sendmail

// Texts in the records' charset (Windows-1252).
struct SendMailRequest {
  std::string caseNumber;  // not used by the window
  std::string subject;     // mode 1: the subject
  std::string address;     // mode 1: the To text, trailing blanks removed
  std::string clientName;  // mode 1: the title "Send a Message to <name>"
  int mode = 0;            // 0 empty and shown, 1 about a case and sent at once
  std::string notes;       // mode 1: the case's new notes, the message text
};

struct SendMailOutcome {
  bool sent = false;         // handed to the mail system
  std::uint32_t result = 1;  // the last MAPISendMail result (1: nothing was sent)
  std::string failure;       // the text shown for a failed send; empty otherwise
};

[[nodiscard]] SendMailOutcome SendOutLook(core::ProgramState& s, const SendMailRequest& request);

// The one text argument the procedure registry passes: empty for mode 0 (the frame's menu),
// otherwise the request's fields joined by '|' (case, subject, address, client, mode, notes;
// '\' escapes '|' and '\' inside a field). Nothing when the text is malformed.
[[nodiscard]] std::string encodeSendMailArg(const SendMailRequest& request);
[[nodiscard]] std::optional<SendMailRequest> decodeSendMailArg(std::string_view arg);

// Registers "SendOutLook", run on its caller's thread.
void registerSendMail(core::ProgramState& s);

}  // namespace trv::cases
