#include "runtime/store/file_shrink.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace trv::store {
namespace {

// A step frees this much: a few milliseconds of the file system's work.
constexpr off_t kStepBytes = off_t{16} << 20;

}  // namespace

bool shrinkInSteps(const std::string& path, const std::function<bool()>& between,
                   std::uint64_t toSize) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return errno == ENOENT;
  const auto end = static_cast<off_t>(toSize);
  if (st.st_size <= end) return true;
  // Cutting it would cut it under its other names too; dropping this one frees nothing.
  if (st.st_nlink > 1) return false;
  bool stepping = static_cast<bool>(between);
  for (off_t size = st.st_size; size > end;) {
    size = stepping && size - end > kStepBytes ? size - kStepBytes : end;
    if (::truncate(path.c_str(), size) != 0) return false;
    if (stepping && size > end) stepping = between();
  }
  return true;
}

}  // namespace trv::store
