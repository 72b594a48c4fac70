#include "core/frame/core_procedures.h"

#include "core/clients/client_form.h"
#include "core/clients/client_list.h"
#include "core/frame/main_frame.h"
#include "core/problems/problem_list.h"
#include "core/products/product_form.h"
#include "core/products/product_list.h"
#include "core/program/program_state.h"

namespace trv::core {

void registerCoreProcedures(ProgramState& s) {
  s.procedures.add("Main", {[&s](std::string_view) { Main(s); }, false, {}});
  s.procedures.add("BrowsClients", {[&s](std::string_view) { BrowsClients(s); }, false, {}});
  s.procedures.add("Updateclient",
                   {[&s](std::string_view id) { Updateclient(s, std::string(id)); }, false, {}});
  s.procedures.add("BrowsSLA", {[&s](std::string_view) { BrowsSLA(s); }, false, {}});
  s.procedures.add("UpdateSLA", {[&s](std::string_view) { UpdateSLA(s); }, false, {}});
  s.procedures.add("BrowsProblem", {[&s](std::string_view) { BrowsProblem(s); }, false, {}});
}

}  // namespace trv::core
