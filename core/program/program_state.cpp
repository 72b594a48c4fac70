#include "core/program/program_state.h"

namespace trv::core {

ProgramState::ProgramState(ProgramEnvironment e)
    : env(std::move(e)), AppMessages(env.ui), forms{env.ui,      AppMessages,  globals,
                                                    &procedures, &AppSettings, &AppTitle} {}

ProgramState::~ProgramState() = default;

}  // namespace trv::core
