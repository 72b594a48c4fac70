#pragma once
// The list enhancement's items in a list's popup menu: the "ListBox" submenu of layout commands
// that the option mask asks for, and the column items, whose texts, check marks and enabled
// states follow the column under the column cursor. Each item posts the program event of its
// command (QuorixList::HandleEvent).
//
// Pure functions.

#include <cstdint>
#include <string>
#include <vector>

#include "listext/column_model.h"

namespace trv::listext {

struct MenuItem {
  std::string name;  // "XPS", "S31", "FNT" ...
  std::string text;  // "-" for a separator
  int event = 0;     // 0 for a separator
  bool checked = false;
  bool enabled = true;
  bool checkable = false;  // it shows its check mark, on ("+") or off ("-")
  friend bool operator==(const MenuItem&, const MenuItem&) = default;
};

// The "ListBox" submenu items of the mask, in order; none unless a bit of 0x1FE00000 is set.
std::vector<MenuItem> listBoxItems(std::int64_t mask);

// What the column items show for a column and the value of the list's current row in it.
struct HeaderMenuState {
  bool filterEqual = false;
  bool graph = false;
  bool printView = false;
  bool printPage = false;
  bool hscroll = true;
  bool vscroll = true;
};
std::vector<MenuItem> columnItems(const Column& column, const std::string& value,
                                  const HeaderMenuState& state);

// The items as a popup menu text ("~" disables an item; "+" and "-" show a check mark on and off).
std::string menuText(const std::vector<MenuItem>& items);

}  // namespace trv::listext
