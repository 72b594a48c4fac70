#include "tests/scenarios/program_steps.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

#include "cases/procedures/case_procedures.h"
#include "core/data/database_tool.h"
#include "core/data/files.h"
#include "core/frame/core_procedures.h"
#include "core/program/program_body.h"
#include "core/program/program_state.h"
#include "runtime/mail/capturing_transport.h"
#include "runtime/mail/fault_mapi.h"
#include "runtime/mail/local_mail_store.h"
#include "runtime/mail/mail_system.h"
#include "runtime/mail/window_mail_dialogs.h"
#include "runtime/platform/instance_registry.h"
#include "runtime/text/charset.h"
#include "runtime/text/fixed_string.h"
#include "runtime/ui/headless.h"
#include "runtime/ui/window.h"

namespace trv::scenario {
namespace {

using Args = std::vector<Token>;

Outcome usage(const char* form) {
  return fail("usage: " + std::string(form));
}

// A second copy of the program, as a second process of the workstation would run it: a
// runtime, mail logon and program state of its own, on the same folders and instance registry
// folder. Its windows are not the scenario's: the first copy stays the one that steps act on.
struct SecondCopy {
  SecondCopy(Workstation& ws, const std::optional<mail::LocalMailStore>& store, bool withMail)
      : ui(ws.clock, frontEnd),
        driver(ui, frontEnd, nullptr),
        dialogs(ui),
        instances(ws.program.path() / ".instances", ":scenario") {
    if (store && withMail) {
      mail = std::make_unique<mail::MailSystem>(store->environment(ws.clock));
      mail->setDialogs(&dialogs);
    }
    state = std::make_unique<core::ProgramState>(core::ProgramEnvironment{
        ws.clock, ui, mail.get(), ws.config.path(), ws.program.path(), &instances, &reports});
    core::registerCoreProcedures(*state);
    cases::registerCaseProcedures(*state);
  }
  // Its threads end before the state and mail system they use go.
  ~SecondCopy() {
    ui.endProgram();
    (void)ui.waitFinished(std::chrono::seconds(10));
  }

