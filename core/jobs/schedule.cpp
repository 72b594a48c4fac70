#include "core/jobs/schedule.h"

#include <algorithm>

#include "runtime/text/date_time.h"

namespace trv::core::jobs {
namespace {

using text::kHundredthsPerDay;
using text::kHundredthsPerMinute;

// Hundredths since day 0, so moments on two dates compare as numbers.
std::int64_t absolute(std::int32_t date, std::int32_t time) {
  return std::int64_t{date} * kHundredthsPerDay + (time > 0 ? time - 1 : 0);
}

}  // namespace

bool closedCaseDue(const SystemCopies& sys, std::int32_t closedDate, Moment now) {
  if (!sys.SysDeleteClosed) return false;
  if (sys.SysServer2 && now.time < sys.SysDeleteTime) return false;
  if (sys.SysDeleteDays == 0) return true;
  if (!text::isValidDateNumber(closedDate)) return false;
  return now.date - closedDate >= sys.SysDeleteDays;
}

std::optional<std::int32_t> timedBackupMinute(const SystemCopies& sys, std::int32_t lastBackUpDate,
                                              std::optional<Moment> previousRescan, Moment now) {
  if (!sys.SysDoBackup || !sys.SysServer) return std::nullopt;
  // The set time's hours and minutes, as the "T1" picture shows them.
  const std::int64_t minuteStart =
      sys.SysBackUpTime > 0 ? (sys.SysBackUpTime - 1) / kHundredthsPerMinute * kHundredthsPerMinute
                            : 0;
  const std::int64_t nowAt = absolute(now.date, now.time);
  std::int64_t after = nowAt;  // the minute must end after this (exclusive) ...
  bool inMinuteOnly = true;
  if (previousRescan) {
    const std::int64_t prevAt = absolute(previousRescan->date, previousRescan->time);
    if (prevAt <= nowAt) {
      after = std::max(prevAt, nowAt - kHundredthsPerDay);
      inMinuteOnly = false;
    }
  }
  // ... and start at or before now. Today's minute first, then yesterday's (a rescan just after
  // midnight for a minute just before it).
  for (std::int32_t date : {now.date, now.date - 1}) {
    const std::int64_t start = std::int64_t{date} * kHundredthsPerDay + minuteStart;
    const std::int64_t end = start + kHundredthsPerMinute;
    const bool due =
        inMinuteOnly ? (start <= nowAt && nowAt < end) : (start <= nowAt && end > after);
    if (!due) continue;
    if (sys.SysBackUpDays != 0 && date - lastBackUpDate < sys.SysBackUpDays) return std::nullopt;
    return date;
  }
  return std::nullopt;
}

bool closingBackupDue(const SystemCopies& sys, std::int32_t lastBackUpDate, std::int32_t today) {
  if (!sys.SysDoBackup || sys.SysServer) return false;
  if (sys.SysBackUpDays == 0) return true;
  return today - lastBackUpDate > sys.SysBackUpDays;
}

std::int32_t logLimitDate(std::int32_t keepDays, std::int32_t today) {
  return today - keepDays;
}

bool logEntryExpired(std::int32_t entryDate, std::int32_t keepDays, std::int32_t today) {
  if (keepDays < 0) return false;
  if (keepDays == 0) return entryDate <= today;
  return entryDate < logLimitDate(keepDays, today);
}

}  // namespace trv::core::jobs
