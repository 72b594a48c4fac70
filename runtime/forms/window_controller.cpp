#include "runtime/forms/window_controller.h"

#include <algorithm>

#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/blank_key.h"
#include "runtime/forms/message_catalog.h"
#include "runtime/forms/procedures.h"
#include "runtime/forms/program_message.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/store/error.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::forms {
namespace {

constexpr int kYesNoCancel = data::ButtonYes | data::ButtonNo | data::ButtonCancel;

bool sameContents(const store::RecordBuffer& a, const store::RecordBuffer& b) {
  return a.record == b.record && a.memos == b.memos;
}

// Controls that hold data the validation pass re-accepts.
bool holdsData(ui::ControlKind k) {
  using K = ui::ControlKind;
  return k == K::Entry || k == K::Text || k == K::Check || k == K::Option || k == K::DropList ||
         k == K::Combo || k == K::Spin;
}

}  // namespace

WindowController::WindowController(FormContext& context, std::string procedureName,
                                   ui::WindowDecl decl)
    : ERRORS(&context.messages),
      ctx_(context),
      name_(std::move(procedureName)),
      decl_(std::move(decl)) {}

WindowController::~WindowController() {
  // A controller dropped without Run's Shutdown still gives back what it took.
  if (pushedName_ && !shutDown_) Shutdown();
}

void WindowController::UseFile(data::FileRelations& file) {
  files_.push_back(&file);
}
void WindowController::AddSavedFile(data::FileAccess& file) {
  savedFiles_.push_back(&file);
}
void WindowController::AddCloseButton(int control, int response) {
  closeButtons_.emplace_back(control, response);
}
void WindowController::AddHelpButton(int control, std::string topic) {
  helpButtons_.emplace_back(control, std::move(topic));
}

int WindowController::Run() {
  if (Init() == LevelOk) RunEventLoop();
  Shutdown();
  if (RESPONSE != ResponseCompleted) RESPONSE = ResponseCancelled;
  ctx_.globals.LastResponse = RESPONSE;
  return RESPONSE;
}

Level WindowController::Init() {
  FormGlobals& g = ctx_.globals;
  ERRORS->PushProcedureName(name_);
  pushedName_ = true;
  REQUEST = g.NextRequest;
  if (!SINGLESLOT.empty() && REQUEST != RequestSelect && !TakeInstanceSlot()) {
    g.NextRequest = 0;
    return LevelFatal;
  }
  g.NextRequest = 0;
  g.LastResponse = 0;
  for (data::FileRelations* f : files_) {
    if (f->open() != LevelOk) return LevelFatal;
    opened_.push_back(f);
  }
  window_ = ctx_.ui.open(decl_);
  if (!window_) return LevelFatal;
  OPENED = true;
  if (ctx_.settings) {
    if (auto p = ctx_.settings->RestoreWindowPosition(name_, window_->resizable())) {
      ui::Placement place = window_->placement();
      place.maximized = p->maximized;
      place.x = p->x;
      place.y = p->y;
      if (p->sized) {
        place.width = p->width;
        place.height = p->height;
      }
      window_->setPlacement(place);
    }
  }
  if (PRIMARY) {
    if (Level l = PrepareRequest(); l != LevelOk) return l;
  }
  if (HISTORYKEY != 0 && !dittoControls_.empty()) window_->alert(HISTORYKEY);
  RegisterAlertKeys();
  return LevelOk;
}

Level WindowController::Shutdown() {
  if (shutDown_) return LevelNotify;
  shutDown_ = true;
  if (PRIMARY && REQUEST == RequestInsert && PRIMARY->file().hasReservation())
    (void)PRIMARY->cancelAutoNumber();
  for (auto it = opened_.rbegin(); it != opened_.rend(); ++it) (*it)->close();
  opened_.clear();
  GiveInstanceSlotBack();
  if (OPENED && window_ && ctx_.settings) {
    const ui::Placement& p = window_->placement();
    ctx_.settings->SaveWindowPosition(
        name_, ini::WindowPlacement{p.iconized, p.maximized, p.x, p.y, p.width, p.height},
        window_->resizable());
  }
  window_.reset();
  ReleaseFrameTimer();
  if (pushedName_) ERRORS->PushProcedureName(name_, true);
  pushedName_ = false;
  return LevelOk;
}

