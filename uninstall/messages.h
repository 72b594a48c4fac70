#pragma once
// The uninstaller's messages: a text of its string table, with its one argument, in a box
// captioned "Brontavelium" unless another caption is given.

#include "uninstall/message_box.h"

namespace trv::uninstall {

inline constexpr const char* kCaption = "Brontavelium";

struct Message {
  unsigned id;
  const char* argument = nullptr;  // for the text's %s
  MessageIcon icon = MessageIcon::kInformation;
  MessageButtons buttons = MessageButtons::kOk;
  MessageAnswer defaultAnswer = MessageAnswer::kOk;
  const char* caption = kCaption;
};

// The text of `id` with its argument; empty when the table has no such text.
std::string messageText(unsigned id, const char* argument);

MessageAnswer say(MessageBoxes& boxes, const Message& message);

}  // namespace trv::uninstall
