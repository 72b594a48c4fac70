#pragma once
// Where an installed trvnel01 finds the files it ships with (the help pages, the wallpapers):
// the data folder of its installation, found from the program's own place, so an installation
// under any prefix (or moved whole) works.

#include <filesystem>
#include <optional>

namespace trv::app {

// The installation's data folder for the program at `program` ("<prefix>/bin/trvnel01" ->
// "<prefix>/share/trvnel01"); nothing when that folder does not exist (a program run from its
// build folder).
std::optional<std::filesystem::path> installedDataFolder(const std::filesystem::path& program);

// The running program's own file.
std::filesystem::path runningProgram();

}  // namespace trv::app
