#pragma once
// A window runtime on a manual clock shown by the Qt desktop (offscreen in CI), with helpers to
// run a window procedure on a program thread, wait on conditions while Qt runs, and look at the
// model with the baton held.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "gui/desktop/desktop_front_end.h"
#include "gui/desktop/window_view.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::gui::testing {

// A name in the temporary folder that no other test process uses (several builds of the suite
// may run at once on one machine).
inline std::filesystem::path scratchPath(const std::string& name) {
  return std::filesystem::path(::testing::TempDir()) / (name + "_" + std::to_string(::getpid()));
}

// The process's Qt application, made on first use; qt_environment.cpp ends it after the last
// test, before the process's own exit handlers run.
QApplication& qtApp();
void endQtApp();

class DesktopTest : public ::testing::Test {
 protected:
  // The sanitizers slow the desktop several times over, and ctest runs eight such
  // processes side by side: a wait that is ample alone runs out there.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
  static constexpr int kWaitMs = 30000;
#else
  static constexpr int kWaitMs = 5000;
#endif

  // 6 May 2002 10:00
  text::ManualClock clock{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
  DesktopFrontEnd desktop;
  std::unique_ptr<ui::UiRuntime> rt;

  void SetUp() override {
    qtApp();
    rt = std::make_unique<ui::UiRuntime>(clock, desktop);
    desktop.attach(*rt);
  }
  void TearDown() override {
    EXPECT_TRUE(endProgram());
    desktop.detach();
    rt.reset();
  }

  // Ends the program and waits, with Qt running, until every program thread has finished. A
  // test whose procedure uses the test's own variables calls it before they go.
  [[nodiscard]] bool endProgram() {
    rt->endProgram();
    return QTest::qWaitFor([&] { return rt->waitFinished(std::chrono::milliseconds(0)); }, kWaitMs);
  }

  void run(std::function<void()> body) {
    ASSERT_NE(rt->start(std::move(body)), 0);
  }

  // Waits, with Qt running, until cond holds.
  [[nodiscard]] bool waitFor(const std::function<bool()>& cond) {
    return QTest::qWaitFor(cond, kWaitMs);
  }
  // Runs look with the program idle and the baton held.
  [[nodiscard]] bool inModel(const std::function<void()>& look) {
    auto hold = rt->holdWhenIdle(std::chrono::milliseconds(kWaitMs));
    if (!hold) return false;
    look();
    return true;
  }
  // The view of the n-th window opened (from 0), once it shows.
  WindowView* view(std::size_t n) {
    WindowView* v = nullptr;
    (void)waitFor([&] {
      auto ids = desktop.windows();
      v = ids.size() > n ? desktop.view(ids[n]) : nullptr;
      return v != nullptr;
    });
    return v;
  }
  template <class W>
  W* widget(WindowView* v, int control) {
    return v ? qobject_cast<W*>(v->controlWidget(control)) : nullptr;
  }
  // Saves a picture of the window among the test's artefacts.
  void saveArtefact(QWidget* w, const std::string& name) {
    std::filesystem::create_directories(TRV_ARTEFACT_DIR);
    EXPECT_TRUE(w->grab().save(QString::fromStdString(std::string(TRV_ARTEFACT_DIR) + "/" + name)));
  }
};

}  // namespace trv::gui::testing
