#include "cases/reports/print_options.h"

#include <algorithm>
#include <vector>

#include "core/data/records.h"
#include "core/program/program_state.h"
#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/window_controller.h"
#include "runtime/text/charset.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/use_var.h"
#include "runtime/ui/window.h"
#include "runtime/view/view_reader.h"

namespace trv::cases::reports {
namespace {

using data::Level;
using data::LevelNotify;
using data::LevelOk;

constexpr const char* kSection = "Config";

enum : int {
  kAgentGroup = 1,
  kAllAgents,
  kOfAgent,
  kAgentList,
  kKindGroup,
  kKind1,
  kKind4 = kKind1 + 3,
  // Case and log options.
  kOk = 10,
  kCancel,
  kHelp,
  // Knowledge-base options.
  kProductList = 10,
  kClientList,
  kArchiveOk,
  kArchiveCancel,
  kArchiveHelp,
};

enum Kind { kCases, kLog, kArchive };

// The window's use variables.
struct Vars {
  int agentChoice = 1;
  int kindChoice = 1;
  std::string agentName, product, client;
};

struct Keys {
  const char* agentChoice;
  const char* kindChoice;
  const char* agentName;
  const char* product = nullptr;
  const char* client = nullptr;
};

// Every value of one text field of a file, sorted ascending.
std::vector<std::string> fieldValues(data::FileRelations& file, const char* field) {
  std::vector<std::string> out;
  data::FileAccess& f = file.file();
  const int i = f.decl().findField(field);
  if (i < 0) return out;
  const store::FieldDecl& d = f.decl().fields[static_cast<std::size_t>(i)];
  view::ViewReader v(data::FileAccess::threadConnection(), f.fileId(), f.decl());
  std::vector<store::RecordBuffer> rows;
  store::Code c = v.first(500, rows);
  while (c == store::Ok && !rows.empty()) {
    for (const store::RecordBuffer& r : rows)
      out.push_back(text::toUtf8(text::clip(std::string_view(r.record).substr(d.offset, d.width))));
    const store::RecordBuffer last = rows.back();
    rows.clear();
    c = v.after(last, 500, rows);
  }
  std::sort(out.begin(), out.end());
  return out;
}

int storedChoice(const ini::IniSettings& ini, const char* key) {
  const std::string v = ini.ReadValue(kSection, key);
  const int n = std::atoi(v.c_str());
  return n >= 1 && n <= 4 ? n : 1;
}

class OptionWindow final : public forms::WindowController {
 public:
  OptionWindow(core::ProgramState& s, Kind kind, Keys keys, Vars& v, ui::WindowDecl decl)
      : WindowController(s.forms, procedureOf(kind), std::move(decl)),
        s_(s),
        kind_(kind),
        keys_(keys),
        agentChoice(v.agentChoice),
        kindChoice(v.kindChoice),
        agentName(v.agentName),
        product(v.product),
        client(v.client) {
    UseFile(*s.dictionary.IdeRelations);
    if (kind == kArchive) {
      UseFile(*s.dictionary.SlaRelations);
      UseFile(*s.dictionary.ClientRelations);
    }
    AddHelpButton(kind == kArchive ? kArchiveHelp : kHelp, "Print Options");
  }

  static const char* procedureOf(Kind k) {
    return k == kCases ? "PrintCaseOptions" : k == kLog ? "PrintLogOptions" : "PrintArchiveOptions";
  }

  PrintOptions answer;

  Level Init() override {
    if (Level l = WindowController::Init(); l != LevelOk) return l;
    window().setChoices(kAgentList, fieldValues(*s_.dictionary.IdeRelations, "IDE:Name"));
    if (kind_ == kArchive) {
      window().setChoices(kProductList, fieldValues(*s_.dictionary.SlaRelations, "SLA:IDProduct"));
      window().setChoices(kClientList, fieldValues(*s_.dictionary.ClientRelations, "CLI:SName"));
    }
    return LevelOk;
  }

  void OnOpen() override {
    const ini::IniSettings& ini = s_.AppSettings;
    agentChoice = storedChoice(ini, keys_.agentChoice);
    kindChoice = storedChoice(ini, keys_.kindChoice);
    agentName = ini.ReadValue(kSection, keys_.agentName);
    if (text::clip(agentName).empty()) agentName = "Admin";
    if (kind_ == kArchive) {
      product = ini.ReadValue(kSection, keys_.product);
      client = ini.ReadValue(kSection, keys_.client);
    }
    window().display();
    showLists();
  }

  Level HandleAccepted() override {
    const int ok = kind_ == kArchive ? kArchiveOk : kOk;
    const int cancel = kind_ == kArchive ? kArchiveCancel : kCancel;
    const int c = event().control;
    if (c == kAgentGroup || c == kKindGroup) {
      window().update(c);
      showLists();
      return LevelNotify;
    }
    if (c == ok) {
      confirm();
      return LevelNotify;
    }
    if (c == cancel) {
      answer.cancelled = true;
      window().close();
      return LevelNotify;
    }
    return WindowController::HandleAccepted();
  }

  Level HandleCloseRequest() override {
    // The close box cancels, as Cancel does: a report never runs on choices the user did not
    // confirm.
    if (RESPONSE != forms::ResponseCompleted) answer.cancelled = true;
    return WindowController::HandleCloseRequest();
  }

  Level Shutdown() override {
    if (hasWindow()) {
      window().update();
      ini::IniSettings& ini = s_.AppSettings;
      ini.WriteValue(kSection, keys_.agentChoice, std::int64_t{agentChoice});
      ini.WriteValue(kSection, keys_.kindChoice, std::int64_t{kindChoice});
      ini.WriteValue(kSection, keys_.agentName, agentName);
      if (kind_ == kArchive) {
        ini.WriteValue(kSection, keys_.product, product);
        ini.WriteValue(kSection, keys_.client, client);
      }
    }
    answer.agentChoice = agentChoice;
    answer.kindChoice = kindChoice;
    if (RESPONSE != forms::ResponseCompleted) answer.cancelled = true;
    return WindowController::Shutdown();
  }

