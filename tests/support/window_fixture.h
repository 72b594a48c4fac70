#pragma once
// WindowFixture: a program to run window procedures in, for the tests of windows.
//
// A temporary program folder holding a starter database in "DataBase" and a configuration
// folder of its own; a manual clock; the headless runtime and its driver; a program state over
// them made ready as the program body makes it before the first window (message catalog,
// configuration file, data dictionary named to the database, folders, application title).
// Helpers start procedures on program threads as their callers do, find controls as a user or a
// scenario names them, and post input; each waits for the program to be idle first and after.
//
// Everything looks at and acts on the window in front. The program ends, the data files are
// released and the folder is removed when the test ends.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/program/program_state.h"
#include "runtime/text/clock.h"
#include "runtime/ui/headless.h"
#include "runtime/ui/ui_runtime.h"
#include "tests/support/temp_dir.h"

namespace trv::ui {
class Window;
}

namespace trv::testing {

class WindowFixture : public ::testing::Test {
 protected:
  // The clock stands at `date` and `time` (date and time numbers); by default 6 May 2002 10:00,
  // the scenarios' moment.
  WindowFixture();
  WindowFixture(std::int32_t date, std::int32_t time);
  ~WindowFixture() override;

  std::filesystem::path programFolder() const { return folder_.path() / "program"; }
  std::filesystem::path configFolder() const { return folder_.path() / "config"; }
  // The database folder, as DatabaseFolder holds it.
  std::string database() const { return (programFolder() / "DataBase").string(); }
  // Adds a record as another workstation would: fields by name, values as text (UTF-8).
  void insert(const std::vector<std::pair<std::string, std::string>>& fields);

  // Runs `body` on a new program thread and waits until the program is idle.
  void start(std::function<void()> body);
  // Calls a registered procedure as its starters do (forms::startProcedure), with NextRequest set
  // to `request`: on a thread of its own filling its start slot, or on a thread that calls it.
  void call(std::string_view procedure, int request, std::string arg = {});
  // Waits until every program thread has ended.
  void waitEnded();

  // --- looking, once the program is idle ---
  // The window in front, or null. Read its state only through inspect or the helpers below.
  ui::Window* window();
  std::string title();
  // A copy of a control of the window in front: by number, or by name as scenarios name it
  // ("#4", "?OK", "{SER:Status}", "&Select"); a name matching no control or several fails the
  // test and gives an empty state.
  ui::ControlState control(int number);
  ui::ControlState control(std::string_view name);
  // The number of the control so named in the window in front; 0 (and a failure) when none.
  int find(std::string_view name);
  // Column `column` (from 0) of every row a list shows.
  std::vector<std::string> column(int list, std::size_t column);
  // The message box now shown, if any.
  std::optional<ui::MessageRequest> message();

  // --- input to the window in front; each waits for idle before and after ---
  void post(ui::Input in);  // fills in the window in front
  void press(int control);
  void press(std::string_view name);
  // As the scenario step `type`: the focus, then the text accepted.
  void type(int control, std::string text);
  void focus(int control);
  void select(int list, int row);
  // A mouse key (ui::KeyMouseLeft, ...) on a row of a list.
  void mouse(int list, int row, int key);
  void doubleClick(int list, int row);
  // A key to the control with focus (`control` 0) or to the given one.
  void key(int key, int control = 0);
  void closeWindow();  // as the close box does
  void activate();
  void deactivate();
  // Presses a button of the message box now shown; fails the test when none is shown.
  void answer(std::string_view button);

  ui::Input to(ui::Input::Kind kind, int control = 0);

 private:
  TempDir folder_{"trvwin"};

 protected:
  text::ManualClock clock;
  ui::HeadlessFrontEnd frontEnd;
  ui::UiRuntime rt{clock, frontEnd};
  ui::HeadlessDriver driver{rt, frontEnd, &clock};
  core::ProgramState state;
};

}  // namespace trv::testing
