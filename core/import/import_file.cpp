#include "core/import/import_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace trv::core {

std::error_code renameWithoutReplacing(const std::filesystem::path& from,
                                       const std::filesystem::path& to) {
  std::error_code same;
  if (std::filesystem::equivalent(from, to, same)) return {};
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
    return {errno, std::generic_category()};
  // link() never replaces either; the old name goes only once the new one is in place.
  if (::link(from.c_str(), to.c_str()) != 0) return {errno, std::generic_category()};
  if (::unlink(from.c_str()) != 0) {
    const int err = errno;
    ::unlink(to.c_str());
    return {err, std::generic_category()};
  }
  return {};
}

}  // namespace trv::core
