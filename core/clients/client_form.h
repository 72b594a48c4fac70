#pragma once
// Updateclient: the form that adds and changes one client. At most two are open at a time; while
// one is open the frame's timer stands still. Opened from the client list with the list's
// request, or from a case form with the case's client id, in which case the client's stored full
// name and phone are handed back when it closes.

#include <string>

namespace trv::core {

class ProgramState;

// Control numbers of the client form's window; each entry's prompt has the entry's number
// minus one.
namespace clientform {
enum Control : int {
  kSheet = 1,
  kTab = 2,
  kSNamePrompt = 3,
  kSName = 4,
  kLName = 6,
  kContact = 8,
  kPhone = 10,
  kPhone2 = 12,
  kEmail = 14,
  kPriorityFix = 15,
  kPriority = 16,
  kFax = 18,
  kAddress = 20,
  kZip = 22,
  kCity = 24,
  kState = 26,
  kRemarks = 28,
  kOk = 29,
  kCancel = 30,
  kHelp = 31,
};
}  // namespace clientform

// Runs the form on the calling thread with the request in NextRequest; the response is left in
// LastResponse. fullName (50 characters) and phone (16) receive the client's stored values when
// clientId is not blank; either may be null.
void Updateclient(ProgramState& state, const std::string& clientId = {},
                  std::string* fullName = nullptr, std::string* phone = nullptr);

// Registers "Updateclient" (argument: the client id, or empty), run on its caller's thread.
void registerClientForm(ProgramState& state);

}  // namespace trv::core
