// The runner's steps on the runtime's own test windows: what passes, and what a failing step
// reports.

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>

#include "tests/scenarios/runner.h"

namespace trv::scenario {
namespace {

struct Ran {
  bool ok = false;
  std::string report;
};

Ran run(std::string_view text) {
  static const Suite suite = [] {
    Suite s;
    registerUiSteps(s.steps);
    registerReportSteps(s.steps);
    registerTestProcedures(s);
    return s;
  }();
  std::ostringstream out;
  Ran r;
  r.ok = runScenario(suite, "test.scn", text, out);
  r.report = out.str();
  return r;
}

#define EXPECT_PASSES(text)          \
  do {                               \
    const Ran r_ = run(text);        \
    EXPECT_TRUE(r_.ok) << r_.report; \
  } while (0)

// The step fails, and its report holds `found`.
#define EXPECT_FAILS_WITH(text, found)                                \
  do {                                                                \
    const Ran r_ = run(text);                                         \
    EXPECT_FALSE(r_.ok);                                              \
    EXPECT_NE(r_.report.find(found), std::string::npos) << r_.report; \
  } while (0)

TEST(MenuStep, ASlashInsideAnItemsTextIsWrittenBackslashSlash) {
  EXPECT_PASSES(
      "call TestFrame select\n"
      "expect menu \"File/&Pass\\/Signature\" enabled\n"
      "menu \"&File/Pass\\/Signature\"\n"
      "expect status 1 \"Signature\"\n");
  EXPECT_FAILS_WITH(
      "call TestFrame select\n"
      "menu \"File/Pass/Signature\"\n",
      "the frame has no menu item \"File/Pass/Signature\"");
}

TEST(HeaderSteps, AClickIsAPressAndAReleaseAndTheHeaderShowsItsSortMark) {
  EXPECT_PASSES(
      "call TestWindow select\n"
      "expect ?Browse:1 header 2 \"Level\"\n"
      "header-click ?Browse:1 2\n"
      "expect ?Hits text \"press 2, release 2\"\n"
      "expect ?Browse:1 header 2 \">Level\"\n"
      "expect ?Browse:1 header 1 \"Name\"\n");
  EXPECT_FAILS_WITH(
      "call TestWindow select\n"
      "expect ?Browse:1 header 1 \">Name\"\n",
      "the list's headers are \"Name\" \"Level\"");
  EXPECT_FAILS_WITH(
      "call TestWindow select\n"
      "expect ?Browse:1 header 3 \"Level\"\n",
      "the list's headers are \"Name\" \"Level\"");
}

TEST(HeaderSteps, ARightClickIsAnsweredFromItsPopupAndAFitIsADoubleClickOnTheDivider) {
  EXPECT_PASSES(
      "call TestWindow select\n"
      "header-right-click ?Browse:1 1\n"
      "popup \"Change\"\n"
      "expect ?Answer text \"popup 2\"\n"
      "expect ?Hits text \"right-press 1, right-release 1\"\n"
      "header-fit ?Browse:1 1\n"
      "expect ?Hits text \"divider press 1, divider release 1, divider double 1, divider "
      "release 1\"\n"
      "expect ?Answer text \"column 1 is 5 wide\"\n");
  EXPECT_FAILS_WITH(
      "call TestWindow select\n"
      "header-fit ?Browse:1 0\n",
      "usage: header-fit CONTROL COLUMN");
}

TEST(ListSteps, RowsCountEveryRowReachedByScrollingAndAnyRowIsReached) {
  EXPECT_PASSES(
      "call TestList select 50\n"
      "expect ?Browse:1 rows 50\n"
      "expect ?Browse:1 row 1 \"1\" \"Item 01\"\n"
      "expect ?Browse:1 row 50 \"50\" \"Item 50\"\n"
      "expect ?Browse:1 row 23 \"23\" *\n"
      "expect ?Browse:1 row 10 \"10\" \"Item 10\"\n");
  EXPECT_FAILS_WITH(
      "call TestList select 12\n"
      "expect ?Browse:1 rows 10\n",
      "the list has 12 rows in all (10 on show)");
  EXPECT_FAILS_WITH(
      "call TestList select 12\n"
      "expect ?Browse:1 row 13 *\n",
      "the list has no row 13");
  EXPECT_FAILS_WITH(
      "call TestList select 12\n"
      "expect ?Browse:1 row 11 \"11\" \"Item 10\"\n",
      "row 11 shows \"11\" \"Item 11\"");
  // A list that holds all its rows answers from them.
  EXPECT_PASSES(
      "call TestWindow select\n"
      "expect ?Browse:1 rows 3\n"
      "expect ?Browse:1 row 3 \"Carol\" \"1\"\n");
}

TEST(ListSteps, ARowEditedInPlaceIsTypedIntoTheEntryOverItsCell) {
  EXPECT_PASSES(
      "call TestEditList select\n"
      "expect {ITM:Name} hidden\n"
      "press ?Insert\n"
      "expect {ITM:Name} visible\n"
      "type {ITM:Name} \"Ann\"\n"
      "key Enter\n"
      "expect {ITM:Name} hidden\n"
      "expect ?Browse:1 rows 1\n"
      "expect ?Browse:1 row 1 \"Ann\"\n"
      "press ?Change\n"
      "type {ITM:Name} \"Bea\"\n"
      "key Esc\n"
      "expect ?Browse:1 row 1 \"Ann\"\n");
  EXPECT_FAILS_WITH(
      "call TestEditList select\n"
      "type {ITM:Name} \"Ann\"\n",
      "{ITM:Name} shows no entry: no row of the list is being edited in place");
}

TEST(ReportSteps, ChecksReadThePagesOfTheReportPreviewInFront) {
  EXPECT_PASSES(
      "call TestReport select 12\n"
      "expect window \"Report Preview\"\n"
      "expect report-pages 2\n"
      "expect report-text \"Item 1\"\n"
      "expect report-text \"Eve\"\n"
      "expect report-lacks \"Item 13\"\n"
      "expect report-row \"Items\" \"Page 2\"\n"
      "expect report-row \"12\" \"Item 12\"\n"
      "expect report-row \"7\" *\n"
      "expect report-check \"Even\" 1 unchecked\n"
      "expect report-check \"Even\" 12 checked\n");
  EXPECT_FAILS_WITH(
      "call TestReport select 2\n"
      "expect report-row \"2\" \"Item 01\"\n",
      "no printed line begins with these cells; the report holds:\n"
      "    page 1:\n"
      "      \"Items\" \"Page 1\"\n"
      "      \"1\" \"Item 01\"\n"
      "      \"2\" \"Item 02\"\n"
      "      [ ] \"Even\"\n"
      "      [x] \"Even\"");
  EXPECT_FAILS_WITH(
      "call TestReport select 2\n"
      "expect report-lacks \"Item 02\"\n",
      "a text item or label contains \"Item 02\"");
  EXPECT_FAILS_WITH(
      "call TestReport select 2\n"
      "expect report-check \"Even\" 3 checked\n",
      "the report has 2 check boxes labelled \"Even\"");
  EXPECT_FAILS_WITH(
      "call TestReport select 2\n"
      "expect report-pages 3\n",
      "the report has 1 pages");
  EXPECT_FAILS_WITH(
      "call TestWindow select\n"
      "expect report-text \"Items\"\n",
      "the window in front is \"Test Window\", not the \"Report Preview\"");
}

TEST(ImageCheck, TheFileNamedMayBeInTheProgramFolder) {
  EXPECT_PASSES(
      "call TestWindow select\n"
      "expect ?Logo image \"$PROGRAM/logo.ico\"\n");
  EXPECT_FAILS_WITH(
      "call TestWindow select\n"
      "expect ?Logo image \"$CONFIG/logo.ico\"\n",
      "its image is");
}

// Two program threads each waiting for the other to end: ending the program never ends them.
Outcome deadlock(Workstation& ws, const std::vector<Token>&) {
  // Both start while the baton is held, so that neither can end before the other exists.
  bool started = true;
  if (!ws.driver.inspect([&] {
        for (int i = 0; i < 2; ++i)
          if (!ws.ui.start([&ws] { ws.ui.awaitOtherThreads(); })) started = false;
      }) ||
      !started)
    return fail("not started");
  if (!ws.driver.waitIdle()) return fail("not idle");
  return fail("deadlocked on purpose");
}

TEST(FailedStep, AProgramThatDoesNotEndIsLeftAndTheNextFileRuns) {
  Suite s;
  registerUiSteps(s.steps);
  registerTestProcedures(s);
  s.steps.add("deadlock", deadlock);
  s.endTimeout = std::chrono::milliseconds(200);
  std::ostringstream out;
  const auto began = std::chrono::steady_clock::now();
  EXPECT_FALSE(runScenario(s, "stuck.scn", "deadlock\n", out));
  EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(5));
  EXPECT_NE(out.str().find("stuck.scn:1: deadlock\n  deadlocked on purpose"), std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find("program threads did not end"), std::string::npos) << out.str();
  EXPECT_TRUE(programsLeftBehind());

  std::ostringstream next;
  EXPECT_TRUE(runScenario(s, "next.scn",
                          "call TestWindow insert\n"
                          "expect windows \"Test Window\"\n",
                          next))
      << next.str();
}

// A program left running after its steps all passed fails the file.
TEST(FailedStep, AllStepsPassingButThreadsNotEndingFailsTheFile) {
  Suite s;
  registerUiSteps(s.steps);
  s.steps.add("deadlock", [](Workstation& ws, const std::vector<Token>& a) {
    (void)deadlock(ws, a);
    return pass();
  });
  s.endTimeout = std::chrono::milliseconds(200);
  std::ostringstream out;
  EXPECT_FALSE(runScenario(s, "stuck.scn", "deadlock\n", out));
  EXPECT_NE(out.str().find("stuck.scn: after the last step  program threads did not end"),
            std::string::npos)
      << out.str();
}

}  // namespace
}  // namespace trv::scenario
