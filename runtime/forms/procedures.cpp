#include "runtime/forms/procedures.h"

#include <cctype>

#include "runtime/forms/window_controller.h"
#include "runtime/ui/ui_runtime.h"

namespace trv::forms {
namespace {
std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}
}  // namespace

void ProcedureRegistry::add(std::string name, ProcedureEntry entry) {
  entries_[upper(name)] = std::move(entry);
  names_.push_back(std::move(name));
}

const ProcedureEntry* ProcedureRegistry::find(std::string_view name) const {
  auto it = entries_.find(upper(name));
  return it == entries_.end() ? nullptr : &it->second;
}

std::vector<std::string> ProcedureRegistry::names() const {
  return names_;
}

void startProcedure(FormContext& ctx, const ProcedureEntry& entry, std::string_view arg) {
  if (!entry.ownThread) {
    entry.body(arg);
    return;
  }
  const bool slotted = !entry.startSlot.empty();
  if (slotted && entry.whenRunning == WhenRunning::ToFront)
    if (const int running = ctx.globals.slot(entry.startSlot)) {
      // Set from the start on, before the new thread has opened its window: a second start
      // meanwhile must not open a second window.
      ctx.ui.postToThread(running, ui::EventGainFocus);
      return;
    }
  auto body = entry.body;
  const int thread = ctx.ui.start([body, a = std::string(arg)] { body(a); });
  if (slotted) ctx.globals.slots[entry.startSlot] = thread;
}

}  // namespace trv::forms
