#pragma once
// Overdue warnings: which warning a case of the AFT queue gives at a moment, and the warning
// pass of a rescan with its four band memories.
//
// A case is warned when the time left until its escalation moment (today only) lies strictly
// inside one of four bands: about a minute, 15, 30 and 50 minutes. Each band remembers the last
// case it warned; meeting that case again in the same band ends the pass.

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "core/jobs/frame_state.h"
#include "runtime/text/clock.h"

namespace trv::core::jobs {

// The fields of an AFT entry that the warnings read.
struct WarningEntry {
  std::uint32_t caseNr = 0;  // AFT:CASENR, whole: case numbers pass 65535
  std::string fase;          // AFT:FASE: "Esc1", "Esc2" or "Esc3"
  std::string status;        // AFT:STATUS
  std::int32_t date = 0;     // AFT:GOODDATE
  std::int32_t time = 0;     // AFT:GOODTIME
};

struct Warning {
  int band = 0;  // 1 to 4
  std::uint32_t caseNr = 0;
  std::string text;  // the case-message window's text
  int beeps = 0;     // 2 in band 1, 1 in band 2, none in bands 3 and 4
  friend bool operator==(const Warning&, const Warning&) = default;
};

// The warning that `entry` gives at `today`, `now`, or nothing: none for an on-hold case, a
// moment on another day, a moment already passed or a time left outside every band.
std::optional<Warning> overdueWarning(const WarningEntry& entry, std::int32_t today,
                                      std::int32_t now);

class OverdueWarnings {
 public:
  // Shows one warning and returns when the user has closed the case-message window.
  using Show = std::function<void(const Warning&)>;

  // One warning pass over the rebuilt AFT queue, in queue order. Nothing while signed out or
  // for an administrator with the backup server option. The clock is read again for every
  // entry, since each warning waits for the user.
  void run(const FrameState& frame, std::span<const WarningEntry> aft, const text::Clock& clock,
           const Show& show);

  // The last case warned in band 1 to 4 (0: none yet).
  std::uint32_t memory(int band) const { return memories_.at(band - 1); }

 private:
  std::array<std::uint32_t, 4> memories_{};
};

}  // namespace trv::core::jobs
