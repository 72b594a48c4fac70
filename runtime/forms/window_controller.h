#pragma once
// WindowController: the controller of every window procedure. A procedure derives from it,
// declares its window, names its files and overrides the operations it needs; Run then opens
// the window, runs its event loop and closes it again in the system's fixed order.
//
// Opening (Init): the procedure name is pushed for "%Procedure"; REQUEST takes NextRequest;
// a single-instance window whose slot holds a running thread brings that one to the front and
// refuses (LevelFatal, NextRequest consumed, nothing of the running window's touched), except
// for RequestSelect, which neither checks, sets nor clears the slot; NextRequest and
// LastResponse are reset; the files open; the window opens at its saved position; a form
// prepares its request (PrepareRequest); the alert keys are registered. An override calls the
// base first and returns at once when it returns non-zero.
//
// Closing (Shutdown) mirrors it: a cancelled insert gives its reserved number back, the files
// close, the slot is cleared only by the instance that set it, the position is saved when the
// window was opened, the procedure name is popped.
//
// Options a window declares in its constructor, so that no window codes them again: a
// single-instance slot and how many instances it allows (SINGLESLOT, INSTANCELIMIT), holding
// the frame's timer while the window is open (HOLDFRAMETIMER), bringing an iconized window back
// when it gains the focus (RESTOREONFOCUS), a help button with its topic (AddHelpButton) and
// buttons that close the window with a response (AddCloseButton).
//
// Forms: OK (OKCONTROL) first re-accepts every data control in declaration order (a handler
// that moves the focus stops the pass, and the form stays open), then completes by REQUEST:
// an insert writes the record (a duplicate key shows message 13 and stays); a change that
// altered nothing writes nothing; a change runs through the file's relations in one transaction
// (changed by another station: message 7, the stored record shown again; linking field
// restricted: message 31; any other failure: message 34); a delete the same way (message 30,
// 33). Closing a changed form without OK follows CANCELACTION (messages 35 and 8). A record
// handed to a change or delete form is read again under the change watch at PrepareRequest,
// however the caller found it, so another station's change is never silently overwritten.
// No question is asked while a transaction is open.
//
// Ditto: the controls a form pairs with its fields (RememberHistoryField) take that field's
// value back from the record the same procedure saved last, here or in an earlier call, when
// HISTORYKEY is pressed on them; nothing happens before the first save.
//
// Event handlers return LevelOk to go on with the base handling, LevelNotify when the event
// has been dealt with, LevelFatal to end the event loop. Requires a program thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "runtime/data/level.h"
#include "runtime/forms/form_globals.h"
#include "runtime/store/connection.h"
#include "runtime/ui/events.h"
#include "runtime/ui/window_decl.h"

namespace trv::data {
class FileAccess;
class FileRelations;
}  // namespace trv::data
namespace trv::ini {
class IniSettings;
}
namespace trv::ui {
class UiRuntime;
class Window;
}  // namespace trv::ui

namespace trv::forms {

class MessageCatalog;
class ProcedureRegistry;

using data::Level;
using data::LevelDeclined;
using data::LevelFatal;
using data::LevelNotify;
using data::LevelOk;

// What every controller needs of the program: all must outlive the controllers.
struct FormContext {
  ui::UiRuntime& ui;
  MessageCatalog& messages;
  FormGlobals& globals;
  ProcedureRegistry* procedures = nullptr;
  ini::IniSettings* settings = nullptr;  // window positions; none kept when null
  const std::string* caption = nullptr;  // the program's caption for its own boxes (AppTitle)
};

class WindowController {
 public:
  WindowController(FormContext& context, std::string procedureName, ui::WindowDecl decl);
  virtual ~WindowController();
  WindowController(const WindowController&) = delete;
  WindowController& operator=(const WindowController&) = delete;

  // --- fields the program relies on ---
  int REQUEST = 0;
  int RESPONSE = 0;
  bool OPENED = false;
  MessageCatalog* ERRORS = nullptr;
  int FIRSTFIELD = 0;
  data::FileRelations* PRIMARY = nullptr;
  int OKCONTROL = 0;
  int INSERTACTION = 2;  // 2 close, 3 insert another, 4 ask message 3
  int DELETEACTION = 1;  // 2 ask message 9 and delete without the form, 4 without asking
  int CANCELACTION = 3;  // bit 1 save on close, bit 2 ask first; clear bit 1: ask message 8
  int HISTORYKEY = ui::kCtrl | '\'';  // the ditto key (Ctrl+'); 0 for none
  // The file whose record the ditto key works on: PRIMARY's when null (a form that writes its
  // record itself names it, and calls RememberHistoryRecord after its write).
  data::FileAccess* HISTORYFILE = nullptr;

  // --- options, declared in the constructor ---
  // The slot of a single-instance window ("BrowsCasesThread"); empty for none. A call other
  // than RequestSelect while INSTANCELIMIT windows run under the slot brings the one opened
  // last to the front and returns at once. With a limit of one the slot is cleared only by the
  // instance that set it, and a slot whose thread has no window left is taken over; with a
  // higher limit (the client form allows two) the running ones are counted and the slot is
  // cleared when the last one closes.
  std::string SINGLESLOT;
  int INSTANCELIMIT = 1;
  // The frame's timer stands still from the window's opening until it closes; several windows
  // may hold it at once, and the last one to close restarts it.
  bool HOLDFRAMETIMER = false;
  // Gain focus brings the window back when it was iconized.
  bool RESTOREONFOCUS = false;

