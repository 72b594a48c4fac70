#include "cases/procedures/case_procedures.h"

#include "cases/archive/archive_windows.h"
#include "cases/caseform/case_form.h"
#include "cases/export/export_file.h"
#include "cases/mailwin/email_in.h"
#include "cases/notes/notes_window.h"
#include "cases/overview/action_queues.h"
#include "cases/products/select_prod.h"
#include "cases/reports/reports.h"
#include "cases/search/search_windows.h"
#include "cases/sendmail/send_mail.h"
#include "core/program/program_state.h"

namespace trv::cases {

void registerCaseProcedures(core::ProgramState& s) {
  registerActionQueues(s, s.queues);
  registerSendMail(s);
  registerEmailIn(s);
  registerCaseForm(s);
  registerNotesWindow(s);
  registerSelectProd(s);
  reports::registerReports(s);
  registerArchive(s);
  registerSearch(s);
  registerExportFile(s);
}

}  // namespace trv::cases
