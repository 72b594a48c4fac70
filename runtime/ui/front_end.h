#pragma once
// The boundary between the window model and whatever shows it (the Qt desktop, the headless
// driver of tests and scenarios).
//
// Notifications flow out: the model calls a FrontEnd with copies of what changed, on the
// program thread that holds the baton; a front end must not call back into live windows from
// there, and one that runs on another thread queues the copies for itself. Input flows in:
// UiRuntime::post(Input) and UiRuntime::answer() are thread-safe and may be called from any
// thread; the window's own thread turns the input into events when it next waits for one.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "runtime/ui/control.h"
#include "runtime/ui/events.h"
#include "runtime/ui/window_decl.h"

namespace trv::ui {

using WindowId = std::uint64_t;
using RequestId = std::uint64_t;

struct Placement {
  bool iconized = false;
  bool maximized = false;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  // The window's inside as it shows now, pixels (maximized: the room it fills; 0 not known),
  // for a window that lays itself out by its size. A saved position keeps the fields above.
  int shownWidth = 0;
  int shownHeight = 0;
  friend bool operator==(const Placement&, const Placement&) = default;
};

struct WindowState {
  WindowId id = 0;
  int thread = 0;
  std::string title;
  WindowKind kind = WindowKind::Modal;
  std::string icon;
  bool resizable = false;
  bool atPointer = false;  // opens at the mouse pointer when it has no position of its own
  Placement placement;
  bool active = false;
  int timerHundredths = 0;
  int focus = 0;      // control number with the focus
  bool busy = false;  // long work under way: the pointer shows the busy cursor over the window
  std::vector<MenuItemState> menu;
  std::vector<std::string> status;
  // The window's alert keys that a front end otherwise keeps for itself (held with Ctrl or Alt,
  // Print Screen, the mouse keys of a click on the window off its lists): it passes them on to
  // the window (a click as Input::Kind::Mouse on control 0).
  std::vector<int> passedKeys;
};

struct WindowSnapshot {
  WindowState window;
  std::vector<ControlState> controls;
};

enum class Icon { None, Information, Exclamation, Question, Hand };

// A message box. Buttons are texts ("&OK", "&Yes", "&No", "&Cancel" or the program's own);
// the answer is the position of the button pressed, from 1.
struct MessageRequest {
  std::string text;
  std::string caption;
  Icon icon = Icon::Information;
  std::vector<std::string> buttons{"&OK"};
  int defaultButton = 1;
};

enum class DialogKind { FileOpen, FileSave, Folder, Colour, Font, Printer };

struct DialogRequest {
  DialogKind kind = DialogKind::FileOpen;
  std::string title;
  std::string masks;    // "Text files|*.txt|All files|*.*"
  std::string initial;  // a file or folder name
  int colour = 0;
  Font font;
};

// A popup menu; the answer is the chosen item's number (PopupItem::number), 0 for none.
struct PopupRequest {
  std::string menuText;
  std::vector<PopupItem> items;
  // Where it opens: below list `control` of the asking window, at the middle of its column
  // `column` (display position from 1); control 0: at the pointer.
  int control = 0;
  int column = 0;
};

// Printing pages the front end already holds: whoever prints hands them to the front end it
// prints with beforehand and names them by `job` (the headless front end holds none). The front
// end asks the user where to print, prints, and answers with printAnswer().
struct PrintRequest {
  std::string title;  // the document's name, for the dialog and the print queue
  int pages = 0;
  std::uint64_t job = 0;
};

using Request = std::variant<MessageRequest, DialogRequest, PopupRequest, PrintRequest>;

// How a request was answered. A message box: `button`; a popup: `button` is the item number;
// a dialog: `ok` and the value chosen; a print request: see printAnswer(). button 0 / ok false:
// cancelled (Esc, the program ended).
struct Answer {
  int button = 0;
  bool ok = false;
  std::string path;
  int colour = 0;
  Font font;
};

// How a print request went.
struct PrintResult {
  enum class Outcome { Cancelled, Printed, Failed };
  Outcome outcome = Outcome::Cancelled;
  std::string detail;  // printed: the printer (or file) it went to; failed: why
};

// A print request's answer carries its outcome in `button` and the detail in `path`.
inline Answer printAnswer(const PrintResult& result) {
  Answer a;
  a.button = static_cast<int>(result.outcome);
  a.ok = result.outcome == PrintResult::Outcome::Printed;
  a.path = result.detail;
  return a;
}
// Anything but a printed or failed answer (the program ended, an unknown button) is cancelled.
inline PrintResult printResult(const Answer& answer) {
  if (answer.ok && answer.button == static_cast<int>(PrintResult::Outcome::Printed))
    return {PrintResult::Outcome::Printed, answer.path};
  if (answer.button == static_cast<int>(PrintResult::Outcome::Failed))
    return {PrintResult::Outcome::Failed, answer.path};
  return {};
}

// One piece of user input for a window.
struct Input {
  enum class Kind {
    Press,        // a button, check box, radio button, tab or menu item (control = its number)
    Focus,        // a click that gives the control the focus
    Accept,       // leaves an entry, combo, drop list, spin or text with `text` in it
    Select,       // selects `row` of a list or choice `row` of a drop list
    Key,          // `key` to the control with the focus
    Mouse,        // `key` (a KeyMouse... key) on list `control` at row, column, zone, or on the
                  // window itself (control 0); releases and moves never change the selection
    ColumnWidth,  // the user sized list `control`'s `column` (from 1) to `width` characters
    Scroll,       // the user scrolled list `control` sideways: `column` columns out of view
    Close,        // the window's close box
    Activate,     // the window comes to the front and gets the focus
    Deactivate,   // another program took the focus
    Place,        // the window was moved, sized, iconized or maximized to `placement`
  };
  Kind kind = Kind::Press;
  WindowId window = 0;
  int control = 0;
  std::string text;
  int row = 0;
  int column = 0;
  int key = KeyNone;
  ListZone zone = ListZone::None;
  int width = 0;
  Placement placement;
};

// How a desktop service (opening a file with its program, copying a window's image) went: done,
// or the error number (an opener's number, 32 or less) and why not.
struct ServiceResult {
  bool ok = false;
  int error = 0;
  std::string detail;
};
// A service's result carried as a request's answer (UiRuntime::answer), and back. An answer that
// is no result (the program ended) is a failure without a number.
inline Answer serviceAnswer(const ServiceResult& result) {
  Answer a;
  a.ok = result.ok;
  a.button = result.error;
  a.path = result.detail;
  return a;
}
inline ServiceResult serviceResult(const Answer& answer) {
  return {answer.ok, answer.ok ? 0 : answer.button, answer.path};
}

class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  virtual void windowOpened(const WindowSnapshot& snapshot) = 0;
  // Window-level properties changed (title, menus, status, placement, focus).
  virtual void windowChanged(const WindowState& state) = 0;
  virtual void controlChanged(WindowId window, const ControlState& control) = 0;
  virtual void windowClosed(WindowId window) = 0;
  // Show the request; answer it later through UiRuntime::answer(id, ...).
  virtual void request(RequestId id, WindowId owner, const Request& request) = 0;
  virtual void beep() = 0;
  // The user is to find this window in front: restored when iconized, raised and given the
  // keyboard focus (a front end without a screen does nothing).
  virtual void bringToFront(WindowId) {}
  virtual void help(const std::string& file, const std::string& topic) = 0;
  // Opens `target` (a file or an address) with the desktop's program for it / copies the image
  // of `window` to the clipboard. Either the result now, or nothing and the result later through
  // UiRuntime::answer(id, serviceAnswer(result)) (a front end on a thread of its own).
  virtual std::optional<ServiceResult> shellOpen(RequestId id, const std::string& target) = 0;
  virtual std::optional<ServiceResult> copyWindowImage(RequestId id, WindowId window) = 0;
  virtual void programEnded() = 0;
};

}  // namespace trv::ui
