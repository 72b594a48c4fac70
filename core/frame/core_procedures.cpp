#include "core/frame/core_procedures.h"

#include "core/clients/client_form.h"
#include "core/clients/client_list.h"
#include "core/frame/main_frame.h"
#include "core/program/program_state.h"

namespace trv::core {

void registerCoreProcedures(ProgramState& s) {
  s.procedures.add("Main", {[&s](std::string_view) { Main(s); }, false, {}});
  s.procedures.add("BrowsClients", {[&s](std::string_view) { BrowsClients(s); }, false, {}});
  s.procedures.add("Updateclient",
                   {[&s](std::string_view id) { Updateclient(s, std::string(id)); }, false, {}});
}

}  // namespace trv::core
