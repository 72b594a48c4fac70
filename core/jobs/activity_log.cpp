#include "core/jobs/activity_log.h"

#include "core/data/records.h"

namespace trv::core::jobs {

store::Code addLogEntry(data::FileAccess& log, const LogEntry& entry) {
  log.primeRecord();
  LogRecord& r = log.record<LogRecord>();
  r.NR = 0;  // the next number
  r.ID = entry.userId;
  r.NAME = entry.name;
  r.CASENR = entry.caseNr;
  r.ACTION = entry.action;
  r.ActionDate = entry.date;
  r.ActionTime = entry.time;
  return log.add();
}

bool logHoldsEntries(data::FileAccess& log) {
  std::uint64_t n = 0;
  return log.count(&n) == store::Ok && n > 0;
}

}  // namespace trv::core::jobs
