#include "cases/caselist/assign_window.h"

#include <algorithm>

#include "cases/caselist/case_log.h"
#include "cases/caselist/record_update.h"
#include "cases/history/case_trace.h"
#include "cases/history/history_text.h"
#include "core/data/records.h"
#include "core/program/program_state.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/program_message.h"
#include "runtime/store/error.h"
#include "runtime/text/charset.h"
#include "runtime/text/clock.h"
#include "runtime/text/fixed_string.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/use_var.h"
#include "runtime/ui/window.h"

namespace trv::cases {
namespace {

using core::SercaseRecord;

constexpr std::size_t kRemarkWidth = 255;
constexpr const char* kPositionSection = "AssignWindow";
constexpr int kDefaultX = 110;
constexpr int kDefaultY = 55;
constexpr std::string_view kDefaultAgent = "Boss";

// The remark as a Windows-1252 program variable shown as UTF-8, cut to its width.
ui::UseVar useRemark(std::string& remark) {
  return {"Remark", [&remark] { return ui::Value(text::toUtf8(remark)); },
          [&remark](const ui::Value& v) {
            remark = text::fromUtf8(ui::valueText(v)).substr(0, kRemarkWidth);
          }};
}

ui::WindowDecl assignDecl(std::string& remark) {
  ui::WindowDecl d;
  d.title = "Assign Agent";
  d.kind = ui::WindowKind::Modal;
  d.controls = {
      ui::prompt("?Prompt1", "Agent :").withNumber(AssignAgentPrompt).at(1, 1),
      ui::list("?AgentList", {{"", 20, "@s20"}})
          .withNumber(AssignAgentList)
          .withTip("Pick Agent")
          .at(1, 2)
          .size(20, 8),
      ui::entry("?Remark", "@s255", useRemark(remark))
          .withNumber(AssignRemark)
          .withTip("Add Remark")
          .at(2, 2)
          .size(60),
      ui::prompt("?Prompt2", "Remark :").withNumber(AssignRemarkPrompt).at(2, 1),
      ui::button("?OK", "&OK").withNumber(AssignOk).asDefault().at(3, 1),
      ui::button("?Cancel", "&Cancel").withNumber(AssignCancel).at(3, 2),
  };
  return d;
}

// The window keeps its position in keys of its own, not as a procedure's saved position.
struct OwnPositionContext {
  explicit OwnPositionContext(const forms::FormContext& common) : ownContext(common) {
    ownContext.settings = nullptr;
  }
  forms::FormContext ownContext;
};

class AssignWindow final : private OwnPositionContext, public forms::WindowController {
 public:
  AssignWindow(core::ProgramState& s, std::uint32_t caseNr)
      : OwnPositionContext(s.forms),
        WindowController(ownContext, "AssignCase", assignDecl(remark_)),
        s_(s),
        caseNr_(caseNr) {
    UseFile(*s.dictionary.IdeRelations);
    FIRSTFIELD = AssignRemark;
  }

  bool assigned() const { return assigned_; }

  forms::Level Init() override {
    remark_.clear();
    if (forms::Level l = WindowController::Init(); l != forms::LevelOk) return l;
    loadAgents();
    ui::Placement p = window().placement();
    p.x = positionOr("XPosition", kDefaultX);
    p.y = positionOr("YPosition", kDefaultY);
    window().setPlacement(p);
    window().setTitle("Assign Agent to Case Nr. " + std::to_string(caseNr_));
    window().display();
    return forms::LevelOk;
  }

  void OnOpen() override {
    WindowController::OnOpen();
    chosen_ = text::fromUtf8(s_.AppSettings.ReadValue("Config", "AssignAgent"));
    if (text::clip(chosen_).empty()) chosen_ = kDefaultAgent;
    const auto at = std::find(agents_.begin(), agents_.end(), text::clip(chosen_));
    window().setSelected(AssignAgentList,
                         at == agents_.end() ? 0 : static_cast<int>(at - agents_.begin()) + 1);
  }

  forms::Level HandleNewSelection() override {
    if (event().control == AssignAgentList) {
      const int row = window().selected(AssignAgentList);
      if (row >= 1 && row <= static_cast<int>(agents_.size()))
        chosen_ = agents_[static_cast<std::size_t>(row - 1)];
      return forms::LevelNotify;
    }
    return forms::LevelOk;
  }

  forms::Level HandleAccepted() override {
    switch (event().control) {
      case AssignAgentList:
        window().select(AssignRemark);
        return forms::LevelNotify;
      case AssignOk:
        window().update();
        if (assign()) window().close();
        return forms::LevelNotify;
      case AssignCancel:
        window().close();
        return forms::LevelNotify;
      default:
        return WindowController::HandleAccepted();
    }
  }

