#pragma once
// Who may do what on an existing case in the case form: the states of the status list, the
// priority list, the take-over button, the done checks and the note buttons, from the agent's
// level, whether the agent owns the case and the case's state. Pure; no window is touched.

#include <array>
#include <string_view>

namespace trv::cases {

struct CaseFacts {
  int level = 0;                // CurrentUserLevel: 0 user, 1 supervisor, 2 administrator
  bool owner = false;           // the signed-on agent owns the case (letter case ignored)
  std::string_view status;      // SER:Status
  bool priorityForced = false;  // SER:PriorityFix
  std::array<char, 3> marks{};  // each escalation's done mark: 'D', 'N' or blank
};

struct CaseControlStates {
  bool statusEnabled = true;
  bool priorityEnabled = true;
  bool yankEnabled = true;
  std::array<bool, 3> doneEnabled{};
  bool notesEnabled = true;  // notes, calls and mails: not on a closed case
};

// The states when an existing case opens: a user changes status and priority of own cases
// only, a supervisor or administrator of every case (the priority of a closed one not); only
// the owner ticks done marks, and only open ones (an escalation the product does not define
// has none); everyone but the owner may take the case over.
[[nodiscard]] CaseControlStates openingStates(const CaseFacts& facts);

// The states once the agent has taken the case over; `rememberedStatus` is the status the form
// has on record, which decides whether the priority may be changed.
[[nodiscard]] CaseControlStates afterTakeOver(const CaseFacts& facts,
                                              std::string_view rememberedStatus);

}  // namespace trv::cases
