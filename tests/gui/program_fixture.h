#pragma once
// The program's own windows at the desktop: a temporary program folder with a starter
// database, a program state on the desktop's runtime, and helpers to answer what the desktop
// shows (message boxes) as a user would.

#include <unistd.h>

#include <QAbstractButton>
#include <QMessageBox>
#include <filesystem>
#include <memory>

#include "cases/procedures/case_procedures.h"
#include "core/data/database_tool.h"
#include "core/frame/core_procedures.h"
#include "core/program/program_state.h"
#include "runtime/platform/instance_registry.h"
#include "tests/gui/desktop_fixture.h"

namespace trv::gui::testing {

class ProgramDesktopTest : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    folder_ = scratchPath(std::string("trv_program_") +
                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ / "DataBase");
    std::filesystem::create_directories(folder_ / "config");
    ASSERT_TRUE(core::createStarterDatabase(database()).ok);
    state_ = makeState();
    state_->AppMessages.Init();
    state_->AppSettings.Init(folder_ / "config", "trvnel12.ini");
    state_->dictionary.setUp(state_->AppMessages);
    state_->dictionary.setNames(database());
    state_->AppTitle = core::kAppTitle;
    state_->user.Name = "Admin";
    state_->user.Level = 2;
    core::registerCoreProcedures(*state_);
    cases::registerCaseProcedures(*state_);
  }
  void TearDown() override {
    EXPECT_TRUE(endProgram());
    state_->dictionary.release();
    state_.reset();
    DesktopTest::TearDown();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  std::string database() const { return (folder_ / "DataBase").string(); }
  // A program state of this workstation (the test's own, or a second copy's).
  std::unique_ptr<core::ProgramState> makeState() {
    return std::make_unique<core::ProgramState>(core::ProgramEnvironment{
        clock, *rt, nullptr, folder_ / "config", folder_, &instances_, reportOutput()});
  }
  // Where the program's reports go (none by default).
  virtual report::ReportOutput* reportOutput() { return nullptr; }
  // The message box shown now, once it shows.
  QMessageBox* messageBox() {
    QMessageBox* box = nullptr;
    (void)waitFor([&] {
      for (QWidget* w : desktop.requestWidgets())
        if (auto* b = qobject_cast<QMessageBox*>(w); b && b->isVisible()) box = b;
      return box != nullptr;
    });
    return box;
  }
  // Presses the box's button with this text (with or without "&").
  bool answer(QMessageBox* box, const QString& button) {
    if (!box) return false;
    for (QAbstractButton* b : box->buttons())
      if (b->text().remove('&') == QString(button).remove('&')) {
        b->click();
        return true;
      }
    return false;
  }

  std::filesystem::path folder_;
  platform::InstanceRegistry instances_{scratchPath("trv_program_instances"), ":desktop-test"};
  std::unique_ptr<core::ProgramState> state_;
};

}  // namespace trv::gui::testing
