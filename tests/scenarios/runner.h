#pragma once
// The scenario runner: a fresh workstation per file, and a table of steps that later parts of
// the program extend with their own (set-up steps, checks on records, the program body).
//
// Each step waits for the program to be idle first; a step fails with what it found, and the
// runner then prints the file, the line, the step and the window stack.

#include <chrono>
#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/forms/form_globals.h"
#include "runtime/forms/message_catalog.h"
#include "runtime/forms/procedures.h"
#include "runtime/forms/window_controller.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/text/clock.h"
#include "runtime/ui/headless.h"
#include "runtime/ui/ui_runtime.h"
#include "tests/scenarios/scenario.h"
#include "tests/scenarios/scenario_reports.h"
#include "tests/support/temp_dir.h"

namespace trv::scenario {

using trv::testing::TempDir;

// One workstation for one scenario file: folders, clock, runtime, program state.
struct Workstation {
  Workstation();
  ~Workstation();

  TempDir config{"trvcfg"};
  TempDir program{"trvprog"};
  text::ManualClock clock;
  ui::HeadlessFrontEnd frontEnd;
  ui::UiRuntime ui;
  ui::HeadlessDriver driver;
  forms::MessageCatalog messages;
  forms::FormGlobals globals;
  forms::ProcedureRegistry procedures;
  ini::IniSettings settings;
  forms::FormContext context;
  ScenarioReports reports;
  // Whatever later set-up steps build (data dictionary, mail store), by name.
  std::map<std::string, std::shared_ptr<void>> extras;
  int beepsBefore = 0;  // beeps sounded during the previous step

  std::filesystem::path database() const { return program.path() / "DataBase"; }
};

// What a step found when it failed; empty when it passed.
struct Outcome {
  bool ok = true;
  std::string found;
};
inline Outcome pass() {
  return {};
}
inline Outcome fail(std::string found) {
  return {false, std::move(found)};
}

// A step runs without the baton: it looks through `looking` and acts by posting input.
using StepFn = std::function<Outcome(Workstation& ws, const std::vector<Token>& args)>;

// Steps by name: the first word of the line; for checks, "expect WORD" (`expect window`), and
// for checks on a control "expect-control WORD" (`expect #2 text ...`).
class StepTable {
 public:
  void add(std::string name, StepFn fn);
  const StepFn* find(const std::string& name) const;

 private:
  std::map<std::string, StepFn> steps_;
};

// Procedures that a scenario file may `call`: registered into each fresh workstation.
using ProcedureSetup = std::function<void(Workstation& ws)>;

struct Suite {
  StepTable steps;
  std::vector<ProcedureSetup> procedures;
  // How long the end of a file's program may take before its threads are given up on.
  std::chrono::milliseconds endTimeout{10000};
};

// Runs one file; prints a failure report to `report`. True when every step passed and the
// file's program then ended. A program whose threads do not end is left behind, never waited
// for again, so that the next file still runs.
bool runFile(const Suite& suite, const std::filesystem::path& file,
             std::ostream& report = std::cerr);
// True when a file's program was left behind: its threads may still run, so the process must
// end without running static destructors under them (std::_Exit).
bool programsLeftBehind();
// Runs the steps of `text` as the file `name` holds them.
bool runScenario(const Suite& suite, const std::string& name, std::string_view text,
                 std::ostream& report);

// Helpers for steps.
// The value with $PROGRAM, $DATABASE and $CONFIG replaced and d:/t: values resolved.
std::optional<std::string> value(const Workstation& ws, const Token& token);
// Runs look while the program stands still (idle, the baton held); "not idle" otherwise.
Outcome looking(Workstation& ws, const std::function<Outcome()>& look);
// The one control the token names in the window in front; fails listing the window's controls.
struct Found {
  ui::Window* window = nullptr;
  int control = 0;
  std::string error;
};
Found findControl(Workstation& ws, const Token& token);

// Calls a registered procedure as its callers do (its own thread, or the frame's thread when a
// frame runs), with NextRequest set in `globals`.
Outcome callProcedure(Workstation& ws, const forms::ProcedureEntry& entry,
                      forms::FormGlobals& globals, int request, const std::string& arg);

// A request word of `call` ("insert", "change", "delete", "select") or a number.
std::optional<int> parseRequest(const std::string& word);

void registerUiSteps(StepTable& steps);
void registerReportSteps(StepTable& steps);
void registerTestProcedures(Suite& suite);

}  // namespace trv::scenario
