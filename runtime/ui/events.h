#pragma once
// Events and keys of the window model.
//
// Event numbers are the system's own: a window procedure's event loop receives them from
// Window::accept. Keys are one int: a printable character is its Unicode code point; the
// special keys and mouse buttons lie above kKeySpecial; modifiers are added as bits.

#include <optional>
#include <string>
#include <string_view>

namespace trv::ui {

enum EventNumber : int {
  EventAccepted = 1,
  EventNewSelection = 2,
  EventRejected = 3,  // typed text the control keeps but cannot hand to its use variable
  EventLocate = 9,
  EventAlertKey = 15,
  EventPreAlertKey = 16,
  EventSelected = 257,
  EventCloseWindow = 513,
  EventCloseDown = 514,
  EventOpenWindow = 515,
  EventLoseFocus = 517,
  EventGainFocus = 518,
  EventTimer = 523,
  EventSized = 561,
  EventUser = 1024,  // the program's own events start here
};

constexpr int kKeySpecial = 0x110000;
constexpr int kCtrl = 0x1000000;
constexpr int kShift = 0x2000000;
constexpr int kAlt = 0x4000000;
constexpr int kModifierMask = kCtrl | kShift | kAlt;

enum Key : int {
  KeyNone = 0,
  KeyEnter = kKeySpecial + 1,
  KeyEsc,
  KeyTab,
  KeyInsert,
  KeyDelete,
  KeyBackspace,
  KeyUp,
  KeyDown,
  KeyLeft,
  KeyRight,
  KeyPgUp,
  KeyPgDn,
  KeyHome,
  KeyEnd,
  KeyF1,
  KeyF2,
  KeyF3,
  KeyF4,
  KeyF5,
  KeyF6,
  KeyF7,
  KeyF8,
  KeyF9,
  KeyF10,
  KeyF11,
  KeyF12,
  KeyMouseLeft,
  KeyMouseLeft2,  // double click
  KeyMouseRight,
  KeyMouseRightUp,
  KeyMouseLeftUp,  // the left button released
  KeyMouseMove,    // the pointer moved (lists send it while a button is down on the header)
  KeyPrintScreen,
};

// Where a mouse hit on a list fell. Divider: the edge right of `column` in the header, where the
// column is sized.
enum class ListZone { None, Header, Cell, Below, Divider };

// One event as the loop hands it out. `control` is the control's number for field events and 0
// for window events; key, row, column and zone describe the key or mouse hit that caused it.
struct Event {
  Event() = default;
  explicit Event(int n, int c = 0, int k = KeyNone) : number(n), control(c), key(k) {}
  int number = 0;
  int control = 0;
  int key = KeyNone;
  int row = 0;
  int column = 0;
  ListZone zone = ListZone::None;
};

// "Enter", "Esc", "Ctrl+Enter", "F1", "a", "Shift+Tab" ...; nothing for an unknown name.
std::optional<int> parseKey(std::string_view name);
// The inverse of parseKey, for messages.
std::string keyName(int key);

}  // namespace trv::ui
