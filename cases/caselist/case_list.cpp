#include "cases/caselist/case_list.h"

#include <cstring>
#include <optional>
#include <string>

#include "cases/caselist/assign_window.h"
#include "cases/caselist/case_archive.h"
#include "cases/caselist/case_list_rules.h"
#include "cases/caselist/case_log.h"
#include "cases/caselist/closed_cases.h"
#include "cases/caselist/record_update.h"
#include "cases/history/case_trace.h"
#include "core/data/records.h"
#include "core/frame/frame_menu.h"
#include "core/program/list_environment.h"
#include "core/program/program_state.h"
#include "core/program/thread_slots.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/procedures.h"
#include "runtime/forms/program_message.h"
#include "runtime/list/list_window.h"
#include "runtime/store/error.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::cases {
namespace {

using core::SercaseRecord;

// The list enhancement's column-refresh event.
constexpr int kColumnRefreshEvent = 1082;

// The 19 columns; numbers and moments right-justified, each with its indent.
std::vector<list::ListColumnDecl> caseColumns() {
  return {
      {"Case Nr", 31, "SER:CaseNr", "@N06", true, 2},
      {"Client", 31, "SER:SName", "@s6", false, 2},
      {"Product", 80, "SER:Product", "@s50", false, 1},
      {"ID", 20, "SER:IDProduct", "@s16", false, 1},
      {"Problem", 100, "SER:SProblem", "@s80", false, 1},
      {"Priority", 26, "SER:Priority", "@s7", false, 1},
      {"Status", 25, "SER:Status", "@s7", false, 2},
      {"Agent", 50, "SER:Owner", "@s20", false, 2},
      {"Start Date", 44, "SER:SDate", "@D5", true, 2},
      {"Start Time", 41, "SER:STime", "@T1", true, 2},
      {"Esc-1 Date", 48, "SER:FirstEscDate", "@D5", true, 2},
      {"Esc-1 Time", 45, "SER:FirstEscTime", "@T1", true, 2},
      {"S1", 12, "SER:FirstAction", "@s1"},
      {"Esc-2  Date", 47, "SER:SecEscDate", "@D5B", true, 2},
      {"Esc-2 Time", 43, "SER:SecEscTime", "@T1B", true, 2},
      {"S2", 13, "SER:SecAction", "@s1"},
      {"Esc-3  Date", 43, "SER:ThirdEscDate", "@D5B", true, 2},
      {"Esc-3 Time", 43, "SER:ThirdEscTime", "@T1B", true, 2},
      {"S3", 10, "SER:ThirdAction", "@s1", false, 3},
  };
}

// The case list's own values for the list enhancement: sorting on the case number chooses the
// "Case" tab, on any other column the "First Escalation" tab; the case number locates by the
// digits typed; no graph of the case number and no totals; the case number's order is its own
// group.
void caseListSettings(listext::ListSettings& st) {
  for (std::size_t i = 0; i < st.columns.size(); ++i) {
    listext::ColumnEntry& c = st.columns[i];
    c.tab = i == 0 ? CasesTabCase : CasesTabFirstEscalation;
    if (i == 0) c.locator = 'E';
    c.graph = i != 0;
    c.total = false;
  }
  st.groups = {{"SER:CaseNr", {{"SER:CaseNr", false, "@N06"}}}};
  st.applyAll.toGroups = true;
}

list::ListDecl caseListDecl(core::ProgramState& s) {
  list::ListDecl d;
  d.procedure = "BrowsCases";
  d.window.title = "Cases";
  d.window.kind = ui::WindowKind::Child;
  d.window.resizable = true;
  d.window.statusZones = 1;
  d.window.controls = {
      ui::list("?Browse:1", {}).withNumber(CasesList).at(1, 1).size(120, 15),
      ui::button("?Change", "&Update").withNumber(CasesUpdate).withTip("Update Case").at(2, 1),
      ui::button("?Export", "&Export")
          .withNumber(CasesExport)
          .withTip("Export to CSV file")
          .at(2, 2),
      ui::button("?Insert", "&Insert").withNumber(CasesInsert).withTip("Insert New Case").at(2, 3),
      ui::button("?Queues", "&Queues").withNumber(CasesQueues).withTip("Action Overview").at(2, 4),
      ui::button("?Yank", "&Yank Case").withNumber(CasesYank).at(2, 5).asHidden(),
      ui::button("?Assign", "A&ssign Case")
          .withNumber(CasesAssign)
          .withTip("Assign Case to an Agent")
          .at(2, 6),
      ui::button("?Archive", "&Archive Case")
          .withNumber(CasesArchive)
          .withTip("Add to Knowledge Base")
          .at(2, 7),
      ui::button("?Delete", "&Delete Case").withNumber(CasesDelete).withTip("Delete Case").at(2, 8),
      ui::button("?DeleteClosed", "Delete Clo&sed")
          .withNumber(CasesDeleteClosed)
          .withTip("Delete all Closed Cases")
          .at(2, 9),
      ui::button("?Close", "&Close").withNumber(CasesClose).withTip("Close Browse").at(3, 1),
      ui::button("?Help", "&Help").withNumber(CasesHelp).at(3, 2),
      ui::button("?Select", "&Select").withNumber(CasesSelect).at(3, 3),
      ui::sheet("?CurrentTab").withNumber(CasesSheet).at(4, 1),
      ui::tab("?Tab:1", "Case").withNumber(CasesTabCase).in(CasesSheet),
      ui::tab("?Tab:2", "Name").withNumber(CasesTabName).in(CasesSheet),
      ui::tab("?Tab:3", "First Escalation").withNumber(CasesTabFirstEscalation).in(CasesSheet),
      ui::tab("?Tab:4", "Second Escalation").withNumber(CasesTabSecondEscalation).in(CasesSheet),
      ui::tab("?Tab:5", "Third Escalation").withNumber(CasesTabThirdEscalation).in(CasesSheet),
  };
  d.list = CasesList;
  d.columns = caseColumns();
  d.file = s.dictionary.SercaseRelations.get();
  d.orders = {
      {"SER:CaseNrKey", "SER:CaseNr", CasesTabCase, true, true},
      {"SER:NameKey", "SER:SName", CasesTabName},
      {"SER:FirstEscKey", "SER:FirstEscDate", CasesTabFirstEscalation},
      {"SER:SecEscKey", "SER:SecEscDate", CasesTabSecondEscalation},
      {"SER:ThirdEscKey", "SER:ThirdEscDate", CasesTabThirdEscalation},
      {},  // file sequence, for the list enhancement's header menu
  };
  d.sheet = CasesSheet;
  d.buttons = {.select = CasesSelect,
               .insert = CasesInsert,
               .change = CasesUpdate,
               .remove = CasesDelete,
               .close = CasesClose,
               .help = CasesHelp};
  d.form = "ChangeCases";
  d.select = list::SelectMode::Never;
  for (const CasePopupItem& item :
       casePopupItems(s.user.Level, CasesQueues, CasesYank, CasesAssign))
    d.popup.push_back({item.text, item.button});
  d.singleSlot = core::kBrowsCasesThread;
  d.enhanced = true;
  return d;
}

class CaseList final : public list::ListWindow {
 public:
  explicit CaseList(core::ProgramState& s)
      : ListWindow(core::listEnvironment(s, caseListSettings), caseListDecl(s)), s_(s) {
    core::Dictionary& d = s.dictionary;
    UseFile(*d.ArchiveRelations);
    UseFile(*d.IdeRelations);
    UseFile(*d.LogRelations);
    RESTOREONFOCUS = true;
    AddHelpButton(CasesHelp, "Browse Cases");
  }

