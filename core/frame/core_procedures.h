#pragma once
// Registers the application core's window procedures by name in the program's registry.

namespace trv::core {

class ProgramState;

void registerCoreProcedures(ProgramState& state);

}  // namespace trv::core
