#include "runtime/ini/ini_settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

namespace trv::ini {
namespace {

class IniSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("trv_settings_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void writeFile(std::string_view text) {
    std::ofstream(dir_ / "trvnel12.ini", std::ios::binary) << text;
  }

  std::filesystem::path dir_;
};

TEST_F(IniSettingsTest, MissingFileReadsEmptyAndIsCreatedByTheFirstWrite) {
  IniSettings s;
  s.Init(dir_, "trvnel12.ini");
  EXPECT_EQ(s.ReadValue("Config", "DataBase"), "");
  EXPECT_EQ(s.ReadNumber("Config", "Color"), 0);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "trvnel12.ini"));
  ASSERT_TRUE(s.WriteValue("Config", "Color", std::int64_t{12975860}));
  EXPECT_EQ(s.ReadNumber("config", "COLOR"), 12975860);
  s.Shutdown();  // no sector list was there, so none is written
  EXPECT_EQ(s.ReadValue("__Dont_Touch_Me__", "Sectors"), "");
}

TEST_F(IniSettingsTest, ReadsNumbersAsTheProfileFunctionsDo) {
  writeFile("[Config]\nA=12abc\nB=abc\nC=  7\nD=\nE=-3\n");
  IniSettings s;
  s.Init(dir_, "trvnel12.ini");
  EXPECT_EQ(s.ReadNumber("Config", "A"), 12);
  EXPECT_EQ(s.ReadNumber("Config", "B"), 0);
  EXPECT_EQ(s.ReadNumber("Config", "C"), 7);
  EXPECT_EQ(s.ReadNumber("Config", "D"), 0);
  EXPECT_EQ(s.ReadNumber("Config", "E"), -3);
}

TEST_F(IniSettingsTest, WindowPositionsFollowTheSaveAndRestoreRules) {
  IniSettings s;
  s.Init(dir_, "trvnel12.ini");
  EXPECT_FALSE(s.RestoreWindowPosition("BrowsClients", true));

  s.SaveWindowPosition("BrowsClients", {false, false, 10, 20, 300, 200}, true);
  auto r = s.RestoreWindowPosition("BrowsClients", true);
  ASSERT_TRUE(r);
  EXPECT_FALSE(r->maximized);
  EXPECT_EQ(r->x, 10);
  EXPECT_EQ(r->y, 20);
  EXPECT_TRUE(r->sized);
  EXPECT_EQ(r->width, 300);
  EXPECT_EQ(r->height, 200);

  // Closed while iconized: the earlier position stays.
  s.SaveWindowPosition("BrowsClients", {true, false, 99, 99, 1, 1}, true);
  EXPECT_EQ(s.RestoreWindowPosition("BrowsClients", true)->x, 10);

  // Maximized: only the mark is written, the last normal position stays in the file.
  s.SaveWindowPosition("BrowsClients", {false, true, 0, 0, 0, 0}, true);
  EXPECT_EQ(s.ReadValue("BrowsClients", "Maximize"), "Yes");
  EXPECT_TRUE(s.RestoreWindowPosition("BrowsClients", true)->maximized);
  EXPECT_EQ(s.ReadNumber("BrowsClients", "XPos"), 10);

  // A fixed-size window keeps no size.
  s.SaveWindowPosition("Logon", {false, false, 5, 6, 70, 80}, false);
  EXPECT_EQ(s.ReadValue("Logon", "Width"), "");
  EXPECT_FALSE(s.RestoreWindowPosition("Logon", false)->sized);

  // Anything but Yes or No in "Maximize" restores nothing.
  ASSERT_TRUE(s.WriteValue("Logon", "Maximize", "maybe"));
  EXPECT_FALSE(s.RestoreWindowPosition("Logon", false));
}

TEST_F(IniSettingsTest, KeepsTheFrameworkSectorListAcrossARun) {
  writeFile("[__Dont_Touch_Me__]\nSectors=2\nSectors_1=alpha\nSectors_2=beta\n");
  IniSettings s;
  s.Init(dir_, "trvnel12.ini");
  ASSERT_EQ(s.sectors(), (std::vector<std::string>{"alpha", "beta"}));
  writeFile("[Config]\nColor=5\n");  // the section vanished while the program ran
  s.Shutdown();
  EXPECT_EQ(s.ReadValue("__Dont_Touch_Me__", "Sectors_2"), "beta");
  EXPECT_EQ(s.ReadValue("Config", "Color"), "5");
}

TEST_F(IniSettingsTest, UsersKeepTheirOwnViewFlags) {
  IniSettings s;
  s.Init(dir_, "trvnel12.ini");
  ASSERT_TRUE(s.WriteValue("Admin", "ViewFlag", std::int64_t{1}));
  ASSERT_TRUE(s.WriteValue("Boss", "Viewflag", std::int64_t{0}));
  ASSERT_TRUE(s.WriteValue("Admin", "ViewFlag2", std::int64_t{2}));
  EXPECT_EQ(s.ReadNumber("admin", "viewflag"), 1);
  EXPECT_EQ(s.ReadNumber("BOSS", "ViewFlag"), 0);
  EXPECT_EQ(s.ReadNumber("Boss", "ViewFlag2"), 0);
  EXPECT_EQ(s.ReadNumber("Admin", "ViewFlag2"), 2);
}

}  // namespace
}  // namespace trv::ini
