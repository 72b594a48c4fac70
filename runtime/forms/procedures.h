#pragma once
// The procedure registry: window procedures reach each other by name, so that subsystems that
// call each other's windows never link in a cycle. The scenario step `call` uses it too.
//
// A procedure is called after the caller has set NextRequest; it returns when its window has
// closed and leaves its response in LastResponse. An entry says whether its callers start it on
// a thread of its own, and which thread slot (if any) that start fills.
//
// Register everything before the program's threads start; lookups are read-only afterwards.

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace trv::forms {

struct ProcedureEntry {
  std::function<void(std::string_view arg)> body;
  bool ownThread = false;  // callers start it on a new thread
  std::string startSlot;   // the slot its starters fill with the new thread's number
};

class ProcedureRegistry {
 public:
  // A later entry with the same name (letter case ignored) replaces the earlier one.
  void add(std::string name, ProcedureEntry entry);
  // Null for an unknown name.
  const ProcedureEntry* find(std::string_view name) const;
  std::vector<std::string> names() const;

 private:
  std::map<std::string, ProcedureEntry> entries_;  // by upper-case name
  std::vector<std::string> names_;
};

}  // namespace trv::forms
