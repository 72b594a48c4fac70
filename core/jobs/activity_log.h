#pragma once
// Writing one activity-log entry for the jobs.

#include <cstdint>
#include <string_view>

#include "runtime/data/file_access.h"
#include "runtime/store/error.h"

namespace trv::core::jobs {

struct LogEntry {
  std::uint16_t userId = 0;  // LOG:ID
  std::string_view name;     // LOG:NAME: the user's name or "Server"
  std::uint32_t caseNr = 0;  // LOG:CASENR
  std::string_view action;   // LOG:ACTION
  std::int32_t date = 0;     // Log:ActionDate
  std::int32_t time = 0;     // Log:ActionTime
};

// Adds the entry to the Log file on the calling thread (its number the next one) without any
// message. Requires `log` to be the Log file's access, opened on this thread. Returns the store's
// code (its last error tells why).
[[nodiscard]] store::Code addLogEntry(data::FileAccess& log, const LogEntry& entry);

// Whether the Log file holds at least one entry (false also when it cannot be counted).
bool logHoldsEntries(data::FileAccess& log);

}  // namespace trv::core::jobs
