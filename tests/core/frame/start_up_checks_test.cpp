// The frame's start-up checks that need no window: the workstation's own settings.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/frame/start_up.h"
#include "core/program/program_state.h"
#include "runtime/text/clock.h"
#include "runtime/ui/headless.h"
#include "runtime/ui/ui_runtime.h"

namespace trv::core {
namespace {

namespace fs = std::filesystem;

class WorkstationSettings : public ::testing::Test {
 protected:
  WorkstationSettings() {
    fs::remove_all(config_);
    fs::create_directories(config_);
  }
  ~WorkstationSettings() override { fs::remove_all(config_); }

  // A fresh state over a configuration file holding `config` in section "Config".
  ProgramState& stateWith(const std::string& config) {
    std::ofstream(config_ / kIniFileName) << "[Config]\n" << config;
    state_ = std::make_unique<ProgramState>(
        ProgramEnvironment{clock_, rt_, nullptr, config_, "/opt/trv", nullptr, nullptr});
    state_->AppSettings.Init(config_, kIniFileName);
    state_->ProgramFolder = "/opt/trv";
    return *state_;
  }

  fs::path config_ = fs::temp_directory_path() / ("trv_workstation_" + std::to_string(::getpid()));
  text::ManualClock clock_{0, 0};
  ui::HeadlessFrontEnd fe_;
  ui::UiRuntime rt_{clock_, fe_};
  std::unique_ptr<ProgramState> state_;
};

TEST_F(WorkstationSettings, AreReadFromTheConfigurationWithTheSystemsDefaults) {
  struct Case {
    const char* config;
    bool serverAdmin;
    bool messages;
    bool hideOnHold;
    const char* wallpaper;
    int colour;
    const char* colourKept;  // "Color" after reading
  } cases[] = {
      {"", false, true, false, "logo2.jpg", 12975860, "12975860"},
      {"MessageOnOff=0\nNoOnHold=1\nWallSel=/home/a/sea.jpg\nColor=255\n", false, false, true,
       "/home/a/sea.jpg", 255, "255"},
      {"MessageOnOff=1\n", true, false, false, "logo2.jpg", 12975860, "12975860"},
      {"WallSel=/opt/trv/logo.jpg\nColor=0\n", false, true, false, "/opt/trv/logo2.jpg", 12975860,
       "12975860"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.config);
    ProgramState& s = stateWith(c.config);
    s.sys.Server = c.serverAdmin ? 1 : 0;
    s.user.Level = c.serverAdmin ? 2 : 1;
    readWorkstationSettings(s);
    EXPECT_EQ(s.ShowCaseMessages, c.messages);
    EXPECT_EQ(s.HideOnHold, c.hideOnHold);
    EXPECT_EQ(s.WallpaperFile, c.wallpaper);
    EXPECT_EQ(s.ListColor, c.colour);
    EXPECT_EQ(s.AppSettings.ReadValue("Config", "Color"), c.colourKept);
  }
}

}  // namespace
}  // namespace trv::core
