#pragma once
// A temporary folder for tests, removed with everything in it.

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace trv::testing {

class TempDir {
 public:
  // A new empty folder under the system's temporary folder, its name starting with `prefix`.
  explicit TempDir(const char* prefix = "trvtest") {
    std::string pattern = (std::filesystem::temp_directory_path() / prefix).string() + "XXXXXX";
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    if (!path_.empty()) std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Empty when the folder could not be made.
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace trv::testing
