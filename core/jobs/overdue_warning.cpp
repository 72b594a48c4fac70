#include "core/jobs/overdue_warning.h"

#include "runtime/text/date_time.h"
#include "runtime/text/fixed_string.h"
#include "runtime/text/picture.h"

namespace trv::core::jobs {
namespace {

struct Band {
  std::int32_t low;   // exclusive
  std::int32_t high;  // exclusive
  int beeps;
};

// The bounds are time numbers of clock times, so each carries the time numbers' extra 1.
const std::array<Band, 4>& bands() {
  static const std::array<Band, 4> kBands = {{
      {*text::timeNumber(0, 0, 1), *text::timeNumber(0, 1, 1), 2},
      {*text::timeNumber(0, 14), *text::timeNumber(0, 16), 1},
      {*text::timeNumber(0, 29), *text::timeNumber(0, 31), 0},
      {*text::timeNumber(0, 49), *text::timeNumber(0, 51), 0},
  }};
  return kBands;
}

}  // namespace

std::optional<Warning> overdueWarning(const WarningEntry& entry, std::int32_t today,
                                      std::int32_t now) {
  if (text::clip(entry.status) == "On Hold" || entry.date != today) return std::nullopt;
  const std::int32_t left = entry.time - now;
  if (left < 0) return std::nullopt;
  for (std::size_t i = 0; i < bands().size(); ++i) {
    const Band& b = bands()[i];
    if (left <= b.low || left >= b.high) continue;
    Warning w;
    w.band = static_cast<int>(i) + 1;
    w.caseNr = entry.caseNr;
    w.beeps = b.beeps;
    w.text = "Case " + std::to_string(entry.caseNr) + ", Fase " + std::string(entry.fase);
    if (w.band == 1)
      w.text += ", will be overdue now !";
    else
      w.text += ", will be overdue in " + text::formatPicture("T1", left) + " minutes";
    return w;
  }
  return std::nullopt;
}

void OverdueWarnings::run(const FrameState& frame, std::span<const WarningEntry> aft,
                          const text::Clock& clock, const Show& show) {
  if (!frame.signedOn()) return;
  if (frame.copies.SysServer && frame.userLevel == 2) return;
  for (const WarningEntry& entry : aft) {
    const std::optional<Warning> w = overdueWarning(entry, clock.today(), clock.now());
    if (!w) continue;
    std::uint32_t& memory = memories_[w->band - 1];
    if (memory == w->caseNr) return;
    show(*w);
    memory = w->caseNr;
  }
}

}  // namespace trv::core::jobs
