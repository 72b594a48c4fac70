#include "cases/history/case_trace.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "core/data/database_tool.h"
#include "core/data/dictionary.h"
#include "core/queues/shared_queues.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "tests/packed.h"
#include "tests/runtime/store/test_files.h"
#include "tests/support/recording_sink.h"

namespace trv::cases {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using trv::testing::packed;

const std::int32_t kDate = *text::dateNumber(2002, 3, 5);
const std::int32_t kTime = *text::timeNumber(9, 7);
const std::string kCrLf = "\r\n";
const std::string kAdminPadded = "Admin" + std::string(15, ' ');
const Agent kAdmin{"Admin", 1};
const Agent kCarol{"Carol", 7};

// A case in a form's buffer, owned by Bob, with its two memos.
class HistoryTest : public ::testing::Test {
 protected:
  HistoryTest() {
    rec_.CaseNr = 42;
    rec_.Owner = "Bob";
    rec_.Status = "Active";
    rec_.Priority = "Medium";
    rec_.SDate = *text::dateNumber(2002, 3, 4);
    rec_.STime = *text::timeNumber(16, 45);
    history_ = "Case CREATED :  4/03/02 - 16:45  by Agent Bob";
  }
  HistoryResult write(CaseTrace& t, const Agent& a = kAdmin) {
    return t.writeHistory(rec_, {history_, addHistory_}, a, clock_);
  }

