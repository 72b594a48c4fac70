// One Qt application for the test program, ended after the last test.

#include <gtest/gtest.h>

#include <memory>

#include "tests/gui/desktop_fixture.h"

namespace trv::gui::testing {
namespace {

std::unique_ptr<QApplication>& app() {
  static std::unique_ptr<QApplication> instance;
  return instance;
}

class QtEnvironment : public ::testing::Environment {
 public:
  void TearDown() override { endQtApp(); }
};

[[maybe_unused]] const auto* const registered =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

QApplication& qtApp() {
  static int argc = 1;
  static char name[] = "gui_desktop_test";
  static char* argv[] = {name, nullptr};
  if (!app()) app() = std::make_unique<QApplication>(argc, argv);
  return *app();
}

void endQtApp() {
  if (!app()) return;
  // Windows closed during the tests are deleted later: let that happen first.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  app().reset();
}

}  // namespace trv::gui::testing
