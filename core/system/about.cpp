#include "core/system/about.h"

#include "core/program/program_state.h"
#include "core/program/thread_slots.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

ui::WindowDecl aboutDecl(const ProgramState& s) {
  ui::WindowDecl d;
  d.title = "About";
  d.kind = ui::WindowKind::Modal;
  d.controls = {
      ui::image("?Icon", "Zoruve.ico").withNumber(AboutIcon).at(1, 1),
      ui::string("?AppTitle", s.AppTitle.substr(0, 18)).withNumber(AboutTitle).at(1, 2),
      ui::line("?Line1").withNumber(3).at(2, 1),
      ui::line("?Line2").withNumber(4).at(4, 1),
      ui::button("?Link", kMakerPage)
          .withNumber(AboutLink)
          .withTip(kMakerPage)
          .withCursor("Hand.cur")
          .at(3, 1),
      ui::button("?OK", "&OK").withNumber(AboutOk).at(5, 1).asDefault(),
  };
  return d;
}

class AboutWindow final : public forms::WindowController {
 public:
  explicit AboutWindow(ProgramState& s) : WindowController(s.forms, "About", aboutDecl(s)), s_(s) {
    AddCloseButton(AboutOk, forms::ResponseCompleted);
  }

  void OnOpen() override {
    window().setTitle(s_.AppTitle);
    WindowController::OnOpen();
    // Enter closes the window; the link is a click (or Tab and Enter) away.
    window().select(AboutOk);
  }

  data::Level HandleAccepted() override {
    if (event().control == AboutLink) {
      // The page opens on a thread of its own; the slot then names that thread, so that the
      // focus the browser takes does not close this window.
      ui::UiRuntime& ui = s_.env.ui;
      s_.globals.slots[kAboutThread] = ui.start([&ui] { ui.shellOpen(kMakerPage); });
      return data::LevelNotify;
    }
    return WindowController::HandleAccepted();
  }

  data::Level HandleWindowEvent() override {
    if (event().number == ui::EventLoseFocus) {
      if (const int t = s_.globals.slot(kAboutThread))
        s_.env.ui.postToThread(t, ui::EventCloseWindow);
      s_.globals.slots[kAboutThread] = 0;
    }
    return WindowController::HandleWindowEvent();
  }

  data::Level Shutdown() override {
    s_.globals.slots[kAboutThread] = 0;
    return WindowController::Shutdown();
  }

 private:
  ProgramState& s_;
};

}  // namespace

void About(ProgramState& s) {
  AboutWindow w(s);
  w.Run();
}

void registerAbout(ProgramState& s) {
  s.procedures.add("About", forms::onOwnThread([&s](std::string_view) { About(s); }, kAboutThread));
}

}  // namespace trv::core
