#include "core/jobs/frame_jobs.h"

#include <string>
#include <utility>

#include "core/jobs/activity_log.h"
#include "core/jobs/file_use.h"
#include "core/jobs/system_record.h"

namespace trv::core::jobs {

FrameJobs::FrameJobs(JobEnvironment env) : env_(std::move(env)) {}

BackupReport FrameJobs::timedBackup(FrameState& frame) {
  const Moment at = now();
  const std::optional<Moment> previous = std::exchange(previousRescan_, at);
  const std::optional<std::int32_t> minuteDate =
      timedBackupMinute(frame.copies, frame.sys.LastBackUpDate, previous, at);
  if (!minuteDate) return {};
  const Moment minute{*minuteDate, frame.copies.SysBackUpTime};
  if (lastBackupMinute_ == minute) return {};
  lastBackupMinute_ = minute;
  return backUp(frame, "Server");
}

DeletionOutcome FrameJobs::closedCase(const FrameState& frame, const SercaseRecord& kase,
                                      store::Position read) {
  return deleteClosedCase(env_.sercase, env_.log, frame.copies, kase, read, now());
}

bool FrameJobs::writeLogOut(const FrameState& frame) {
  if (!frame.signedOnMark || frame.copies.SysDoLog != 1) return false;
  FileUse logUse(env_.log);
  if (!logUse.ok() || !logHoldsEntries(env_.log)) return false;
  const Moment at = now();
  if (addLogEntry(env_.log, {.userId = frame.userNumber,
                             .name = frame.userName,
                             .caseNr = 0,
                             .action = "LogOut",
                             .date = at.date,
                             .time = at.time}) != store::Ok) {
    env_.messages.show(kLogUpdateFailureText, kAppTitle);
    return false;
  }
  return true;
}

ClosingReport FrameJobs::closingJobs(FrameState& frame) {
  ClosingReport report;
  if (!frame.signedOn()) return report;
  FileUse logUse(env_.log);
  FileUse sysUse(env_.sys);

  if (frame.copies.SysDoLog && frame.userLevel >= 1 && logUse.ok()) {
    const std::int32_t keepDays = frame.sys.HowLong;
    const std::int32_t today = env_.clock.today();
    report.cleaning = cleanLog(env_.log, keepDays, today);
    if ((keepDays == 0 && report.cleaning.heldEntries) || report.cleaning.deleted > 0) {
      report.cleaned = true;
      record(frame, frame.userName, "ClnLog",
             {.log = true, .logLimit = logLimitDate(keepDays, today)});
    }
  }

  report.loggedOut = writeLogOut(frame);

  if (frame.copies.SysDoBackup && !frame.copies.SysServer) {
    if (sysUse.ok()) readSystemRecord(env_.sys, frame, env_.messages);
    if (closingBackupDue(frame.copies, frame.sys.LastBackUpDate, env_.clock.today()))
      report.backup = backUp(frame, frame.userName);
  }
  return report;
}

BackupReport FrameJobs::backUp(FrameState& frame, std::string_view logName) {
  BackupReport report;
  report.attempted = true;
  frame.sys.BackUpFlag = 0;
  const std::filesystem::path folder =
      backupFolderOf(frame.sys.PathBackupFiles.view(), env_.databaseFolder, env_.programFolder);
  report.copy = backUpDataFiles(env_.databaseFolder, folder, env_.betweenSteps);
  if (!report.copy.ok && !frame.copies.SysServer) env_.messages.show(kBackupFailedText, kAppTitle);
  if (report.copy.ok) frame.sys.BackUpFlag = 1;
  report.stamped = record(frame, logName, report.copy.ok ? "BackUp" : "BUError",
                          {.backup = report.copy.ok && frame.copies.SysDoBackup != 0});
  return report;
}

bool FrameJobs::record(FrameState& frame, std::string_view logName, std::string_view action,
                       const SystemStamps& stamps) {
  const bool server = frame.copies.SysServer != 0;
  if (frame.signedOn() && frame.copies.SysDoLog) {
    FileUse logUse(env_.log);
    const Moment at = now();
    const bool written = logUse.ok() && addLogEntry(env_.log, {.userId = frame.userNumber,
                                                               .name = logName,
                                                               .caseNr = 0,
                                                               .action = action,
                                                               .date = at.date,
                                                               .time = at.time}) == store::Ok;
    if (!written && !server) env_.messages.show(kLogUpdateFailureText, kAppTitle);
  }
  if (!stamps.backup && !stamps.log) return false;  // nothing to stamp

  SystemStamps s = stamps;
  const Moment at = now();
  s.today = at.date;
  s.now = at.time;
  FileUse sysUse(env_.sys);
  SysRecord written;
  const StampResult r =
      sysUse.ok() ? stampSystemRecord(env_.sys, s, &written) : StampResult::ReadFailed;
  if (r == StampResult::ReadFailed) {
    if (!server) env_.messages.show(kCannotRetrieveSystemText, kAppTitle);
    return false;
  }
  if (r == StampResult::WriteFailed) {
    if (!server) env_.messages.show(kCannotUpdateSystemText, kAppTitle);
    frame.sys.BackUpFlag = 0;
    return false;
  }
  const std::uint8_t flag = stamps.backup ? 1 : frame.sys.BackUpFlag;
  frame.sys = written;
  frame.sys.BackUpFlag = flag;
  return true;
}

}  // namespace trv::core::jobs
