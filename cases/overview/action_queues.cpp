#include "cases/overview/action_queues.h"

#include <memory>
#include <string>
#include <vector>

#include "cases/overview/overview_display.h"
#include "core/data/files.h"
#include "core/program/program_state.h"
#include "core/program/thread_slots.h"
#include "core/queues/queue_rebuild.h"
#include "core/queues/shared_queues.h"
#include "runtime/forms/form_globals.h"
#include "runtime/forms/procedures.h"
#include "runtime/list/list_format.h"
#include "runtime/text/charset.h"
#include "runtime/text/clock.h"
#include "runtime/text/fixed_string.h"
#include "runtime/text/picture.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::cases {
namespace {

constexpr const char* kBrowses = "Browses";
constexpr int kDefaultPosition = 45;
constexpr int kWidth = 319;
constexpr int kHeight = 159;

constexpr const char* kCaptionAll = "&All Cases";
constexpr const char* kCaptionOwn = "&Own Cases";
constexpr const char* kCaptionSortPriority = "&Sort Priority";
constexpr const char* kCaptionSortSla = "&Sort SLA";

// The refresh interval's timer period in hundredths; 0 for no timer.
int timerPeriod(int refreshInterval) {
  switch (refreshInterval) {
    case 1:
      return 3000;
    case 2:
      return 6000;
    case 3:
      return 9000;
    default:
      return 0;
  }
}

// A list's text is its caption.
ui::ControlDecl captioned(ui::ControlDecl list, std::string caption) {
  list.text = std::move(caption);
  return list;
}

ui::WindowDecl overviewDecl() {
  ui::WindowDecl d;
  d.title = "Action Overview";
  d.kind = ui::WindowKind::Child;
  d.icon = "Zoruve.ico";
  d.resizable = true;  // two lists that show more in a larger window
  d.controls = {
      captioned(ui::list("?List1", shownColumns(builtInColumns(kListToProcess))),
                "Cases to Process")
          .withNumber(OverviewListToProcess)
          .withTip("Cases to Process")
          .at(1, 1),
      captioned(ui::list("?List2", shownColumns(builtInColumns(kListLate))), "Late Cases")
          .withNumber(OverviewListLate)
          .withTip("Late Cases")
          .at(1, 2),
      ui::button("?AllCases", kCaptionAll).withNumber(OverviewOwnAll).at(2, 1).asHidden(),
      ui::button("?SortButton", "Sort Priority").withNumber(OverviewSort).at(2, 2),
      ui::string("?ProblemPrompt", "Problem :").withNumber(OverviewProblemPrompt).at(3, 1),
      ui::string("?ProblemText", "").withNumber(OverviewProblemText).size(80).at(3, 2),
      ui::button("?Update", "&Update").withNumber(OverviewUpdate).at(5, 1),
      ui::button("?Close", "&Close").withNumber(OverviewClose).at(5, 2),
      ui::button("?Help", "&Help").withNumber(OverviewHelp).at(5, 3),
      ui::string("?OwnerPrompt", "Owner   :").withNumber(OverviewOwnerPrompt).at(4, 1),
      ui::string("?OwnerText", "").withNumber(OverviewOwnerText).size(20).at(4, 2),
      ui::line("?Line").withNumber(OverviewLine).at(6, 1),
      ui::string("?LatePrompt", "Late : ").withNumber(OverviewLatePrompt).at(7, 1),
      ui::string("?LateCount", "").withNumber(OverviewLateCount).withPicture("@n6").at(7, 2),
      ui::string("?WaitingCount", "").withNumber(OverviewWaitingCount).withPicture("@n6").at(8, 2),
      ui::string("?Escalations1", "Escalations").withNumber(OverviewEscalations1).at(7, 3),
      ui::string("?WaitingPrompt", "Waiting : ").withNumber(OverviewWaitingPrompt).at(8, 1),
      ui::string("?Blank", "").withNumber(OverviewBlank).at(8, 4),
      ui::string("?Escalations2", "Escalations").withNumber(OverviewEscalations2).at(8, 3),
      ui::box("?Box").withNumber(OverviewBox).at(7, 1),
  };
  for (ui::ControlDecl& c : d.controls) c.font = ui::Font{"Tahoma", 8};
  return d;
}

class ActionOverview {
 public:
  ActionOverview(core::ProgramState& s, core::SharedQueues& q) : s_(s), q_(q) {}

