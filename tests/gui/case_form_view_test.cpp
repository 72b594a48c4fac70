// The case form at the desktop: the window the scenarios drive, shown by the Qt front end.
// Program logic stays with the scenarios; this only checks that the form renders as widgets and
// keeps a picture of it.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "cases/caseform/case_form.h"
#include "cases/caseform/case_window.h"
#include "core/data/database_tool.h"
#include "tests/gui/program_fixture.h"

namespace trv::gui::testing {
namespace {

class CaseFormView : public ProgramDesktopTest {
 protected:
  void SetUp() override {
    ProgramDesktopTest::SetUp();
    ASSERT_TRUE(core::insertRecord(database(), {{"SER:CaseNr", "7"},
                                                {"SER:SName", "ACME"},
                                                {"SER:LName", "M\xFCller & S\xF6hne GmbH"},
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
  }
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
  // Data is never read as a mnemonic.
  auto* name = widget<QLabel>(v, cases::kClientName);
  ASSERT_NE(name, nullptr);
  EXPECT_EQ(name->text(), QString::fromUtf8("M\u00FCller & S\u00F6hne GmbH"));
  saveArtefact(v->window(), "case_form.png");
}

}  // namespace
}  // namespace trv::gui::testing
