#pragma once
// The frame's unattended jobs: the timed backup at the start of each queue rebuild, the
// scheduled deletion of each closed case the rebuild reads, the overdue warnings after it, and
// the closing jobs when the frame closes with a user signed on (log cleaning, "LogOut", the
// backup at program end).
//
// Thread rules: every call runs on the frame's thread and uses that thread's Sercase, Log and Sys
// files (opened for the call when the frame has not); none may run inside an open transaction.
// Messages go through JobMessages and wait for the user; on a backup server workstation (SysServer)
// the jobs show none, except where said.
//
// A backup succeeds only when all eight copies did; only then is the backup date stamped in the
// system record (a failed copy or a log cleaning never postpones the next backup). Every attempt
// is logged as "BackUp" or "BUError" while a user is signed on and logging is on.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

#include "core/data/records.h"
#include "core/jobs/backup.h"
#include "core/jobs/closed_case_deletion.h"
#include "core/jobs/frame_state.h"
#include "core/jobs/job_messages.h"
#include "core/jobs/log_cleaning.h"
#include "core/jobs/overdue_warning.h"
#include "core/jobs/schedule.h"
#include "core/jobs/system_record.h"
#include "runtime/data/file_access.h"
#include "runtime/text/clock.h"

namespace trv::core::jobs {

// What the frame gives its jobs for its whole life. Every reference must outlive the FrameJobs.
struct JobEnvironment {
  data::FileAccess& sercase;
  data::FileAccess& log;
  data::FileAccess& sys;
  JobMessages& messages;
  const text::Clock& clock;
  std::filesystem::path databaseFolder;
  std::filesystem::path programFolder;  // holds the default backup folder
  // Called between the backup's steps, with no file locked: lets other threads run (false: the
  // program ends). Empty: the backup runs in one go.
  std::function<bool()> betweenSteps = {};
};

struct BackupReport {
  bool attempted = false;
  BackupResult copy;     // the copies' result (ok: all eight copied)
  bool stamped = false;  // the backup date was written into the system record
};

struct ClosingReport {
  bool cleaned = false;  // "ClnLog" was recorded
  CleaningResult cleaning;
  bool loggedOut = false;  // the "LogOut" entry was written
  BackupReport backup;
};

class FrameJobs {
 public:
  explicit FrameJobs(JobEnvironment env);

  // The timed backup check, at the start of every queue rebuild (signed on or not). Backs up,
  // under the name "Server", when timedBackupMinute() names a set minute not acted on yet, so a
  // minute that falls between two rescans is not lost and one minute never gives two backups.
  // The frame's BackUpFlag is kept as before (set by a stamped backup, cleared by the frame's
  // readings of the record), but it does not hold back the next set minute: a server that stays
  // signed on for days keeps making its backups.
  BackupReport timedBackup(FrameState& frame);

  // The scheduled deletion of one closed case read by the rebuild (deleteClosedCase()).
  DeletionOutcome closedCase(const FrameState& frame, const SercaseRecord& kase,
                             store::Position read);

  // The overdue warnings; run them after each rebuild while ShowCaseMessages is set.
  OverdueWarnings& warnings() { return warnings_; }

  // The "LogOut" entry: while SysDoLog is 1, a user has signed on in this run and the Log file
  // holds an entry. A failed write shows kLogUpdateFailureText. True when written.
  bool writeLogOut(const FrameState& frame);

  // The closing jobs, in order, when the frame closes with a user signed on (nothing otherwise):
  // the log cleaning for a supervisor or administrator with logging on ("ClnLog" when the file
  // held entries and the days are 0, or when an entry went), the "LogOut" entry, and without the
  // backup server option the backup at program end once its days have passed (the system record
  // is read first). The cleaning keeps entries for the days of the frame's buffer (Sys:HowLong as
  // read at sign-on).
  ClosingReport closingJobs(FrameState& frame);

 private:
  BackupReport backUp(FrameState& frame, std::string_view logName);
  // Writes the prepared entry and stamps the system record; true when the stamp was written.
  bool record(FrameState& frame, std::string_view logName, std::string_view action,
              const SystemStamps& stamps);
  Moment now() const { return {env_.clock.today(), env_.clock.now()}; }

  JobEnvironment env_;
  OverdueWarnings warnings_;
  std::optional<Moment> previousRescan_;
  std::optional<Moment> lastBackupMinute_;  // the set minute's date and the set time acted on
};

}  // namespace trv::core::jobs
