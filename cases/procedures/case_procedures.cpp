#include "cases/procedures/case_procedures.h"

#include "cases/overview/action_queues.h"
#include "cases/sendmail/send_mail.h"
#include "core/program/program_state.h"

namespace trv::cases {

void registerCaseProcedures(core::ProgramState& s) {
  registerActionQueues(s, s.queues);
  registerSendMail(s);
}

}  // namespace trv::cases
