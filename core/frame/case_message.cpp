#include "core/frame/case_message.h"

#include <memory>

#include "core/program/program_state.h"
#include "runtime/forms/procedures.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

using enum casemessage::Control;

void openCase(ProgramState& s, std::uint32_t caseNr) {
  s.globals.NextRequest = forms::RequestChange;
  if (const forms::ProcedureEntry* form = s.procedures.find("ChangeCases")) {
    form->body(std::to_string(caseNr));
  } else {
    (void)s.AppMessages.RaiseWithText(24, "ChangeCases");
  }
}

}  // namespace

void CaseMessage(ProgramState& s, std::uint32_t caseNr, const std::string& text) {
  // A frame sent to the task bar comes back first, so the warning is seen.
  if (s.FrameWindow && s.FrameWindow->placement().iconized) {
    s.FrameWindow->setIconized(false);
    s.env.ui.postToThread(ui::UiRuntime::currentThread(), ui::EventGainFocus);
  }
  ui::WindowDecl d;
  d.title = s.AppTitle;
  d.kind = ui::WindowKind::Modal;
  d.controls = {
      ui::image("?Image", "Timer.ico").withNumber(kImage).at(1, 1),
      ui::string("?Message", text.substr(0, 255)).withNumber(kText).at(1, 2).size(60),
      ui::button("?Iconize", "&Iconize Trovanel")
          .withNumber(kIconize)
          .withTip("Send to Program Bar")
          .at(2, 1),
      ui::button("?CloseMessage", "&Close Window")
          .withNumber(kClose)
          .withTip("Close Message")
          .at(2, 2)
          .asDefault(),
      ui::button("?ReadCase", "Read Case ").withNumber(kCase).withTip("Read Case ").at(2, 3),
  };
  std::unique_ptr<ui::Window> w = s.env.ui.open(std::move(d));
  if (!w) return;
  ui::Event e;
  while (w->accept(e)) {
    if (e.number == ui::EventOpenWindow) {
      w->setText(kCase, "Case " + std::to_string(caseNr));
    } else if (e.number == ui::EventCloseWindow) {
      w->close();
    } else if (e.number == ui::EventAccepted) {
      if (e.control == kClose) w->close();
      if (e.control == kIconize) {
        w->close();
        if (s.FrameWindow) s.FrameWindow->setIconized(true);
      }
      if (e.control == kCase) {
        // The case form runs over this window, which closes once the form is done.
        openCase(s, caseNr);
        w->close();
      }
    }
  }
}

}  // namespace trv::core