  // --- operations, in the order of their slots ---
  virtual Level RunEventLoop();
  virtual Level Init();
  virtual Level Shutdown();
  virtual void OnOpen();
  virtual void SetNewRecordDefaults() {}
  virtual Level PrepareRequest();
  virtual void Refresh() {}
  virtual void RestoreHistoryField(int control);
  // Init, the event loop when Init succeeded, Shutdown; leaves RESPONSE in LastResponse and
  // returns it.
  virtual int Run();
  // Calls a procedure by name on this thread with NextRequest set, and returns its response
  // (message 24 for an unknown name, ResponseCancelled).
  virtual int RunProcedure(const std::string& name, int request, std::string_view arg = {});
  virtual void RegisterAlertKeys() {}
  virtual void RecordResponse(int response);
  virtual Level HandleAccepted();
  virtual Level HandleCompleted();
  virtual Level HandleCloseRequest();
  virtual Level HandleEvent();
  virtual Level HandleFieldEvent() { return LevelOk; }
  virtual Level HandleNewSelection() { return LevelOk; }
  // Typed text the records cannot hold (EventRejected): the base names the characters in a
  // message; the control keeps the text and the focus.
  virtual Level HandleRejected();
  virtual Level HandleSelected() { return LevelOk; }
  virtual Level HandleWindowEvent();

  // --- set-up, before Run ---
  // A file the procedure uses: opened through its relations at Init, closed at Shutdown.
  void UseFile(data::FileRelations& file);
  // A file whose buffer is saved with the primary's to tell whether the form changed anything.
  void AddSavedFile(data::FileAccess& file);
  // A button that sets RESPONSE and closes the window.
  void AddCloseButton(int control, int response = ResponseCancelled);
  // A button that opens the help topic ("Inserting Clients").
  void AddHelpButton(int control, std::string topic);
  // Keeps a copy of the record just saved, from which RestoreHistoryField takes a field back.
  void RememberHistoryRecord();
  // A control (using a field of the primary file) that the ditto key restores.
  void RememberHistoryField(int control) { dittoControls_.push_back(control); }
  // Numbers an insert must not reserve (kept by another file): the reservation moves past them.
  void SkipReservedNumbers(std::function<bool(std::int64_t)> taken) {
    numberTaken_ = std::move(taken);
  }

  // --- while running ---
  ui::Window& window() { return *window_; }
  bool hasWindow() const { return window_ != nullptr; }
  const ui::Event& event() const { return event_; }
  FormContext& context() { return ctx_; }
  const std::string& procedureName() const { return name_; }
  // True when the record (and the saved files) differ from the copies saved at PrepareRequest.
  bool RecordChanged();
  // When a shown data control holds typed text the records cannot hold, selects the first one,
  // names the characters in a message and returns true; a window calls it before it stores
  // what was typed, so that nothing is stored half.
  bool RefuseUnstorableText();
  // Names, in a message, the characters of the control's text that the records cannot hold;
  // nothing when there are none.
  void TellUnstorable(int control);

 protected:
  // Prime a new record: cleared, the file's new-record defaults, SetNewRecordDefaults, and the
  // next number reserved when the file numbers its records. LevelOk or the failing level.
  Level PrimeInsert();
  // Re-accepts the data controls in declaration order; false when a handler stopped the pass.
  bool ValidatePass();
  void SaveCopies();

 private:
  int FirstUnstorableControl() const;
  Level CompleteInsert();
  Level CompleteChange();
  Level CompleteDelete();
  Level DeleteWithoutForm();
  void Close(int response);
  void RollBackOpenTransaction();
  // The single-instance check of Init and its undoing at Shutdown.
  bool TakeInstanceSlot();
  void GiveInstanceSlotBack();
  data::FileAccess* historyFile();
  void HoldFrameTimer();
  void ReleaseFrameTimer();

  FormContext& ctx_;
  std::string name_;
  ui::WindowDecl decl_;
  std::unique_ptr<ui::Window> window_;
  ui::Event event_;
  std::vector<data::FileRelations*> files_;
  std::vector<data::FileRelations*> opened_;
  std::vector<data::FileAccess*> savedFiles_;
  std::vector<std::pair<int, int>> closeButtons_;
  std::vector<std::pair<int, std::string>> helpButtons_;
  std::vector<store::RecordBuffer> saved_;
  std::vector<int> dittoControls_;
  bool pushedName_ = false;
  bool ownsSlot_ = false;
  bool shutDown_ = false;
  bool openHandled_ = false;
  bool forceRefresh_ = false;
  bool validating_ = false;
  std::uint64_t heldFrame_ = 0;  // the frame window whose timer this window holds
  std::function<bool(std::int64_t)> numberTaken_;
};

}  // namespace trv::forms