  void run() {
    const int me = ui::UiRuntime::currentThread();
    open();
    if (w_) loop();
    w_.reset();
    auto it = s_.globals.slots.find(core::kActionQueuesThread);
    if (it != s_.globals.slots.end() && it->second == me) it->second = 0;
  }

 private:
  int level() const { return s_.user.Level; }
  bool own() const { return q_.ownCasesOnly(); }
  bool manager() const { return level() == 1 || level() == 2; }
  std::string userSection() const { return text::toUtf8(text::clip(s_.user.Name)); }
  const std::vector<core::QueueEntry>& queueOf(int list) const {
    return list == kListLate ? shown_->BEF : shown_->AFT;
  }

  void open() {
    int x = static_cast<int>(s_.AppSettings.ReadNumber(kBrowses, "QueXPosition"));
    int y = static_cast<int>(s_.AppSettings.ReadNumber(kBrowses, "QueYPosition"));
    if (x == 0) x = kDefaultPosition;
    if (y == 0) y = kDefaultPosition;
    w_ = s_.env.ui.open(overviewDecl());
    if (!w_) return;
    w_->setPlacement({false, false, x, y, kWidth, kHeight});
    w_->setTimer(timerPeriod(s_.sys.RefreshInterval));
    // Enter on a list opens its case; on a button it presses the button.
    w_->alert(ui::KeyEnter);
    shown_ = q_.snapshot();
    stampClock();
  }

  void loop() {
    ui::Event e;
    while (w_->accept(e)) {
      switch (e.number) {
        case ui::EventOpenWindow:
          onOpenWindow();
          break;
        case ui::EventAccepted:
          onAccepted(e.control);
          break;
        case ui::EventAlertKey:
          if (e.key == ui::KeyEnter) onEnter(e.control);
          break;
        case ui::EventSelected:
          if (isList(e.control)) onListSelected(e.control);
          break;
        case ui::EventNewSelection:
          if (isList(e.control)) onNewSelection(e.control);
          break;
        case ui::EventTimer:
          onTimer();
          break;
        case ui::EventGainFocus:
          onGainFocus();
          break;
        case ui::EventCloseWindow:
          onCloseWindow();
          return;
        default:
          break;
      }
    }
  }

  static bool isList(int control) {
    return control == OverviewListToProcess || control == OverviewListLate;
  }

  // --- window events ---

  void onOpenWindow() {
    if (s_.sys.ViewFlag2 < 3 && level() == 0) {
      w_->setHidden(OverviewSort, true);
      sortChoice_ = 0;
    } else {
      w_->setHidden(OverviewSort, false);
      sortChoice_ = core::userSortChoice(s_.AppSettings, s_.user.Name);
      w_->setText(OverviewSort, sortChoice_ == 0 ? kCaptionSortPriority : kCaptionSortSla);
    }
    q_.setOwnCasesOnly(false);
    w_->setHidden(OverviewOwnerPrompt, true);
    if (manager()) {
      const bool ownOnly = s_.AppSettings.ReadNumber(userSection(), "ViewFlag") != 0;
      q_.setOwnCasesOnly(ownOnly);
      w_->setText(OverviewOwnAll, ownOnly ? kCaptionAll : kCaptionOwn);
      w_->setHidden(OverviewOwnerPrompt, ownOnly);
      w_->setHidden(OverviewOwnAll, false);
    } else {
      q_.setOwnCasesOnly(true);
    }
    setIcons();
    setTitle();
    lateColumns_ = list::withListFormat(builtInColumns(kListLate),
                                        s_.AppSettings.ReadValue(kBrowses, "ActionList1"));
    toDoColumns_ = list::withListFormat(builtInColumns(kListToProcess),
                                        s_.AppSettings.ReadValue(kBrowses, "ActionList2"));
    w_->setColumns(OverviewListLate, shownColumns(lateColumns_));
    w_->setColumns(OverviewListToProcess, shownColumns(toDoColumns_));
    redisplay();
    recount();
    if (!shown_->AFT.empty()) {
      activate(kListToProcess);
    } else if (!shown_->BEF.empty()) {
      activate(kListLate);
    } else {
      active_ = 0;
    }
  }

  void onTimer() {
    setIcons();
    stampClock();
    setTitle();
    q_.sort(core::orderOfChoice(sortChoice_));
    redisplay();
    recount();
  }

  void onGainFocus() {
    w_->setIconized(false);
    redisplay();
  }