  ui::HeadlessFrontEnd frontEnd;
  ui::UiRuntime ui;
  ui::HeadlessDriver driver;
  ScenarioReports reports;
  mail::WindowMailDialogs dialogs;
  std::unique_ptr<mail::MailSystem> mail;
  platform::InstanceRegistry instances;
  std::unique_ptr<core::ProgramState> state;
};

// What the program steps keep for one workstation.
struct ProgramRun {
  std::optional<mail::LocalMailStore> mailStore;
  // The mail system's address book and send dialog are windows of the program, as at the desktop.
  std::optional<mail::WindowMailDialogs> dialogs;
  std::unique_ptr<mail::MailSystem> mail;
  std::unique_ptr<mail::FaultMapi> faults;  // what the program calls: the mail system, or a fault
  std::unique_ptr<platform::InstanceRegistry> instances;
  std::vector<std::unique_ptr<core::ProgramState>> states;  // the first copy's, when started
  std::vector<std::unique_ptr<SecondCopy>> seconds;
  bool mailConfigured = true;
};

ProgramRun& run(Workstation& ws) {
  auto& slot = ws.extras["program"];
  if (!slot) {
    auto r = std::make_shared<ProgramRun>();
    std::string problem;
    r->mailStore = mail::LocalMailStore::create(ws.config.path(), ws.program.path() / "Mail",
                                                "agent@helpdesk.example", &problem);
    r->instances =
        std::make_unique<platform::InstanceRegistry>(ws.program.path() / ".instances", ":scenario");
    slot = r;
  }
  return *std::static_pointer_cast<ProgramRun>(slot);
}

std::string databaseFolder(Workstation& ws) {
  ini::IniSettings s;
  s.Init(ws.config.path(), core::kIniFileName);
  const std::string configured = s.ReadValue("Config", "DataBase");
  return configured.empty() ? ws.database().string() : configured;
}

// FIELD=VALUE tokens, values resolved and converted to the records' charset.
std::optional<core::FieldValues> fieldValues(Workstation& ws, const Args& a, std::size_t from,
                                             std::string* error) {
  core::FieldValues out;
  for (std::size_t i = from; i < a.size(); ++i) {
    const std::string& t = a[i].text;
    const auto eq = t.find('=');
    if (eq == std::string::npos || eq == 0) {
      *error = "expected FIELD=VALUE, found " + t;
      return std::nullopt;
    }
    std::string raw = t.substr(eq + 1);
    // FIELD="VALUE": the quotes belong to the value's spelling, not to the value.
    if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
      std::string unquoted;
      for (std::size_t k = 1; k + 1 < raw.size(); ++k) {
        if (raw[k] == '\\' && k + 2 < raw.size()) ++k;
        unquoted += raw[k];
      }
      raw = unquoted;
    }
    Token v{raw, a[i].quoted};
    const auto resolved = value(ws, v);
    if (!resolved) {
      *error = "bad value in " + t;
      return std::nullopt;
    }
    out.emplace_back(t.substr(0, eq), text::fromUtf8(*resolved));
  }
  return out;
}

Outcome result(const core::ToolResult& r) {
  return r.ok ? pass() : fail(r.message);
}

Outcome databaseStep(Workstation& ws, const Args& a) {
  if (a.size() != 1) return usage("database starter|empty|incompatible");
  const std::string folder = ws.database().string();
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  core::ToolResult r;
  if (a[0].text == "starter") {
    r = core::createStarterDatabase(folder);
  } else if (a[0].text == "empty") {
    r = core::createEmptyDatabase(folder);
  } else if (a[0].text == "incompatible") {
    r = core::createIncompatibleDatabase(folder);
  } else {
    return usage("database starter|empty|incompatible");
  }
  if (!r.ok) return fail(r.message);
  return ws.settings.WriteValue("Config", "DataBase", folder) ? pass()
                                                              : fail("configuration not written");
}

Outcome insertStep(Workstation& ws, const Args& a) {
  std::string error;
  const auto fields = fieldValues(ws, a, 0, &error);
  if (!fields || fields->empty()) return fail(error.empty() ? "insert FIELD=VALUE ..." : error);
  return result(core::insertRecord(databaseFolder(ws), *fields));
}

Outcome updateStep(Workstation& ws, const Args& a) {
  std::string error;
  const auto fields = fieldValues(ws, a, 0, &error);
  if (!fields || fields->size() < 2)
    return fail(error.empty() ? "update KEY=V FIELD=V ..." : error);
  core::FieldValues rest(fields->begin() + 1, fields->end());
  return result(core::updateRecord(databaseFolder(ws), fields->front(), rest));
}

Outcome deleteStep(Workstation& ws, const Args& a) {
  std::string error;
  const auto fields = fieldValues(ws, a, 0, &error);
  if (!fields || fields->size() != 1) return fail(error.empty() ? "delete KEYFIELD=VALUE" : error);
  return result(core::deleteRecord(databaseFolder(ws), fields->front()));
}

Outcome recordCheck(Workstation& ws, const Args& a, bool wanted) {
  std::string error;
  const auto fields = fieldValues(ws, a, 0, &error);
  if (!fields || fields->empty())
    return fail(error.empty() ? "expect record FIELD=VALUE ..." : error);
  // Checks wait until the program stands still, so what it wrote is there.
  if (Outcome o = looking(ws, [] { return pass(); }); !o.ok) return o;
  bool found = false;
  if (auto r = core::findRecord(databaseFolder(ws), *fields, &found); !r.ok) return fail(r.message);
  if (found == wanted) return pass();
  return fail(wanted ? "no such record" : "such a record exists");
}

Outcome countStep(Workstation& ws, const Args& a) {
  if (a.size() != 2) return usage("expect count FILE N");
  if (Outcome o = looking(ws, [] { return pass(); }); !o.ok) return o;
  std::uint64_t n = 0;
  if (auto r = core::countRecords(databaseFolder(ws), a[0].text, &n); !r.ok) return fail(r.message);
  if (std::to_string(n) == a[1].text) return pass();
  return fail(a[0].text + " holds " + std::to_string(n) + " records");
}

Outcome memoCheck(Workstation& ws, const Args& a, bool contains) {
  if (a.size() != 3) return usage("expect memo FIELD KEYFIELD=VALUE \"TEXT\"");
  std::string error;
  const auto key = fieldValues(ws, Args{a[1]}, 0, &error);
  if (!key) return fail(error);
  if (Outcome o = looking(ws, [] { return pass(); }); !o.ok) return o;
  std::string memo;
  if (auto r = core::readMemo(databaseFolder(ws), a[0].text, key->front(), &memo); !r.ok)
    return fail(r.message);
  const bool has = memo.find(text::fromUtf8(a[2].text)) != std::string::npos;
  if (has == contains) return pass();
  return fail("the memo holds " + text::toUtf8(memo));
}

Outcome logCheck(Workstation& ws, const Args& a, bool wanted) {
  if (a.empty()) return usage("expect log ACTION [FIELD=VALUE ...]");
  Args withAction{Token{"LOG:ACTION=" + a[0].text, true}};
  withAction.insert(withAction.end(), a.begin() + 1, a.end());
  return recordCheck(ws, withAction, wanted);
}

core::ProgramState& newState(Workstation& ws) {
  ProgramRun& r = run(ws);
  if (r.mailStore && r.mailConfigured && !r.mail) {
    r.mail = std::make_unique<mail::MailSystem>(r.mailStore->environment(ws.clock));
    r.dialogs.emplace(ws.ui);
    r.mail->setDialogs(&*r.dialogs);
    r.faults = std::make_unique<mail::FaultMapi>(*r.mail);
  }
  r.states.push_back(std::make_unique<core::ProgramState>(
      core::ProgramEnvironment{ws.clock, ws.ui, r.faults.get(), ws.config.path(), ws.program.path(),
                               r.instances.get(), &ws.reports}));
  core::ProgramState& s = *r.states.back();
  core::registerCoreProcedures(s);
  cases::registerCaseProcedures(s);
  return s;
}

Outcome startStep(Workstation& ws, const Args&) {
  core::ProgramState& s = newState(ws);
  return ws.ui.start([&s] { core::RunProgram(s); }) ? pass() : fail("the program has ended");
}

// The second copy runs until it ends, as a second start of the program ends once it has brought
// the first copy to the front. One that stops at a window of its own instead fails the step,
// saying what it shows, and is ended.
Outcome startSecondStep(Workstation& ws, const Args&) {
  ProgramRun& r = run(ws);
  r.seconds.push_back(std::make_unique<SecondCopy>(ws, r.mailStore, r.mailConfigured));
  SecondCopy& copy = *r.seconds.back();
  core::ProgramState& s = *copy.state;
  const int raisedBefore = ws.frontEnd.broughtToFront();
  if (!copy.ui.start([&s] { core::RunProgram(s); })) return fail("the second copy did not start");
  // Idle with a thread still running: it waits for something that no step gives it.
  const bool idle = copy.driver.waitIdle();
  if (copy.ui.waitFinished(std::chrono::milliseconds(0))) {
    // Its request to come to the front reaches the first copy on its own time; wait a little
    // for it, so that the next step sees the program as the user would a moment later.
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (ws.frontEnd.broughtToFront() == raisedBefore && std::chrono::steady_clock::now() < limit)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return pass();
  }
  const std::string shown = idle ? copy.driver.describe() : std::string("it is not idle");
  copy.ui.endProgram();
  return fail("the second copy did not end; it shows:\n" + shown);
}

// A procedure of the program, called as its callers do, on a program state made ready as the
// program body would (catalog, configuration, data files) when the program was not started.
Outcome callStep(Workstation& ws, const Args& a, const StepFn& windowRuntimeCall) {
  if (a.empty()) return usage("call PROCEDURE REQUEST [ARG]");
  ProgramRun& r = run(ws);
  core::ProgramState* s = r.states.empty() ? nullptr : r.states.front().get();
  if (!s) {
    core::ProgramState& fresh = newState(ws);
    fresh.AppMessages.Init();
    fresh.AppSettings.Init(ws.config.path(), core::kIniFileName);
    fresh.dictionary.setUp(fresh.AppMessages);
    fresh.AppTitle = core::kAppTitle;
    fresh.DatabaseFolder = databaseFolder(ws);
    fresh.ProgramFolder = ws.program.path().string();
    fresh.dictionary.setNames(fresh.DatabaseFolder);
    s = &fresh;
  }
  const forms::ProcedureEntry* p = s->procedures.find(a[0].text);
  if (!p) return windowRuntimeCall(ws, a);  // the runtime's own test procedures
  long long request = 0;
  if (a.size() > 1) {
    const std::optional<int> parsed = parseRequest(a[1].text);
    if (!parsed) return fail("unknown request " + a[1].text);
    request = *parsed;
  }
  std::string arg;
  if (a.size() > 2) {
    auto v = value(ws, a[2]);
    if (!v) return fail("bad value " + a[2].text);
    arg = *v;
  }
  return callProcedure(ws, *p, s->globals, static_cast<int>(request), arg);
}

Outcome mailNone(Workstation& ws, const Args&) {
  ProgramRun& r = run(ws);
  r.mailConfigured = false;
  if (r.mailStore) {
    const std::string problem = r.mailStore->unconfigure();
    if (!problem.empty()) return fail(problem);
  }
  return pass();
}

Outcome sendmailFails(Workstation& ws, const Args&) {
  ProgramRun& r = run(ws);
  if (!r.mailStore) return fail("no mail store");
  r.mailStore->refuseSends();
  return pass();
}

// "mail-fails CALL N": the mail system's next CALL (ReadMail, Address, ...) answers N, as a
// damaged message or a failing mail system would.
Outcome mailFails(Workstation& ws, const Args& a) {
  static const std::pair<const char*, mail::MapiCall> kCalls[] = {
      {"FindNext", mail::MapiCall::FindNext},
      {"ReadMail", mail::MapiCall::ReadMail},
      {"DeleteMail", mail::MapiCall::DeleteMail},
      {"SendMail", mail::MapiCall::SendMail},
      {"Address", mail::MapiCall::Address}};
  if (a.size() != 2) return usage("mail-fails FindNext|ReadMail|DeleteMail|SendMail|Address N");
  ProgramRun& r = run(ws);
  if (!r.faults) return fail("the program has no mail system yet (mail-fails goes after start)");
  const std::optional<int> code = parseRequest(a[1].text);
  if (!code || *code <= 0) return fail("not a result code: " + a[1].text);
  for (const auto& [name, call] : kCalls)
    if (a[0].text == name) {
      r.faults->fail(call, static_cast<mail::MapiResult>(*code), true);
      return pass();
    }
  return usage("mail-fails FindNext|ReadMail|DeleteMail|SendMail|Address N");
}

Outcome mailIn(Workstation& ws, const Args& a) {
  if (a.size() != 1) return usage("mail-in FILE");
  ProgramRun& r = run(ws);
  if (!r.mailStore) return fail("no mail store");
  const auto v = value(ws, a[0]);
  if (!v) return fail("bad value " + a[0].text);
  std::filesystem::path p = *v;
  if (p.is_relative()) p = ws.program.path() / p;
  std::ifstream in(p, std::ios::binary);
  if (!in) return fail("cannot read " + p.string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const auto seconds = static_cast<std::int64_t>(ws.clock.today()) * 86400 + ws.clock.now() / 100;
  (void)r.mailStore->deliver(bytes.str(), seconds);
  return pass();
}

Outcome sentMail(Workstation& ws, const Args& a) {
  ProgramRun& r = run(ws);
  if (!r.mailStore) return fail("no mail store");
  if (Outcome o = looking(ws, [] { return pass(); }); !o.ok) return o;
  const auto sent = r.mailStore->sent();
  for (const mail::CapturedMail& m : sent) {
    bool all = true;
    for (const Token& t : a) {
      const auto eq = t.text.find('=');
      if (eq == std::string::npos) return usage("expect sent-mail FIELD=\"VALUE\" ...");
      std::string want = t.text.substr(eq + 1);
      if (want.size() >= 2 && want.front() == '"' && want.back() == '"')
        want = want.substr(1, want.size() - 2);  // to="a@b": the quotes are not the value's
      const auto field = mail::sentMailField(m, t.text.substr(0, eq));
      if (!field || *field != want) all = false;
    }
    if (all) return pass();
  }
  return fail(std::to_string(sent.size()) + " messages were sent, none with these fields");
}

Outcome exitStep(Workstation& ws, const Args&) {
  return looking(ws, [&] {
    for (ui::Window* w : ws.ui.windows()) {
      if (w->kind() != ui::WindowKind::Frame) continue;
      ui::Input in;
      in.kind = ui::Input::Kind::Press;
      in.window = w->id();
      in.control = -4;  // the frame's "E&xit"
      ws.ui.post(in);
      return pass();
    }
    return fail("no frame is open");
  });
}

// "right-click frame": the right button released on the frame's work area.
Outcome rightClickFrame(Workstation& ws) {
  return looking(ws, [&] {
    for (ui::Window* w : ws.ui.windows()) {
      if (w->kind() != ui::WindowKind::Frame) continue;
      ui::Input in;
      in.kind = ui::Input::Kind::Mouse;
      in.window = w->id();
      in.key = ui::KeyMouseRightUp;
      ws.ui.post(in);
      return pass();
    }
    return fail("no frame is open");
  });
}

}  // namespace

void registerProgramSteps(Suite& suite) {
  StepTable& s = suite.steps;
  StepFn runtimeCall = s.find("call") ? *s.find("call") : StepFn{};
  s.add("call",
        [runtimeCall](Workstation& ws, const Args& a) { return callStep(ws, a, runtimeCall); });
  StepFn listRightClick = s.find("right-click") ? *s.find("right-click") : StepFn{};
  s.add("right-click", [listRightClick](Workstation& ws, const Args& a) {
    if (a.size() == 1 && a[0].text == "frame") return rightClickFrame(ws);
    return listRightClick(ws, a);
  });
  s.add("database", databaseStep);
  s.add("insert", insertStep);
  s.add("update", updateStep);
  s.add("delete", deleteStep);
  s.add("start", startStep);
  s.add("start-second", startSecondStep);
  s.add("exit", exitStep);
  s.add("mail", [](Workstation& ws, const Args& a) {
    if (a.size() == 1 && a[0].text == "none") return mailNone(ws, a);
    return usage("mail none");
  });
  s.add("sendmail", [](Workstation& ws, const Args& a) {
    if (a.size() == 1 && a[0].text == "fails") return sendmailFails(ws, a);
    return usage("sendmail fails");
  });
  s.add("mail-in", mailIn);
  s.add("mail-fails", mailFails);
  s.add("expect record", [](Workstation& ws, const Args& a) { return recordCheck(ws, a, true); });
  s.add("expect no-record",
        [](Workstation& ws, const Args& a) { return recordCheck(ws, a, false); });
  s.add("expect count", countStep);
  s.add("expect memo", [](Workstation& ws, const Args& a) { return memoCheck(ws, a, true); });
  s.add("expect memo-lacks",
        [](Workstation& ws, const Args& a) { return memoCheck(ws, a, false); });
  s.add("expect log", [](Workstation& ws, const Args& a) { return logCheck(ws, a, true); });
  s.add("expect no-log", [](Workstation& ws, const Args& a) { return logCheck(ws, a, false); });
  s.add("expect sent-mail", sentMail);
}

}  // namespace trv::scenario
