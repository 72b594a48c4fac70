#include "cases/overview/action_queues.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/data/files.h"
#include "core/queues/queue_rebuild.h"
#include "core/queues/shared_queues.h"
#include "runtime/text/date_time.h"
#include "runtime/ui/window.h"
#include "tests/support/window_fixture.h"

namespace trv::cases {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

const std::int32_t kToday = *text::dateNumber(2026, 12, 10);
const std::int32_t kNoon = *text::timeNumber(12, 0);

std::string num(std::int64_t n) {
  return std::to_string(n);
}

// One open case: its number, its open first escalation's moment, its owner and priority.
struct OpenCase {
  std::uint32_t nr;
  std::int32_t date;
  std::int32_t time;
  const char* owner = "Anna";
  const char* priority = "Medium";
  int updateFlag = 0;
};

// A case file in the starter database, a clock stopped at noon on 10 December 2026, and the
// overview started on a program thread the way its starters start it.
class ActionQueuesTest : public testing::WindowFixture {
 protected:
  ActionQueuesTest() : WindowFixture(kToday, kNoon) {
    state.user.Name = "Anna";
    state.user.Level = 1;
    state.sys.RefreshInterval = 1;
    registerActionQueues(state, queues_);
  }

  ini::IniSettings& ini() { return state.AppSettings; }

  void addCases(const std::vector<OpenCase>& cases) {
    for (const OpenCase& c : cases) {
      SCOPED_TRACE(c.nr);
      insert({{"SER:CaseNr", num(c.nr)},
              {"SER:SName", "C" + num(c.nr % 100)},
              {"SER:SProblem", "Problem " + num(c.nr)},
              {"SER:Owner", c.owner},
              {"SER:Priority", c.priority},
              {"SER:Status", "Active"},
              {"SER:UpdateFlag", num(c.updateFlag)},
              {"SER:FirstAction", "N"},
              {"SER:FirstEscDate", num(c.date)},
              {"SER:FirstEscTime", num(c.time)},
              {"SER:SecAction", "D"},
              {"SER:ThirdAction", "D"}});
    }
  }
  // The frame's last rescan, as it would have left the queues.
  void rescan() {
    const core::RescanInputs in{state.user.Name, state.user.Level, state.HideOnHold};
    ASSERT_EQ(core::rebuildQueuesForOverview(
                  queues_, core::filePath(database(), core::DataFile::Sercase), ini(), in, clock)
                  .code,
              store::Ok);
  }
  // Starts the overview through the registry, as the frame's Browse menu does.
  void startOverview() {
    const forms::ProcedureEntry* e = state.procedures.find("ActionQueues");
    ASSERT_NE(e, nullptr);
    ASSERT_TRUE(e->ownThread);
    call("ActionQueues", 0);
    ASSERT_NE(state.globals.slot("ActionQueuesThread"), 0);
    ASSERT_NE(window(), nullptr) << driver.describe();
  }
  // Records every call of the case form.
  void registerCaseForm() {
    state.procedures.add("ChangeCases", {[this](std::string_view arg) {
                                           opened_.push_back(num(state.globals.NextRequest) + ":" +
                                                             std::string(arg));
                                         },
                                         false, ""});
  }

  std::vector<std::string> cases(int list) { return column(list, 1); }
  void click(int list, int row) { mouse(list, row, ui::KeyMouseLeft); }

