#pragma once
// The list kit as this program sets it up: what every list window shares, the list enhancement
// of the enhanced lists included.

#include <functional>

#include "listext/list_settings.h"
#include "runtime/list/list_window.h"

namespace trv::core {

class ProgramState;

// The state's form context, its shared list colour (ListColor) and the list enhancement, which
// every list that sets `enhanced` gets with settings made from its declaration, adjusted by
// `adjust` where the list has values of its own. The state must outlive the lists made with it.
list::ListEnvironment listEnvironment(ProgramState& state,
                                      std::function<void(listext::ListSettings&)> adjust = {});

}  // namespace trv::core
