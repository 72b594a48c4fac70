#include "core/jobs/log_cleaning.h"

#include <algorithm>
#include <vector>

#include "core/data/records.h"
#include "core/jobs/schedule.h"

namespace trv::core::jobs {
namespace {

constexpr std::size_t kRemovalsPerTransaction = 500;

}  // namespace

CleaningResult cleanLog(data::FileAccess& log, std::int32_t keepDays, std::int32_t today) {
  CleaningResult result;
  std::vector<store::Position> expired;
  store::Code c = log.setFileOrder();
  log.setBulkRows(500);
  while (c == store::Ok) {
    c = log.next();
    if (c != store::Ok) break;
    result.heldEntries = true;
    if (logEntryExpired(log.record<LogRecord>().ActionDate, keepDays, today))
      expired.push_back(log.position());
  }
  if (c != store::RecordNotFound) result.code = c;

  store::Connection& connection = data::FileAccess::threadConnection();
  const store::FileId id = log.fileId();
  for (std::size_t from = 0; from < expired.size(); from += kRemovalsPerTransaction) {
    const std::size_t to = std::min(expired.size(), from + kRemovalsPerTransaction);
    if (store::Code b = connection.begin(); b != store::Ok) {
      if (result.code == store::Ok) result.code = b;
      break;
    }
    std::uint64_t removed = 0;
    store::Code failed = store::Ok;
    for (std::size_t i = from; i < to && failed == store::Ok; ++i) {
      const store::Code r = connection.remove(id, expired[i]);
      if (r == store::Ok)
        ++removed;
      else if (r != store::RecordChanged && r != store::RecordNotFound)
        failed = r;
    }
    if (failed == store::Ok)
      failed = connection.commit();
    else
      connection.rollback();
    if (failed != store::Ok) {
      if (result.code == store::Ok) result.code = failed;
      break;
    }
    result.deleted += removed;
  }
  return result;
}

}  // namespace trv::core::jobs
