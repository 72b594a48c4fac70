#pragma once
// The numbered-message service that file access, forms and lists report through.
//
// The message catalog (runtime/forms) implements it; tests may implement it with a recorder.
// A message's placeholders are filled from what the caller set here and from the calling
// thread's last store error (runtime/store) at the moment the message is raised.

#include <string_view>

#include "runtime/data/level.h"

namespace trv::data {

// Buttons of ShowMessage, combinable.
enum MessageButton : int {
  ButtonOk = 1,
  ButtonYes = 2,
  ButtonNo = 4,
  ButtonCancel = 8,
};

class MessageSink {
 public:
  virtual ~MessageSink() = default;

  // Shows message `id` the way its kind prescribes and returns the level (LevelOk for Yes or
  // a benign message, LevelDeclined for No, LevelNotify for a notice, LevelFatal when the
  // message ended the program).
  virtual Level raise(int id) = 0;
  // As raise, with "%Message" set to text first.
  virtual Level raiseWithText(int id, std::string_view text) = 0;
  // Shows message `id` with the given buttons and default; returns the button pressed.
  virtual MessageButton showMessage(int id, int buttons, MessageButton defaultButton) = 0;

  virtual void setFileName(std::string_view name) = 0;
  virtual void setFieldName(std::string_view name) = 0;
};

}  // namespace trv::data
