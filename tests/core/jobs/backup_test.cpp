#include "core/jobs/backup.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <thread>

#include "core/data/database_tool.h"
#include "core/data/records.h"
#include "runtime/store/connection.h"
#include "tests/runtime/store/test_files.h"

namespace trv::core::jobs {
namespace {

namespace fs = std::filesystem;
using store::testing::TempFolder;

std::uint64_t count(const fs::path& folder, const char* title) {
  std::uint64_t n = 0;
  const ToolResult r = countRecords(folder.string(), title, &n);
  EXPECT_TRUE(r.ok) << folder << " " << title << ": " << r.message;
  return n;
}

class BackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(createStarterDatabase(db_.string()).ok);
    ASSERT_TRUE(insertRecord(db_.string(), {{"SER:SName", "ACME"}, {"SER:Status", "Active"}}).ok);
  }
  void expectEightCopies(const fs::path& folder, std::uint64_t cases) {
    for (DataFile f : kBackupFiles) EXPECT_TRUE(fs::exists(folder / fileName(f))) << fileName(f);
    EXPECT_EQ(count(folder, "Sercase"), cases);
    EXPECT_EQ(count(folder, "Ide"), 1u);
    EXPECT_EQ(count(folder, "Sys"), 1u);
    // Nothing is left beside the copies.
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++entries;
    EXPECT_EQ(entries, kBackupFiles.size());
  }

  TempFolder dir_;
  fs::path db_ = fs::path(dir_.path()) / "DataBase";
};

TEST_F(BackupTest, BackupFolderIsTheSetPathOrTheDefault) {
  EXPECT_EQ(backupFolderOf("", db_, "/opt/prog"), fs::path("/opt/prog/DatabaseBU"));
  EXPECT_EQ(backupFolderOf("/srv/bu", db_, "/opt/prog"), fs::path("/srv/bu"));
  EXPECT_EQ(backupFolderOf("bu", db_, "/opt/prog"), db_ / "bu");
}

TEST_F(BackupTest, CopiesTheEightFilesIntoAFolderCreatedWithItsParents) {
  const fs::path folder = fs::path(dir_.path()) / "a" / "b" / "DatabaseBU";
  const BackupResult r = backUpDataFiles(db_, folder);
  ASSERT_TRUE(r.ok) << r.detail;
  expectEightCopies(folder, 1);
  // A second backup replaces the first.
  ASSERT_TRUE(insertRecord(db_.string(), {{"SER:SName", "ACME"}}).ok);
  ASSERT_TRUE(backUpDataFiles(db_, folder).ok);
  expectEightCopies(folder, 2);
}

TEST_F(BackupTest, FilesNotUsedYetAreCreatedEmptyAndCopied) {
  const fs::path empty = fs::path(dir_.path()) / "Empty";
  ASSERT_TRUE(createEmptyDatabase(empty.string()).ok);
  const fs::path folder = fs::path(dir_.path()) / "bu";
  const BackupResult r = backUpDataFiles(empty, folder);
  ASSERT_TRUE(r.ok) << r.detail;
  expectEightCopies(folder, 0);
}

TEST_F(BackupTest, FailuresChangeNoCopy) {
  const fs::path folder = fs::path(dir_.path()) / "bu";
  ASSERT_TRUE(backUpDataFiles(db_, folder).ok);
  ASSERT_TRUE(insertRecord(db_.string(), {{"SER:SName", "ACME"}}).ok);

  // A folder where a file stands cannot be made.
  std::ofstream(fs::path(dir_.path()) / "blocker") << "x";
  BackupResult r = backUpDataFiles(db_, fs::path(dir_.path()) / "blocker" / "bu");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.code, store::PathNotFound);

  // The database folder itself is never a backup folder.
  r = backUpDataFiles(db_, db_ / "." / "");
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(count(db_, "Sercase"), 2u);

  // A folder in place of one copy is found before any copy is replaced.
  fs::create_directory(folder / "Problem.kvx.new");
  fs::rename(folder / "Problem.kvx", folder / "Problem.kvx.old");
  fs::rename(folder / "Problem.kvx.new", folder / "Problem.kvx");
  r = backUpDataFiles(db_, folder);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(count(folder, "Sercase"), 1u);
  fs::remove(folder / "Problem.kvx");
  fs::rename(folder / "Problem.kvx.old", folder / "Problem.kvx");

  // A missing users file fails the whole backup: the last good one stays as it was.
  fs::remove(db_ / "Ide.kvx");
  r = backUpDataFiles(db_, folder);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.code, store::FileNotFound);
  EXPECT_NE(r.detail.find("Ide.kvx"), std::string::npos) << r.detail;
  expectEightCopies(folder, 1);
}

// Adds a case and a log entry naming it in one transaction, as a form's save with logging
// does, until told to stop.
[[noreturn]] void writeCasesUntil(const fs::path& db, const fs::path& stop) {
  store::Connection c;
  store::FileId sercase = 0, log = 0;
  if (c.open(declaration(DataFile::Sercase), (db / "Sercase.kvx").string(), store::OpenMode::Shared,
             &sercase) != store::Ok ||
      c.open(declaration(DataFile::Log), (db / "Log.kvx").string(), store::OpenMode::Shared,
             &log) != store::Ok)
    _exit(2);
  c.setLockRecoverySeconds(30);
  for (int i = 0; !fs::exists(stop); ++i) {
    store::RecordBuffer kase(declaration(DataFile::Sercase));
    SercaseRecord k;
    k.SName = "LOAD";
    k.Status = "Active";
    std::memcpy(kase.record.data(), &k, sizeof k);
    store::RecordBuffer entry(declaration(DataFile::Log));
    if (c.begin() != store::Ok || c.add(sercase, kase) != store::Ok) _exit(3);
    LogRecord l;
    std::memcpy(&k, kase.record.data(), sizeof k);
    l.CASENR = k.CaseNr;
    l.ACTION = "Created";
    std::memcpy(entry.record.data(), &l, sizeof l);
    if (c.add(log, entry) != store::Ok || c.commit() != store::Ok) _exit(4);
    // Saves come one after another, not in one unbroken lock.
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  _exit(0);
}

TEST_F(BackupTest, CopiesAgreeWhileAnotherProcessWritesCases) {
  const fs::path stop = fs::path(dir_.path()) / "stop";
  const pid_t writer = fork();
  ASSERT_GE(writer, 0);
  if (writer == 0) writeCasesUntil(db_, stop);

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (count(db_, "Log") == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  const fs::path folder = fs::path(dir_.path()) / "bu";
  std::uint64_t previous = 0;
  for (int round = 0; round < 5; ++round) {
    const BackupResult r = backUpDataFiles(db_, folder);
    ASSERT_TRUE(r.ok) << r.detail;
    // Every copy opens; the cases and their log entries come from one moment of the database
    // (the starter's one case has no log entry).
    const std::uint64_t cases = count(folder, "Sercase"), entries = count(folder, "Log");
    EXPECT_EQ(cases, entries + 1) << "round " << round;
    EXPECT_GE(entries, previous);
    EXPECT_EQ(count(folder, "Ide"), 1u);
    previous = entries;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::ofstream(stop) << "";
  int status = 0;
  ASSERT_EQ(waitpid(writer, &status, 0), writer);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_GT(previous, 0u);
}

}  // namespace
}  // namespace trv::core::jobs
