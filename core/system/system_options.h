#pragma once
// UpdateSysOptions: supervisors and administrators set the options of the one system record and
// the workstation's database folder. A supervisor changes only the folder and the activity log;
// the closed-case deletion, the backups and the three option boxes are the administrator's.
//
// OK writes the system record; only a successful write changes the frame's copies (and its
// buffer of the record, which its jobs read). A changed database folder is stored in the
// configuration file whichever way the window closes, and OK then offers to restart. Runs on
// the frame's thread.

namespace trv::core {

class ProgramState;

enum SystemOptionsControl : int {
  OptDatabaseGroup = 2,
  OptChooseDatabase = 3,
  OptDatabase = 4,
  OptLogGroup = 5,
  OptKeepLog = 6,
  OptLogDays = 7,
  OptLogText = 8,
  OptClosedGroup = 9,
  OptDelete = 10,
  OptDeleteDays = 11,
  OptDeleteText = 12,
  OptDeleteServer = 13,
  OptDeleteTimePrompt = 14,
  OptDeleteTime = 15,
  OptBackupGroup = 16,
  OptBackup = 17,
  OptBackupDays = 18,
  OptBackupServer = 19,
  OptBackupTimePrompt = 20,
  OptBackupTime = 21,
  OptChooseBackupPath = 22,
  OptBackupPathPrompt = 23,
  OptBackupPath = 24,
  OptBackupText = 25,
  OptProblem = 26,
  OptSortQueues = 29,
  OptRefresh = 33,
  OptOk = 37,
  OptCancel = 38,
  OptHelp = 39,
};

void UpdateSysOptions(ProgramState& state);

// Registers "UpdateSysOptions", run on its caller's thread.
void registerSystemOptions(ProgramState& state);

}  // namespace trv::core
