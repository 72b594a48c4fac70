#pragma once
// How a window procedure declares its window: title, kind, controls in order, menus and
// status-bar zones.

#include <string>
#include <vector>

#include "runtime/ui/control.h"

namespace trv::ui {

enum class WindowKind { Frame, Child, Modal, Progress };

// What the window layer itself does for a menu item, without the procedure: the printer set-up,
// the clipboard on the focused entry, arranging the frame's child windows, and the help file's
// index and its own instructions. Such an item gives the procedure no event.
enum class StandardAction {
  None,
  PrintSetup,
  Cut,
  Copy,
  Paste,
  Tile,
  Cascade,
  ArrangeIcons,
  HelpIndex,
  HelpOnHelp,
};

struct MenuItemDecl {
  int number = 0;  // 0: numbered after the controls, in declaration order
  std::string equate;
  std::string text;                 // "-" is a separator
  std::vector<MenuItemDecl> items;  // a submenu when not empty
  std::string tip = {};             // shown in the status bar while the menu is walked
  bool hidden = false;
  bool disabled = false;
  bool checked = false;
  StandardAction standard = StandardAction::None;

  MenuItemDecl& withTip(std::string t) {
    tip = std::move(t);
    return *this;
  }
  MenuItemDecl& withEquate(std::string e) {
    equate = std::move(e);
    return *this;
  }
  // The window layer carries the item out itself (StandardAction).
  MenuItemDecl& asStandard(StandardAction action) {
    standard = action;
    return *this;
  }
};

// Menu factories, beside the control factories of control.h:
// `submenu(MenuFile, "&File", {menuItem(MenuExit, "E&xit")})`. Number 0 numbers the item after
// the controls, in declaration order.
MenuItemDecl menuItem(int number, std::string text);
MenuItemDecl submenu(int number, std::string text, std::vector<MenuItemDecl> items);
MenuItemDecl menuSeparator(int number = 0);

struct WindowDecl {
  std::string title;
  WindowKind kind = WindowKind::Modal;
  std::string icon;  // an image name; empty: the program's icon
  std::vector<ControlDecl> controls;
  std::vector<MenuItemDecl> menu;
  int statusZones = 0;
  bool resizable = false;
  int timerHundredths = 0;
  bool atPointer = false;  // it opens with its top left corner at the mouse pointer
};

// One menu item at run time. `parent` indexes the window's flat item list (-1 top level).
struct MenuItemState {
  int number = 0;
  std::string equate;
  std::string text;
  int parent = -1;
  std::string tip;
  bool separator = false;
  bool submenu = false;
  bool hidden = false;
  bool disabled = false;
  bool checked = false;
  StandardAction standard = StandardAction::None;
};

// One entry of a popup menu from the menu text grammar.
struct PopupItem {
  int number = 0;  // 1, 2, ... counted without separators and submenu titles; 0 for those
  std::string text;
  int depth = 0;
  bool separator = false;
  bool submenu = false;
  bool disabled = false;
  bool checkable = false;  // it shows a check mark, on or off
  bool checked = false;
};

// Parses "a|-|b{sub1|sub2}|~c|+d|-e": "|" separates items, "-" alone is a separator, "x{...}" a
// submenu titled x, a leading "~" disables an item, a leading "+" checks it and a leading "-"
// gives it a check mark that is off. Unbalanced braces are closed at the end.
std::vector<PopupItem> parsePopupMenu(std::string_view text);

// The text without its "&" markers ("&&" stays "&").
std::string withoutAmpersand(std::string_view text);

}  // namespace trv::ui
