#include "core/system/log_counts.h"

#include <cstring>

#include "core/data/records.h"
#include "core/jobs/activity_log.h"
#include "runtime/text/fixed_string.h"

namespace trv::core {

LogCounts countLog(data::FileAccess& log) {
  LogCounts n;
  store::Connection& conn = data::FileAccess::threadConnection();
  const store::FileId id = log.fileId();
  store::RecordBuffer row(log.decl());
  store::Code c = conn.setFileOrder(id);
  conn.setBulkRows(id, 500);
  while (c == store::Ok) {
    c = conn.next(id, row);
    if (c != store::Ok) break;
    n.any = true;
    LogRecord r;
    std::memcpy(&r, row.record.data(), sizeof r);
    const std::string_view action = r.ACTION.view();
    std::uint16_t* counter = action == "Created"   ? &n.created
                             : action == "Re-Open" ? &n.reopened
                             : action == "On Hold" ? &n.onHold
                             : action == "Closed"  ? &n.closed
                             : action == "Active"  ? &n.active
                                                   : nullptr;
    if (!counter) continue;
    ++*counter;
    ++n.total;
  }
  if (c != store::RecordNotFound) n.code = c;
  n.active = static_cast<std::uint16_t>(n.active + n.created + n.reopened);
  return n;
}

store::Code emptyLog(data::FileAccess& log, std::uint16_t userId, std::string_view userName,
                     std::int32_t today, std::int32_t now) {
  store::Connection& conn = data::FileAccess::threadConnection();
  if (store::Code c = conn.begin(); c != store::Ok) return c;
  // Entry by entry rather than emptying the file: the numbering goes on from the last entry.
  const store::FileId id = log.fileId();
  store::RecordBuffer row(log.decl());
  store::Code c = conn.setFileOrder(id);
  while (c == store::Ok) {
    c = conn.next(id, row);
    if (c == store::Ok) c = conn.remove(id, row.position);
  }
  if (c == store::RecordNotFound) c = store::Ok;
  if (c == store::Ok)
    c = jobs::addLogEntry(log, {.userId = userId,
                                .name = userName,
                                .caseNr = 0,
                                .action = "ClnLog",
                                .date = today,
                                .time = now});
  if (c == store::Ok) c = conn.commit();
  if (c != store::Ok && conn.inTransaction()) conn.rollback();
  return c;
}

}  // namespace trv::core
