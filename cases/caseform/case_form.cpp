#include "cases/caseform/case_form.h"

#include <algorithm>
#include <array>
#include <string>

#include "cases/caseform/case_rights.h"
#include "cases/caseform/case_window.h"
#include "cases/escalation/escalation_records.h"
#include "cases/history/case_trace.h"
#include "cases/notes/box_colours.h"
#include "cases/notes/notes_window.h"
#include "cases/priority/priority_records.h"
#include "core/calendar/calendar.h"
#include "core/clients/client_form.h"
#include "core/data/records.h"
#include "core/program/program_state.h"
#include "core/program/thread_slots.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/procedures.h"
#include "runtime/forms/program_message.h"
#include "runtime/store/error.h"
#include "runtime/text/charset.h"
#include "runtime/text/clock.h"
#include "runtime/text/fixed_string.h"
#include "runtime/text/picture.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::cases {
namespace {

using core::ClientRecord;
using core::SercaseRecord;
using core::SlaRecord;
using data::Level;
using data::LevelFatal;
using data::LevelNotify;
using data::LevelOk;

constexpr const char* kSection = "ChangeCases";
constexpr std::string_view kCaseDeleted =
    "Case Deleted - Press Sort for an Instant\r\nRefreshment of the Queues ";

constexpr std::array<int, 3> kDoneChecks{kFirstDone, kSecDone, kThirdDone};
constexpr std::array<int, 5> kNoteButtons{kPhoneIn, kPhoneOut, kEmailIn, kEmailOut, kNotes};
constexpr std::array<int, 5> kNoteItems{kItemPhoneIn, kItemPhoneOut, kItemEmailIn, kItemEmailOut,
                                        kItemNotes};

bool sameAgent(std::string_view a, std::string_view b) {
  return text::equalNoCase(a, b);
}

class CaseForm final : public forms::WindowController {
 public:
  CaseForm(core::ProgramState& s, std::optional<std::uint32_t> caseNr)
      : WindowController(s.forms, "ChangeCases", caseWindowDecl(*s.dictionary.SercaseAccess)),
        s_(s),
        caseNr_(caseNr),
        trace_(CaseTrace::forExistingCase({})) {
    core::Dictionary& d = s.dictionary;
    PRIMARY = d.SercaseRelations.get();
    OKCONTROL = kOk;
    DELETEACTION = 2;  // a delete asks first and never shows the form
    SINGLESLOT = core::kChangeCasesThread;
    HOLDFRAMETIMER = true;
    RESTOREONFOCUS = true;
    AddHelpButton(kHelp, "Creating a Client Case");
    UseFile(*d.SercaseRelations);
    UseFile(*d.LogRelations);
    UseFile(*d.ProblemRelations);
    UseFile(*d.SlaRelations);
    UseFile(*d.ClientRelations);
    UseFile(*d.ArchiveRelations);
    for (int control :
         {kCaseNr,      kClientId,   kClientName, kProductId, kPhone,        kProduct,
          kProblemText, kPriority,   kStartTime,  kStartDate, kFirstEscDate, kFirstEscTime,
          kFirstDone,   kSecEscDate, kSecEscTime, kSecDone,   kThirdEscDate, kThirdEscTime,
          kThirdDone,   kStatus,     kHistory})
      RememberHistoryField(control);
    // A number the knowledge base keeps is never given to a new case.
    SkipReservedNumbers([&d](std::int64_t n) {
      d.ArchiveAccess->record<core::ArchiveRecord>().CASENR = static_cast<std::uint32_t>(n);
      return d.ArchiveAccess->fetch("ARC:CaseNrKey") == store::Ok;
    });
  }

  Level Init() override {
    if (Level l = WindowController::Init(); l != LevelOk) return l;
    window().setTitle(REQUEST == forms::RequestInsert ? "Adding a Case "
                                                      : "Changing a Case Status");
    applyHistoryColours();
    loadProblems();
    return LevelOk;
  }

