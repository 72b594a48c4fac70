#pragma once
// Small text helpers the list enhancement's files share.

#include <string>
#include <string_view>

#include "runtime/text/fixed_string.h"

namespace trv::listext {

// The text without trailing blanks.
inline std::string clipped(std::string_view s) {
  return std::string(text::clip(s));
}

// Characters of a UTF-8 text.
inline int charCount(std::string_view s) {
  int n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

// Dialog units per character of a list column, as list::charsOfDialogUnits converts them.
inline constexpr int kDluPerChar = 4;

}  // namespace trv::listext
