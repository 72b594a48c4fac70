#include "core/jobs/system_record.h"

#include <string>

#include "runtime/store/error.h"

namespace trv::core::jobs {
namespace {

store::Code fetchSystemRecord(data::FileAccess& sys) {
  sys.primeRecord();
  sys.record<SysRecord>().ID = 1;
  return sys.fetch("Sys:KeyID");
}

}  // namespace

bool readSystemRecord(data::FileAccess& sys, FrameState& frame, JobMessages& messages) {
  if (fetchSystemRecord(sys) != store::Ok) {
    const std::string errorText = store::lastError().text;
    messages.show(errorText, "");
    messages.show(kNoSystemRecordText, kAppTitle);
    return false;
  }
  frame.sys = sys.record<SysRecord>();
  frame.copies = SystemCopies::of(frame.sys);
  if (frame.sys.DoBackup) frame.sys.BackUpFlag = 0;
  return true;
}

StampResult stampSystemRecord(data::FileAccess& sys, const SystemStamps& stamps,
                              SysRecord* written) {
  constexpr int kAttempts = 3;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    if (fetchSystemRecord(sys) != store::Ok) return StampResult::ReadFailed;
    SysRecord& r = sys.record<SysRecord>();
    if (stamps.backup) {
      r.LastBackUpDate = stamps.today;
      r.LastBackUpTime = stamps.now;
    }
    if (stamps.log) {
      r.LastLogDate = stamps.logLimit;
      r.LastLogTime = stamps.now;
    }
    const store::Code c = sys.put();
    if (c == store::Ok) {
      if (written != nullptr) *written = r;
      return StampResult::Ok;
    }
    if (c != store::RecordChanged) break;
  }
  return StampResult::WriteFailed;
}

}  // namespace trv::core::jobs
