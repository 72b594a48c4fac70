#include "core/frame/core_procedures.h"

#include "core/clients/client_form.h"
#include "core/clients/client_list.h"
#include "core/frame/main_frame.h"
#include "core/problems/problem_list.h"
#include "core/products/product_form.h"
#include "core/products/product_list.h"

namespace trv::core {

void registerCoreProcedures(ProgramState& s) {
  registerMain(s);
  registerClientList(s);
  registerClientForm(s);
  registerBrowsSLA(s);
  registerUpdateSLA(s);
  registerBrowsProblem(s);
}

}  // namespace trv::core