 private:
  void showLists() {
    window().setHidden(kAgentList, agentChoice != 2);
    if (kind_ != kArchive) return;
    if (kindChoice == 4) return;  // the hidden Closed choice changes no list
    window().setHidden(kProductList, kindChoice != 2);
    window().setHidden(kClientList, kindChoice != 3);
  }

  // A required list without a selection gets the focus and a beep; the window stays open.
  bool missing(int list) {
    if (window().selected(list) != 0) return false;
    s_.env.ui.beep();
    window().select(list);
    return true;
  }

  void confirm() {
    window().update();
    if (agentChoice == 2 && missing(kAgentList)) return;
    if (kind_ == kArchive && kindChoice == 2 && missing(kProductList)) return;
    if (kind_ == kArchive && kindChoice == 3 && missing(kClientList)) return;
    if (agentChoice == 2) answer.agentName = agentName;
    if (kind_ == kArchive)
      answer.productOrClient = kindChoice == 2 ? product : kindChoice == 3 ? client : "";
    RESPONSE = forms::ResponseCompleted;
    window().close();
  }

  core::ProgramState& s_;
  Kind kind_;
  Keys keys_;
  int& agentChoice;
  int& kindChoice;
  std::string& agentName;
  std::string& product;
  std::string& client;
};

ui::WindowDecl optionDecl(Kind kind, Vars& v) {
  ui::WindowDecl d;
  d.title = kind == kCases ? "Printing Cases"
            : kind == kLog ? "Printing Activity Log"
                           : "Printing Knowledge Base Cases";
  d.kind = ui::WindowKind::Modal;
  auto& c = d.controls;
  c.push_back(ui::option("?AgentGroup", "Agent", ui::useNumber("AgentChoice", v.agentChoice))
                  .withNumber(kAgentGroup)
                  .at(1, 1));
  c.push_back(
      ui::radio("?AllAgents", "&All Agents", "1").withNumber(kAllAgents).at(1, 1).in(kAgentGroup));
  c.push_back(
      ui::radio("?OfAgent", "&Of Agent", "2").withNumber(kOfAgent).at(2, 1).in(kAgentGroup));
  c.push_back(ui::dropList("?AgentList", {}, ui::useText("AgentName", v.agentName))
                  .withNumber(kAgentList)
                  .withTip("Pick Agent")
                  .size(20)
                  .at(2, 2)
                  .in(kAgentGroup)
                  .asHidden());
  const char* group = kind == kCases ? "Status" : kind == kLog ? "Activity" : "Property";
  c.push_back(ui::option("?KindGroup", group, ui::useNumber("KindChoice", v.kindChoice))
                  .withNumber(kKindGroup)
                  .at(2, 1));
  const std::vector<const char*> kinds =
      kind == kCases ? std::vector<const char*>{"A&ll", "Ac&tive", "On &Hold", "&Closed"}
      : kind == kLog ? std::vector<const char*>{"&All", "&Created", "&On Hold", "&Closed"}
                     : std::vector<const char*>{"A&ll", "&Product", "&Client", "&Closed"};
  for (int i = 0; i < 4; ++i) {
    ui::ControlDecl r = ui::radio("?Kind" + std::to_string(i + 1),
                                  kinds[static_cast<std::size_t>(i)], std::to_string(i + 1))
                            .withNumber(kKind1 + i)
                            .at(i + 1, 1)
                            .in(kKindGroup);
    if (kind == kArchive && i == 3) r.asHidden();  // reached only through a stored choice
    c.push_back(r);
  }
  int next = kOk;
  if (kind == kArchive) {
    c.push_back(ui::dropList("?ProductList", {}, ui::useText("Product", v.product))
                    .withNumber(kProductList)
                    .withTip("Select Product")
                    .size(16)
                    .at(2, 2)
                    .in(kKindGroup)
                    .asHidden());
    c.push_back(ui::dropList("?ClientList", {}, ui::useText("Client", v.client))
                    .withNumber(kClientList)
                    .withTip("Select Client")
                    .size(6)
                    .at(3, 2)
                    .in(kKindGroup)
                    .asHidden());
    next = kArchiveOk;
  }
  c.push_back(ui::button("?OK", "&OK").withNumber(next).at(3, 1).asDefault());
  c.push_back(ui::button("?Cancel", "&Cancel").withNumber(next + 1).at(3, 2));
  c.push_back(ui::button("?Help", "&Help").withNumber(next + 2).at(3, 3));
  return d;
}

PrintOptions runOptions(core::ProgramState& s, Kind kind, Keys keys) {
  Vars v;
  OptionWindow w(s, kind, keys, v, optionDecl(kind, v));
  w.Run();
  return w.answer;
}

}  // namespace

PrintOptions PrintCaseOptions(core::ProgramState& s) {
  return runOptions(s, kCases, {"PrintOption1", "PrintOption2", "PrintOption3"});
}

PrintOptions PrintLogOptions(core::ProgramState& s) {
  return runOptions(s, kLog, {"PrintOption4", "PrintOption5", "PrintOption6"});
}

PrintOptions PrintArchiveOptions(core::ProgramState& s) {
  return runOptions(s, kArchive,
                    {"PrintArchiveOption1", "PrintArchiveOption2", "PrintArchiveOption3",
                     "PrintArchiveOption4", "PrintArchiveOption5"});
}

}  // namespace trv::cases::reports