  core::SharedQueues queues_;
  std::vector<std::string> opened_;
};

const std::int32_t kTomorrow = kToday + 1;
const std::int32_t kYesterday = kToday - 1;

// Two cases ahead, two late (one of them past 16 bits), by date order.
const std::vector<OpenCase> kMix = {
    {11, kTomorrow, *text::timeNumber(9, 0)},
    {12, kToday, *text::timeNumber(15, 30), "Bob", "High", 1},
    {70001, kYesterday, *text::timeNumber(8, 0), "Anna", "Medium", 2},
    {14, kToday, *text::timeNumber(11, 0), "Bob"},
};

TEST_F(ActionQueuesTest, OpensOnTheLastRescanWithCountsTitleAndFirstRowSelected) {
  addCases(kMix);
  rescan();
  addCases({{15, kTomorrow, kNoon}});  // after the rescan: not shown until the next one
  startOverview();

  EXPECT_THAT(cases(OverviewListToProcess), ElementsAre("12", "11"));
  EXPECT_THAT(cases(OverviewListLate), ElementsAre("14", "70001"));
  EXPECT_THAT(column(OverviewListToProcess, 7), ElementsAre("~letter.ico", ""));
  EXPECT_THAT(column(OverviewListLate, 7), ElementsAre("", "~at.ico"));
  EXPECT_EQ(ui::valueNumber(control(OverviewLateCount).value), 2);
  EXPECT_EQ(ui::valueNumber(control(OverviewWaitingCount).value), 2);
  EXPECT_EQ(title(), "All Open Case(s) - Supervisor Anna - Current Date - Time : 10/12/26 - 12:00");
  EXPECT_EQ(window()->placement(), (ui::Placement{false, false, 45, 45, 319, 159}));
  EXPECT_EQ(window()->timer(), 3000);

  EXPECT_EQ(control(OverviewListToProcess).selected, 1);
  EXPECT_EQ(control(OverviewListLate).selected, 0);
  EXPECT_EQ(control(OverviewProblemText).text, "Problem 12");
  EXPECT_EQ(control(OverviewOwnerText).text, "Bob");
  EXPECT_EQ(control(OverviewListToProcess).tip, "Problem : Problem 12\r\nOwner  : Bob");
  EXPECT_FALSE(control(OverviewOwnerPrompt).hidden);
  EXPECT_EQ(control(OverviewOwnAll).text, "&Own Cases");
  EXPECT_EQ(control(OverviewSort).text, "&Sort Priority");
}

TEST_F(ActionQueuesTest, ButtonsAndTitleByLevelAndSystemOption) {
  struct Case {
    int level;
    int sysViewFlag2;
    int viewFlag;
    bool ownAllHidden;
    bool sortHidden;
    bool ownerPromptHidden;
    const char* title;
  } table[] = {
      {0, 1, 0, true, true, true, "Case(s) of Agent "},
      {0, 2, 0, true, true, true, "Case(s) of Agent "},
      {0, 3, 0, true, false, true, "Case(s) of Agent "},
      {1, 0, 1, false, false, true, "Cases of Supervisor "},
      {2, 0, 0, false, false, false, "All Open Case(s) - Administrator "},
  };
  addCases(kMix);
  for (const Case& c : table) {
    SCOPED_TRACE(c.title + std::to_string(c.level) + std::to_string(c.sysViewFlag2));
    state.user.Level = c.level;
    state.sys.ViewFlag2 = c.sysViewFlag2;
    ASSERT_TRUE(ini().WriteValue("Anna", "ViewFlag", std::int64_t{c.viewFlag}));
    rescan();
    startOverview();
    EXPECT_EQ(control(OverviewOwnAll).hidden, c.ownAllHidden);
    EXPECT_EQ(control(OverviewSort).hidden, c.sortHidden);
    EXPECT_EQ(control(OverviewOwnerPrompt).hidden, c.ownerPromptHidden);
    EXPECT_EQ(title(), std::string(c.title) + "Anna - Current Date - Time : 10/12/26 - 12:00");
    EXPECT_EQ(queues_.ownCasesOnly(), c.level == 0 || c.viewFlag == 1);
    press(OverviewClose);
    waitEnded();
    EXPECT_EQ(state.globals.slot("ActionQueuesThread"), 0);
  }
}

TEST_F(ActionQueuesTest, OwnAllButtonRebuildsFromTheCaseFileAndKeepsTheChoice) {
  addCases(kMix);
  rescan();
  startOverview();
  addCases({{16, kTomorrow, kNoon, "Bob"}, {17, kTomorrow, kNoon, "anna"}});  // another station

  press(OverviewOwnAll);  // to own cases: owner exactly "Anna"
  EXPECT_EQ(control(OverviewOwnAll).text, "&All Cases");
  EXPECT_TRUE(control(OverviewOwnerPrompt).hidden);
  EXPECT_EQ(ini().ReadNumber("Anna", "ViewFlag"), 1);
  EXPECT_THAT(cases(OverviewListToProcess), ElementsAre("11"));
  EXPECT_THAT(cases(OverviewListLate), ElementsAre("70001"));
  EXPECT_EQ(ui::valueNumber(control(OverviewWaitingCount).value), 1);
  EXPECT_EQ(control(OverviewListToProcess).tip, "Problem : Problem 11");
  EXPECT_EQ(control(OverviewOwnerText).text, "");
  EXPECT_EQ(title(), "Cases of Supervisor Anna - Current Date - Time : 10/12/26 - 12:00");

  press(OverviewOwnAll);  // back to all cases, with the other station's new ones
  EXPECT_EQ(ini().ReadNumber("Anna", "ViewFlag"), 0);
  EXPECT_THAT(cases(OverviewListToProcess), ElementsAre("12", "11", "16", "17"));
  EXPECT_EQ(ui::valueNumber(control(OverviewWaitingCount).value), 4);
  EXPECT_EQ(control(OverviewOwnerText).text, "Bob");
}

TEST_F(ActionQueuesTest, ARebuildOverAVanishedCaseFileKeepsTheQueuesSilently) {
  addCases(kMix);
  rescan();
  startOverview();
  std::filesystem::remove(core::filePath(database(), core::DataFile::Sercase));
  press(OverviewOwnAll);
  EXPECT_FALSE(driver.message());
  EXPECT_THAT(cases(OverviewListToProcess), ElementsAre("12", "11"));
  EXPECT_THAT(cases(OverviewListLate), ElementsAre("14", "70001"));
  EXPECT_EQ(ini().ReadNumber("Anna", "ViewFlag"), 1);
}

TEST_F(ActionQueuesTest, SortButtonSwitchesToPriorityOrderKeepingInsertionNumbers) {
  addCases(kMix);
  rescan();
  startOverview();
  const std::vector<std::string> nrs = column(OverviewListLate, 0);

  press(OverviewSort);
  EXPECT_EQ(control(OverviewSort).text, "&Sort SLA");
  EXPECT_EQ(ini().ReadNumber("Anna", "ViewFlag2"), 1);
  // "High" before "Medium": case 12 stays first; the late list is all "Medium", by date.
  EXPECT_THAT(cases(OverviewListToProcess), ElementsAre("12", "11"));
  EXPECT_THAT(column(OverviewListLate, 0), ElementsAreArray(nrs));

  addCases({{18, kTomorrow + 5, kNoon, "Anna", "High"}});
  press(OverviewSort);
  EXPECT_EQ(control(OverviewSort).text, "&Sort Priority");
  EXPECT_EQ(ini().ReadNumber("Anna", "ViewFlag2"), 0);
  EXPECT_THAT(cases(OverviewListToProcess), ElementsAre("12", "11", "18"));
  press(OverviewSort);
  EXPECT_THAT(cases(OverviewListToProcess), ElementsAre("12", "18", "11"));
}

TEST_F(ActionQueuesTest, TimerResortsTheSharedQueuesWithoutReadingTheCaseFile) {
  ASSERT_TRUE(ini().WriteValue("Anna", "ViewFlag2", std::int64_t{1}));
  addCases(kMix);
  addCases({{20, kTomorrow + 2, kNoon, "Anna", "High"}});
  rescan();
  startOverview();
  EXPECT_THAT(cases(OverviewListToProcess), ElementsAre("12", "20", "11"));
  // The case form's queue marks leave the queues in date order; another station's new case
  // waits for the next rescan.
  ASSERT_TRUE(driver.inspect([&] { (void)queues_.updateMarks(11, 1); }));
  addCases({{19, kTomorrow, kNoon}});

  ASSERT_TRUE(driver.advance(3000));
  EXPECT_THAT(cases(OverviewListToProcess), ElementsAre("12", "20", "11"));
  EXPECT_THAT(column(OverviewListToProcess, 7), ElementsAre("~letter.ico", "", "~letter.ico"));
  EXPECT_EQ(title(), "All Open Case(s) - Supervisor Anna - Current Date - Time : 10/12/26 - 12:00");
  ASSERT_TRUE(driver.advance(3000));
  EXPECT_EQ(title(), "All Open Case(s) - Supervisor Anna - Current Date - Time : 10/12/26 - 12:01");
}

TEST_F(ActionQueuesTest, AUsersTimerSortsByDateUntilUpdateReadsTheUsersChoice) {
  registerCaseForm();
  state.user.Level = 0;
  ASSERT_TRUE(ini().WriteValue("Anna", "ViewFlag2", std::int64_t{1}));
  addCases({{11, kTomorrow, kNoon},
            {20, kTomorrow + 2, kNoon, "ANNA", "High"},
            {21, kTomorrow, kNoon, "Bob", "High"}});
  rescan();
  startOverview();
  EXPECT_TRUE(control(OverviewSort).hidden);
  EXPECT_THAT(cases(OverviewListToProcess), ElementsAre("20", "11"));  // the rescan's order
  ASSERT_TRUE(driver.advance(3000));
  EXPECT_THAT(cases(OverviewListToProcess), ElementsAre("11", "20"));
  press(OverviewUpdate);
  EXPECT_THAT(opened_, ElementsAre("2:11"));
  EXPECT_THAT(cases(OverviewListToProcess), ElementsAre("20", "11"));
}

TEST_F(ActionQueuesTest, TimerFollowsTheRefreshInterval) {
  for (auto [interval, period] : {std::pair{1, 3000}, {2, 6000}, {3, 9000}, {0, 0}, {4, 0}}) {
    state.sys.RefreshInterval = interval;
    startOverview();
    EXPECT_EQ(window()->timer(), period) << interval;
    press(OverviewClose);
    waitEnded();
  }
}

TEST_F(ActionQueuesTest, UpdateOpensTheSelectedCaseOfTheActiveList) {
  registerCaseForm();
  addCases({{70001, kYesterday, kNoon}, {70002, kYesterday, *text::timeNumber(8, 0)}});
  rescan();
  startOverview();
  // Nothing ahead: the late list is active with its first row selected.
  EXPECT_EQ(control(OverviewListLate).selected, 1);
  EXPECT_EQ(control(OverviewProblemText).text, "Problem 70001");

  press(OverviewUpdate);
  select(OverviewListLate, 2);
  key(ui::KeyEnter);  // the list has no focus: nothing opens
  doubleClick(OverviewListLate, 2);
  key(ui::KeyEnter);  // the double-click gave the list the focus
  focus(OverviewUpdate);
  key(ui::KeyEnter);  // Enter on a button presses it
  EXPECT_THAT(opened_, ElementsAre("2:70001", "2:70002", "2:70002", "2:70002"));
  EXPECT_EQ(control(OverviewProblemText).text, "Problem 70002");
}

TEST_F(ActionQueuesTest, AClickOnTheOtherListMakesItTheOneUpdateOpens) {
  registerCaseForm();
  addCases(kMix);
  rescan();
  startOverview();
  click(OverviewListLate, 2);
  EXPECT_EQ(control(OverviewListToProcess).selected, 0);
  EXPECT_EQ(control(OverviewProblemText).text, "Problem 70001");
  press(OverviewUpdate);
  EXPECT_THAT(opened_, ElementsAre("2:70001"));
}

TEST_F(ActionQueuesTest, TheCaseFormsQueueMarksShowWhenItReturns) {
  // The case form saves case 12 as seen by its owner.
  state.procedures.add("ChangeCases", {[this](std::string_view arg) {
                                         opened_.emplace_back(arg);
                                         (void)queues_.updateMarks(12, 0);
                                       },
                                       false, ""});
  addCases(kMix);
  rescan();
  startOverview();
  EXPECT_THAT(column(OverviewListToProcess, 7), ElementsAre("~letter.ico", ""));
  focus(OverviewListToProcess);
  key(ui::KeyEnter);
  EXPECT_THAT(opened_, ElementsAre("12"));
  EXPECT_THAT(column(OverviewListToProcess, 7), ElementsAre("", ""));
}

TEST_F(ActionQueuesTest, HelpRestoreAndTheFramesCloseAtLogOut) {
  startOverview();
  const int thread = state.globals.slot("ActionQueuesThread");
  press(OverviewHelp);
  EXPECT_THAT(frontEnd.helpTopics(), ElementsAre(::testing::EndsWith("#Activity View")));

  ui::Input place;
  place.kind = ui::Input::Kind::Place;
  place.window = window()->id();
  place.placement = {true, false, 60, 70, 319, 159};
  rt.post(place);
  ASSERT_TRUE(rt.postToThread(thread, ui::EventGainFocus));
  EXPECT_EQ(window()->placement(), (ui::Placement{false, false, 60, 70, 319, 159}));

  ASSERT_TRUE(rt.postToThread(thread, ui::EventCloseWindow));
  waitEnded();
  EXPECT_EQ(state.globals.slot("ActionQueuesThread"), 0);
  EXPECT_EQ(ini().ReadNumber("Browses", "QueXPosition"), 60);
}

TEST_F(ActionQueuesTest, UpdateWithBothQueuesEmptyOpensNothing) {
  registerCaseForm();
  startOverview();
  press(OverviewUpdate);
  EXPECT_THAT(opened_, IsEmpty());
  EXPECT_FALSE(driver.message());
  EXPECT_EQ(ui::valueNumber(control(OverviewLateCount).value), 0);
}

TEST_F(ActionQueuesTest, WithoutACaseFormUpdateShowsTheRegistryMessage) {
  addCases(kMix);
  rescan();
  startOverview();
  press(OverviewUpdate);
  auto m = driver.message();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->second.text, "The Procedure ChangeCases has not been defined.");
  ASSERT_TRUE(driver.answerMessage("OK"));
  EXPECT_NE(window(), nullptr);
}