  Level PrepareRequest() override {
    if (caseNr_ && REQUEST != forms::RequestInsert) {
      sercase().CaseNr = *caseNr_;
      if (s_.dictionary.SercaseAccess->fetch("SER:CaseNrKey") != store::Ok) {
        forms::tell(s_.forms, text::toUtf8(kCaseDeleted));
        RESPONSE = forms::ResponseCancelled;
        return LevelNotify;
      }
    }
    return WindowController::PrepareRequest();
  }

  void OnOpen() override {
    WindowController::OnOpen();
    if (REQUEST == forms::RequestInsert)
      openNewCase();
    else
      openExistingCase();
  }

  Level HandleWindowEvent() override {
    if (event().number == ui::EventCloseWindow || event().number == ui::EventCloseDown) {
      // The form closes without asking about unsaved changes.
      if (RESPONSE != forms::ResponseCompleted) RecordResponse(forms::ResponseCancelled);
      window().close();
      return LevelNotify;
    }
    return WindowController::HandleWindowEvent();
  }

  Level HandleSelected() override {
    if (REQUEST != forms::RequestInsert) return LevelOk;
    if (event().control == kClientId) {
      lookUpClientOnSelection();
      return LevelNotify;
    }
    if (event().control == kProduct) {
      lookUpProductOnSelection();
      return LevelNotify;
    }
    return LevelOk;
  }

  Level HandleAccepted() override {
    const int control = event().control;
    if (const int button = buttonOfMenuItem(control)) {
      // The item presses its button, which then takes the button's whole way.
      window().post(ui::EventAccepted, button);
      return LevelNotify;
    }
    switch (control) {
      case kItemTextColour:
      case kItemBackground:
        chooseColour(control == kItemTextColour);
        return LevelNotify;
      case kClientId:
        acceptClientId();
        return LevelNotify;
      case kClientDetails:
        showClientDetails();
        return LevelNotify;
      case kProduct:
        acceptProduct();
        return LevelNotify;
      case kPriority:
        acceptPriority();
        return LevelNotify;
      case kPickDate:
        window().update();
        // The picker starts from today, whatever the case holds.
        sercase().SDate = core::Calendar(s_.env.ui);
        window().display(kStartDate);
        return LevelNotify;
      case kStartTime:
        checkStartTime();
        return LevelNotify;
      case kStartDate:
        checkStartDate();
        return LevelNotify;
      case kFirstDone:
      case kSecDone:
      case kThirdDone:
        acceptDoneCheck(control);
        return LevelNotify;
      case kPhoneIn:
      case kPhoneOut:
      case kEmailIn:
      case kEmailOut:
      case kNotes:
        addNote(control);
        return LevelNotify;
      case kStatus:
        acceptStatus();
        return LevelNotify;
      case kOk:
        return save();
      case kCancel:
        cancel();
        return LevelNotify;
      case kYank:
        takeOver();
        return LevelNotify;
      case kPrint:
        window().update();
        (void)RunProcedure("PrintCase", forms::RequestPrint, std::to_string(sercase().CaseNr));
        window().display();
        return LevelNotify;
      default:
        return WindowController::HandleAccepted();
    }
  }

 private:
  // --- buffers and small services ---
  data::FileAccess& sercaseFile() { return *s_.dictionary.SercaseAccess; }
  SercaseRecord& sercase() { return sercaseFile().record<SercaseRecord>(); }
  ClientRecord& client() { return s_.dictionary.ClientAccess->record<ClientRecord>(); }
  SlaRecord& product() { return s_.dictionary.SlaAccess->record<SlaRecord>(); }
  Agent agent() const { return Agent{s_.user.Name, s_.user.Id}; }
  bool isOwner() { return sameAgent(sercase().Owner.view(), s_.user.Name); }
  bool newCase() const { return REQUEST == forms::RequestInsert; }

  // --- opening ---
  void applyHistoryColours() {
    colours_ = storedBoxColours(s_.AppSettings, kSection);
    window().setColours(kHistory, colours_.text, colours_.background);
  }

