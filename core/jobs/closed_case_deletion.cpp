#include "core/jobs/closed_case_deletion.h"

#include "core/jobs/activity_log.h"
#include "core/jobs/file_use.h"
#include "runtime/store/error.h"

namespace trv::core::jobs {

DeletionOutcome deleteClosedCase(data::FileAccess& sercase, data::FileAccess& log,
                                 const SystemCopies& sys, const SercaseRecord& kase,
                                 store::Position read, Moment now) {
  if (kase.Status != "Closed" || !closedCaseDue(sys, kase.Cdate, now))
    return DeletionOutcome::NotDue;
  // Without a version the delete could not tell a re-opened case from the one that was read.
  if (!read.valid() || read.version == 0) {
    store::setError(store::RecordNotFound, 0, "no watched position");
    return DeletionOutcome::Failed;
  }
  FileUse caseUse(sercase);
  if (!caseUse.ok()) return DeletionOutcome::Failed;
  switch (data::FileAccess::threadConnection().remove(sercase.fileId(), read)) {
    case store::Ok:
      break;
    case store::RecordChanged:
      return DeletionOutcome::Changed;
    case store::RecordNotFound:
      return DeletionOutcome::Gone;
    default:
      return DeletionOutcome::Failed;
  }
  FileUse logUse(log);
  if (logUse.ok())
    (void)addLogEntry(log, {.userId = 0,
                            .name = "Server",
                            .caseNr = kase.CaseNr,
                            .action = "Deleted",
                            .date = now.date,
                            .time = now.time});
  return DeletionOutcome::Deleted;
}

}  // namespace trv::core::jobs