bool WindowController::TakeInstanceSlot() {
  FormGlobals& g = ctx_.globals;
  const int running = g.slot(SINGLESLOT);
  if (INSTANCELIMIT <= 1) {
    // A slot whose thread has no window left is stale: take it over.
    if (running != 0 && ctx_.ui.postToThread(running, ui::EventGainFocus)) return false;
  } else if (g.instances(SINGLESLOT) >= INSTANCELIMIT) {
    if (running != 0) ctx_.ui.postToThread(running, ui::EventGainFocus);
    return false;
  } else {
    ++g.instanceCounts[SINGLESLOT];
  }
  g.slots[SINGLESLOT] = ui::UiRuntime::currentThread();
  ownsSlot_ = true;
  return true;
}

void WindowController::GiveInstanceSlotBack() {
  if (!ownsSlot_) return;
  ownsSlot_ = false;
  FormGlobals& g = ctx_.globals;
  if (INSTANCELIMIT <= 1) {
    if (g.slot(SINGLESLOT) == ui::UiRuntime::currentThread()) g.slots[SINGLESLOT] = 0;
    return;
  }
  int& count = g.instanceCounts[SINGLESLOT];
  if (count > 0) --count;
  if (count == 0) g.slots[SINGLESLOT] = 0;
}

void WindowController::HoldFrameTimer() {
  for (ui::Window* w : ctx_.ui.windows())
    if (w->kind() == ui::WindowKind::Frame) {
      w->holdTimer();
      heldFrame_ = w->id();
      return;
    }
}

void WindowController::ReleaseFrameTimer() {
  // Found again by its number: the frame may have closed while this window was open.
  if (heldFrame_ != 0)
    if (ui::Window* frame = ctx_.ui.find(heldFrame_)) frame->releaseTimer();
  heldFrame_ = 0;
}

Level WindowController::RunEventLoop() {
  while (window_->accept(event_))
    if (HandleEvent() == LevelFatal) break;
  return LevelOk;
}

void WindowController::OnOpen() {
  Refresh();
}

Level WindowController::HandleEvent() {
  if (event_.control == 0) return HandleWindowEvent();
  if (event_.number == ui::EventAlertKey && HISTORYKEY != 0 && event_.key == HISTORYKEY &&
      std::ranges::find(dittoControls_, event_.control) != dittoControls_.end()) {
    RestoreHistoryField(event_.control);
    return LevelNotify;
  }
  if (Level l = HandleFieldEvent(); l != LevelOk) return l;
  switch (event_.number) {
    case ui::EventAccepted:
      return HandleAccepted();
    case ui::EventNewSelection:
      return HandleNewSelection();
    case ui::EventRejected:
      return HandleRejected();
    case ui::EventSelected:
      return HandleSelected();
    default:
      return LevelOk;
  }
}

Level WindowController::HandleWindowEvent() {
  switch (event_.number) {
    case ui::EventCloseWindow:
    case ui::EventCloseDown:
      if (HandleCloseRequest() == LevelOk) window_->close();
      return LevelNotify;
    case ui::EventOpenWindow:
      if (!openHandled_) {
        openHandled_ = true;
        if (HOLDFRAMETIMER) HoldFrameTimer();
        OnOpen();
        if (FIRSTFIELD) window_->select(FIRSTFIELD);
      }
      return LevelOk;
    case ui::EventLoseFocus:
      forceRefresh_ = true;
      return LevelOk;
    case ui::EventGainFocus:
      if (RESTOREONFOCUS) window_->setIconized(false);
      if (forceRefresh_) {
        forceRefresh_ = false;
        Refresh();
      }
      return LevelOk;
    default:
      return LevelOk;
  }
}