  void loadProblems() {
    data::FileAccess& problems = *s_.dictionary.ProblemAccess;
    std::vector<std::string> choices;
    if (problems.setKeyOrder("PRO:KeyProblem", false) == store::Ok)
      while (problems.next() == store::Ok)
        choices.push_back(text::toUtf8(problems.record<core::ProblemRecord>().PROBLEM.view()));
    firstProblem_ = choices.empty() ? std::string() : text::fromUtf8(choices.front());
    window().setChoices(kProblemList, std::move(choices));
  }

  void openNewCase() {
    trace_ = CaseTrace::forNewCase();
    SercaseRecord& r = sercase();
    const bool fromList = s_.sys.ProblemFix == 1;
    r.SProblem = fromList ? firstProblem_ : std::string();
    window().setHidden(kProblemList, !fromList);
    window().setHidden(kProblemText, fromList);
    r.ProblemFix = fromList ? 1 : 2;
    r.SDate = s_.env.clock.today();
    r.STime = s_.env.clock.now();
    r.Status = "Active";
    r.Priority = "Medium";
    for (int n :
         {kFirstEscDate, kFirstEscTime, kSecEscDate, kSecEscTime, kThirdEscDate, kThirdEscTime,
          kFirstDone, kPriority, kPriorityLabel, kStatusPrompt, kStatus, kYank})
      window().setHidden(n, true);
    window().setMenuHidden(kItemYank, true);
    showDoneChecks();
    window().setTitle(" New Case  - Creator : " + text::toUtf8(s_.user.Name));
    (void)writeHistory();  // the creation line
    SaveCopies();
    window().display();
    window().select(kClientId);
    window().post(ui::EventSelected, kClientId);
  }

  void openExistingCase() {
    SercaseRecord& r = sercase();
    trace_ = CaseTrace::forExistingCase(r.Status.view());
    ownerAtOpening_ = r.Owner.str();
    rememberedPriority_ = r.Priority.str();
    trace_.setRememberedPriority(rememberedPriority_);
    resolvePriority();
    if (r.PriorityFix != 0 && !text::equalClipped(r.Priority.view(), rememberedPriority_)) {
      systemPriorityChange(" -- Product or Client Priority Level is Set or Changed ! -- ");
      window().select(kOk);
    }
    rememberMarks();
    window().setHidden(kProblemList, r.ProblemFix != 1);
    window().setHidden(kProblemText, r.ProblemFix == 1);
    for (int n : {kClientId, kProduct, kCaseNr, kStartDate, kStartTime, kPickDate})
      window().setDisabled(n, true);
    window().setHidden(kClientDetails, false);
    applyStates(openingStates(facts()));
    showDoneChecks();
    setExistingTitle();
    window().display();
    window().select(kHistory);
  }

  void setExistingTitle() {
    window().setTitle(" Case " + std::to_string(sercase().CaseNr) +
                      " - Owner : " + text::toUtf8(sercase().Owner.view()));
  }

  CaseFacts facts() {
    const SercaseRecord& r = sercase();
    CaseFacts f;
    f.level = s_.user.Level;
    f.owner = sameAgent(r.Owner.view(), s_.user.Name);
    f.status = r.Status.view();
    f.priorityForced = r.PriorityFix != 0;
    f.marks = {mark(r.FirstAction), mark(r.SecAction), mark(r.ThirdAction)};
    return f;
  }
  static char mark(const text::FixedString<1>& m) { return m.blank() ? ' ' : m.view()[0]; }

  void applyStates(const CaseControlStates& st) {
    window().setDisabled(kStatus, !st.statusEnabled);
    window().setDisabled(kPriority, !st.priorityEnabled);
    window().setDisabled(kYank, !st.yankEnabled);
    window().setMenuDisabled(kItemYank, !st.yankEnabled);
    for (std::size_t i = 0; i < kDoneChecks.size(); ++i)
      window().setDisabled(kDoneChecks[i], !st.doneEnabled[i]);
    enableNotes(st.notesEnabled);
  }

