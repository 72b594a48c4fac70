#pragma once
// When the unattended jobs are due: pure rules over the system record's schedules and the
// workstation's date and time. Dates are date numbers, times time numbers.

#include <cstdint>
#include <optional>

#include "core/jobs/frame_state.h"

namespace trv::core::jobs {

// A date and a time of the workstation's clock.
struct Moment {
  std::int32_t date = 0;
  std::int32_t time = 0;
  friend bool operator==(const Moment&, const Moment&) = default;
};

// Whether a closed case, closed on `closedDate`, is to be deleted now. Never without
// SysDeleteClosed. Without the deletion server option: at once with 0 days, else once the days
// since closing reach SysDeleteDays. With it, in either case only at or after SysDeleteTime. A
// case without a valid closing date is never deleted by days (only with 0 days), since nobody can
// tell how long ago it was closed.
bool closedCaseDue(const SystemCopies& sys, std::int32_t closedDate, Moment now);

// The timed backup's set minute whose turn has come at this rescan: the date on which that
// minute lies, or nothing. Only with SysDoBackup and the backup server option. The minute is due
// when some part of it lies after the previous rescan and not after `now` (rescans 61 or 91
// seconds apart may never fall inside the minute itself); without a previous rescan (the first
// one), or when the clock went back, only while `now` lies in the minute. A previous rescan more
// than a day back counts as one day back. With SysBackUpDays above 0 the minute is due only when
// its date lies at least that many days after `lastBackUpDate`. The caller remembers the
// minute it acted on, so that one minute is never acted on twice.
std::optional<std::int32_t> timedBackupMinute(const SystemCopies& sys, std::int32_t lastBackUpDate,
                                              std::optional<Moment> previousRescan, Moment now);

// Whether the backup at program end is due: SysDoBackup without the backup server option, and
// with 0 days always, else when `lastBackUpDate` lies more than SysBackUpDays days before today.
bool closingBackupDue(const SystemCopies& sys, std::int32_t lastBackUpDate, std::int32_t today);

// The log cleaning's limit date: today minus the days that entries are kept.
std::int32_t logLimitDate(std::int32_t keepDays, std::int32_t today);
// Whether the cleaning removes an entry dated `entryDate`: with 0 days every entry up to today,
// else every entry before the limit. Negative days (a damaged record) remove nothing.
bool logEntryExpired(std::int32_t entryDate, std::int32_t keepDays, std::int32_t today);

}  // namespace trv::core::jobs
