#include "core/queues/queue_rebuild.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/data/files.h"
#include "core/data/records.h"
#include "runtime/data/file_access.h"
#include "runtime/data/message_sink.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "tests/packed.h"
#include "tests/support/recording_sink.h"

namespace trv::core {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

const std::int32_t kToday = *text::dateNumber(2026, 12, 10);
const std::int32_t kNoon = *text::timeNumber(12, 0);
std::int32_t at(int hours, int minutes = 0) {
  return *text::timeNumber(hours, minutes);
}

// One escalation moment: its action ("N" open, "D" done), date and time.
struct Esc {
  const char* action = "D";
  std::int32_t date = 0;
  std::int32_t time = 0;
};
const Esc kDone{"D", 0, 0};

struct CaseSpec {
  std::uint32_t nr = 0;
  Esc first, second = kDone, third = kDone;
  const char* status = "Active";
  const char* owner = "Anna";
  const char* priority = "Medium";
  const char* client = "CLI";
};

// A case file and a configuration file in a temporary folder, a clock stopped at noon on
// 10 December 2026, and the queues.
class QueueRebuildTest : public ::testing::Test {
 protected:
  QueueRebuildTest()
      : folder_(makeFolder()),
        sercase_(declaration(DataFile::Sercase), sink_),
        clock_(kToday, kNoon) {
    sercase_.setName(casePath());
    settings_.Init(folder_, "trvnel12.ini");
  }
  ~QueueRebuildTest() override {
    EXPECT_THAT(sink_.ids(), IsEmpty());
    sercase_.shutdown();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  std::string casePath() const { return filePath(folder_.string(), DataFile::Sercase); }

  void addCases(const std::vector<CaseSpec>& cases) {
    ASSERT_EQ(sercase_.open(), data::LevelOk);
    ASSERT_EQ(sercase_.useFile(), data::LevelOk);
    store::Connection& conn = data::FileAccess::threadConnection();
    ASSERT_EQ(conn.begin(), store::Ok);
    for (const CaseSpec& s : cases) {
      sercase_.primeRecord();
      auto& r = sercase_.record<SercaseRecord>();
      r.CaseNr = s.nr;
      r.FirstAction = s.first.action;
      r.FirstEscDate = s.first.date;
      r.FirstEscTime = s.first.time;
      r.SecAction = s.second.action;
      r.SecEscDate = s.second.date;
      r.SecEscTime = s.second.time;
      r.ThirdAction = s.third.action;
      r.ThirdEscDate = s.third.date;
      r.ThirdEscTime = s.third.time;
      r.Status = s.status;
      r.Owner = s.owner;
      r.Priority = s.priority;
      r.SName = s.client;
      r.SProblem = "Problem of case " + std::to_string(s.nr);
      sercase_.buffer().memos[0] = "History of case " + std::to_string(s.nr);
      ASSERT_EQ(sercase_.add(), store::Ok) << "case " << s.nr;
    }
    ASSERT_EQ(conn.commit(), store::Ok);
    sercase_.close();
  }

  void setUserChoice(const char* key, std::int64_t value) {
    ASSERT_TRUE(settings_.WriteValue("Anna", key, value));
  }

  RescanInputs anna(int level, bool hideOnHold = false) const {
    return {kAnna.raw(), level, hideOnHold};
  }

  [[nodiscard]] RebuildOutcome rebuild(int level = 1, bool hideOnHold = false,
                                       const RescanHooks& hooks = {}) {
    return rebuildQueues(queues_, sercase_, settings_, anna(level, hideOnHold), clock_, hooks);
  }

  static std::vector<std::uint32_t> numbers(const std::vector<QueueEntry>& q) {
    std::vector<std::uint32_t> out;
    for (const QueueEntry& e : q) out.push_back(e.CASENR);
    return out;
  }

  // "AFT Esc1", "BEF Esc2" ..., or "-" when the case is in neither queue.
  std::string whereIs(std::uint32_t nr) const {
    const auto snap = queues_.snapshot();
    for (const auto& [name, q] : {std::pair{"AFT", &snap->AFT}, std::pair{"BEF", &snap->BEF}})
      for (const QueueEntry& e : *q)
        if (e.CASENR == nr) return std::string(name) + " " + e.FASE.str();
    return "-";
  }

  // The signed-on name as the frame keeps it: 20 characters, blank-padded.
  const text::FixedString<20> kAnna{"Anna"};

  std::filesystem::path folder_;
  trv::testing::RecordingSink sink_;  // file access here is expected to show no message
  data::FileAccess sercase_;
  ini::IniSettings settings_;
  text::ManualClock clock_;
  SharedQueues queues_;

 private:
  static std::filesystem::path makeFolder() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "trvqueuesXXXXXX").string();
    return ::mkdtemp(tmpl.data());
  }
};

