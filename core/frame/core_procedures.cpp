#include "core/frame/core_procedures.h"

#include "core/clients/client_form.h"
#include "core/clients/client_list.h"
#include "core/frame/main_frame.h"

namespace trv::core {

void registerCoreProcedures(ProgramState& s) {
  registerMain(s);
  registerClientList(s);
  registerClientForm(s);
}

}  // namespace trv::core
