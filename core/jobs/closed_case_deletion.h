#pragma once
// The scheduled deletion of a closed case, run by the queue rebuild for each closed case it
// reads.

#include "core/data/records.h"
#include "core/jobs/frame_state.h"
#include "core/jobs/schedule.h"
#include "runtime/data/file_access.h"
#include "runtime/store/connection.h"

namespace trv::core::jobs {

enum class DeletionOutcome {
  NotDue,   // not closed, or its time has not come
  Deleted,  // deleted, and the "Deleted" entry written (a failed entry is not reported)
  Changed,  // another station changed the case since the scan read it (it may be open again)
  Gone,     // another station deleted it first
  Failed,   // the store refused (the store's last error tells why)
};

// Deletes `kase`, read by the scan at `read` (a watched position), when closedCaseDue() says its
// time has come, but only if the stored record is still the one the scan read. After a deletion
// writes the entry "Deleted" by "Server" with the case number, whether logging is on or not.
// The case's memos go with it; its log entries stay. Runs on the scanning thread (the files are
// used there, opened for the call when needed) outside any transaction. The caller posts gain
// focus to the case list on Deleted.
DeletionOutcome deleteClosedCase(data::FileAccess& sercase, data::FileAccess& log,
                                 const SystemCopies& sys, const SercaseRecord& kase,
                                 store::Position read, Moment now);

}  // namespace trv::core::jobs