TEST_F(ActionQueuesTest, ClosingKeepsPositionAndEachListsFormatAndFreesTheSlot) {
  ASSERT_TRUE(ini().WriteValue("Browses", "QueXPosition", std::int64_t{120}));
  ASSERT_TRUE(ini().WriteValue("Browses", "ActionList1", "30,23,26,26,20,20,20"));
  ASSERT_TRUE(ini().WriteValue("Browses", "ActionList2", "bad"));
  startOverview();
  EXPECT_EQ(window()->placement(), (ui::Placement{false, false, 120, 45, 319, 159}));
  // The formats hold dialog units; the lists show characters.
  EXPECT_EQ(control(OverviewListLate).columns[0].width, 8);
  EXPECT_EQ(control(OverviewListToProcess).columns[0].width, 7);
  EXPECT_EQ(control(OverviewListToProcess).columns[2].width, 7);

  ui::Input sized;  // the user widens the priority column of the cases to process
  sized.kind = ui::Input::Kind::ColumnWidth;
  sized.window = window()->id();
  sized.control = OverviewListToProcess;
  sized.column = 3;
  sized.width = 10;
  rt.post(sized);
  ui::Input place;
  place.kind = ui::Input::Kind::Place;
  place.window = window()->id();
  place.placement = {false, false, 200, 80, 400, 300};
  rt.post(place);
  closeWindow();
  waitEnded();
  EXPECT_EQ(state.globals.slot("ActionQueuesThread"), 0);
  EXPECT_EQ(ini().ReadNumber("Browses", "QueXPosition"), 200);
  EXPECT_EQ(ini().ReadNumber("Browses", "QueYPosition"), 80);
  EXPECT_EQ(ini().ReadValue("Browses", "ActionList1"), "30,23,26,26,20,20,20");
  EXPECT_EQ(ini().ReadValue("Browses", "ActionList2"), "26,23,40,26,20,21,20");

  startOverview();  // the size is never kept
  EXPECT_EQ(window()->placement(), (ui::Placement{false, false, 200, 80, 319, 159}));
}

}  // namespace
}  // namespace trv::cases
