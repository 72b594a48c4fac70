#include "cases/caselist/list_messages.h"

#include "core/program/program_state.h"
#include "runtime/text/charset.h"
#include "runtime/ui/ui_runtime.h"

namespace trv::cases {

void tell(core::ProgramState& s, std::string_view text, ui::Icon icon) {
  (void)ask(s, text, icon, {"&OK"}, 1);
}

int ask(core::ProgramState& s, std::string_view text, ui::Icon icon,
        std::vector<std::string> buttons, int defaultButton) {
  ui::MessageRequest m;
  m.text = text::toUtf8(text);
  m.caption = s.AppTitle;
  m.icon = icon;
  m.buttons = std::move(buttons);
  m.defaultButton = defaultButton;
  return s.env.ui.message(m);
}

}  // namespace trv::cases