Level WindowController::HandleAccepted() {
  int c = event_.control;
  for (const auto& [button, response] : closeButtons_)
    if (button == c) {
      Close(response);
      return LevelNotify;
    }
  for (const auto& [button, topic] : helpButtons_)
    if (button == c) {
      ctx_.ui.help(topic);
      return LevelNotify;
    }
  if (OKCONTROL != 0 && c == OKCONTROL && !validating_) return HandleCompleted();
  return LevelOk;
}

Level WindowController::HandleRejected() {
  TellUnstorable(event_.control);
  return LevelNotify;
}

int WindowController::FirstUnstorableControl() const {
  for (const auto& c : window_->controls())
    if (holdsData(c.kind) && !c.hidden && !c.disabled && !window_->unstorable(c.number).empty())
      return c.number;
  return 0;
}

void WindowController::TellUnstorable(int control) {
  const std::string chars = window_->unstorable(control);
  if (chars.empty()) return;
  tell(ctx_, "The characters " + chars + " cannot be stored. Change or remove them.");
}

bool WindowController::RefuseUnstorableText() {
  const int control = window_ ? FirstUnstorableControl() : 0;
  if (control == 0) return false;
  window_->select(control);
  TellUnstorable(control);
  return true;
}

void WindowController::RecordResponse(int response) {
  RESPONSE = response;
}

void WindowController::Close(int response) {
  RecordResponse(response);
  window_->close();
}

// --- forms ---

void WindowController::SaveCopies() {
  saved_.clear();
  if (PRIMARY) saved_.push_back(PRIMARY->file().buffer());
  for (data::FileAccess* f : savedFiles_) saved_.push_back(f->buffer());
}

bool WindowController::RecordChanged() {
  if (!PRIMARY || saved_.empty()) return false;
  std::size_t i = 0;
  if (!sameContents(PRIMARY->file().buffer(), saved_[i++])) return true;
  for (data::FileAccess* f : savedFiles_)
    if (i < saved_.size() && !sameContents(f->buffer(), saved_[i++])) return true;
  return false;
}

Level WindowController::PrimeInsert() {
  data::FileAccess& f = PRIMARY->file();
  f.primeRecord();
  SetNewRecordDefaults();
  Level l = f.primeAutoInc(numberTaken_);
  SaveCopies();
  if (window_) window_->display();
  return l;
}

Level WindowController::PrepareRequest() {
  data::FileAccess& f = PRIMARY->file();
  if (Level l = f.useFile(); l != LevelOk) return LevelFatal;
  if (REQUEST == RequestInsert) {
    if (Level l = PrimeInsert(); l != LevelOk) {
      RecordResponse(ResponseCancelled);
      return l == LevelFatal ? LevelFatal : LevelNotify;
    }
    return LevelOk;
  }
  if ((REQUEST == RequestChange || REQUEST == RequestDelete) && f.position().valid()) {
    // Read again under the change watch, however the caller found the record.
    if (store::Code code = f.reget(f.position()); code != store::Ok) {
      ERRORS->SetFileName(f.name());
      Level l = ERRORS->Raise(1);
      RecordResponse(ResponseCancelled);
      return l == LevelFatal ? LevelFatal : LevelNotify;
    }
  }
  if (REQUEST == RequestDelete && (DELETEACTION == 2 || DELETEACTION == 4))
    return DeleteWithoutForm();
  SaveCopies();
  window_->display();
  return LevelOk;
}

