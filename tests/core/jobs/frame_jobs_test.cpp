#include "core/jobs/frame_jobs.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>

#include "core/data/database_tool.h"
#include "core/data/dictionary.h"
#include "core/jobs/system_record.h"
#include "runtime/text/date_time.h"
#include "tests/packed.h"
#include "tests/support/recording_sink.h"
#include "tests/runtime/store/test_files.h"

namespace trv::core::jobs {
namespace {

namespace fs = std::filesystem;
using data::LevelOk;
using store::testing::TempFolder;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

const std::int32_t kToday = *text::dateNumber(2002, 5, 6);
std::int32_t at(int h, int m, int s = 0) {
  return *text::timeNumber(h, m, s);
}
std::string num(std::int64_t n) {
  return std::to_string(n);
}

// The frame's side: the dictionary with the frame's three files open on the test's thread, a
// signed-on supervisor and a virtual clock.
class FrameJobsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(createStarterDatabase(db_.string()).ok);
    dict_.setUp(sink_);
    dict_.setNames(db_.string());
    ASSERT_EQ(dict_.LogAccess->open(), LevelOk);
    ASSERT_EQ(dict_.SysAccess->open(), LevelOk);
    ASSERT_EQ(dict_.SercaseAccess->open(), LevelOk);
    jobs_ = std::make_unique<FrameJobs>(JobEnvironment{*dict_.SercaseAccess, *dict_.LogAccess,
                                                       *dict_.SysAccess, messages_, clock_, db_,
                                                       program_});
    frame_.signedOnMark = true;
    frame_.userNumber = 1;
    frame_.userName = "Admin";
    frame_.userLevel = 1;
  }
  void TearDown() override {
    store::TEST_setFaults({});
    jobs_.reset();
    dict_.LogAccess->close();
    dict_.SysAccess->close();
    dict_.SercaseAccess->close();
    dict_.release();
  }

  // Changes the system record as the options window of another station would, then lets the
  // frame read it as at sign-on.
  void configure(const FieldValues& fields) {
    const ToolResult r = updateRecord(db_.string(), {"Sys:ID", "1"}, fields);
    ASSERT_TRUE(r.ok) << r.message;
    ASSERT_TRUE(readSystemRecord(*dict_.SysAccess, frame_, messages_));
  }
  bool stored(const FieldValues& fields) {
    bool found = false;
    const ToolResult r = findRecord(db_.string(), fields, &found);
    EXPECT_TRUE(r.ok) << r.message;
    return found;
  }
  std::uint32_t addCase(const char* status, std::int32_t closed = 0) {
    EXPECT_TRUE(
        insertRecord(db_.string(),
                     {{"SER:SName", "ACME"}, {"SER:Status", status}, {"SER:Cdate", num(closed)}})
            .ok);
    return ++cases_;
  }
  void addLog(const char* action, std::int32_t date) {
    ASSERT_TRUE(
        insertRecord(db_.string(),
                     {{"LOG:NAME", "Bob"}, {"LOG:ACTION", action}, {"Log:ActionDate", num(date)}})
            .ok);
  }
  // The log's entries as "ACTION by NAME", in file order.
  std::vector<std::string> log() {
    std::vector<std::string> out;
    data::FileAccess& l = *dict_.LogAccess;
    EXPECT_EQ(l.setFileOrder(), store::Ok);
    while (l.next() == store::Ok)
      out.push_back(l.record<LogRecord>().ACTION.str() + " by " + l.record<LogRecord>().NAME.str());
    return out;
  }
  // One rescan as the queue rebuild makes it: the timed backup check first, then every closed
  // case to the deletion.
  std::vector<DeletionOutcome> rescan() {
    backups_.push_back(jobs_->timedBackup(frame_));
    std::vector<DeletionOutcome> outcomes;
    data::FileAccess& s = *dict_.SercaseAccess;
    EXPECT_EQ(s.setFileOrder(), store::Ok);
    while (s.next() == store::Ok) {
      const SercaseRecord kase = s.record<SercaseRecord>();
      if (kase.Status == "Closed")
        outcomes.push_back(jobs_->closedCase(frame_, kase, s.position()));
    }
    return outcomes;
  }
  int backupsMade() const {
    int n = 0;
    for (const BackupReport& b : backups_) n += b.attempted;
    return n;
  }

