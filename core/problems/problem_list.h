#pragma once
// BrowsProblem: the predefined problem texts that the case form offers. The list has no form:
// its rows are inserted, changed and deleted in place. A changed text is carried into the cases
// that name it; a text that cases name cannot be deleted; a text that differs from another only
// in letter case is a duplicate.
//
// Requires a program thread of the state's runtime, with the data dictionary set up.

namespace trv::core {

class ProgramState;

// Control numbers of the "Problems  - PreSelection" window; the in-place editor's entry for
// the problem text (use variable PRO:PROBLEM) follows them.
enum ProblemListControl : int {
  ProblemsList = 1,
  ProblemsInsert = 2,
  ProblemsChange = 3,
  ProblemsDelete = 4,
  ProblemsOk = 5,
};

// Runs the list on the calling thread.
void BrowsProblem(ProgramState& state);
// Registers BrowsProblem with the program's procedures.
void registerBrowsProblem(ProgramState& state);

}  // namespace trv::core
