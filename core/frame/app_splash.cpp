#include "core/frame/app_splash.h"

#include "core/program/program_state.h"
#include "runtime/forms/window_controller.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

using enum splash::Control;

class SplashWindow final : public forms::WindowController {
 public:
  SplashWindow(ProgramState& s, ui::WindowDecl decl)
      : WindowController(s.forms, "AppSplash", std::move(decl)), s_(s) {}

  data::Level Init() override {
    if (data::Level l = WindowController::Init(); l != data::LevelOk) return l;
    window().setTimer(500);
    for (int key : {ui::KeyMouseLeft, ui::KeyMouseLeft2, ui::KeyMouseRight}) window().alert(key);
    return data::LevelOk;
  }

  data::Level HandleWindowEvent() override {
    const data::Level l = WindowController::HandleWindowEvent();
    switch (event().number) {
      case ui::EventOpenWindow:
        window().setText(kTitle, s_.AppTitle);
        break;
      case ui::EventLoseFocus:
      case ui::EventTimer:
        window().close();
        break;
      default:
        break;
    }
    return l;
  }

  data::Level HandleEvent() override {
    if (event().number == ui::EventAlertKey) {
      window().close();
      return data::LevelNotify;
    }
    return WindowController::HandleEvent();
  }

 private:
  ProgramState& s_;
};

}  // namespace

void AppSplash(ProgramState& s) {
  ui::WindowDecl d;
  d.title = "";
  d.kind = ui::WindowKind::Child;
  ui::Font title{"MS Sans Serif", 14, ui::kColorNone, true, false};
  ui::Font body{"Verdana", 9, ui::kColorNone, false, false};
  d.controls = {
      ui::string("?AppTitle", s.AppTitle).withNumber(kTitle).at(1, 1).withFont(title),
      ui::string("?Line", "Interactive Trovanel Program").withNumber(kLine).at(2, 1).withFont(body),
      ui::image("?Image", "Zoruve.ico").withNumber(kImage).at(1, 2),
      ui::string("?Maker1", "A help desk's cases, clients and products in one place")
          .withNumber(kMaker1)
          .at(3, 1)
          .withFont(body),
      ui::string("?Maker2", "Built for Linux workstations sharing one database folder")
          .withNumber(kMaker2)
          .at(4, 1)
          .withFont(body),
  };
  SplashWindow w(s, std::move(d));
  w.Run();
}

}  // namespace trv::core