  void enableNotes(bool on) {
    for (int b : kNoteButtons) window().setDisabled(b, !on);
    for (int m : kNoteItems) window().setMenuDisabled(m, !on);
  }

  void rememberMarks() {
    const SercaseRecord& r = sercase();
    rememberedMarks_ = {mark(r.FirstAction), mark(r.SecAction), mark(r.ThirdAction)};
  }

  // The second check shows only while the first is ticked, the third while the second is.
  void showDoneChecks() {
    const SercaseRecord& r = sercase();
    window().setHidden(kSecDone, r.FirstAction != "D");
    window().setHidden(kThirdDone, window().control(kSecDone)->hidden || r.SecAction != "D");
  }

  // --- the history and the notes window ---
  HistoryResult writeHistory() {
    data::FileAccess& f = sercaseFile();
    trace_.setMailNotSent(unsentMail_);
    const HistoryResult r =
        trace_.writeHistory(sercase(), CaseMemos{f.memo("SER:History"), f.memo("SER:AddHistory")},
                            agent(), s_.env.clock);
    if (r == HistoryResult::HistoryFull) forms::tell(s_.forms, text::toUtf8(kHistoryFullMessage));
    window().display(kHistory);
    return r;
  }

  // Opens the notes window for `kind`; true when the agent confirmed a text to record. A mail
  // that was not handed over is not confirmed: its text stays in SER:AddHistory and is never
  // recorded as sent.
  bool askNotes(ActionKind kind) {
    startAction(kind);
    unsentMail_ = false;
    const NotesOutcome o = AddNotes(s_, kind, mailMode_);
    if (o.revert || !o.confirmed || o.mailNotSent) {
      unsentMail_ = o.mailNotSent;
      dropAction();
      return false;
    }
    if (!o.mailAddress.empty()) trace_.setMailAddress(o.mailAddress);
    return true;
  }

  void startAction(ActionKind kind) {
    kindBefore_ = trace_.kind();
    trace_.setKind(kind);
  }

  // Writes the entry of the action started; one that cannot be written drops the action.
  bool recordEntry() {
    if (writeHistory() == HistoryResult::Written) return true;
    dropAction();
    return false;
  }

  bool recordWithNotes(ActionKind kind) { return askNotes(kind) && recordEntry(); }

  // An action that did not take effect counts as none, and the choice that started it is put
  // back at once (before a save's validation pass could look at it).
  void dropAction() {
    trace_.setKind(kindBefore_);
    revertChoice();
  }

  void systemPriorityChange(std::string_view text) {
    trace_.setKind(ActionKind::PriorityBySystem);
    sercaseFile().memo("SER:AddHistory") = std::string(text);
    if (writeHistory() == HistoryResult::Written) rememberPriority(sercase().Priority.str());
  }

  void rememberPriority(std::string p) {
    rememberedPriority_ = std::move(p);
    trace_.setRememberedPriority(rememberedPriority_);
  }

  // Puts back the status and priority choices that a cancelled notes window did not confirm.
  void revertChoice() {
    SercaseRecord& r = sercase();
    if (!text::equalClipped(r.Status.view(), trace_.rememberedStatus())) {
      r.Status = trace_.rememberedStatus();
      window().display(kStatus);
      enableNotes(r.Status != "Closed");
    }
    if (!text::equalClipped(r.Priority.view(), rememberedPriority_)) {
      r.Priority = rememberedPriority_;
      window().display(kPriority);
    }
  }

  // --- client and product ---
  bool readClient() {
    client().SName = sercase().SName.view();
    return s_.dictionary.ClientAccess->fetch("CLI:SNameKey") == store::Ok;
  }
  bool readProductByName() {
    product().Product = sercase().Product.view();
    return s_.dictionary.SlaAccess->fetch("SLA:ProductKey") == store::Ok;
  }

