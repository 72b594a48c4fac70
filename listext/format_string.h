#pragma once
// List format strings: the text form of a list's column layout, as the configuration file keeps
// it.
//
// One group per displayed column, in display order, nothing between groups:
//   width (dialog units) | data justification letter ["(" indent ")"] | flags | "~" header "~" |
//   header justification letter ["(" indent ")"] | picture "@" | "#" field number "#" |
//   ["E(" colours ")"]
// Flags, each only when set, in this order: "*" colour fields, "I" icon, "F" fixed, "_" underline,
// "M" resizable, "|" right border. Justification letters are "L", "R", "C" or "D" (decimal).
// A header is cut to 25 characters. "52L(1)M|~Case Nr~L(1)@N06@#1#" is one group.
//
// The reader also takes the built-in formats of list declarations: flags in any order, no field
// numbers (a column's field is then one more than the previous column's, plus 4 after a column
// with "*" and 1 after one with "I" or "J"), no header justification (it then follows the data's)
// and letters it ignores ("?", "Y", "/", "[", "]", "S(..)", "Z(..)", "T..]").
//
// Pure functions.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trv::listext {

// One column group of a format string.
struct FormatColumn {
  int widthDlu = 0;
  char dataJustify = 'L';
  int dataIndent = 0;
  bool colours = false;
  bool icon = false;
  bool fixed = false;
  bool underline = false;
  bool resizable = false;
  bool border = false;
  std::string header;
  char headerJustify = 'L';
  int headerIndent = 0;
  std::string picture;  // with its leading "@"; empty when the group has none
  int field = 0;        // the field number in the list row
  bool fieldGiven = false;
  // Text and background colours, normal and selected; -1 not set.
  int nfg = -1;
  int nbg = -1;
  int sfg = -1;
  int sbg = -1;
  friend bool operator==(const FormatColumn&, const FormatColumn&) = default;
};

inline constexpr std::size_t kMaxFormatHeader = 25;
inline constexpr std::size_t kMaxFormatLength = 1024;

// One group as written (field numbers only when `withField`); a column without a picture is
// written with "@S20".
std::string formatGroup(const FormatColumn& column, bool withField = true);
std::string formatString(const std::vector<FormatColumn>& columns, bool withField = true);

// The groups of a format string; nothing when the text is not a format string (no groups, a
// group that does not begin with a width and a justification letter, an indent above 255, an
// unclosed header, picture or field number, a character it does not know) or longer than
// kMaxFormatLength.
std::optional<std::vector<FormatColumn>> parseFormat(std::string_view text);

}  // namespace trv::listext