  forms::Level Shutdown() override {
    if (OPENED && hasWindow()) {
      s_.AppSettings.WriteValue("Config", "AssignAgent", text::toUtf8(text::clip(chosen_)));
      const ui::Placement& p = window().placement();
      s_.AppSettings.WriteValue(kPositionSection, "XPosition", std::int64_t{p.x});
      s_.AppSettings.WriteValue(kPositionSection, "YPosition", std::int64_t{p.y});
    }
    return WindowController::Shutdown();
  }

 private:
  int positionOr(const char* key, int fallback) {
    const std::int64_t v = s_.AppSettings.ReadNumber(kPositionSection, key);
    return v == 0 ? fallback : static_cast<int>(v);
  }

  void loadAgents() {
    data::FileAccess& users = *s_.dictionary.IdeAccess;
    std::vector<std::string> names;
    if (users.setFileOrder() == store::Ok)
      while (users.next() == store::Ok) names.push_back(users.record<core::IdeRecord>().Name.str());
    agents_ = assignableAgents(std::move(names), s_.user.Name);
    std::vector<ui::ListRow> rows;
    for (const std::string& a : agents_) rows.push_back({{text::toUtf8(a)}});
    window().setRows(AssignAgentList, std::move(rows));
  }

  bool agentChosen() {
    const int row = window().selected(AssignAgentList);
    return row >= 1 && row <= static_cast<int>(agents_.size());
  }

  // True when the case was written with its new owner.
  bool assign() {
    if (!agentChosen()) {
      s_.env.ui.beep();
      window().select(AssignAgentList);
      return false;
    }
    const std::string agent =
        agents_[static_cast<std::size_t>(window().selected(AssignAgentList) - 1)];
    data::FileAccess& cases = *s_.dictionary.SercaseAccess;
    SercaseRecord& r = cases.record<SercaseRecord>();
    r.CaseNr = caseNr_;
    if (cases.fetch("SER:CaseNrKey") != store::Ok) {
      forms::tell(s_.forms, "  Can't retrieve record", ui::Icon::Exclamation);
      return false;
    }
    // The owner as stored now: another station may have assigned the case meanwhile.
    if (text::equalClipped(r.Owner.view(), agent)) {
      s_.env.ui.beep();
      forms::tell(s_.forms, "  Agent owns the case already...", ui::Icon::Information);
      window().select(AssignAgentList);
      return false;
    }
    std::string& history = cases.memo("SER:History");
    const std::optional<std::string> entry = withAssignmentEntry(
        history, s_.env.clock.today(), s_.env.clock.now(), s_.user.Name, agent, remark_);
    if (!entry) {
      forms::tell(s_.forms, std::string(kHistoryFullMessage), ui::Icon::Exclamation);
      return false;
    }
    history = *entry;
    r.Owner = agent;
    r.UpdateFlag = 1;
    const UpdateResult written = updateWithMessages(s_, *s_.dictionary.SercaseRelations);
    if (!written.ok) {
      forms::tell(s_.forms, "  An Error occurred during Assignment " + written.errorText,
                  ui::Icon::Exclamation);
      return false;
    }
    writeCaseLogEntry(s_, CaseLogKind::Assign, r.CaseNr);
    assigned_ = true;
    return true;
  }

  core::ProgramState& s_;
  std::uint32_t caseNr_;
  std::string remark_;
  std::string chosen_;  // AGE:USER
  std::vector<std::string> agents_;
  bool assigned_ = false;
};

}  // namespace

std::vector<std::string> assignableAgents(std::vector<std::string> names, std::string_view user) {
  std::vector<std::string> agents;
  for (std::string& n : names) {
    const std::string_view name = text::clip(n);
    if (name == text::clip(user)) continue;
    agents.emplace_back(name);
  }
  std::sort(agents.begin(), agents.end());
  return agents;
}

std::optional<std::string> withAssignmentEntry(std::string_view history, std::int32_t date,
                                               std::int32_t time, std::string_view agent,
                                               std::string_view newOwner, std::string_view remark) {
  std::string out(text::clip(history));
  out += "\r\n\r\n";
  out += assignmentLine(date, time, agent, newOwner);
  out += "\r\n";
  out += text::clip(remark);
  if (out.size() > kHistoryLimit) return std::nullopt;
  return out;
}

bool AssignCase(core::ProgramState& s, std::uint32_t caseNr) {
  AssignWindow w(s, caseNr);
  w.Run();
  return w.assigned();
}

}  // namespace trv::cases
