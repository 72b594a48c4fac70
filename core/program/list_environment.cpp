#include "core/program/list_environment.h"

#include "core/program/program_state.h"

namespace trv::core {

list::ListEnvironment listEnvironment(ProgramState& s) {
  return {s.forms, s.ListColor, {}};
}

}  // namespace trv::core