  void onCloseWindow() {
    const ui::Placement& p = w_->placement();
    (void)s_.AppSettings.WriteValue(kBrowses, "QueXPosition", std::int64_t{p.x});
    (void)s_.AppSettings.WriteValue(kBrowses, "QueYPosition", std::int64_t{p.y});
    if (const ui::ControlState* late = w_->control(OverviewListLate))
      (void)s_.AppSettings.WriteValue(kBrowses, "ActionList1",
                                      storedFormat(late->columns, lateColumns_));
    if (const ui::ControlState* toDo = w_->control(OverviewListToProcess))
      (void)s_.AppSettings.WriteValue(kBrowses, "ActionList2",
                                      storedFormat(toDo->columns, toDoColumns_));
    w_->close();
  }

  // --- controls ---

  void onAccepted(int control) {
    switch (control) {
      case OverviewListToProcess:
      case OverviewListLate:  // a double-click on a row
        onEnter(control);
        break;
      case OverviewOwnAll:
        onOwnAll();
        break;
      case OverviewSort:
        onSort();
        break;
      case OverviewUpdate:
        onUpdate();
        break;
      case OverviewClose:
        w_->post(ui::EventCloseWindow);
        break;
      case OverviewHelp:
        s_.env.ui.help("Activity View");
        break;
      default:
        break;
    }
  }

  void onEnter(int control) {
    if (isList(control)) {
      if (active_ != control) onListSelected(control);
      showSelection(control);
      openCase(control);
      redisplay();
      return;
    }
    const ui::ControlState* c = w_->control(control);
    if (c && c->kind == ui::ControlKind::Button && !c->hidden && !c->disabled) onAccepted(control);
  }

  void onOwnAll() {
    if (!manager()) return;
    if (w_->text(OverviewOwnAll) == kCaptionAll) {
      w_->setText(OverviewOwnAll, kCaptionOwn);
      w_->setHidden(OverviewOwnerPrompt, false);
      q_.setOwnCasesOnly(false);
      (void)s_.AppSettings.WriteValue(userSection(), "ViewFlag", std::int64_t{0});
    } else {
      w_->setText(OverviewOwnAll, kCaptionAll);
      w_->setText(OverviewOwnerText, "");
      w_->setHidden(OverviewOwnerPrompt, true);
      q_.setOwnCasesOnly(true);
      (void)s_.AppSettings.WriteValue(userSection(), "ViewFlag", std::int64_t{1});
    }
    rebuild();
    recount();
    const int list = shown_->AFT.empty() && !shown_->BEF.empty() ? kListLate : kListToProcess;
    w_->post(ui::EventNewSelection, otherList(list));
    activate(list);
    w_->post(ui::EventTimer);
  }

  void onSort() {
    if (s_.sys.ViewFlag2 != 3 && !manager()) return;
    if (w_->text(OverviewSort) == kCaptionSortPriority) {
      w_->setText(OverviewSort, kCaptionSortSla);
      sortChoice_ = 1;
    } else {
      w_->setText(OverviewSort, kCaptionSortPriority);
      sortChoice_ = 0;
    }
    (void)s_.AppSettings.WriteValue(userSection(), "ViewFlag2", std::int64_t{sortChoice_});
    rebuild();
    recount();
  }

  void onUpdate() {
    sortChoice_ = core::userSortChoice(s_.AppSettings, s_.user.Name);
    if (active_ != 0) {
      showSelection(active_);
      openCase(active_);
    }
    q_.sort(core::orderOfChoice(sortChoice_));
    redisplay();
    recount();
  }

  // --- lists ---

  static int otherList(int list) { return list == kListLate ? kListToProcess : kListLate; }

  // The list gets the focus: it becomes the active list and the other loses its selection.
  void onListSelected(int list) {
    active_ = list;
    w_->setSelected(otherList(list), 0);
    recount();
    const bool empty = queueOf(list).empty();
    w_->setDisabled(OverviewUpdate, empty);
    w_->setHidden(OverviewProblemPrompt, empty);
    w_->setHidden(OverviewOwnerPrompt, empty || own());
    if (!empty && w_->selected(list) == 0) w_->setSelected(list, 1);
    w_->post(ui::EventNewSelection, list);
  }

  void onNewSelection(int list) {
    // A click on a row of the other list makes that list the active one, so that "&Update"
    // opens the case the user sees selected.
    if (active_ != list && w_->selected(list) != 0) {
      active_ = list;
      w_->setSelected(otherList(list), 0);
    }
    showSelection(list);
  }