  bool pickClient() {
    if (RunProcedure("BrowsClients", forms::RequestSelect) != forms::ResponseCompleted)
      return false;
    SercaseRecord& r = sercase();
    r.SName = client().SName.view();
    r.LName = client().LName.view();
    r.Phone = client().Phone.view();
    return true;
  }
  bool pickProduct() {
    if (RunProcedure("SelectProd", forms::RequestSelect) != forms::ResponseCompleted) return false;
    sercase().Product = product().Product.view();
    sercase().IDProduct = product().IDProduct.view();
    return true;
  }

  void lookUpClientOnSelection() {
    window().update();
    if (!readClient()) {
      if (!pickClient()) {
        sercase().LName = std::string_view();
        sercase().Phone = std::string_view();
      }
    }
    window().display();
    acceptClientId();
  }

  void lookUpProductOnSelection() {
    window().update();
    if (!readProductByName() && !pickProduct()) sercase().IDProduct = std::string_view();
    window().display();
    acceptProduct();
  }

  void acceptClientId() {
    window().update(kClientId);
    SercaseRecord& r = sercase();
    if (r.SName.blank()) return;
    if (readClient()) {
      r.LName = client().LName.view();
      r.Phone = client().Phone.view();
    } else if (!pickClient()) {
      r.LName = std::string_view();
      r.Phone = std::string_view();
      r.Priority = std::string_view();
      r.PriorityFix = 0;
      window().display();
      window().select(kClientId);
      return;
    }
    resolvePriority();
    window().display();
  }

  void acceptProduct() {
    window().update(kProduct);
    SercaseRecord& r = sercase();
    if (r.Product.blank()) return;
    if (readProductByName()) {
      r.IDProduct = product().IDProduct.view();
    } else if (!pickProduct()) {
      r.IDProduct = std::string_view();
      r.Priority = std::string_view();
      r.PriorityFix = 0;
      window().display();
      window().select(kProduct);
      return;
    }
    resolvePriority();
    window().display();
  }

  void showClientDetails() {
    window().update();
    std::string fullName, phone;
    s_.globals.NextRequest = forms::RequestChange;
    core::Updateclient(s_, text::toUtf8(sercase().SName.view()), &fullName, &phone);
    if (!text::clip(fullName).empty()) sercase().LName = fullName;
    if (!text::clip(phone).empty()) sercase().Phone = phone;
    for (int n : {kClientName, kPhone, kClientId}) window().display(n);
  }

  // Resolves the priority from the case's client and product and shows the list and label.
  void resolvePriority() {
    SercaseRecord& r = sercase();
    const ClientRecord* c = nullptr;
    if (!r.SName.blank() && readClient()) c = &client();
    const SlaRecord* p = nullptr;
    if (!r.IDProduct.blank()) {
      product().IDProduct = r.IDProduct.view();
      if (s_.dictionary.SlaAccess->fetch("SLA:IDPRODUCTKEY") == store::Ok) {
        p = &product();
        service_ = serviceLevelOf(*p).window;
      }
    }
    const PriorityResolution res = resolveCasePriority(r, c, p, label_);
    label_ = res.label;
    window().setText(kPriorityLabel, text::toUtf8(label_.text));
    window().setColours(kPriorityLabel, label_.colour, ui::kColorNone);
    window().setHidden(kPriority, false);
    window().setHidden(kPriorityLabel, false);
    if (newCase()) window().setDisabled(kPriority, !res.listEnabled());
    window().display(kPriority);
  }

  // --- accepted controls ---
  void chooseColour(bool textColour) {
    if (chooseBoxColour(s_, kSection, textColour, colours_))
      window().setColours(kHistory, colours_.text, colours_.background);
    window().display(kHistory);
  }

  void acceptPriority() {
    window().update(kPriority);
    if (newCase()) return;
    SercaseRecord& r = sercase();
    if (text::equalClipped(r.Priority.view(), rememberedPriority_)) return;
    if (r.PriorityFix != 0) {
      systemPriorityChange(" -- Client or Product Priority Level is Set or Changed !-- ");
    } else if (recordWithNotes(ActionKind::PriorityByAgent)) {
      rememberPriority(r.Priority.str());
    } else {
      return;
    }
    window().select(kOk);
  }

