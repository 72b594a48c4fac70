#pragma once
// A text of the program's string table, loaded on first use.

#include <optional>

#include "uninstall/ref_string.h"

namespace trv::uninstall {

class CResString {
 public:
  explicit CResString(unsigned id) : id_(id) {}

  // The text, or null when the table has none for the number.
  const char* text();
  int length();
  void free() { loaded_.reset(); }

 private:
  unsigned id_;
  std::optional<CRefString> loaded_;  // empty until loaded; stays empty for a number without text
};

}  // namespace trv::uninstall
