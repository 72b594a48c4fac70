#pragma once
// Registers the case handling's window procedures by name in the program's registry.

namespace trv::core {
class ProgramState;
}

namespace trv::cases {

void registerCaseProcedures(core::ProgramState& state);

}  // namespace trv::cases
