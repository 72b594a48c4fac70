#pragma once
// A headless runtime on a manual clock, with a helper that runs a window procedure on a program
// thread and records the events its loop sees.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/ui/headless.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::ui::testing {

class UiFixture : public ::testing::Test {
 protected:
  // 6 May 2002 10:00
  text::ManualClock clock{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
  HeadlessFrontEnd fe;
  UiRuntime rt{clock, fe};
  HeadlessDriver driver{rt, fe, &clock};

  // The front window, read while idle.
  Window* front() {
    Window* w = nullptr;
    EXPECT_TRUE(driver.inspect([&] { w = rt.front(); }));
    return w;
  }
  void input(Input in) {
    ASSERT_TRUE(driver.waitIdle());
    rt.post(std::move(in));
    ASSERT_TRUE(driver.waitIdle());
  }
  Input to(Window* w, Input::Kind kind, int control = 0) {
    Input in;
    in.kind = kind;
    in.window = w->id();
    in.control = control;
    return in;
  }
};

// Runs a loop over a window until it closes, recording "event:control" and closing on close
// window unless told otherwise.
struct Recorder {
  std::vector<std::string> seen;
  static std::string name(const Event& e) {
    return std::to_string(e.number) + ":" + std::to_string(e.control);
  }
  void loop(Window& w, const std::function<void(const Event&)>& extra = {}) {
    Event e;
    while (w.accept(e)) {
      seen.push_back(name(e));
      if (extra) extra(e);
      if (e.number == EventCloseWindow) w.close();
    }
  }
};

}  // namespace trv::ui::testing
