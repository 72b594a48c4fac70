#pragma once
// ActionQueues: the action overview, the agent's work list over the shared action queues.
//
// Two lists, "Cases to Process" (AFT) and "Late Cases" (BEF), with their counts, the user and
// the clock in the title. Opening and the window timer read no case record: the lists show the
// queues as the frame's last rescan left them, re-sorted by the overview's sort choice. Only the
// own/all and sort buttons rebuild the queues, from the case file opened read-only for the scan.
// "&Update", Enter and a double-click open the selected entry's case through the procedure
// registry ("ChangeCases" with the change request and the case number, whole), on the
// overview's thread; an unregistered case form gives the registry's "not defined" message.
//
// Threads: runs on a program thread of its own with its own event loop (no window controller).
// Its starters fill the slot "ActionQueuesThread"; the overview clears it when its window
// closes, so the next start opens a new window. Choices and layout live in the configuration
// file: "ViewFlag" and "ViewFlag2" in the user's section, "QueXPosition", "QueYPosition",
// "ActionList1" (the late list's format) and "ActionList2" in section "Browses".

namespace trv::core {
class ProgramState;
class SharedQueues;
}  // namespace trv::core

namespace trv::cases {

// Control numbers of the overview's window.
enum OverviewControl : int {
  OverviewListToProcess = 1,
  OverviewListLate = 2,
  OverviewOwnAll = 3,
  OverviewSort = 4,
  OverviewProblemPrompt = 5,
  OverviewProblemText = 6,
  OverviewUpdate = 7,
  OverviewClose = 8,
  OverviewHelp = 9,
  OverviewOwnerPrompt = 10,
  OverviewOwnerText = 11,
  OverviewLine = 12,
  OverviewLatePrompt = 13,
  OverviewLateCount = 14,
  OverviewWaitingCount = 15,
  OverviewEscalations1 = 16,
  OverviewWaitingPrompt = 17,
  OverviewBlank = 18,
  OverviewEscalations2 = 19,
  OverviewBox = 20,
};

// Runs the overview until its window closes (its close button, "&Close", a close posted to its
// thread, or the end of the program). Requires a program thread of state.env.ui. `queues` are
// the program's shared queues and must outlive the call.
void ActionQueues(core::ProgramState& state, core::SharedQueues& queues);

// Registers "ActionQueues" with state.procedures: started on a thread of its own, filling the
// slot "ActionQueuesThread"; a start while it runs brings it to the front instead. Both
// arguments must outlive every start.
void registerActionQueues(core::ProgramState& state, core::SharedQueues& queues);

}  // namespace trv::cases
