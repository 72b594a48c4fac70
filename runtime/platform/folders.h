#pragma once
// The workstation's folders on Linux.
//
// The configuration folder stands in for the Windows folder that holds "trvnel12.ini": one per
// user, so workstations that share a program folder keep their own settings. The program folder
// is the installation folder, with the default "DataBase" and "DatabaseBU" folders under it.
// Environment variables override both, so tests and several workstations on one machine keep
// separate settings.

#include <filesystem>
#include <optional>

namespace trv::platform {

// TRV_CONFIG_DIR, else $XDG_CONFIG_HOME/trvnel, else ~/.config/trvnel.
std::filesystem::path configFolder();

// TRV_PROGRAM_DIR, else $XDG_DATA_HOME/trvnel, else ~/.local/share/trvnel.
std::filesystem::path programFolder();

// The file or folder in `folder` whose name equals `name` without regard to letter case
// ("Sys.kvx" finds "SYS.KVX"); the exact spelling is preferred. Nothing when none exists.
std::optional<std::filesystem::path> findIgnoringCase(const std::filesystem::path& folder,
                                                      const std::filesystem::path& name);

}  // namespace trv::platform