  text::ManualClock clock_{kDate, kTime};
  core::SercaseRecord rec_;
  std::string history_;
  std::string addHistory_;
};

TEST_F(HistoryTest, NoteAppendsEmptyLineHeaderAndClippedText) {
  CaseTrace t = CaseTrace::forExistingCase("Active");
  t.setKind(ActionKind::Note);
  addHistory_ = "Printer reset.   ";
  history_ += "   ";  // trailing blanks of the stored history do not stay between entries
  ASSERT_EQ(write(t), HistoryResult::Written);
  EXPECT_EQ(history_, "Case CREATED :  4/03/02 - 16:45  by Agent Bob" + kCrLf + kCrLf +
                          "Review Note:  5/03/02 -  9:07 by Agent " + kAdminPadded + kCrLf +
                          "Printer reset.");
  EXPECT_THAT(addHistory_, IsEmpty());
  EXPECT_EQ(packed(rec_.UpdateFlag), 1);
}

TEST_F(HistoryTest, UpdateMarkFollowsOnlyNotesCallsMailsAndForcedPriority) {
  const std::pair<ActionKind, int> table[] = {
      {ActionKind::Note, 1},
      {ActionKind::PhoneOut, 1},
      {ActionKind::PhoneIn, 1},
      {ActionKind::EmailOut, 1},
      {ActionKind::EmailIn, 1},
      {ActionKind::PriorityBySystem, 1},
      {ActionKind::StatusChange, 0},
      {ActionKind::FirstEscalation, 0},
      {ActionKind::ThirdEscalation, 0},
      {ActionKind::PriorityByAgent, 0},
  };
  for (const auto& [kind, flag] : table) {
    rec_.UpdateFlag = 0;
    CaseTrace t = CaseTrace::forExistingCase("Active");
    t.setKind(kind);
    addHistory_ = "text";
    ASSERT_EQ(write(t), HistoryResult::Written) << static_cast<int>(kind);
    EXPECT_EQ(packed(rec_.UpdateFlag), flag) << static_cast<int>(kind);
  }
}

TEST_F(HistoryTest, NoTextWritesNothingAndPendingMailIsNeverRecordedAsSent) {
  CaseTrace t = CaseTrace::forExistingCase("Active");
  t.setKind(ActionKind::Note);
  const std::string before = history_;
  EXPECT_EQ(write(t), HistoryResult::NothingToDo);
  EXPECT_EQ(history_, before);

  t.setKind(ActionKind::EmailOut);
  t.setMailNotSent(true);
  addHistory_ = "Dear client";
  EXPECT_EQ(write(t), HistoryResult::NothingToDo);
  EXPECT_EQ(history_, before);
  EXPECT_EQ(addHistory_, "Dear client");  // kept for the next notes window
  EXPECT_FALSE(t.mailNotSent());
  EXPECT_EQ(packed(rec_.UpdateFlag), 0);
}

TEST_F(HistoryTest, SentMailNamesTheAddress) {
  CaseTrace t = CaseTrace::forExistingCase("Active");
  t.setKind(ActionKind::EmailOut);
  t.setMailAddress("ann@acme.example");
  addHistory_ = "Dear client";
  ASSERT_EQ(write(t), HistoryResult::Written);
  EXPECT_THAT(history_, ::testing::HasSubstr(
                            "by Agent Admin to Client Address ann@acme.example\r\nDear client"));
}

TEST_F(HistoryTest, PriorityChangeShowsRememberedAndNewPriority) {
  CaseTrace t = CaseTrace::forExistingCase("Active");
  t.setRememberedPriority("Medium");
  t.setKind(ActionKind::PriorityByAgent);
  rec_.Priority = "High";
  addHistory_ = "Client is down";
  ASSERT_EQ(write(t), HistoryResult::Written);
  EXPECT_THAT(history_, ::testing::HasSubstr(" from MEDIUM to HIGH by Agent Admin"));
}

TEST_F(HistoryTest, TakeOverIsAlwaysRecordedWithThePreviousOwner) {
  for (const char* pending : {"", "a note nobody confirmed"}) {
    history_ = "Case CREATED";
    addHistory_ = pending;
    CaseTrace t = CaseTrace::forExistingCase("Active");
    t.setKind(ActionKind::TakeOver);
    ASSERT_EQ(write(t, kCarol), HistoryResult::Written);
    EXPECT_EQ(history_, "Case CREATED" + kCrLf + kCrLf +
                            "Case YANKED :  5/03/02 -  9:07 by Agent Carol from Agent Bob" +
                            std::string(17, ' '));
    EXPECT_EQ(addHistory_, pending);
    EXPECT_EQ(rec_.Owner, "Bob");  // the form hands the case over itself
  }
}

TEST_F(HistoryTest, ReOpeningByAnotherAgentTakesTheCaseOver) {
  for (const Agent& agent : {kCarol, Agent{"BOB", 2}}) {
    rec_.Owner = "Bob";
    CaseTrace t = CaseTrace::forExistingCase("Closed");
    t.setKind(ActionKind::ReOpen);
    addHistory_ = "Back again";
    ASSERT_EQ(write(t, agent), HistoryResult::Written);
    EXPECT_EQ(rec_.Owner, agent.name == std::string_view("BOB") ? "Bob" : "Carol");
  }
  EXPECT_THAT(history_, ::testing::HasSubstr("Case RE-OPENED :  5/03/02   9:07  by Agent BOB"));
}

TEST_F(HistoryTest, NewCaseStartsWithItsCreationLineThenTheText) {
  history_ = "left over";
  CaseTrace t = CaseTrace::forNewCase();
  t.setKind(ActionKind::PhoneIn);  // a note given while creating the case has no header
  addHistory_ = "Caller says hello  ";
  ASSERT_EQ(write(t), HistoryResult::Written);
  // The creation line's padding goes where the text follows it.
  EXPECT_EQ(history_,
            "Case CREATED :  4/03/02 - 16:45  by Agent Admin" + kCrLf + "Caller says hello");
  EXPECT_EQ(t.kind(), ActionKind::NewCase);
  EXPECT_FALSE(t.created());

  // A second OK writes no second creation line.
  ASSERT_EQ(write(t), HistoryResult::NothingToDo);
  EXPECT_EQ(history_.find("Case CREATED", 1), std::string::npos);
}

TEST_F(HistoryTest, SavedUpdateMarkByOwnerActionAndStatus) {
  struct Case {
    const char* who;
    const char* status;
    ActionKind kind;
    int before;
    int after;
    bool marks;
  } cases[] = {
      {"BOB", "Active", ActionKind::Note, 1, 0, true},
      {"Bob", "On Hold", ActionKind::None, 1, 2, true},
      {"Carol", "Active", ActionKind::Note, 0, 1, true},
      {"Carol", "Active", ActionKind::StatusChange, 2, 1, true},
      {"Carol", "Active", ActionKind::None, 1, 1, false},
      {"Carol", "On Hold", ActionKind::None, 0, 2, false},
  };
  for (const Case& c : cases) {
    CaseTrace t = CaseTrace::forExistingCase(c.status);
    t.setKind(c.kind);
    rec_.Status = c.status;
    rec_.UpdateFlag = static_cast<std::uint16_t>(c.before);
    EXPECT_EQ(t.settleUpdateMark(rec_, Agent{c.who, 3}), c.marks) << c.who << " " << c.status;
    EXPECT_EQ(packed(rec_.UpdateFlag), c.after) << c.who << " " << c.status;
  }
}

TEST_F(HistoryTest, FullHistoryRefusesTheEntryAndLosesNothing) {
  history_ = std::string(7950, 'x');
  addHistory_ = "A note that no longer fits";
  rec_.UpdateFlag = 0;
  CaseTrace t = CaseTrace::forExistingCase("Active");
  t.setKind(ActionKind::Note);
  EXPECT_EQ(write(t), HistoryResult::HistoryFull);
  EXPECT_EQ(history_, std::string(7950, 'x'));
  EXPECT_EQ(addHistory_, "A note that no longer fits");
  EXPECT_EQ(packed(rec_.UpdateFlag), 0);

  // An entry that ends exactly at the limit is kept whole.
  const std::size_t header =
      historyHeader(ActionKind::Note, {kDate, kTime, "Admin", "", "", "", ""}).size();
  history_ = std::string(kHistoryLimit - 6 - header - 10, 'x');
  addHistory_ = std::string(10, 'n');
  EXPECT_EQ(write(t), HistoryResult::Written);
  EXPECT_EQ(history_.size(), kHistoryLimit);
}

// The activity log of a starter database, open on the test's thread.
class CaseLogTest : public HistoryTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(core::createStarterDatabase(db_.string()).ok);
    dict_.setUp(sink_);
    dict_.setNames(db_.string());
    ASSERT_EQ(dict_.LogAccess->open(), data::LevelOk);
  }
  void TearDown() override {
    store::TEST_setFaults({});
    dict_.LogAccess->close();
    dict_.release();
  }
  LogResult log(CaseTrace& t, const Agent& a = kAdmin, bool doLog = true) {
    return t.writeLogEntry(*dict_.LogAccess, rec_, a, clock_, doLog);
  }
  // "ACTION case by NAME (ID)" per entry, in file order.
  std::vector<std::string> entries() {
    std::vector<std::string> out;
    data::FileAccess& l = *dict_.LogAccess;
    EXPECT_EQ(l.setFileOrder(), store::Ok);
    while (l.next() == store::Ok) {
      const core::LogRecord r = l.record<core::LogRecord>();
      EXPECT_EQ(packed(r.ActionDate), kDate);
      EXPECT_EQ(packed(r.ActionTime), kTime);
      out.push_back(r.ACTION.str() + " " + std::to_string(r.CASENR) + " by " + r.NAME.str() + " (" +
                    std::to_string(r.ID) + ")");
    }
    return out;
  }

  store::testing::TempFolder dir_;
  std::filesystem::path db_ = std::filesystem::path(dir_.path()) / "DataBase";
  trv::testing::RecordingSink sink_;
  core::Dictionary dict_;
};

