#pragma once
// The program's start on the desktop: what trvnel01's main calls.

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace trv::report {
class ReportOutput;
}
namespace trv::text {
class Clock;
}
namespace trv::ui {
class UiRuntime;
}

namespace trv::gui {

struct DesktopOptions {
  std::filesystem::path imageFolder;  // where relative image names are looked for
  // Looked in after imageFolder, for images and the help folder: the installation's own files.
  std::vector<std::filesystem::path> dataFolders;
  // The program's name at the desktop: the caption of windows and message boxes that have
  // none of their own.
  std::string applicationTitle;
  // The base name of the program's desktop entry ("trvnel01" for trvnel01.desktop), by which
  // the desktop finds its name and icon for the program's windows.
  std::string desktopFileName;
  // The image shown as every window's icon until a window sets its own (a relative name is
  // looked for as the windows' images are); the program's built-in mark when empty or missing.
  std::string applicationIcon;
};

// Creates the Qt application (unless one exists), a window runtime on `clock` shown by the
// desktop front end, and runs programBody on program thread 1 with that runtime and the report
// output that previews and prints at the desktop (both live until runDesktop returns). Returns when
// the program has ended: the body returned (that ends the program and unwinds its other threads) or
// something called UiRuntime::endProgram. The result is the Qt event loop's exit code; 1 when the
// program could not start.
int runDesktop(int& argc, char** argv, const text::Clock& clock,
               std::function<void(ui::UiRuntime&, report::ReportOutput&)> programBody,
               const DesktopOptions& options = {});

}  // namespace trv::gui