  TempFolder dir_;
  fs::path db_ = fs::path(dir_.path()) / "DataBase";
  fs::path program_ = fs::path(dir_.path()) / "Program";
  fs::path bu_ = fs::path(dir_.path()) / "Backups" / "Daily";
  trv::testing::RecordingSink sink_;
  Dictionary dict_;
  RecordingJobMessages messages_;
  text::ManualClock clock_{kToday, at(10, 0)};
  FrameState frame_;
  std::unique_ptr<FrameJobs> jobs_;
  std::vector<BackupReport> backups_;
  std::uint32_t cases_ = 0;
};

TEST_F(FrameJobsTest, ServerBacksUpOnceInTheSetMinuteEvenWhenRescansStepOverIt) {
  configure({{"Sys:DoBackup", "1"},
             {"Sys:Server", "1"},
             {"Sys:BackUpTime", num(at(14, 30))},
             {"Sys:PathBackupFiles", bu_.string()}});
  addCase("Active");
  // Rescans 91 seconds apart from 14:29:20 never fall inside 14:30 itself.
  clock_.set(kToday, at(14, 29, 20));
  for (int i = 0; i < 10; ++i, clock_.advance(9100)) rescan();
  EXPECT_EQ(backupsMade(), 1);
  EXPECT_TRUE(backups_[1].copy.ok) << backups_[1].copy.detail;
  EXPECT_TRUE(backups_[1].stamped);
  EXPECT_EQ(frame_.sys.BackUpFlag, 1);
  std::uint64_t n = 0;
  ASSERT_TRUE(countRecords(bu_.string(), "Sercase", &n).ok);
  EXPECT_EQ(n, 1u);
  EXPECT_THAT(log(), ElementsAre("BackUp by Server"));
  EXPECT_TRUE(stored({{"Sys:LastBackUpDate", num(kToday)},
                      {"Sys:LastBackUpTime", num(at(14, 30, 51))},
                      {"Sys:PathBackupFiles", bu_.string()}}));
  EXPECT_THAT(messages_.shown, IsEmpty());

  // The next day's minute gives the next backup, although the frame has not read the record
  // again in between.
  clock_.set(kToday + 1, at(14, 29, 50));
  rescan();
  clock_.advance(3100);
  rescan();
  EXPECT_EQ(backupsMade(), 2);
  EXPECT_THAT(log(), ElementsAre("BackUp by Server", "BackUp by Server"));
}

TEST_F(FrameJobsTest, OneMinuteGivesOneBackupEvenWhenTheRecordIsReadAgainWithinIt) {
  configure({{"Sys:DoBackup", "1"}, {"Sys:Server", "1"}, {"Sys:BackUpTime", num(at(14, 30))}});
  clock_.set(kToday, at(14, 30, 5));
  rescan();
  configure({});  // a sign-on reads the record and clears the frame's mark
  EXPECT_EQ(frame_.sys.BackUpFlag, 0);
  clock_.advance(3100);
  rescan();
  EXPECT_EQ(backupsMade(), 1);
  EXPECT_THAT(log(), ElementsAre("BackUp by Server"));
}

TEST_F(FrameJobsTest, FailedTimedBackupIsLoggedAndDoesNotPostponeTheNext) {
  std::ofstream(fs::path(dir_.path()) / "blocker") << "x";
  configure({{"Sys:DoBackup", "1"},
             {"Sys:Server", "1"},
             {"Sys:BackUpDays", "1"},
             {"Sys:BackUpTime", num(at(2, 0))},
             {"Sys:PathBackupFiles", dir_.file("blocker/bu")}});
  clock_.set(kToday, at(2, 0, 10));
  rescan();
  ASSERT_EQ(backupsMade(), 1);
  EXPECT_FALSE(backups_[0].copy.ok);
  EXPECT_FALSE(backups_[0].stamped);
  EXPECT_EQ(frame_.sys.BackUpFlag, 0);
  EXPECT_TRUE(stored({{"Sys:LastBackUpDate", "0"}}));
  EXPECT_THAT(messages_.shown, IsEmpty());  // a server shows no message
  EXPECT_THAT(log(), ElementsAre("BUError by Server"));

  // Not stamped, so the next day tries again, and this time the folder can be made.
  fs::remove(fs::path(dir_.path()) / "blocker");
  clock_.set(kToday + 1, at(2, 0, 30));
  rescan();
  EXPECT_EQ(backupsMade(), 2);
  EXPECT_TRUE(backups_[1].copy.ok) << backups_[1].copy.detail;
  EXPECT_THAT(log(), ElementsAre("BUError by Server", "BackUp by Server"));
  EXPECT_TRUE(stored({{"Sys:LastBackUpDate", num(kToday + 1)}}));
}

