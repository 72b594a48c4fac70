#pragma once
// The counters of the activity log window: how many case actions the Log file holds, and
// emptying the log.

#include <cstdint>
#include <string_view>

#include "runtime/data/file_access.h"
#include "runtime/store/error.h"

namespace trv::core {

struct LogCounts {
  std::uint16_t total = 0;  // every counted action
  std::uint16_t created = 0, reopened = 0, onHold = 0, closed = 0;
  // "Active" entries plus the created and re-opened ones.
  std::uint16_t active = 0;
  bool any = false;              // the file holds at least one entry, counted or not
  store::Code code = store::Ok;  // the read error that ended the count early

  // The share of `count` in the total, in per cent (0 when nothing was counted).
  int percent(std::uint16_t count) const { return total == 0 ? 0 : count * 100 / total; }
};

// Reads the whole Log file in stored order and counts "Created", "Re-Open", "On Hold",
// "Closed" and "Active"; other actions are not counted. A read error ends the count with what
// was counted so far (reading on past a record that cannot be read would meet it again). `log`
// must be opened on this thread; its buffer is not touched.
LogCounts countLog(data::FileAccess& log);

// Deletes every entry and adds the one "ClnLog" entry of the user who emptied it, in one
// transaction: entries that other stations write meanwhile are either kept or deleted whole,
// and a failure leaves the log as it was. `log` must be opened on this thread, no transaction
// open.
store::Code emptyLog(data::FileAccess& log, std::uint16_t userId, std::string_view userName,
                     std::int32_t today, std::int32_t now);

}  // namespace trv::core
