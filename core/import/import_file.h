#pragma once
// Giving the chosen address-book file the import file's name without ever replacing a file
// that already has that name.

#include <filesystem>
#include <system_error>

namespace trv::core {

// Renames `from` to `to` unless `to` exists: then nothing changes and the result is
// std::errc::file_exists. Where the file system cannot rename without replacing, a hard link
// and the removal of the old name do it; when neither can be done, `from` keeps its name and
// the result says why. A `to` that is the same file as `from` is success.
[[nodiscard]] std::error_code renameWithoutReplacing(const std::filesystem::path& from,
                                                     const std::filesystem::path& to);

}  // namespace trv::core