  void checkStartTime() {
    window().update(kStartTime);
    if (!newCase() || service_.acceptsStartTime(sercase().STime)) return;
    forms::tell(s_.forms, "  StartTime MUST in SLA-range of " +
                              text::formatPicture("@t1", service_.serviceStart) + " and " +
                              text::formatPicture("@t1", service_.serviceEnd) + " hours!");
    window().select(kStartTime);
  }

  void checkStartDate() {
    window().update(kStartDate);
    if (!newCase() || service_.acceptsStartDate(sercase().SDate)) return;
    forms::tell(s_.forms, "   Service Shift - SLA - No Weekends!");
    window().select(kStartDate);
  }

  void acceptDoneCheck(int check) {
    window().update(check);
    const std::size_t i = static_cast<std::size_t>(
        std::find(kDoneChecks.begin(), kDoneChecks.end(), check) - kDoneChecks.begin());
    SercaseRecord& r = sercase();
    text::FixedString<1>* marks[] = {&r.FirstAction, &r.SecAction, &r.ThirdAction};
    if (*marks[i] == "D" && rememberedMarks_[i] != 'D') {
      const ActionKind kinds[] = {ActionKind::FirstEscalation, ActionKind::SecondEscalation,
                                  ActionKind::ThirdEscalation};
      if (recordWithNotes(kinds[i])) {
        rememberedMarks_[i] = 'D';
        window().setDisabled(check, true);
      } else {
        *marks[i] = "N";
        window().display(check);
      }
    }
    showDoneChecks();
  }

  void addNote(int button) {
    window().update();
    ActionKind kind = ActionKind::Note;
    switch (button) {
      case kPhoneIn:
        kind = ActionKind::PhoneIn;
        break;
      case kPhoneOut:
        kind = ActionKind::PhoneOut;
        break;
      case kEmailIn:
        kind = ActionKind::EmailIn;
        break;
      case kEmailOut:
        kind = ActionKind::EmailOut;
        mailMode_ = 1;
        break;
      default:
        break;
    }
    (void)recordWithNotes(kind);
  }

  void acceptStatus() {
    window().update(kStatus);
    SercaseRecord& r = sercase();
    if (!newCase() && !text::equalClipped(r.Status.view(), trace_.rememberedStatus())) {
      const std::int32_t closedOn = r.Cdate;
      const bool reopening = trace_.rememberedStatus() == "Closed";
      if (askNotes(ActionKind::StatusChange)) {
        if (reopening) {
          trace_.setKind(ActionKind::ReOpen);
          r.Cdate = 0;
        }
        if (r.Status == "Closed") r.Cdate = s_.env.clock.today();
        if (recordEntry()) {
          trace_.setRememberedStatus(r.Status.view());
          // A re-opening may have made the agent the owner; a closed case keeps its priority.
          applyStates(openingStates(facts()));
          showDoneChecks();
          setExistingTitle();
          window().select(kOk);
        } else {
          r.Cdate = closedOn;
        }
      }
    }
    enableNotes(r.Status != "Closed");
    window().display();
  }

  void takeOver() {
    window().update();
    if (newCase() || isOwner()) return;
    startAction(ActionKind::TakeOver);
    if (!recordEntry()) return;
    SercaseRecord& r = sercase();
    r.Owner = s_.user.Name;
    setExistingTitle();
    forms::tell(s_.forms, "  Case : " + std::to_string(r.CaseNr) + " succesfully yanked !  ");
    applyStates(afterTakeOver(facts(), trace_.rememberedStatus()));
    showDoneChecks();
    window().display();
  }

  void cancel() {
    if (!newCase() && sameAgent(ownerAtOpening_, s_.user.Name)) {
      // Seen by its owner: the overview drops the mark until its next rebuild. The stored case
      // keeps its own.
      SercaseRecord seen = sercase();
      seen.UpdateFlag = 0;
      (void)updateQueueMarks(s_.queues, seen);
    }
    RecordResponse(forms::ResponseCancelled);
    window().close();
  }

