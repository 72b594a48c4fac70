#include "tests/scenarios/runner.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "runtime/text/date_time.h"
#include "runtime/ui/control_lookup.h"
#include "runtime/ui/window.h"

namespace trv::scenario {

Workstation::Workstation()
    : clock(*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)),
      ui(clock, frontEnd),
      driver(ui, frontEnd, &clock),
      messages(ui),
      context{ui, messages, globals, &procedures, &settings} {
  ::setenv("TRV_CONFIG_DIR", config.path().c_str(), 1);
  ::setenv("TRV_PROGRAM_DIR", program.path().c_str(), 1);
  ui.setCurrentFolder(program.path());
  messages.Init();
  settings.Init(config.path(), "trvnel12.ini");
}

Workstation::~Workstation() {
  ui.endProgram();
  (void)ui.waitFinished(std::chrono::seconds(10));
  extras.clear();
}

void StepTable::add(std::string name, StepFn fn) {
  steps_[std::move(name)] = std::move(fn);
}

const StepFn* StepTable::find(const std::string& name) const {
  auto it = steps_.find(name);
  return it == steps_.end() ? nullptr : &it->second;
}

std::optional<std::string> value(const Workstation& ws, const Token& token) {
  auto v = resolveValue(token);
  if (!v) return v;
  const std::pair<const char*, std::string> vars[] = {
      {"$PROGRAM", ws.program.path().string()},
      {"$DATABASE", ws.database().string()},
      {"$CONFIG", ws.config.path().string()},
  };
  for (const auto& [name, with] : vars) {
    std::size_t at = 0;
    while ((at = v->find(name, at)) != std::string::npos) {
      v->replace(at, std::string_view(name).size(), with);
      at += with.size();
    }
  }
  return v;
}

Outcome looking(Workstation& ws, const std::function<Outcome()>& look) {
  Outcome out = fail("not idle");
  if (!ws.driver.inspect([&] { out = look(); })) return fail("not idle");
  return out;
}

Found findControl(Workstation& ws, const Token& token) {
  Found f;
  f.window = ws.ui.front();
  if (!f.window) {
    f.error = "no window is open";
    return f;
  }
  auto matches = ui::findControls(*f.window, ui::parseControlRef(token.text, token.quoted));
  if (matches.size() == 1) {
    f.control = matches[0];
    return f;
  }
  f.error = std::string(matches.empty() ? "no control" : "several controls") + " named " +
            (token.quoted ? "\"" + token.text + "\"" : token.text) + " in \"" + f.window->title() +
            "\":\n" + ui::describeControls(*f.window);
  return f;
}

namespace {

std::string stepName(const StepTable& table, const std::vector<Token>& t, std::size_t& argsFrom) {
  if (t.empty()) return {};
  if (t[0].text != "expect" || t.size() < 2) {
    argsFrom = 1;
    return t[0].text;
  }
  std::string check = "expect " + t[1].text;
  if (!t[1].quoted && table.find(check)) {
    argsFrom = 2;
    return check;
  }
  // expect CONTROL WORD ...: the control stays the first argument.
  if (t.size() >= 3) {
    argsFrom = 1;
    return "expect-control " + t[2].text;
  }
  argsFrom = 2;
  return check;
}

// Workstations whose program threads did not end: their threads may still use them, so they
// are never destroyed (and stay reachable, which is no leak).
std::vector<std::unique_ptr<Workstation>>& leftBehind() {
  static auto* kept = new std::vector<std::unique_ptr<Workstation>>;
  return *kept;
}

// Ends the file's program; false, the workstation left behind, when its threads do not end.
bool endProgram(std::unique_ptr<Workstation> ws, std::chrono::milliseconds timeout) {
  ws->ui.endProgram();
  if (ws->ui.waitFinished(timeout)) return true;
  leftBehind().push_back(std::move(ws));
  return false;
}

bool runSteps(const Suite& suite, const std::string& name, const Parsed& parsed, Workstation& ws,
              std::ostream& out) {
  for (const auto& setup : suite.procedures) setup(ws);
  for (const Step& step : parsed.steps) {
    auto report = [&](const std::string& found) {
      out << name << ":" << step.line << ": " << step.source << "\n  " << found << "\n"
          << ws.driver.describe();
    };
    if (!ws.driver.waitIdle()) {
      report("not idle");
      return false;
    }
    ws.beepsBefore = ws.frontEnd.takeBeeps();
    std::size_t from = 1;
    const std::string called = stepName(suite.steps, step.tokens, from);
    const StepFn* fn = suite.steps.find(called);
    if (!fn) {
      report("unknown step \"" + called + "\"");
      return false;
    }
    std::vector<Token> args(step.tokens.begin() + static_cast<std::ptrdiff_t>(from),
                            step.tokens.end());
    const Outcome outcome = (*fn)(ws, args);
    if (!outcome.ok) {
      report(outcome.found);
      return false;
    }
  }
  return true;
}

}  // namespace

bool programsLeftBehind() {
  return !leftBehind().empty();
}

bool runFile(const Suite& suite, const std::filesystem::path& file, std::ostream& report) {
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    report << file.string() << ": cannot be read\n";
    return false;
  }
  std::stringstream buf;
  buf << in.rdbuf();
  return runScenario(suite, file.string(), buf.str(), report);
}

bool runScenario(const Suite& suite, const std::string& name, std::string_view text,
                 std::ostream& out) {
  Parsed parsed = parseScenario(text);
  if (!parsed.error.empty()) {
    out << name << ": " << parsed.error << "\n";
    return false;
  }
  auto ws = std::make_unique<Workstation>();
  const bool passed = runSteps(suite, name, parsed, *ws, out);
  if (!endProgram(std::move(ws), suite.endTimeout)) {
    out << (passed ? name + ": after the last step" : std::string())
        << "  program threads did not end\n";
    return false;
  }
  return passed;
}

std::optional<int> parseRequest(const std::string& word) {
  static const std::pair<const char*, int> kRequests[] = {{"insert", forms::RequestInsert},
                                                          {"change", forms::RequestChange},
                                                          {"delete", forms::RequestDelete},
                                                          {"select", forms::RequestSelect}};
  for (const auto& [name, n] : kRequests)
    if (word == name) return n;
  char* end = nullptr;
  const long n = std::strtol(word.c_str(), &end, 10);
  if (word.empty() || *end != '\0') return std::nullopt;
  return static_cast<int>(n);
}

}  // namespace trv::scenario