TEST_F(CaseLogTest, ActionWordsByKind) {
  const std::pair<ActionKind, std::string> table[] = {
      {ActionKind::StatusChange, "On Hold"}, {ActionKind::TakeOver, "Yanked"},
      {ActionKind::ReOpen, "Re-Open"},       {ActionKind::Note, ""},
      {ActionKind::PriorityByAgent, ""},     {ActionKind::FirstEscalation, ""},
  };
  rec_.Status = "On Hold";
  for (const auto& [kind, word] : table) {
    CaseTrace t = CaseTrace::forExistingCase("Active");
    t.setKind(kind);
    EXPECT_EQ(t.pendingLogWord(rec_), word) << static_cast<int>(kind);
  }
}

TEST_F(CaseLogTest, NewCaseLogsCreatedOnceWhateverItsLastAction) {
  CaseTrace t = CaseTrace::forNewCase();
  t.setKind(ActionKind::PhoneOut);
  EXPECT_EQ(log(t), LogResult::Written);
  EXPECT_TRUE(t.logged());
  EXPECT_EQ(t.kind(), ActionKind::StatusChange);
  EXPECT_EQ(log(t), LogResult::NoEntry);  // a further save of the same form
  EXPECT_THAT(entries(), ElementsAre("Created 42 by Admin (1)"));
}

