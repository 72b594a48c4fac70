// One Qt application for the layout test, on an offscreen screen of a set size (1366x768, or
// the size in TRV_LAYOUT_SCREEN, "1280x1024"), ended after the last test.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <string>

#include "tests/gui/desktop_fixture.h"
#include "tests/gui/layout_screen.h"

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

QSize layoutScreenSize() {
  if (const char* platform = std::getenv("QT_QPA_PLATFORM");
      platform && std::string(platform) == "xcb")
    if (QGuiApplication::primaryScreen()) return QGuiApplication::primaryScreen()->size();
  int w = 1366;
  int h = 768;
  if (const char* size = std::getenv("TRV_LAYOUT_SCREEN")) {
    int sw = 0;
    int sh = 0;
    if (std::sscanf(size, "%dx%d", &sw, &sh) == 2 && sw > 0 && sh > 0) {
      w = sw;
      h = sh;
    }
  }
  return {w, h};
}

QApplication& qtApp() {
  if (app()) return *app();
  const QSize size = layoutScreenSize();
  const std::string config = scratchPath("trv_layout_screen").string() + ".json";
  std::ofstream(config) << R"({"screens": [{"name": "layout", "x": 0, "y": 0, "width": )"
                        << size.width() << R"(, "height": )" << size.height()
                        << R"(, "logicalDpi": 96}]})";
  // The offscreen platform reads its screens from the file named after its name; a run at a
  // real X display (QT_QPA_PLATFORM=xcb) takes that display's screen.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (!platform || std::string(platform) != "xcb")
    ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).c_str(), 1);
  static int argc = 1;
  static char name[] = "gui_layout_test";
  static char* argv[] = {name, nullptr};
  app() = std::make_unique<QApplication>(argc, argv);
  return *app();
}

void endQtApp() {
  if (!app()) return;
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  app().reset();
}

}  // namespace trv::gui::testing