  forms::Level Init() override {
    showFrameMailMenu(false);
    if (forms::Level l = ListWindow::Init(); l != forms::LevelOk) return l;
    recount();
    return forms::LevelOk;
  }

  void OnOpen() override {
    ListWindow::OnOpen();
    applyButtonStates();
    window().post(kColumnRefreshEvent);
  }

  forms::Level HandleEvent() override {
    const ui::Event e = event();
    const forms::Level l = ListWindow::HandleEvent();
    // Every move of the highlight and every button may change what the buttons offer.
    const bool listMoved =
        e.control == CasesList && (e.number == ui::EventNewSelection ||
                                   e.number == ui::EventAlertKey || e.number == ui::EventAccepted);
    if ((listMoved || e.number == ui::EventAccepted) && hasWindow() && window().isOpen())
      applyButtonStates();
    return l;
  }

  forms::Level HandleWindowEvent() override {
    if (event().number == ui::EventGainFocus) {
      // The list itself has read its page again and taken the list colour. Cases added or
      // removed meanwhile (another station, the scheduled deletion) enter a list sorted by a
      // column only when it is sorted again.
      const std::uint64_t before = count_;
      recount();
      if (count_ != before && browser().view().sorted()) {
        browser().view().Resort();
        browser().Refresh();
      }
      applyButtonStates();
    }
    return ListWindow::HandleWindowEvent();
  }