  // --- saving ---
  Level save() {
    window().update();
    SercaseRecord& r = sercase();
    bool marksFollow = false;
    if (newCase()) {
      if (r.Status.blank()) r.Status = "Active";
      for (text::FixedString<1>* m : {&r.FirstAction, &r.SecAction, &r.ThirdAction})
        if (m->blank()) *m = "N";
      r.Owner = s_.user.Name;
      r.UpdateFlag = 0;
      if (!computeMoments()) return LevelNotify;
      refreshCreationLine();
      if (writeHistory() == HistoryResult::HistoryFull) return LevelNotify;
    } else {
      marksFollow = trace_.settleUpdateMark(r, agent());
    }
    const std::int64_t version = sercaseFile().position().version;
    const Level l = WindowController::HandleAccepted();  // the validation pass and the write
    if (RESPONSE == forms::ResponseCompleted) {
      if (trace_.writeLogEntry(*s_.dictionary.LogAccess, r, agent(), s_.env.clock,
                               s_.sys.DoLog == 1) == LogResult::Failed)
        forms::tell(s_.forms, text::toUtf8(kActivityLogFailure));
      if (marksFollow) (void)updateQueueMarks(s_.queues, r);
    } else if (!newCase() && window().isOpen() && sercaseFile().position().version != version) {
      showStoredVersion();
    }
    return l;
  }

  // The creation line names the start the case is saved with, which the agent may have changed
  // since the window opened.
  void refreshCreationLine() {
    std::string& history = sercaseFile().memo("SER:History");
    const std::size_t end = history.find("\r\n");
    history.replace(0, end, creationLine(sercase().SDate, sercase().STime, s_.user.Name));
    window().display(kHistory);
  }

  // Escalation moments of a new case from its product; false (with a message) when they
  // cannot be computed, and the save is refused.
  bool computeMoments() {
    SercaseRecord& r = sercase();
    const SlaRecord* p = nullptr;
    product().IDProduct = r.IDProduct.view();
    if (!r.IDProduct.blank() && s_.dictionary.SlaAccess->fetch("SLA:IDPRODUCTKEY") == store::Ok)
      p = &product();
    const EscalationResult res = applyEscalationMoments(r, p);
    if (!res.ok()) {
      forms::tell(s_.forms, text::toUtf8(escalationFaultText(res.fault)));
      window().select(kProduct);
      return false;
    }
    service_ = res.window;
    return true;
  }

  // A save refused because another station changed the case shows the stored version: the
  // form's memory and rights follow it, and the actions taken before are gone with the version
  // they were taken on, so a later save logs none of them.
  void showStoredVersion() {
    const SercaseRecord& r = sercase();
    trace_.setKind(ActionKind::None);
    trace_.setRememberedStatus(r.Status.view());
    rememberPriority(r.Priority.str());
    rememberMarks();
    applyStates(openingStates(facts()));
    showDoneChecks();
    setExistingTitle();
    window().display();
  }

  core::ProgramState& s_;
  std::optional<std::uint32_t> caseNr_;
  CaseTrace trace_;
  std::string rememberedPriority_;
  std::array<char, 3> rememberedMarks_{};
  ActionKind kindBefore_ = ActionKind::None;
  std::string ownerAtOpening_;
  bool unsentMail_ = false;
  int mailMode_ = 0;
  PriorityLabel label_;
  BoxColours colours_;
  ServiceWindow service_;
  std::string firstProblem_;
};

}  // namespace

void ChangeCases(core::ProgramState& s, std::optional<std::uint32_t> caseNr) {
  CaseForm form(s, caseNr);
  form.Run();
}

void registerCaseForm(core::ProgramState& s) {
  s.procedures.add("ChangeCases", forms::onCallersThread([&s](std::string_view arg) {
                     forms::ProcedureArgs args(arg);
                     const std::optional<std::uint32_t> nr = args.next<std::uint32_t>();
                     ChangeCases(s, args.done() ? nr : std::nullopt);
                   }));
}

}  // namespace trv::cases