  void showSelection(int list) {
    std::string problem, owner, tip;
    if (const core::QueueEntry* e = selectedEntry(list)) {
      SelectionTexts t = selectionTexts(*e, list, level(), own());
      tip = std::move(t.tip);
      problem = std::move(t.problem);
      owner = std::move(t.owner);
    }
    w_->setTip(list, tip);
    // The texts below the lists follow the active list only.
    if (list != active_) return;
    w_->setText(OverviewProblemText, problem);
    w_->setText(OverviewOwnerText, owner);
  }

  // The entry of the list's selected row, as the list shows it; null for none.
  const core::QueueEntry* selectedEntry(int list) const {
    const auto& queue = queueOf(list);
    const int row = w_->selected(list);
    if (row < 1 || row > static_cast<int>(queue.size())) return nullptr;
    return &queue[static_cast<std::size_t>(row - 1)];
  }

  // Row 1 of `list` selected, the other list without a selected row.
  void activate(int list) {
    active_ = list;
    w_->setSelected(otherList(list), 0);
    if (!queueOf(list).empty()) w_->setSelected(list, 1);
    showSelection(list);
    w_->post(ui::EventNewSelection, list);
  }

  void openCase(int list) {
    const core::QueueEntry* e = selectedEntry(list);
    if (!e) return;
    const std::uint32_t caseNr = e->CASENR;
    const forms::ProcedureEntry* p = s_.procedures.find("ChangeCases");
    if (!p || !p->body) {
      (void)s_.AppMessages.RaiseWithText(24, "ChangeCases");
      return;
    }
    s_.globals.NextRequest = forms::RequestChange;
    p->body(std::to_string(caseNr));
  }

  // --- shared parts ---

  void rebuild() {
    const core::RescanInputs inputs{s_.user.Name, level(), s_.HideOnHold};
    // A case file that cannot be read leaves the queues as the scan left them, without a
    // message: the next rescan tries again.
    (void)core::rebuildQueuesForOverview(
        q_, core::filePath(s_.DatabaseFolder, core::DataFile::Sercase), s_.AppSettings, inputs,
        s_.env.clock, [this] { return s_.env.ui.yieldBaton(); });
    stampClock();
    redisplay();
    if (active_ != 0) showSelection(active_);
  }

  void redisplay() {
    shown_ = q_.snapshot();
    std::vector<ui::ListRow> rows;
    for (int list : {kListToProcess, kListLate}) {
      rows.clear();
      rows.reserve(queueOf(list).size());
      for (const core::QueueEntry& e : queueOf(list)) rows.push_back(queueRow(e));
      w_->setRows(list, std::move(rows));
    }
  }

  void recount() {
    w_->setValue(OverviewLateCount, static_cast<std::int64_t>(shown_->BEF.size()));
    w_->setValue(OverviewWaitingCount, static_cast<std::int64_t>(shown_->AFT.size()));
  }

  void setIcons() {
    w_->setImage(OverviewListToProcess, iconList());
    w_->setImage(OverviewListLate, iconList());
  }

  void stampClock() {
    timeText_ = text::formatPicture("@T1", s_.env.clock.now());
    dateText_ = text::formatPicture("@D5", s_.env.clock.today());
  }

  void setTitle() {
    w_->setTitle(overviewTitle(level(), own(), s_.user.Name, dateText_, timeText_));
  }

  core::ProgramState& s_;
  core::SharedQueues& q_;
  std::unique_ptr<ui::Window> w_;
  core::SharedQueues::Snapshot shown_;  // what the lists show now
  long long sortChoice_ = 0;
  int active_ = 0;  // 0 none, else the list number
  // The columns each list was opened with, in dialog units, for what its close stores.
  std::vector<ui::ListColumn> lateColumns_;
  std::vector<ui::ListColumn> toDoColumns_;
  std::string timeText_, dateText_;
};

}  // namespace

void ActionQueues(core::ProgramState& state, core::SharedQueues& queues) {
  ActionOverview(state, queues).run();
}

void registerActionQueues(core::ProgramState& state, core::SharedQueues& queues) {
  core::ProgramState* s = &state;
  core::SharedQueues* q = &queues;
  state.procedures.add("ActionQueues",
                       forms::onOwnThread([s, q](std::string_view) { ActionQueues(*s, *q); },
                                          core::kActionQueuesThread, forms::WhenRunning::ToFront));
}

}  // namespace trv::cases
