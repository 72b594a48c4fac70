#pragma once
// BrowsCases: the list of every case, the agents' main working window.
//
// From it a case is inserted, changed or deleted through the case form, taken over ("&Yank
// Case"), given to another agent (the assignment window), copied into the knowledge base, all
// closed cases are deleted at once, the cases are exported, and the action overview is opened.
// What it offers depends on the signed-on user's level: a user sees none of the supervisor's
// buttons, "&Export" is the administrator's; "&Yank Case" is enabled only on another agent's
// case. Five tabs choose its key orders; the list enhancement sorts it by any of its 19 columns.
//
// Threads: its starters run it on a thread of its own. It exists once (slot "BrowsCasesThread"):
// a second start brings the running list forward. While it is open the frame's E-mail menu is
// hidden; the list that owned the slot shows it again when it closes, unless the frame has
// logged out. Gain focus (posted by the frame after a colour change or a scheduled deletion, or
// by a refused second start) reloads the list, its count and the buttons by level, applies the
// list colour and restores a minimised window.

namespace trv::core {
class ProgramState;
}

namespace trv::cases {

// Control numbers of the "Cases" window.
enum CaseListControl : int {
  CasesList = 1,
  CasesUpdate = 2,
  CasesExport = 3,
  CasesInsert = 4,
  CasesQueues = 5,
  CasesYank = 6,
  CasesAssign = 7,
  CasesArchive = 8,
  CasesDelete = 9,
  CasesDeleteClosed = 10,
  CasesClose = 11,
  CasesHelp = 12,
  CasesSelect = 13,
  CasesSheet = 14,
  CasesTabCase = 15,
  CasesTabName = 16,
  CasesTabFirstEscalation = 17,
  CasesTabSecondEscalation = 18,
  CasesTabThirdEscalation = 19,
};

// Runs the list on the calling thread until it closes (or refuses to open beside a running one).
void BrowsCases(core::ProgramState& state);

// Registers "BrowsCases" with state.procedures: started on a thread of its own.
void registerCaseList(core::ProgramState& state);

}  // namespace trv::cases
