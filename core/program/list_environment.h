#pragma once
// The list kit as this program sets it up: what every list window shares.

#include "runtime/list/list_window.h"

namespace trv::core {

class ProgramState;

// The state's form context and its shared list colour (ListColor). The state must outlive the
// lists made with it.
list::ListEnvironment listEnvironment(ProgramState& state);

}  // namespace trv::core