TEST_F(QueueRebuildTest, PlacesEachCaseByItsFirstOpenEscalationAtTheClock) {
  const std::int32_t tomorrow = kToday + 1, yesterday = kToday - 1;
  struct Row {
    const char* what;
    Esc first, second, third;
    const char* status;
    const char* expected;
  };
  const Row rows[] = {
      {"first open tomorrow, early", {"N", tomorrow, at(8)}, kDone, kDone, "Active", "AFT Esc1"},
      {"first open today, later", {"N", kToday, kNoon + 1}, kDone, kDone, "Active", "AFT Esc1"},
      {"first open today, now exactly", {"N", kToday, kNoon}, kDone, kDone, "Active", "BEF Esc1"},
      {"first open today, earlier", {"N", kToday, at(9)}, kDone, kDone, "Active", "BEF Esc1"},
      {"first open yesterday, late", {"N", yesterday, at(23)}, kDone, kDone, "Active", "BEF Esc1"},
      {"second open today, passed", kDone, {"N", kToday, at(11)}, kDone, "Active", "BEF Esc2"},
      {"third open ahead", kDone, kDone, {"N", tomorrow, at(1)}, "Active", "AFT Esc3"},
      {"first open wins over second",
       {"N", tomorrow, 1},
       {"N", yesterday, 1},
       kDone,
       "Active",
       "AFT Esc1"},
      {"all done", kDone, kDone, kDone, "Active", "-"},
      {"unset first moment is overdue", {"N", 0, 0}, kDone, kDone, "Active", "BEF Esc1"},
      {"unset second moment is no deadline", kDone, {"N", 0, 0}, {"N", tomorrow, 1}, "Active", "-"},
      {"unset third moment is no deadline", kDone, kDone, {"N", 0, 0}, "Active", "-"},
      {"second with a time but no date", kDone, {"N", 0, at(10)}, kDone, "Active", "BEF Esc2"},
      {"closed with an open escalation", {"N", tomorrow, 1}, kDone, kDone, "Closed", "-"},
      {"on hold is queued when not hidden",
       {"N", yesterday, 1},
       kDone,
       kDone,
       "On Hold",
       "BEF Esc1"},
  };
  std::vector<CaseSpec> cases;
  std::uint32_t nr = 0;
  for (const Row& r : rows) cases.push_back({++nr, r.first, r.second, r.third, r.status});
  addCases(cases);

  const RebuildOutcome o = rebuild();
  ASSERT_EQ(o.code, store::Ok);
  EXPECT_EQ(o.cases, std::size(rows));
  EXPECT_EQ(o.closed, 1u);
  nr = 0;
  for (const Row& r : rows) EXPECT_EQ(whereIs(++nr), r.expected) << r.what;

  // The entry carries the case's fields and the chosen moment.
  const auto snap = queues_.snapshot();
  const auto six = std::find_if(snap->BEF.begin(), snap->BEF.end(),
                                [](const QueueEntry& e) { return e.CASENR == 6; });
  ASSERT_NE(six, snap->BEF.end());
  const QueueEntry& e = *six;
  EXPECT_EQ(e.Date, kToday);
  EXPECT_EQ(e.Time, at(11));
  EXPECT_EQ(e.FASE, "Esc2");
  EXPECT_EQ(e.OWNER, "Anna");
  EXPECT_EQ(e.STATUS, "Active");
  EXPECT_EQ(e.CLIENT, "CLI");
  EXPECT_EQ(e.PROBLEM, "Problem of case 6");
}

// Six cases ahead (1-6) and five late (11-15) whose keys tie in turn on moment, priority,
// phase and client.
class QueueOrderTest : public QueueRebuildTest {
 protected:
  void SetUp() override {
    const std::int32_t tomorrow = kToday + 1;
    addCases({
        {1, {"N", tomorrow, at(9)}, kDone, kDone, "Active", "Anna", "Medium", "B"},
        {2, {"N", tomorrow, at(10)}, kDone, kDone, "Active", "Anna", "High", "A"},
        {3, {"N", kToday, at(15)}, kDone, kDone, "Active", "Anna", "Minimal", "C"},
        {4, {"N", kToday, at(15)}, kDone, kDone, "Active", "Anna", "High", "D"},
        {5, kDone, {"N", tomorrow, at(9)}, kDone, "Active", "Anna", "Medium", "A"},
        {6, {"N", tomorrow, at(9)}, kDone, kDone, "Active", "Anna", "Medium", "A"},
        {11, {"N", kToday - 1, at(9)}, kDone, kDone, "Active", "Anna", "Medium", "E"},
        {12, {"N", kToday - 1, at(9)}, kDone, kDone, "Active", "Anna", "High", "F"},
        {13, {"N", kToday, at(11)}, kDone, kDone, "Active", "Anna", "Minimal", "G"},
        {14, {"N", kToday - 2, at(18)}, kDone, kDone, "Active", "Anna", "High", "H"},
        {15, {"N", kToday, kNoon}, kDone, kDone, "Active", "Anna", "Medium", "I"},
    });
  }
};

