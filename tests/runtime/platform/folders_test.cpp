#include "runtime/platform/folders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace trv::platform {
namespace {

TEST(Folders, EnvironmentOverridesTheDefaults) {
  ::setenv("TRV_CONFIG_DIR", "/tmp/station-a", 1);
  ::setenv("TRV_PROGRAM_DIR", "/tmp/program", 1);
  EXPECT_EQ(configFolder(), "/tmp/station-a");
  EXPECT_EQ(programFolder(), "/tmp/program");
  ::unsetenv("TRV_CONFIG_DIR");
  ::unsetenv("TRV_PROGRAM_DIR");
  ::setenv("XDG_CONFIG_HOME", "/tmp/xdg", 1);
  EXPECT_EQ(configFolder(), "/tmp/xdg/trvnel");
  ::unsetenv("XDG_CONFIG_HOME");
  ::setenv("HOME", "/home/agent", 1);
  EXPECT_EQ(configFolder(), "/home/agent/.config/trvnel");
}

TEST(Folders, FindsAFileWhateverItsLetterCase) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("trv_folders_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  std::ofstream(dir / "SYS.KVX") << "x";
  EXPECT_EQ(findIgnoringCase(dir, "Sys.kvx"), dir / "SYS.KVX");
  std::ofstream(dir / "Sys.kvx") << "x";
  EXPECT_EQ(findIgnoringCase(dir, "Sys.kvx"), dir / "Sys.kvx");
  EXPECT_FALSE(findIgnoringCase(dir, "Ide.kvx"));
  EXPECT_FALSE(findIgnoringCase(dir / "missing", "Ide.kvx"));
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace trv::platform