TEST_F(CaseLogTest, StatusChangeRemembersTheStatusAndTakeOverTurnsIntoOne) {
  CaseTrace t = CaseTrace::forExistingCase("Active");
  t.setKind(ActionKind::TakeOver);
  EXPECT_EQ(log(t, kCarol), LogResult::Written);
  EXPECT_EQ(t.kind(), ActionKind::StatusChange);
  rec_.Status = "Closed";
  EXPECT_EQ(log(t, kCarol), LogResult::Written);
  EXPECT_EQ(t.rememberedStatus(), "Closed");
  EXPECT_THAT(entries(), ElementsAre("Yanked 42 by Carol (7)", "Closed 42 by Carol (7)"));
}

TEST_F(CaseLogTest, NothingIsLoggedWhileLoggingIsOff) {
  CaseTrace t = CaseTrace::forNewCase();
  EXPECT_EQ(log(t, kAdmin, false), LogResult::NoEntry);
  EXPECT_FALSE(t.logged());
  EXPECT_THAT(entries(), IsEmpty());
}

TEST_F(CaseLogTest, RefusedRecordIsReported) {
  store::TEST_setFaults({"", db_.string()});
  CaseTrace t = CaseTrace::forExistingCase("Active");
  t.setKind(ActionKind::ReOpen);
  EXPECT_EQ(log(t), LogResult::Failed);
  store::TEST_setFaults({});
  EXPECT_THAT(entries(), IsEmpty());
}

core::QueueEntry entry(std::uint32_t caseNr, std::int32_t date, const char* client) {
  core::QueueEntry e;
  e.CASENR = caseNr;
  e.Date = date;
  e.Time = kTime;
  e.FASE = "Esc1";
  e.CLIENT = client;
  return e;
}

TEST(QueueMarks, EveryEntryOfTheCaseTakesItsUpdateMark) {
  core::SharedQueues queues;
  queues.replace({{entry(42, kDate + 2, "B"), entry(7, kDate + 1, "A")},
                  {entry(42, kDate - 1, "C"), entry(7, kDate - 2, "D")}});
  core::SercaseRecord rec;
  rec.CaseNr = 42;
  rec.UpdateFlag = 1;
  EXPECT_EQ(updateQueueMarks(queues, rec), 2u);
  const auto snap = queues.snapshot();
  ASSERT_EQ(snap->AFT.size(), 2u);
  EXPECT_EQ(snap->AFT[0].CASENR, 7u);  // by date after the marks
  EXPECT_EQ(snap->AFT[1].NEWUPDATE, 1);
  EXPECT_EQ(snap->AFT[0].NEWUPDATE, 0);
  EXPECT_EQ(snap->BEF[0].CASENR, 42u);  // latest first
  EXPECT_EQ(snap->BEF[0].NEWUPDATE, 1);
}

}  // namespace
}  // namespace trv::cases
