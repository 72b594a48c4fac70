#include "core/frame/core_procedures.h"

#include "core/clients/client_form.h"
#include "core/clients/client_import.h"
#include "core/clients/client_list.h"
#include "core/frame/main_frame.h"
#include "core/problems/problem_list.h"
#include "core/products/product_form.h"
#include "core/products/product_list.h"
#include "core/system/about.h"
#include "core/system/activity_log_list.h"
#include "core/system/password.h"
#include "core/system/system_options.h"
#include "core/system/users.h"

namespace trv::core {

void registerCoreProcedures(ProgramState& s) {
  registerMain(s);
  registerClientList(s);
  registerClientForm(s);
  registerClientImport(s);
  registerBrowsSLA(s);
  registerUpdateSLA(s);
  registerBrowsProblem(s);
  registerUsers(s);
  registerUpdatePass(s);
  registerSystemOptions(s);
  registerActivityLog(s);
  registerAbout(s);
}

}  // namespace trv::core
