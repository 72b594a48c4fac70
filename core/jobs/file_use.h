#pragma once
// Internal: one use of a data file on the calling thread for the length of a job.

#include "runtime/data/file_access.h"

namespace trv::core::jobs {

class FileUse {
 public:
  explicit FileUse(data::FileAccess& file) : file_(file), opened_(file.open() == data::LevelOk) {
    ok_ = opened_ && file.useFile() == data::LevelOk;
  }
  ~FileUse() {
    if (opened_) file_.close();
  }
  FileUse(const FileUse&) = delete;
  FileUse& operator=(const FileUse&) = delete;

  bool ok() const { return ok_; }

 private:
  data::FileAccess& file_;
  bool opened_;
  bool ok_ = false;
};

}  // namespace trv::core::jobs