Level WindowController::DeleteWithoutForm() {
  RecordResponse(ResponseCancelled);
  if (DELETEACTION == 2 && ERRORS->Raise(9) != LevelOk) return LevelNotify;
  for (;;) {
    data::Outcome o = PRIMARY->remove();
    if (o.ok()) {
      RecordResponse(ResponseCompleted);
      return LevelNotify;
    }
    RollBackOpenTransaction();
    if (o.level == LevelFatal || o.code == store::Ok) return LevelNotify;
    if (ERRORS->ShowMessage(33, data::ButtonYes | data::ButtonNo, data::ButtonNo) !=
        data::ButtonYes)
      return LevelNotify;
  }
}

bool WindowController::ValidatePass() {
  // Before any handler runs, since one may show the record again over the typed text.
  if (RefuseUnstorableText()) return false;
  std::vector<int> numbers;
  for (const auto& c : window_->controls())
    if (holdsData(c.kind) && !c.hidden && !c.disabled) numbers.push_back(c.number);
  ui::Event keep = event_;
  validating_ = true;
  bool passed = true;
  for (int n : numbers) {
    int before = window_->selectCount();
    event_ = ui::Event(ui::EventAccepted, n);
    if (HandleFieldEvent() == LevelOk) HandleAccepted();
    if (!window_->isOpen() || window_->selectCount() != before) {
      passed = false;
      break;
    }
  }
  validating_ = false;
  event_ = keep;
  return passed;
}

Level WindowController::HandleCompleted() {
  if (!PRIMARY) {
    Close(ResponseCompleted);
    return LevelNotify;
  }
  if ((REQUEST == RequestInsert || REQUEST == RequestChange) &&
      (!ValidatePass() || refuseBlankKey(PRIMARY->file(), *window_, *ERRORS)))
    return LevelNotify;
  switch (REQUEST) {
    case RequestInsert:
      return CompleteInsert();
    case RequestChange:
      return CompleteChange();
    case RequestDelete:
      return CompleteDelete();
    default:
      Close(ResponseCompleted);
      return LevelNotify;
  }
}

Level WindowController::CompleteInsert() {
  window_->update();
  Level l = PRIMARY->file().insert();
  if (l == LevelFatal) {
    Close(ResponseCancelled);
    return LevelNotify;
  }
  if (l != LevelOk) return LevelNotify;  // message 13 or 4 shown: the form stays
  RememberHistoryRecord();
  RecordResponse(ResponseCompleted);
  bool another = INSERTACTION == 3 || (INSERTACTION == 4 && ERRORS->Raise(3) == LevelOk);
  if (!another || !window_->isOpen()) {
    Close(ResponseCompleted);
    return LevelNotify;
  }
  if (PrimeInsert() != LevelOk) Close(ResponseCompleted);
  return LevelNotify;
}

Level WindowController::CompleteChange() {
  window_->update();
  data::FileAccess& f = PRIMARY->file();
  if (!RecordChanged()) {
    Close(ResponseCompleted);
    return LevelNotify;
  }
  for (;;) {
    data::Outcome o = PRIMARY->update();
    if (o.ok()) {
      RememberHistoryRecord();
      Close(ResponseCompleted);
      return LevelNotify;
    }
    RollBackOpenTransaction();
    if (o.level == LevelFatal) {
      Close(ResponseCancelled);
      return LevelNotify;
    }
    ERRORS->SetFileName(f.name());
    if (o.code == store::RecordChanged) {
      ERRORS->Raise(7);
      if (f.reget(f.position()) == store::Ok) SaveCopies();
      window_->display();
      return LevelNotify;
    }
    if (o.code == store::Ok || o.code == store::DuplicateKey) {
      window_->display();  // a restricted link has been reset
      return LevelNotify;
    }
    if (o.code == store::RecordNotFound) {
      // Gone from the file: say so and keep the form, so that nothing typed is lost.
      ERRORS->Raise(25);
      return LevelNotify;
    }
    data::MessageButton b = ERRORS->ShowMessage(34, kYesNoCancel, data::ButtonCancel);
    if (b == data::ButtonYes) continue;
    if (b == data::ButtonNo) Close(ResponseCancelled);
    return LevelNotify;
  }
}

