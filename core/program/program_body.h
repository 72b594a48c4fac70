#pragma once
// The program body of trvnel01: the process-wide services up in their order, the main frame,
// and the services down again.
//
// Start-up: the help file, the message catalog, the configuration file "trvnel12.ini" in the
// configuration folder, the data dictionary, the one mail logon of the run (its result reported
// once, the run going on whatever it was), then the procedure "Main" until it returns.
// Shut-down: the configuration file's closing hooks, the mail logoff (reported), the session
// cleared, the dictionary released, the message catalog shut down. A run that was ended at once
// (a fatal message, an incompatible database) skips nothing of this: every program thread has
// unwound by then, so the services go down cleanly.
//
// Runs on a program thread of state.env.ui; "Main" must be registered in state.procedures.

namespace trv::core {

class ProgramState;

void RunProgram(ProgramState& state);

}  // namespace trv::core