  forms::Level HandleAccepted() override {
    const int control = event().control;
    switch (control) {
      case CasesQueues:
        openQueues();
        return forms::LevelNotify;
      case CasesExport:
        if (usable(control)) {
          (void)RunProcedure("WindowExportFile", 0);
          browser().Refresh();
        }
        return forms::LevelNotify;
      case CasesYank:
        if (usable(control)) yank();
        return forms::LevelNotify;
      case CasesAssign:
        if (usable(control)) assign();
        return forms::LevelNotify;
      case CasesArchive:
        if (usable(control)) archive();
        return forms::LevelNotify;
      case CasesDeleteClosed:
        if (usable(control)) deleteClosed();
        return forms::LevelNotify;
      default:
        return ListWindow::HandleAccepted();
    }
  }

  forms::Level Shutdown() override {
    const bool ownedSlot =
        s_.globals.slot(core::kBrowsCasesThread) == ui::UiRuntime::currentThread();
    const forms::Level l = ListWindow::Shutdown();
    if (ownedSlot && !s_.LoggedOut) showFrameMailMenu(true);
    return l;
  }

 protected:
  int RunUpdate(list::ListRequest request) override {
    const std::uint32_t caseNr = sercase().CaseNr;  // the highlighted case, read again
    const int response = ListWindow::RunUpdate(request);
    if (response == forms::ResponseCompleted) {
      if (request == list::RequestDelete) writeCaseLogEntry(s_, CaseLogKind::Deleted, caseNr);
      if (request != list::RequestChange) recount();
    }
    return response;
  }

 private:
  data::FileAccess& sercaseFile() { return *s_.dictionary.SercaseAccess; }
  SercaseRecord& sercase() { return sercaseFile().record<SercaseRecord>(); }

  void showFrameMailMenu(bool shown) {
    if (s_.FrameWindow) s_.FrameWindow->setMenuHidden(core::MenuEmail, !shown);
  }

  // A button pressed through the popup acts only while the button itself could be pressed.
  bool usable(int button) {
    const ui::ControlState* c = window().control(button);
    return c && !c->hidden && !c->disabled;
  }

  // The highlighted case as the page shows it; nothing when the list is empty.
  std::optional<SercaseRecord> highlighted() {
    const int row = window().selected(CasesList);
    const auto& rows = browser().rows();
    if (row < 1 || row > static_cast<int>(rows.size())) return std::nullopt;
    const store::RecordBuffer& b = rows[static_cast<std::size_t>(row - 1)];
    if (b.record.size() != sizeof(SercaseRecord)) return std::nullopt;
    SercaseRecord r;
    std::memcpy(static_cast<void*>(&r), b.record.data(), sizeof r);
    return r;
  }

  // The number of cases the title shows: counted when the list opens and reloads and after
  // the list itself adds or removes cases, never on a mere move.
  void recount() {
    std::uint64_t n = 0;
    if (sercaseFile().count(&n) == store::Ok) count_ = n;
    const std::string title = caseListTitle(count_);
    window().setTitle(title);
    window().setStatus(1, title);
  }

  // The buttons shown and enabled by the level, the count and the highlighted case's owner, and
  // the title with the count.
  void applyButtonStates() {
    const std::optional<SercaseRecord> current = highlighted();
    const bool own = !current || ownsCase(current->Owner.view(), s_.user.Name);
    const CaseButtons b = caseButtons(s_.user.Level, count_ == 0, own);
    const auto set = [this](int button, ButtonState state) {
      window().setHidden(button, !state.shown);
      window().setDisabled(button, !state.enabled);
    };
    set(CasesDeleteClosed, b.deleteClosed);
    set(CasesArchive, b.archive);
    set(CasesAssign, b.assign);
    set(CasesYank, b.yank);
    set(CasesExport, b.exportCases);
    set(CasesDelete, {b.deleteCase.shown, b.deleteCase.enabled && current.has_value()});
    const std::string title = caseListTitle(count_);
    window().setTitle(title);
    window().setStatus(1, title);
  }

