#include "core/jobs/frame_state.h"

namespace trv::core::jobs {

SystemCopies SystemCopies::of(const SysRecord& sys) {
  SystemCopies c;
  c.SysDoLog = sys.DoLog;
  c.SysRefreshInterval = sys.RefreshInterval;
  c.SysViewFlag2 = sys.ViewFlag2;
  c.SysDoBackup = sys.DoBackup;
  c.SysBackUpDays = static_cast<std::uint8_t>(sys.BackUpDays & 0xFF);
  c.SysBackUpTime = sys.BackUpTime;
  c.SysServer = sys.Server;
  c.SysDeleteClosed = sys.DeleteClosed;
  c.SysServer2 = sys.Server2;
  c.SysDeleteDays = sys.DeleteDays;
  c.SysDeleteTime = sys.DeleteTime;
  c.SysProblemFix = sys.PROBLEMFIX;
  return c;
}

}  // namespace trv::core::jobs
