#pragma once
// A list's layout as the configuration file keeps it between runs, in the list procedure's
// section, each key a prefix and the list control's name ("QuorixPrevCol-?Browse:1"); format
// slots end in their position too ("QuorixFormatString-?Browse:11").
//
// A stored layout is used only while the list's built-in format is the one it was saved against
// (compared without trailing blanks); otherwise none of its keys is read. Missing keys give the
// defaults: the list's current look, sort column 1, ascending; so does a position, size, line
// height or font size outside what the list keeps it in (16 bits, a byte). Values are checked
// against the list by the caller (a format that does not fit the list, a sort column it does not
// have).

#include <string>
#include <string_view>
#include <vector>

namespace trv::ini {
class IniSettings;
}

namespace trv::listext {

// What the list looks like, apart from its columns.
struct ListLook {
  int x = 0;
  int y = 0;
  int height = 0;
  int width = 0;
  bool hscroll = true;
  bool vscroll = true;
  int lineHeight = 0;
  std::string font;
  int point = 0;
  int colour = 0;
  int style = 0;
  friend bool operator==(const ListLook&, const ListLook&) = default;
};

struct SavedLayout {
  std::vector<std::string> formats;  // per format slot, in slot order; "0" for none
  std::string origFormat;            // the built-in format it was saved against
  ListLook look;
  int sortColumn = 1;  // display position of the sort column; 0 not sorted by a header
  int ascDesc = 0;     // its direction: 0 ascending, 1 descending
};

// The layout stored for the list, or, when none was saved against `builtInFormat` (nothing
// stored yet, or the built-in layout changed since), the built-in one: every slot
// `builtInFormat`, the look `current`, sort column 1, ascending. `accepted` says which.
struct RestoredLayout {
  bool accepted = false;
  SavedLayout layout;
};
RestoredLayout readLayout(const ini::IniSettings& ini, std::string_view section,
                          std::string_view name, const std::string& builtInFormat,
                          std::size_t slots, const ListLook& current);

// Writes every key, in order: the format slots, the built-in format, position and size, scroll
// bars, line height, font, then sort column and direction. False when a write failed.
bool writeLayout(ini::IniSettings& ini, std::string_view section, std::string_view name,
                 const SavedLayout& layout);

}  // namespace trv::listext
