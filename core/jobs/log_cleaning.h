#pragma once
// The log cleaning at program end: activity-log entries older than the days they are kept are
// removed.

#include <cstdint>

#include "runtime/data/file_access.h"
#include "runtime/store/error.h"

namespace trv::core::jobs {

struct CleaningResult {
  bool heldEntries = false;      // the file held at least one entry when it was read
  std::uint64_t deleted = 0;     // entries removed by this cleaning
  store::Code code = store::Ok;  // the first failure; what was removed before it stays removed
};

// Reads the whole Log file in file order and removes every entry that logEntryExpired() names,
// in short transactions so other stations' log writes wait only briefly. An entry that another
// station changed or removed meanwhile is left to it. `log` must be opened on this thread, no
// transaction may be open on it.
CleaningResult cleanLog(data::FileAccess& log, std::int32_t keepDays, std::int32_t today);

}  // namespace trv::core::jobs
