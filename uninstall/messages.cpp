#include "uninstall/messages.h"

#include "uninstall/ref_string.h"
#include "uninstall/res_string.h"

namespace trv::uninstall {

std::string messageText(unsigned id, const char* argument) {
  CResString pattern(id);
  if (!pattern.text()) return {};
  CRefString text(pattern.text());
  // The argument (a name or path from the information file) is never taken as a pattern.
  text.replace(CRefString("%s"), CRefString(argument ? argument : ""));
  return std::string(text.view());
}

MessageAnswer say(MessageBoxes& boxes, const Message& message) {
  return boxes.show({messageText(message.id, message.argument), message.caption, message.icon,
                     message.buttons, message.defaultAnswer});
}

}  // namespace trv::uninstall
