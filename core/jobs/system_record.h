#pragma once
// The system record as the frame and its jobs read and stamp it.

#include <cstdint>

#include "core/jobs/frame_state.h"
#include "core/jobs/job_messages.h"
#include "runtime/data/file_access.h"

namespace trv::core::jobs {

// Reads the system record (Sys:ID 1) into the frame's buffer and copies; when Sys:DoBackup is
// on, the buffer's BackUpFlag is cleared, so a timed backup may run again. When the record
// cannot be read, shows the store's error text (no caption) and kNoSystemRecordText, keeps the
// previous copies and returns false. `sys` must be opened on this thread.
bool readSystemRecord(data::FileAccess& sys, FrameState& frame, JobMessages& messages);

// What a stamp writes into the stored system record.
struct SystemStamps {
  bool backup = false;  // LastBackUpDate today, LastBackUpTime now
  bool log = false;     // LastLogDate the cleaning's limit, LastLogTime now
  std::int32_t logLimit = 0;
  std::int32_t today = 0;
  std::int32_t now = 0;
};

enum class StampResult { Ok, ReadFailed, WriteFailed };

// Reads the stored system record anew and writes it back with only the stamps changed, so that
// a change another station made meanwhile is kept; a write that meets such a change reads and
// tries again. On Ok `written` holds the record as stored. No messages.
StampResult stampSystemRecord(data::FileAccess& sys, const SystemStamps& stamps,
                              SysRecord* written);

}  // namespace trv::core::jobs