  // A running overview comes to the front; else a new one starts on its own thread.
  void openQueues() {
    const forms::ProcedureEntry* e = s_.procedures.find("ActionQueues");
    if (!e || !e->body) {
      (void)s_.AppMessages.RaiseWithText(24, "ActionQueues");
      return;
    }
    forms::startProcedure(s_.forms, *e);
  }

  void yank() {
    if (!browser().LoadCurrent()) return;
    data::FileAccess& f = sercaseFile();
    SercaseRecord& r = sercase();
    if (ownsCase(r.Owner.view(), s_.user.Name)) return;  // only another agent's case
    const std::uint32_t nr = r.CaseNr;
    // The same entry as the case form's take-over, written by the same code.
    CaseTrace trace = CaseTrace::forExistingCase(r.Status.view());
    trace.setKind(ActionKind::TakeOver);
    if (trace.writeHistory(r, CaseMemos{f.memo("SER:History"), f.memo("SER:AddHistory")},
                           Agent{s_.user.Name, s_.user.Id},
                           s_.env.clock) != HistoryResult::Written) {
      forms::tell(s_.forms, std::string(kHistoryFullMessage), ui::Icon::Exclamation);
      return;
    }
    r.Owner = s_.user.Name;
    const UpdateResult written = updateWithMessages(s_, *s_.dictionary.SercaseRelations);
    if (!written.ok) {
      forms::tell(s_.forms, "An Error occurred during updating " + written.errorText,
                  ui::Icon::Exclamation);
      browser().Refresh();
      return;
    }
    forms::tell(s_.forms, "  Case : " + std::to_string(nr) + " Succesfully Yanked !  ",
                ui::Icon::Exclamation);
    window().setDisabled(CasesYank, true);
    browser().Refresh();
    writeCaseLogEntry(s_, CaseLogKind::Yanked, nr);
  }

  void assign() {
    const std::optional<SercaseRecord> current = highlighted();
    if (!current) return;
    if (AssignCase(s_, current->CaseNr)) browser().Refresh();
    window().select(CasesList);
  }

  void archive() {
    const std::optional<SercaseRecord> current = highlighted();
    if (!current) return;
    (void)archiveCase(s_, current->CaseNr);
    window().select(CasesList);
  }

  void deleteClosed() {
    if (forms::ask(s_.forms, "  Are you sure to Delete All Closed Cases?", ui::Icon::Information,
                   {"&Yes", "&No"}, 2) != 1)
      return;
    const ClosedCasesPass pass = deleteClosedCases(
        sercaseFile(),
        [this](std::uint32_t nr) { writeCaseLogEntry(s_, CaseLogKind::DeletedClosed, nr); },
        // Many closed cases take a while: the other threads' windows answer in between.
        [this] { return s_.env.ui.yieldBaton(); });
    if (pass.readFailure != store::Ok) {
      // The cases found before the failure are gone; say why the rest could not be read.
      s_.AppMessages.SetFileName(sercaseFile().name());
      (void)store::setError(pass.readFailure);
      (void)s_.AppMessages.Raise(pass.readFailure == store::RecordNotAvailable ? 28 : 19);
    } else if (pass.found == 0) {
      forms::tell(s_.forms, "There's nothing to delete...", ui::Icon::Information);
    }
    if (!pass.failed.empty())
      forms::tell(s_.forms, closedCasesFailureText(pass.failed), ui::Icon::Information);
    recount();
    // A list sorted by a column is sorted again: the cases gone leave its order.
    if (browser().view().sorted()) browser().view().Resort();
    browser().Refresh();
    window().select(CasesList);
  }

  core::ProgramState& s_;
  std::uint64_t count_ = 0;
};

}  // namespace

void BrowsCases(core::ProgramState& s) {
  CaseList list(s);
  list.Run();
}

void registerCaseList(core::ProgramState& s) {
  s.procedures.add("BrowsCases", forms::onOwnThread([&s](std::string_view) { BrowsCases(s); }));
}

}  // namespace trv::cases