Level WindowController::CompleteDelete() {
  data::FileAccess& f = PRIMARY->file();
  for (;;) {
    data::Outcome o = PRIMARY->remove();
    if (o.ok()) {
      Close(ResponseCompleted);
      return LevelNotify;
    }
    RollBackOpenTransaction();
    if (o.level == LevelFatal || o.code == store::Ok) {
      Close(ResponseCancelled);  // refused (message 30): nothing else this form can do
      return LevelNotify;
    }
    ERRORS->SetFileName(f.name());
    if (o.code == store::RecordChanged) {
      ERRORS->Raise(7);
      if (f.reget(f.position()) == store::Ok) SaveCopies();
      window_->display();
      return LevelNotify;
    }
    data::MessageButton b = ERRORS->ShowMessage(33, kYesNoCancel, data::ButtonCancel);
    if (b == data::ButtonYes) continue;
    if (b == data::ButtonNo) Close(ResponseCancelled);
    return LevelNotify;
  }
}

Level WindowController::HandleCloseRequest() {
  if (PRIMARY && (REQUEST == RequestInsert || REQUEST == RequestChange) && !ctx_.ui.ended()) {
    window_->update();
    // Typed text that could not be stored is a change too: it is not dropped without a word.
    if (RecordChanged() || FirstUnstorableControl() != 0) {
      if (CANCELACTION & 1) {
        if (CANCELACTION & 2) {
          data::MessageButton b = ERRORS->ShowMessage(35, kYesNoCancel, data::ButtonCancel);
          if (b == data::ButtonCancel) return LevelNotify;
          if (b == data::ButtonYes) {
            HandleCompleted();  // closes the window when the save succeeds
            return LevelNotify;
          }
        } else {
          HandleCompleted();
          return LevelNotify;
        }
      } else if (ERRORS->Raise(8) != LevelOk) {
        return LevelNotify;
      }
    }
  }
  if (RESPONSE != ResponseCompleted) RecordResponse(ResponseCancelled);
  return LevelOk;
}

void WindowController::RollBackOpenTransaction() {
  store::Connection& c = data::FileAccess::threadConnection();
  if (c.inTransaction()) c.rollback();
}

int WindowController::RunProcedure(const std::string& name, int request, std::string_view arg) {
  const ProcedureEntry* p = ctx_.procedures ? ctx_.procedures->find(name) : nullptr;
  if (!p || !p->body) {
    ERRORS->RaiseWithText(24, name);
    return ResponseCancelled;
  }
  ctx_.globals.NextRequest = request;
  p->body(arg);
  int r = ctx_.globals.LastResponse;
  return r == ResponseCompleted ? ResponseCompleted : ResponseCancelled;
}

// --- the ditto key ---

data::FileAccess* WindowController::historyFile() {
  if (HISTORYFILE) return HISTORYFILE;
  return PRIMARY ? &PRIMARY->file() : nullptr;
}

void WindowController::RememberHistoryRecord() {
  if (data::FileAccess* f = historyFile()) ctx_.globals.dittoRecords[name_] = f->buffer().record;
}

void WindowController::RestoreHistoryField(int control) {
  data::FileAccess* file = historyFile();
  if (!file || !window_) return;
  const auto saved = ctx_.globals.dittoRecords.find(name_);
  if (saved == ctx_.globals.dittoRecords.end()) return;
  const auto& use = window_->useOf(control);
  if (!use) return;
  const store::FileDecl& d = file->decl();
  int i = d.findField(use->name);
  if (i < 0) return;
  const store::FieldDecl& f = d.fields[static_cast<std::size_t>(i)];
  std::string& record = file->buffer().record;
  // A record of another layout (the procedure's file changed) gives nothing back.
  if (saved->second.size() != record.size()) return;
  std::copy_n(saved->second.data() + f.offset, f.width, record.data() + f.offset);
  window_->display(control);
}

}  // namespace trv::forms
