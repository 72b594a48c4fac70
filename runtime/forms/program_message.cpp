#include "runtime/forms/program_message.h"

#include "runtime/forms/window_controller.h"
#include "runtime/ui/ui_runtime.h"

namespace trv::forms {
namespace {

ui::MessageRequest box(const FormContext& ctx, std::string text, ui::Icon icon, Caption caption) {
  ui::MessageRequest m;
  m.text = std::move(text);
  if (caption == Caption::Program && ctx.caption) m.caption = *ctx.caption;
  m.icon = icon;
  return m;
}

}  // namespace

void tell(const FormContext& ctx, std::string text, ui::Icon icon, Caption caption) {
  (void)ctx.ui.message(box(ctx, std::move(text), icon, caption));
}

int ask(const FormContext& ctx, std::string text, ui::Icon icon, std::vector<std::string> buttons,
        int defaultButton) {
  ui::MessageRequest m = box(ctx, std::move(text), icon, Caption::Program);
  m.buttons = std::move(buttons);
  m.defaultButton = defaultButton;
  return ctx.ui.message(m);
}

}  // namespace trv::forms
