#include "core/program/program_state.h"

#include "runtime/list/list_browser.h"

namespace trv::core {

ProgramState::ProgramState(ProgramEnvironment e)
    : env(std::move(e)),
      AppMessages(env.ui),
      forms{env.ui, AppMessages, globals, &procedures, &AppSettings, &AppTitle},
      ListColor(list::kDefaultListColour) {}

ProgramState::~ProgramState() = default;

}  // namespace trv::core
