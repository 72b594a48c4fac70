#pragma once
// BrowsLog: the activity log with the counters of the case actions it holds, for supervisors
// and administrators. One runs at a time, on a thread of its own; a second start brings it to
// the front. The counters are counted again whenever the window regains the focus. "&Empty Log"
// empties the log in one transaction, leaving one "ClnLog" entry, and stamps the system record;
// "&Print" starts the activity-log report. Closed by the frame at log-out.

namespace trv::core {

class ProgramState;

enum ActivityLogControl : int {
  LogList = 1,
  LogSelect = 2,
  LogSincePrompt = 3,
  LogSinceDate = 4,
  LogActiveLabel = 5,
  LogActiveCount = 6,
  LogActiveBar = 7,
  LogCreatedCount = 8,
  LogReopenCount = 9,
  LogOnHoldCount = 10,
  LogClosedCount = 11,
  LogCasesGroup = 12,
  LogSinceTime = 18,
  LogCreatedLabel = 19,
  LogCreatedBar = 20,
  LogReopenLabel = 21,
  LogClosedLabel = 22,
  LogReopenBar = 23,
  LogOnHoldLabel = 24,
  LogOnHoldBar = 25,
  LogClosedBar = 26,
  LogPrint = 27,
  LogEmpty = 28,
  LogSheet = 29,
  LogTab = 30,
  LogClose = 31,
  LogHelp = 32,
};

void BrowsLog(ProgramState& state);

// Registers "BrowsLog", started on a thread of its own.
void registerActivityLog(ProgramState& state);

}  // namespace trv::core
