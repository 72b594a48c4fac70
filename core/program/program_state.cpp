#include "core/program/program_state.h"

#include "core/data/records.h"
#include "runtime/list/list_browser.h"

namespace trv::core {

ProgramState::ProgramState(ProgramEnvironment e)
    : env(std::move(e)),
      AppMessages(env.ui),
      forms{env.ui, AppMessages, globals, &procedures, &AppSettings, &AppTitle},
      ListColor(list::kDefaultListColour) {}

ProgramState::~ProgramState() = default;

SystemCopies systemCopies(const SysRecord& r) {
  SystemCopies c;
  c.DoLog = r.DoLog;
  c.RefreshInterval = r.RefreshInterval;
  c.ViewFlag2 = r.ViewFlag2;
  c.DoBackup = r.DoBackup;
  c.BackUpDays = r.BackUpDays & 0xFF;
  c.BackUpTime = r.BackUpTime;
  c.Server = r.Server;
  c.DeleteClosed = r.DeleteClosed;
  c.Server2 = r.Server2;
  c.DeleteDays = r.DeleteDays;
  c.DeleteTime = r.DeleteTime;
  c.ProblemFix = r.PROBLEMFIX;
  return c;
}

}  // namespace trv::core