TEST_F(FrameJobsTest, TimedBackupWhileSignedOutWritesNoLogEntry) {
  configure({{"Sys:DoBackup", "1"}, {"Sys:Server", "1"}, {"Sys:BackUpTime", num(at(10, 0))}});
  frame_.loggedOut = true;
  rescan();
  ASSERT_EQ(backupsMade(), 1);
  EXPECT_TRUE(backups_[0].copy.ok) << backups_[0].copy.detail;
  EXPECT_TRUE(fs::exists(program_ / "DatabaseBU" / "Problem.kvx"));
  EXPECT_THAT(log(), IsEmpty());
  EXPECT_TRUE(stored({{"Sys:LastBackUpDate", num(kToday)}}));
}

TEST_F(FrameJobsTest, ClosedCasesAreDeletedByServerAndLoggedWithLoggingOff) {
  configure({{"Sys:DoLog", "0"}, {"Sys:DeleteClosed", "1"}, {"Sys:DeleteDays", "2"}});
  const std::uint32_t old = addCase("Closed", kToday - 2);
  const std::uint32_t recent = addCase("Closed", kToday - 1);
  const std::uint32_t open = addCase("Active");
  EXPECT_THAT(rescan(), ElementsAre(DeletionOutcome::Deleted, DeletionOutcome::NotDue));
  EXPECT_FALSE(stored({{"SER:CaseNr", num(old)}}));
  EXPECT_TRUE(stored({{"SER:CaseNr", num(recent)}}));
  EXPECT_TRUE(stored({{"SER:CaseNr", num(open)}}));
  EXPECT_TRUE(stored({{"LOG:ACTION", "Deleted"},
                      {"LOG:NAME", "Server"},
                      {"LOG:CASENR", num(old)},
                      {"Log:ActionDate", num(kToday)},
                      {"Log:ActionTime", num(at(10, 0))}}));
  EXPECT_THAT(log(), ElementsAre("Deleted by Server"));
}

TEST_F(FrameJobsTest, ACaseChangedOrDeletedElsewhereAfterTheScanIsLeftAlone) {
  configure({{"Sys:DeleteClosed", "1"}});
  const std::uint32_t reopened = addCase("Closed", kToday);
  const std::uint32_t gone = addCase("Closed", kToday);
  data::FileAccess& s = *dict_.SercaseAccess;
  ASSERT_EQ(s.setFileOrder(), store::Ok);
  ASSERT_EQ(s.next(), store::Ok);
  const SercaseRecord first = s.record<SercaseRecord>();
  const store::Position firstAt = s.position();
  ASSERT_EQ(s.next(), store::Ok);
  const SercaseRecord second = s.record<SercaseRecord>();
  const store::Position secondAt = s.position();

  // Another station re-opens the first and deletes the second between the read and the delete.
  ASSERT_TRUE(
      updateRecord(db_.string(), {"SER:CaseNr", num(reopened)}, {{"SER:Status", "Active"}}).ok);
  ASSERT_TRUE(deleteRecord(db_.string(), {"SER:CaseNr", num(gone)}).ok);
  EXPECT_EQ(jobs_->closedCase(frame_, first, firstAt), DeletionOutcome::Changed);
  EXPECT_EQ(jobs_->closedCase(frame_, second, secondAt), DeletionOutcome::Gone);
  EXPECT_TRUE(stored({{"SER:CaseNr", num(reopened)}, {"SER:Status", "Active"}}));
  EXPECT_THAT(log(), IsEmpty());
}

