#pragma once
// Registers the application core's window procedures by name in the program's registry, each
// through its own module's registerX function, as the case handling's are.
//
// The frame starts these procedures on a thread of their own, so their registrations say so
// (ownThread): ActionQueues (slot ActionQueuesThread, brought to the front when it runs),
// BrowsCases, EmailIn, BrowsLog and About (slot AboutThread). Every other procedure runs on its
// caller's thread.

namespace trv::core {

class ProgramState;

void registerCoreProcedures(ProgramState& state);

}  // namespace trv::core
