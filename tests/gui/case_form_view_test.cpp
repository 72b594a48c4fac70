// The case form at the desktop: the window the scenarios drive, shown by the Qt front end.
// Program logic stays with the scenarios; this only checks that the form renders as widgets and
// keeps a picture of it.

#include <unistd.h>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <filesystem>

#include "cases/caseform/case_form.h"
#include "cases/caseform/case_window.h"
#include "cases/procedures/case_procedures.h"
#include "core/data/database_tool.h"
#include "core/frame/core_procedures.h"
#include "core/program/program_state.h"
#include "tests/gui/desktop_fixture.h"

namespace trv::gui::testing {
namespace {

class CaseFormView : public DesktopTest {
 protected:
  void SetUp() override {
    DesktopTest::SetUp();
    folder_ =
        std::filesystem::temp_directory_path() / ("trv_case_view_" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ / "db");
    std::filesystem::create_directories(folder_ / "config");
    const std::string db = (folder_ / "db").string();
    ASSERT_TRUE(core::createStarterDatabase(db).ok);
    ASSERT_TRUE(core::insertRecord(db, {{"SER:CaseNr", "7"},
                                        {"SER:SName", "ACME"},
                                        {"SER:LName", "Acme Ltd"},
                                        {"SER:Phone", "555-1234"},
                                        {"SER:Product", "Widget"},
                                        {"SER:IDProduct", "WID"},
                                        {"SER:SProblem", "Printer jams"},
                                        {"SER:ProblemFix", "2"},
                                        {"SER:Status", "Active"},
                                        {"SER:Priority", "High"},
                                        {"SER:Owner", "Admin"},
                                        {"SER:FirstAction", "N"}})
                    .ok);
    state_ = std::make_unique<core::ProgramState>(core::ProgramEnvironment{
        clock, *rt, nullptr, folder_ / "config", folder_, nullptr, nullptr});
    state_->AppMessages.Init();
    state_->AppSettings.Init(folder_ / "config", "trvnel12.ini");
    state_->dictionary.setUp(state_->AppMessages);
    state_->dictionary.setNames(db);
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

  std::filesystem::path folder_;
  std::unique_ptr<core::ProgramState> state_;
};

TEST_F(CaseFormView, AnExistingCaseShowsAsAQtWindow) {
  run([this] {
    state_->globals.NextRequest = forms::RequestChange;
    cases::ChangeCases(*state_, 7u);
  });
  WindowView* v = view(0);
  ASSERT_NE(v, nullptr);
  ASSERT_TRUE(waitFor([&] { return v->window()->windowTitle().startsWith(" Case 7"); }));
  auto* client = widget<QLineEdit>(v, cases::kClientId);
  auto* history = widget<QPlainTextEdit>(v, cases::kHistory);
  ASSERT_TRUE(client && history);
  EXPECT_EQ(client->text().trimmed(), "ACME");
  EXPECT_FALSE(client->isEnabled());
  EXPECT_TRUE(history->isReadOnly());
  EXPECT_NE(widget<QPushButton>(v, cases::kNotes), nullptr);
  saveArtefact(v->window(), "case_form.png");
}

}  // namespace
}  // namespace trv::gui::testing
