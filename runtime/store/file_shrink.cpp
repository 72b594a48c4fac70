#include "runtime/store/file_shrink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace trv::store {
namespace {

// A step frees this much: a few milliseconds of the file system's work.
constexpr off_t kStepBytes = off_t{16} << 20;

}  // namespace

bool shrinkInSteps(const std::string& path, const std::function<bool()>& between) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT;
  // Emptying it would empty it under its other names too; dropping this one frees nothing.
  if (st.st_nlink > 1) return false;
  bool stepping = static_cast<bool>(between);
  for (off_t size = st.st_size; size > 0;) {
    size = stepping ? (size > kStepBytes ? size - kStepBytes : 0) : 0;
    if (::truncate(path.c_str(), size) != 0) return false;
    if (stepping && size > 0) stepping = between();
  }
  return true;
}

}  // namespace trv::store
