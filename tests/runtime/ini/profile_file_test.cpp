#include "runtime/ini/profile_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

namespace trv::ini {
namespace {

class ProfileFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("trv_ini_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string contents(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::filesystem::path dir_;
};

TEST_F(ProfileFileTest, SeesChangesMadeByAnotherProgram) {
  const auto path = dir_ / "trvnel12.ini";
  ProfileFile file(path);
  EXPECT_FALSE(file.read("Config", "Color"));
  ASSERT_TRUE(file.write("Config", "Color", "1"));
  EXPECT_EQ(file.read("config", "color"), "1");
  {
    std::ofstream out(path, std::ios::trunc);
    out << "[CONFIG]\ncolor = 42\n";
  }
  EXPECT_EQ(file.read("Config", "Color"), "42");
}

TEST_F(ProfileFileTest, ALinkPlantedAtTheTemporaryNameIsNeverFollowed) {
  const auto path = dir_ / "trvnel12.ini";
  const auto victim = dir_ / "victim";
  const auto absent = dir_ / "absent";
  std::ofstream(victim) << "keep";
  auto temp = path;
  temp += ".tmp." + std::to_string(::getpid());
  std::filesystem::create_symlink(victim, temp);
  ProfileFile file(path);
  ASSERT_TRUE(file.write("Config", "Color", "1"));
  EXPECT_EQ(contents(victim), "keep");
  EXPECT_FALSE(std::filesystem::is_symlink(path));
  EXPECT_EQ(file.read("Config", "Color"), "1");

  // A link to a file that does not exist does not get it made either.
  std::filesystem::create_symlink(absent, temp);
  ASSERT_TRUE(file.write("Config", "Color", "2"));
  EXPECT_FALSE(std::filesystem::exists(absent));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(temp)));
}

TEST_F(ProfileFileTest, AFailedWriteLeavesTheFileAsItWas) {
  const auto path = dir_ / "sub" / "trvnel12.ini";
  std::filesystem::create_directories(path.parent_path());
  ProfileFile file(path);
  ASSERT_TRUE(file.write("Config", "Color", "1"));
  // A regular file where the temporary file would go: the replacement cannot be written.
  std::filesystem::path blocker = path;
  blocker += ".tmp." + std::to_string(::getpid());
  std::filesystem::create_directories(blocker);
  EXPECT_FALSE(file.write("Config", "Color", "2"));
  EXPECT_EQ(contents(path), "[Config]\nColor=1\n");
  EXPECT_EQ(file.read("Config", "Color"), "1");
}

TEST_F(ProfileFileTest, TwoProcessesWritingAtOnceLoseNoKey) {
  const auto path = dir_ / "trvnel12.ini";
  constexpr int kKeys = 150;
  pid_t children[2];
  for (int c = 0; c < 2; ++c) {
    children[c] = ::fork();
    ASSERT_GE(children[c], 0);
    if (children[c] == 0) {
      ProfileFile file(path);
      bool ok = true;
      for (int i = 0; i < kKeys; ++i)
        ok = file.write("Station" + std::to_string(c), "Key" + std::to_string(i),
                        std::to_string(i * 10 + c)) &&
             ok;
      ::_exit(ok ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  ProfileFile file(path);
  for (int c = 0; c < 2; ++c)
    for (int i = 0; i < kKeys; ++i)
      ASSERT_EQ(file.read("Station" + std::to_string(c), "Key" + std::to_string(i)),
                std::to_string(i * 10 + c))
          << c << "/" << i;
}

}  // namespace
}  // namespace trv::ini