TEST_F(QueueOrderTest, SortsByTheUsersChoice) {
  struct Row {
    const char* viewFlag2;  // nullptr: not in the file
    std::vector<std::uint32_t> aft, bef;
  };
  const std::vector<std::uint32_t> dateAft{4, 3, 6, 1, 5, 2}, dateBef{15, 13, 12, 11, 14};
  const std::vector<std::uint32_t> prioAft{4, 2, 6, 1, 5, 3}, prioBef{12, 14, 15, 11, 13};
  const Row rows[] = {{nullptr, dateAft, dateBef},
                      {"0", dateAft, dateBef},
                      {"1", prioAft, prioBef},
                      {"2", prioAft, prioBef}};
  for (const Row& r : rows) {
    if (r.viewFlag2) {
      ASSERT_TRUE(settings_.WriteValue("Anna", "ViewFlag2", r.viewFlag2));
    }
    for (int level : {0, 1}) {
      SCOPED_TRACE(std::string("ViewFlag2 ") + (r.viewFlag2 ? r.viewFlag2 : "missing") +
                   ", level " + std::to_string(level));
      ASSERT_EQ(rebuild(level).code, store::Ok);
      const auto snap = queues_.snapshot();
      EXPECT_THAT(numbers(snap->AFT), ElementsAreArray(r.aft));
      EXPECT_THAT(numbers(snap->BEF), ElementsAreArray(r.bef));
      // The numbers of insertion order stay with their entries.
      for (const QueueEntry& e : snap->AFT)
        EXPECT_EQ(trv::testing::packed(e.NR), trv::testing::packed(e.CASENR));
      for (const QueueEntry& e : snap->BEF)
        EXPECT_EQ(trv::testing::packed(e.NR), trv::testing::packed(e.CASENR) - 10);
    }
  }
}

TEST_F(QueueOrderTest, MarksFollowTheSaveAndReorderByMomentWithoutPriority) {
  setUserChoice("ViewFlag2", 1);
  ASSERT_EQ(rebuild().code, store::Ok);
  EXPECT_EQ(queues_.updateMarks(1, 1), 1u);
  EXPECT_EQ(queues_.updateMarks(12, 2), 1u);
  EXPECT_EQ(queues_.updateMarks(99, 1), 0u);
  auto snap = queues_.snapshot();
  EXPECT_THAT(numbers(snap->AFT), ElementsAre(3, 4, 6, 1, 5, 2));
  EXPECT_THAT(numbers(snap->BEF), ElementsAre(15, 13, 11, 12, 14));
  for (const QueueEntry& e : snap->AFT)
    EXPECT_EQ(e.NEWUPDATE, trv::testing::packed(e.CASENR) == 1 ? 1 : 0);
  for (const QueueEntry& e : snap->BEF)
    EXPECT_EQ(e.NEWUPDATE, trv::testing::packed(e.CASENR) == 12 ? 2 : 0);

  // The overview's next sort brings the user's order back.
  queues_.sort(orderOfChoice(1));
  snap = queues_.snapshot();
  EXPECT_THAT(numbers(snap->AFT), ElementsAre(4, 2, 6, 1, 5, 3));
}

TEST_F(QueueRebuildTest, CaseNumbersPast65535StayWhole) {
  addCases({{5, {"N", kToday + 1, 1}}, {65541, {"N", kToday + 1, 2}}, {70000, {"N", 1, 1}}});
  ASSERT_EQ(rebuild().code, store::Ok);
  EXPECT_EQ(whereIs(65541), "AFT Esc1");
  EXPECT_EQ(whereIs(70000), "BEF Esc1");
  // 65541 shares its low 16 bits with 5: only the case saved gets the mark.
  EXPECT_EQ(queues_.updateMarks(65541, 1), 1u);
  const auto snap = queues_.snapshot();
  ASSERT_THAT(numbers(snap->AFT), ElementsAre(5, 65541));
  EXPECT_EQ(snap->AFT[0].NEWUPDATE, 0);
  EXPECT_EQ(snap->AFT[1].NEWUPDATE, 1);
}

