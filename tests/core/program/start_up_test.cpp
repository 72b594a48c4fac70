// The program's start as a user sees it: mail logon result, database folder, sign-on, menus and
// status bar, run headless on the real program body.

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "core/data/database_tool.h"
#include "core/frame/core_procedures.h"
#include "core/frame/frame_menu.h"
#include "core/program/program_body.h"
#include "core/program/program_state.h"
#include "core/signon/logon.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/platform/instance_registry.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/ui/headless.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

namespace fs = std::filesystem;

using enum logon::Control;

class StartUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("trv_start_" + std::to_string(::getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    program_ = root_ / "program";
    config_ = root_ / "config";
    fs::create_directories(program_ / "DataBase");
    fs::create_directories(config_);
    ASSERT_TRUE(createStarterDatabase((program_ / "DataBase").string()).ok);
    writeIni("[Config]\nDataBase=" + (program_ / "DataBase").string() + "\n");
  }
  void TearDown() override {
    rt_.endProgram();
    rt_.waitFinished(std::chrono::seconds(10));
    fs::remove_all(root_);
  }
  void writeIni(const std::string& text) { std::ofstream(config_ / "trvnel12.ini") << text; }
  std::string ini(const char* section, const char* key) {
    ini::IniSettings s;
    s.Init(config_, "trvnel12.ini");
    return s.ReadValue(section, key);
  }

  void start() {
    state_ = std::make_unique<ProgramState>(
        ProgramEnvironment{clock_, rt_, nullptr, config_, program_, &instances_, nullptr});
    registerCoreProcedures(*state_);
    ASSERT_NE(rt_.start([this] { RunProgram(*state_); }), 0);
  }
  std::string message() {
    EXPECT_TRUE(driver_.waitIdle());
    auto m = driver_.message();
    return m ? m->second.text : std::string("(no message)");
  }
  void ok() {
    ASSERT_TRUE(driver_.waitIdle());
    ASSERT_TRUE(driver_.answerMessage("OK"));
  }
  std::string frontTitle() {
    std::string t;
    EXPECT_TRUE(driver_.inspect([&] { t = rt_.front() ? rt_.front()->title() : "(none)"; }));
    return t;
  }
  void post(ui::Input::Kind kind, int control, std::string text = {}) {
    ASSERT_TRUE(driver_.inspect([&] {
      ui::Input in;
      in.kind = kind;
      in.window = rt_.front()->id();
      in.control = control;
      in.text = std::move(text);
      rt_.post(in);
    }));
  }
  void signOn(const std::string& name, const std::string& password) {
    post(ui::Input::Kind::Accept, kName, name);
    post(ui::Input::Kind::Accept, kPassword, password);
    post(ui::Input::Kind::Press, kOk);
  }
  // Past the mail logon's message (no mail system here) to the sign-on window.
  void startToLogon() {
    start();
    EXPECT_EQ(message(), "MS-Mail Unspecified error(s) occurred while signing in.");
    ok();
    ASSERT_EQ(frontTitle(), "Vorn Trovanel 1.2 - Logon");
  }
  // The frame window; call only while inspecting.
  ui::Window* frame() {
    for (ui::Window* w : rt_.windows())
      if (w->kind() == ui::WindowKind::Frame) return w;
    return nullptr;
  }
  bool menuHidden(int number) {
    bool hidden = false;
    EXPECT_TRUE(driver_.inspect([&] { hidden = frame()->menuItem(number)->hidden; }));
    return hidden;
  }

  fs::path root_;
  fs::path program_;
  fs::path config_;
  text::ManualClock clock_{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
  ui::HeadlessFrontEnd fe_;
  ui::UiRuntime rt_{clock_, fe_};
  ui::HeadlessDriver driver_{rt_, fe_, &clock_};
  platform::InstanceRegistry instances_{
      fs::temp_directory_path() / ("trv_instances_" + std::to_string(::getpid())), ":test"};
  std::unique_ptr<ProgramState> state_;
};

TEST_F(StartUpTest, SignsOnAndShowsTheAdministratorsMenusAndStatus) {
  startToLogon();
  std::string name;
  ASSERT_TRUE(driver_.inspect([&] { name = rt_.front()->text(kName); }));
  EXPECT_EQ(name, "Admin");     // the first start proposes Admin
  signOn("ADMIN", "Admin");     // letter case matters for neither
  ASSERT_EQ(frontTitle(), "");  // the splash window announces the program
  ASSERT_TRUE(driver_.advance(500));
  ASSERT_EQ(frontTitle(), "Vorn Trovanel 1.2");  // and closes itself after five seconds
  std::vector<std::string> zones;
  ASSERT_TRUE(driver_.inspect([&] {
    for (int z = 1; z <= 4; ++z) zones.push_back(frame()->status(z));
  }));
  EXPECT_EQ(zones[0], "Current DataBase : " + (program_ / "DataBase").string());
  EXPECT_EQ(zones[1], "User : Admin");
  EXPECT_EQ(zones[2], "Monday,  6/05/2002");
  EXPECT_EQ(zones[3], "10:00:05");
  EXPECT_FALSE(menuHidden(MenuSystem));
  EXPECT_FALSE(menuHidden(MenuUsers));
  EXPECT_EQ(ini("Registration", "LastLogon"), "Admin");
  EXPECT_EQ(ini("Config", "Color"), "12975860");
  std::uint64_t logs = 0;
  ASSERT_TRUE(countRecords((program_ / "DataBase").string(), "Log", &logs).ok);
  EXPECT_EQ(logs, 1u);  // "Logon"
}

TEST_F(StartUpTest, AUserSeesNoSystemMenu) {
  ASSERT_TRUE(insertRecord((program_ / "DataBase").string(),
                           {{"IDE:Name", "Agent"}, {"IDE:PassWord", "pw"}, {"IDE:Level", "0"}})
                  .ok);
  startToLogon();
  signOn("agent", "PW");
  ASSERT_TRUE(driver_.advance(500));
  ASSERT_EQ(frontTitle(), "Vorn Trovanel 1.2");
  EXPECT_TRUE(menuHidden(MenuSystem));
  EXPECT_TRUE(menuHidden(MenuPrintActivityLog));
}

TEST_F(StartUpTest, ThreeFailedAttemptsEndTheProgram) {
  startToLogon();
  signOn("Admin", "wrong");
  std::string light;
  ASSERT_TRUE(driver_.inspect([&] { light = rt_.front()->control(kLight)->image; }));
  EXPECT_EQ(light, "Trffc10b.ico");
  signOn("Nobody", "x");
  EXPECT_EQ(message(), "Unknown User");
  ok();
  ASSERT_TRUE(driver_.inspect([&] { light = rt_.front()->control(kLight)->image; }));
  EXPECT_EQ(light, "Trffc10c.ico");
  signOn("Admin", "wrong");
  EXPECT_EQ(message(), "     Access Denied...   ");
  ok();
  EXPECT_TRUE(rt_.waitFinished(std::chrono::seconds(10)));
}

TEST_F(StartUpTest, AFolderWithoutTheSystemFileFallsBackToTheLocalDatabase) {
  fs::create_directories(root_ / "elsewhere");
  writeIni("[Config]\nDataBase=" + (root_ / "elsewhere").string() + "\n");
  start();
  EXPECT_EQ(message(), "MS-Mail Unspecified error(s) occurred while signing in.");
  ok();
  EXPECT_EQ(message(), " Cannot Connect to NetWork (DataBase)\r\n Switching to Local Database ! ");
  ok();
  ASSERT_EQ(frontTitle(), "Vorn Trovanel 1.2 - Logon");
  EXPECT_EQ(ini("Config", "Database"), (program_ / "DataBase").string());
}

TEST_F(StartUpTest, AnIncompatibleSystemFileEndsTheProgram) {
  fs::remove_all(program_ / "DataBase");
  ASSERT_TRUE(createIncompatibleDatabase((program_ / "DataBase").string()).ok);
  start();
  ok();  // the mail logon's result
  EXPECT_EQ(message(),
            "Databasefile(s) of Vorn Trovanel 1.1 are incompatible with this\r\nnewer version of "
            "Vorn Trovanel - Shutting down!");
  ok();
  EXPECT_TRUE(rt_.waitFinished(std::chrono::seconds(10)));
}

TEST_F(StartUpTest, TheFrameShowsTheWallpaperAtStartAndAfterAChoice) {
  startToLogon();
  signOn("Admin", "admin");
  ASSERT_TRUE(driver_.advance(500));  // past the splash window
  std::string shown;
  ASSERT_TRUE(driver_.inspect([&] { shown = frame()->control(1)->image; }));
  EXPECT_EQ(shown, "logo2.jpg");  // the default of a fresh workstation
  ASSERT_TRUE(driver_.inspect([&] {
    ui::Input in;
    in.kind = ui::Input::Kind::Press;
    in.window = frame()->id();
    in.control = MenuWallpaper;
    rt_.post(in);
  }));
  ASSERT_TRUE(driver_.waitIdle());
  auto d = driver_.dialog();
  ASSERT_TRUE(d);
  EXPECT_EQ(d->second.title, "Choose Wallpaper");
  ui::Answer chosen;
  chosen.ok = true;
  chosen.path = (program_ / "beach.jpg").string();
  ASSERT_TRUE(driver_.answerDialog(chosen));
  ASSERT_TRUE(driver_.inspect([&] { shown = frame()->control(1)->image; }));
  EXPECT_EQ(shown, chosen.path);
  EXPECT_EQ(ini("Config", "WallSel"), chosen.path);
}

TEST_F(StartUpTest, ASecondCopyEndsAndBringsTheFirstToTheFront) {
  std::unique_ptr<platform::InstanceRegistration> first;
  ASSERT_EQ(instances_.registerInstance(kInstanceClass, "Vorn Trovanel 1.2", first),
            platform::InstanceStatus::kOk);
  writeIni("[Config]\nDataBase=/nowhere\n");
  start();
  ok();  // the mail logon's result
  EXPECT_TRUE(rt_.waitFinished(std::chrono::seconds(10)));
  EXPECT_EQ(first->nextRequest(std::chrono::seconds(2)), platform::InstanceRequest::kBringToFront);
  EXPECT_EQ(ini("Config", "Database"), "/nowhere");  // nothing of the configuration touched
}

// Refresh interval and the second of the first rescan after the frame opened (0: none within
// two minutes).
class RescanTest : public StartUpTest, public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(RescanTest, TheTimerRescansAfterTheRefreshInterval) {
  const auto [interval, firstRescanSeconds] = GetParam();
  ASSERT_TRUE(updateRecord((program_ / "DataBase").string(), {"Sys:ID", "1"},
                           {{"Sys:RefreshInterval", std::to_string(interval)}})
                  .ok);
  startToLogon();
  signOn("Admin", "admin");
  ASSERT_TRUE(driver_.waitIdle());
  const std::uint64_t opened = state_->queues.generation();
  int seconds = 0;
  while (seconds < 120 && state_->queues.generation() == opened) {
    ASSERT_TRUE(driver_.advance(100));
    ++seconds;
  }
  EXPECT_EQ(state_->queues.generation() == opened ? 0 : seconds, firstRescanSeconds);
}

INSTANTIATE_TEST_SUITE_P(Intervals, RescanTest,
                         ::testing::Values(std::pair{1, 31}, std::pair{2, 61}, std::pair{3, 91},
                                           std::pair{0, 0}, std::pair{4, 0}));

}  // namespace
}  // namespace trv::core
