#pragma once
// The procedure registry: window procedures reach each other by name, so that subsystems that
// call each other's windows never link in a cycle. The scenario step `call` uses it too.
//
// A procedure is called after the caller has set NextRequest; it returns when its window has
// closed and leaves its response in LastResponse. Its registration says how its starters run
// it: on the caller's thread, or on a thread of its own whose number they keep in a thread slot.
// Every window module registers its procedures the same way, through one registerX function
// beside the procedure, and starters read these options from the registry rather than repeat
// them.
//
// Register everything before the program's threads start; lookups are read-only afterwards.

#include <charconv>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace trv::forms {

struct FormContext;

// What a start does while the window of a slotted procedure still runs.
enum class WhenRunning { StartAnother, ToFront };

struct ProcedureEntry {
  using Body = std::function<void(std::string_view arg)>;

  ProcedureEntry() = default;
  ProcedureEntry(Body procedure, bool startsOwnThread = false, std::string slot = {},
                 WhenRunning running = WhenRunning::StartAnother)
      : body(std::move(procedure)),
        ownThread(startsOwnThread),
        startSlot(std::move(slot)),
        whenRunning(running) {}

  Body body;
  bool ownThread = false;  // callers start it on a new thread
  std::string startSlot;   // the slot its starters fill with the new thread's number
  // ToFront: a start while the thread in startSlot still runs brings that window to the front
  // (with gain focus) instead of starting a second one.
  WhenRunning whenRunning = WhenRunning::StartAnother;
};

// Registrations say where the procedure runs.
inline ProcedureEntry onCallersThread(ProcedureEntry::Body body) {
  return ProcedureEntry(std::move(body));
}
inline ProcedureEntry onOwnThread(ProcedureEntry::Body body, std::string startSlot = {},
                                  WhenRunning running = WhenRunning::StartAnother) {
  return ProcedureEntry(std::move(body), true, std::move(startSlot), running);
}

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

// Starts a registered procedure as its entry says: on a new program thread (its number kept in
// the entry's start slot), or on the calling thread, returning when its window has closed. The
// caller sets NextRequest first. Requires a program thread of ctx.ui.
void startProcedure(FormContext& ctx, const ProcedureEntry& entry, std::string_view arg = {});

// A procedure's argument read as decimal numbers separated by blanks ("4 12 1"), from the left.
class ProcedureArgs {
 public:
  explicit ProcedureArgs(std::string_view arg) : rest_(arg) {}

  // The next number after any blanks; nullopt when none is left or the text there is no
  // number (reading stays there), and for a number too large for T (reading goes past it).
  template <class T>
  std::optional<T> next() {
    skipBlanks();
    T value{};
    const auto [end, ec] = std::from_chars(rest_.data(), rest_.data() + rest_.size(), value);
    rest_.remove_prefix(static_cast<std::size_t>(end - rest_.data()));
    if (ec != std::errc{}) return std::nullopt;
    return value;
  }
  // True when only blanks are left.
  bool done() {
    skipBlanks();
    return rest_.empty();
  }

 private:
  void skipBlanks() {
    while (!rest_.empty() && rest_.front() == ' ') rest_.remove_prefix(1);
  }
  std::string_view rest_;
};

}  // namespace trv::forms
