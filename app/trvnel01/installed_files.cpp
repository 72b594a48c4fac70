#include "app/trvnel01/installed_files.h"

#include <system_error>

namespace trv::app {

std::optional<std::filesystem::path> installedDataFolder(const std::filesystem::path& program) {
  std::error_code ec;
  const std::filesystem::path folder =
      std::filesystem::weakly_canonical(program.parent_path() / TRV_DATA_FROM_BIN, ec);
  if (ec || !std::filesystem::is_directory(folder, ec)) return std::nullopt;
  return folder;
}

std::filesystem::path runningProgram() {
  std::error_code ec;
  return std::filesystem::read_symlink("/proc/self/exe", ec);
}

}  // namespace trv::app