TEST_F(QueueRebuildTest, ViewerSeesOwnCasesByLevelChoiceAndOnHold) {
  const Esc ahead{"N", kToday + 1, 1};
  addCases({{1, ahead, kDone, kDone, "Active", "Anna"},
            {2, ahead, kDone, kDone, "Active", "ANNA"},
            {3, ahead, kDone, kDone, "Active", "Bob"},
            {4, ahead, kDone, kDone, "On Hold", "Anna"}});
  struct Row {
    int level;
    int viewflag;
    bool hideOnHold;
    bool ownCasesOnly;  // as the rebuild leaves it
    std::vector<std::uint32_t> seen;
  };
  const Row rows[] = {
      {0, 0, false, false, {1, 2, 4}},     // a user: own cases, letter case ignored
      {0, 1, false, false, {1, 2, 4}},     // a user's "Viewflag" does not count
      {0, 0, true, false, {1, 2}},         // on hold hidden
      {1, 0, false, false, {1, 2, 3, 4}},  // a supervisor: all cases
      {1, 1, false, true, {1, 4}},         // own cases: the name exactly
      {2, 1, true, true, {1}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE("level " + std::to_string(r.level) + ", Viewflag " + std::to_string(r.viewflag) +
                 (r.hideOnHold ? ", on hold hidden" : ""));
    setUserChoice("Viewflag", r.viewflag);
    ASSERT_EQ(rebuild(r.level, r.hideOnHold).code, store::Ok);
    EXPECT_EQ(queues_.ownCasesOnly(), r.ownCasesOnly);
    EXPECT_THAT(numbers(queues_.snapshot()->AFT), ElementsAreArray(r.seen));
  }
}

TEST_F(QueueRebuildTest, ClosedCasesGoToTheDeletionAfterTheBackupCheck) {
  // More cases than one read batch, so deletions meet records already read ahead.
  std::vector<CaseSpec> cases;
  for (std::uint32_t nr = 1; nr <= 600; ++nr)
    cases.push_back({nr, {"N", kToday + 1, 1}, kDone, kDone, nr % 10 == 0 ? "Closed" : "Active"});
  addCases(cases);

  std::vector<std::string> calls;
  RescanHooks hooks;
  hooks.beforeRebuild = [&] { calls.push_back("backup"); };
  hooks.closedCase = [&](const SercaseRecord& c, const store::Position& pos) {
    calls.push_back("closed " + std::to_string(c.CaseNr));
    // The case is in the thread's file buffer too, where the deletion finds it.
    EXPECT_EQ(trv::testing::packed(sercase_.record<SercaseRecord>().CaseNr),
              trv::testing::packed(c.CaseNr));
    EXPECT_EQ(sercase_.position(), pos);
    EXPECT_EQ(sercase_.remove(), store::Ok);
    return true;
  };
  // A deletion is a write: the scan lets others in right after it.
  hooks.betweenBatches = [&] {
    calls.push_back("others");
    return true;
  };
  const RebuildOutcome o = rebuild(1, false, hooks);
  ASSERT_EQ(o.code, store::Ok);
  EXPECT_EQ(o.cases, 600u);
  EXPECT_EQ(o.closed, 60u);
  ASSERT_EQ(calls.size(), 121u);
  EXPECT_EQ(calls[0], "backup");
  EXPECT_EQ(calls[1], "closed 10");
  EXPECT_EQ(calls[2], "others");
  EXPECT_EQ(calls[3], "closed 20");
  EXPECT_EQ(calls[119], "closed 600");
  EXPECT_EQ(queues_.snapshot()->AFT.size(), 540u);

  ASSERT_EQ(sercase_.open(), data::LevelOk);
  std::uint64_t left = 0;
  ASSERT_EQ(sercase_.count(&left), store::Ok);
  EXPECT_EQ(left, 540u);
  sercase_.close();
}

// Between batches the rescan holds nothing open: another station writes meanwhile, and readers
// still see the previous queues whole. At the end the buffer holds the last case, memos included.
TEST_F(QueueRebuildTest, RescanLetsOthersInBetweenBatchesAndPublishesOnlyAtTheEnd) {
  std::vector<CaseSpec> cases;
  for (std::uint32_t nr = 1; nr <= 2 * kScanBatchRows + 100; ++nr)
    cases.push_back({nr, {"N", kToday + 1, 1}});
  addCases(cases);
  ASSERT_EQ(rebuild().code, store::Ok);
  const auto before = queues_.snapshot();

  const store::FileDecl& decl = declaration(DataFile::Sercase);
  store::Connection other;
  store::FileId otherFile = -1;
  ASSERT_EQ(other.open(decl, casePath(), store::OpenMode::Shared, &otherFile), store::Ok);
  other.setLockRecoverySeconds(1);
  std::uint32_t nextNr = 100000;
  RescanHooks hooks;
  int stops = 0;
  hooks.betweenBatches = [&] {
    ++stops;
    EXPECT_FALSE(data::FileAccess::threadConnection().inTransaction());
    store::RecordBuffer b(decl);
    SercaseRecord r;
    r.CaseNr = ++nextNr;
    r.Status = "Active";
    r.FirstAction = "N";
    r.FirstEscDate = kToday + 1;
    r.FirstEscTime = 1;
    std::memcpy(b.record.data(), &r, sizeof r);
    b.memos[0] = "History of case " + std::to_string(nextNr);
    EXPECT_EQ(other.add(otherFile, b), store::Ok);  // a write lock is there to be had
    EXPECT_EQ(queues_.snapshot(), before);
    return true;
  };
  ASSERT_EQ(sercase_.open(), data::LevelOk);  // kept open, as the frame keeps it
  const RebuildOutcome o = rebuild(1, false, hooks);
  ASSERT_EQ(o.code, store::Ok);
  EXPECT_FALSE(o.stopped);
  EXPECT_EQ(stops, 2);
  EXPECT_EQ(o.cases, cases.size() + 2);  // the cases added meanwhile come at the end
  EXPECT_EQ(queues_.snapshot()->AFT.size(), cases.size() + 2);
  EXPECT_EQ(trv::testing::packed(sercase_.record<SercaseRecord>().CaseNr), 100002u);
  EXPECT_EQ(sercase_.buffer().memos[0], "History of case 100002");

  // A rescan stopped part-way (the program is ending) leaves the queues as they were.
  const auto complete = queues_.snapshot();
  hooks.betweenBatches = [] { return false; };
  const RebuildOutcome stopped = rebuild(1, false, hooks);
  EXPECT_EQ(stopped.code, store::Ok);
  EXPECT_TRUE(stopped.stopped);
  EXPECT_EQ(stopped.cases, static_cast<std::size_t>(kScanBatchRows));
  EXPECT_EQ(queues_.snapshot(), complete);
  other.close(otherFile);
  sercase_.close();
}

TEST_F(QueueRebuildTest, OverviewRebuildKeepsItsOwnChoiceAndSkipsClosedCases) {
  addCases({{1, {"N", kToday + 1, 1}, kDone, kDone, "Active", "Anna"},
            {2, {"N", kToday + 1, 1}, kDone, kDone, "Active", "Bob"},
            {3, {"N", kToday + 1, 1}, kDone, kDone, "Closed", "Anna"}});
  setUserChoice("Viewflag", 0);
  queues_.setOwnCasesOnly(true);
  const RebuildOutcome o =
      rebuildQueuesForOverview(queues_, casePath(), settings_, anna(1), clock_);
  ASSERT_EQ(o.code, store::Ok);
  EXPECT_EQ(o.closed, 1u);
  EXPECT_TRUE(queues_.ownCasesOnly());
  EXPECT_THAT(numbers(queues_.snapshot()->AFT), ElementsAre(1));

  // The file is only read: the closed case is still there.
  ASSERT_EQ(sercase_.open(), data::LevelOk);
  std::uint64_t n = 0;
  ASSERT_EQ(sercase_.count(&n), store::Ok);
  EXPECT_EQ(n, 3u);
  sercase_.close();
}

TEST_F(QueueRebuildTest, AnUnreadableCaseFileLeavesTheQueuesAsTheyWere) {
  addCases({{1, {"N", kToday + 1, 1}}});
  ASSERT_EQ(rebuild().code, store::Ok);
  const auto before = queues_.snapshot();
  const RebuildOutcome o = rebuildQueuesForOverview(
      queues_, (folder_ / "gone" / "Sercase.kvx").string(), settings_, anna(1), clock_);
  EXPECT_NE(o.code, store::Ok);
  EXPECT_EQ(queues_.snapshot(), before);

  // The frame's rescan after the database folder vanished: its message, and the same queues.
  sercase_.setName((folder_ / "gone" / "Sercase.kvx").string());
  EXPECT_NE(rebuild().code, store::Ok);
  EXPECT_THAT(sink_.ids(), ElementsAre(10));
  EXPECT_EQ(sercase_.openCount(), 0);
  sink_.raised.clear();
  EXPECT_EQ(queues_.snapshot(), before);
  EXPECT_THAT(numbers(queues_.snapshot()->AFT), ElementsAre(1));
}

}  // namespace
}  // namespace trv::core
