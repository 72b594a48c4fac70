#pragma once
// UpdatePass: the signed-on user changes his own password and the signature that the case form
// puts into outgoing mail. The signature tab opens once the old password has been typed (letter
// case matters); a new password must be typed twice. Only a successful write refreshes the
// signed-on user's signature data and closes the window; a failed one says so and keeps it
// open. Runs on the caller's thread.

namespace trv::core {

class ProgramState;

enum PasswordControl : int {
  PassSheet = 1,
  PassTab = 2,
  PassOld = 4,
  PassNewPrompt = 5,
  PassNew = 6,
  PassRepeatPrompt = 7,
  PassRepeat = 8,
  PassSignatureTab = 9,
  PassGreet = 11,
  PassFullName = 13,
  PassPosition = 15,
  PassCompany = 17,
  PassEmail = 18,
  PassPhone = 21,
  PassFax = 23,
  PassOk = 24,
  PassCancel = 25,
};

void UpdatePass(ProgramState& state);

// Registers "UpdatePass", run on its caller's thread.
void registerUpdatePass(ProgramState& state);

}  // namespace trv::core