TEST_F(FrameJobsTest, ClosingJobsCleanTheLogByLevelAndDays) {
  struct Case {
    std::uint8_t level;
    std::int32_t keepDays;
    std::vector<std::string> log;
  };
  const Case cases[] = {
      {0, 7, {"Logon by Bob", "Logon by Bob", "Logon by Bob", "LogOut by Admin"}},
      {1, 7, {"Logon by Bob", "Logon by Bob", "ClnLog by Admin", "LogOut by Admin"}},
      {2, 0, {"Logon by Bob", "ClnLog by Admin", "LogOut by Admin"}},  // tomorrow's stays
      {1, 30, {"Logon by Bob", "Logon by Bob", "Logon by Bob", "LogOut by Admin"}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(dict_.LogAccess->emptyFile(), store::Ok);
    configure({{"Sys:HowLong", num(c.keepDays)}, {"Sys:LastLogDate", "0"}});
    addLog("Logon", kToday - 8);
    addLog("Logon", kToday);
    addLog("Logon", kToday + 1);
    frame_.userLevel = c.level;
    const ClosingReport r = jobs_->closingJobs(frame_);
    std::vector<std::string> expected = c.log;
    if (c.keepDays == 0) expected.front() = "Logon by Bob";
    EXPECT_EQ(log(), expected) << int{c.level} << " " << c.keepDays;
    EXPECT_TRUE(r.loggedOut);
    EXPECT_EQ(r.cleaned, stored({{"Sys:LastLogDate", num(kToday - c.keepDays)}}))
        << int{c.level} << " " << c.keepDays;
  }
  EXPECT_THAT(messages_.shown, IsEmpty());
}

TEST_F(FrameJobsTest, LogCleaningStampsOnlyTheLogFields) {
  configure({{"Sys:DoBackup", "1"},
             {"Sys:Server", "1"},
             {"Sys:LastBackUpDate", num(kToday - 5)},
             {"Sys:LastBackUpTime", "77"},
             {"Sys:HowLong", "1"}});
  addLog("Logon", kToday - 3);
  const ClosingReport r = jobs_->closingJobs(frame_);
  EXPECT_TRUE(r.cleaned);
  EXPECT_FALSE(r.backup.attempted);  // the server's backups are the timed ones
  EXPECT_TRUE(stored({{"Sys:LastLogDate", num(kToday - 1)},
                      {"Sys:LastLogTime", num(at(10, 0))},
                      {"Sys:LastBackUpDate", num(kToday - 5)},
                      {"Sys:LastBackUpTime", "77"}}));
}

TEST_F(FrameJobsTest, BackupAtProgramEndOnceItsDaysHavePassed) {
  configure(
      {{"Sys:DoBackup", "1"}, {"Sys:BackUpDays", "3"}, {"Sys:LastBackUpDate", num(kToday - 3)}});
  EXPECT_FALSE(jobs_->closingJobs(frame_).backup.attempted);

  // The record is read again before the backup: another station's change counts, and the
  // stamp keeps the options that station set.
  ASSERT_TRUE(updateRecord(db_.string(), {"Sys:ID", "1"},
                           {{"Sys:LastBackUpDate", num(kToday - 4)}, {"Sys:DeleteDays", "9"}})
                  .ok);
  const ClosingReport r = jobs_->closingJobs(frame_);
  ASSERT_TRUE(r.backup.attempted);
  EXPECT_TRUE(r.backup.copy.ok) << r.backup.copy.detail;
  EXPECT_TRUE(fs::exists(program_ / "DatabaseBU" / "Sercase.kvx"));
  EXPECT_TRUE(stored({{"Sys:LastBackUpDate", num(kToday)}, {"Sys:DeleteDays", "9"}}));
  // No "LogOut" into an empty log.
  EXPECT_THAT(log(), ElementsAre("BackUp by Admin"));
  EXPECT_THAT(messages_.shown, IsEmpty());
}

TEST_F(FrameJobsTest, FailedBackupAtProgramEndIsShownLoggedAndNotStamped) {
  std::ofstream(fs::path(dir_.path()) / "blocker") << "x";
  configure({{"Sys:DoLog", "1"},
             {"Sys:DoBackup", "1"},
             {"Sys:PathBackupFiles", dir_.file("blocker/bu")}});
  const ClosingReport r = jobs_->closingJobs(frame_);
  ASSERT_TRUE(r.backup.attempted);
  EXPECT_FALSE(r.backup.copy.ok);
  EXPECT_THAT(messages_.shown, ElementsAre(RecordingJobMessages::Shown{
                                   std::string(kBackupFailedText), std::string(kAppTitle)}));
  EXPECT_THAT(log(), ElementsAre("BUError by Admin"));
  EXPECT_TRUE(stored({{"Sys:LastBackUpDate", "0"}}));
}

TEST_F(FrameJobsTest, AFullDiskIsReportedAndDeletesNothing) {
  configure({{"Sys:DoBackup", "1"}, {"Sys:DeleteClosed", "1"}});
  const std::uint32_t closed = addCase("Closed", kToday);
  store::TEST_setFaults({.diskFullIn = db_.string()});
  // The copies go elsewhere and succeed; the log entry and the stamp cannot be written.
  const ClosingReport r = jobs_->closingJobs(frame_);
  EXPECT_TRUE(r.backup.copy.ok) << r.backup.copy.detail;
  EXPECT_FALSE(r.backup.stamped);
  EXPECT_EQ(frame_.sys.BackUpFlag, 0);
  EXPECT_THAT(messages_.texts(), ElementsAre(std::string(kLogUpdateFailureText),
                                             std::string(kCannotUpdateSystemText)));
  EXPECT_THAT(rescan(), ElementsAre(DeletionOutcome::Failed));
  store::TEST_setFaults({});
  EXPECT_TRUE(stored({{"SER:CaseNr", num(closed)}}));
  EXPECT_THAT(log(), IsEmpty());
}

TEST_F(FrameJobsTest, NothingRunsAtClosingWhileSignedOut) {
  configure({{"Sys:DoBackup", "1"}});
  addLog("Logon", kToday - 30);
  frame_.loggedOut = true;
  const ClosingReport r = jobs_->closingJobs(frame_);
  EXPECT_FALSE(r.backup.attempted);
  EXPECT_FALSE(r.loggedOut);
  EXPECT_THAT(log(), ElementsAre("Logon by Bob"));
}

TEST_F(FrameJobsTest, ReadingTheSystemRecordTakesTheCopiesAndClearsTheBackupMark) {
  frame_.sys.BackUpFlag = 1;
  configure({{"Sys:DoBackup", "1"}, {"Sys:BackUpDays", "259"}, {"Sys:Server2", "1"}});
  EXPECT_EQ(frame_.copies.SysBackUpDays, 3);  // the low byte
  EXPECT_EQ(frame_.copies.SysServer2, 1);
  EXPECT_EQ(frame_.sys.BackUpFlag, 0);
  EXPECT_EQ(trv::testing::packed(frame_.sys.BackUpDays), 259);
}

TEST_F(FrameJobsTest, AMissingSystemRecordIsReported) {
  ASSERT_TRUE(deleteRecord(db_.string(), {"Sys:ID", "1"}).ok);
  frame_.copies.SysDoLog = 1;
  EXPECT_FALSE(readSystemRecord(*dict_.SysAccess, frame_, messages_));
  EXPECT_EQ(frame_.copies.SysDoLog, 1);  // the copies it had
  EXPECT_THAT(messages_.texts(), ElementsAre("Record Not Found", std::string(kNoSystemRecordText)));
  EXPECT_EQ(messages_.shown[0].caption, "");

  // A cleaning cannot stamp a record that is not there, and says so.
  frame_.sys.HowLong = 0;
  addLog("Logon", kToday);
  messages_.shown.clear();
  EXPECT_TRUE(jobs_->closingJobs(frame_).cleaned);
  EXPECT_THAT(messages_.texts(), ElementsAre(std::string(kCannotRetrieveSystemText)));
}

}  // namespace
}  // namespace trv::core::jobs
