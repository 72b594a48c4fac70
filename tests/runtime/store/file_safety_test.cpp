// What the store does to the files of a shared database folder besides the records: the modes it
// makes them with, scratch files that never follow a planted link, and a folder that goes away.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <thread>
#include <vector>

#include "runtime/store/connection.h"
#include "test_files.h"

namespace trv::store {
namespace {

using testing::itemBuffer;
using testing::TempFolder;
namespace fs = std::filesystem;

unsigned modeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 01000000;
}

// Sets the process's umask for the life of the object.
class ScopedUmask {
 public:
  explicit ScopedUmask(mode_t mask) : old_(::umask(mask)) {}
  ~ScopedUmask() { ::umask(old_); }

 private:
  mode_t old_;
};

TEST(StoreFileModes, DataFilesJournalsAndBackupsGiveOthersNoAccess) {
  for (const mode_t mask : {mode_t(0022), mode_t(0002), mode_t(0)}) {
    SCOPED_TRACE(mask);
    const ScopedUmask umask(mask);
    TempFolder dir;
    const FileDecl decl = testing::itemDecl();
    Connection conn;
    FileId id = -1;
    ASSERT_EQ(conn.open(decl, dir.file("Ide.kvx"), OpenMode::Shared, &id), Ok);
    EXPECT_EQ(modeOf(dir.file("Ide.kvx")), 0660u);
    ASSERT_EQ(conn.begin(), Ok);
    RecordBuffer b = itemBuffer(decl, {0, "secret", "", 0});
    ASSERT_EQ(conn.add(id, b), Ok);
    EXPECT_EQ(modeOf(dir.file("Ide.kvx-journal")), 0660u);
    ASSERT_EQ(conn.commit(), Ok);

    ASSERT_EQ(copyFile(dir.file("Ide.kvx"), dir.file("Backup.kvx")), Ok);
    EXPECT_EQ(modeOf(dir.file("Backup.kvx")), 0660u);
    ASSERT_EQ(copyFile(dir.file("Ide.kvx"), dir.file("Backup.kvx")), Ok);
    EXPECT_EQ(modeOf(dir.file("Backup.kvx")), 0660u) << "a backup made over an older one";
  }
}

TEST(StoreFileModes, AnExistingFileKeepsItsMode) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  {
    Connection conn;
    FileId id = -1;
    ASSERT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id), Ok);
  }
  ASSERT_EQ(::chmod(dir.file("Item.kvx").c_str(), 0640), 0);
  Connection conn;
  FileId id = -1;
  ASSERT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id), Ok);
  EXPECT_EQ(modeOf(dir.file("Item.kvx")), 0640u);
}

TEST(StoreLockProbe, ALinkPlantedAtTheProbesNameIsNeverFollowed) {
  TempFolder dir;
  const std::string victim = dir.file("victim"), absent = dir.file("absent");
  std::ofstream(victim) << "keep";
  const std::string probe = dir.file(".trvnel-lockcheck-" + std::to_string(::getpid()));
  fs::create_symlink(absent, probe);
  const FileDecl decl = testing::itemDecl();
  Connection conn;
  FileId id = -1;
  ASSERT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id), Ok);
  EXPECT_FALSE(fs::exists(absent)) << "no file made where the link points";
  EXPECT_FALSE(fs::exists(fs::symlink_status(probe))) << "the probe is cleared away";
  std::ifstream in(victim);
  std::string text;
  in >> text;
  EXPECT_EQ(text, "keep");
}

TEST(StoreVanishedFolder, ASaveIntoARemovedFolderIsPathNotFound) {
  const FileDecl decl = testing::itemDecl();
  for (const bool wholeFolder : {true, false}) {
    SCOPED_TRACE(wholeFolder ? "folder removed" : "file removed");
    TempFolder dir;
    Connection conn;
    FileId id = -1;
    ASSERT_EQ(conn.open(decl, dir.file("Client.kvx"), OpenMode::Shared, &id), Ok);
    RecordBuffer b = itemBuffer(decl, {0, "first", "", 0});
    ASSERT_EQ(conn.add(id, b), Ok);
    if (wholeFolder)
      fs::remove_all(dir.path());
    else
      fs::remove(dir.file("Client.kvx"));
    b = itemBuffer(decl, {0, "second", "", 0});
    const Code expected = wholeFolder ? PathNotFound : FileNotFound;
    EXPECT_EQ(conn.add(id, b), expected);
    EXPECT_EQ(lastError().code, expected);
    EXPECT_EQ(lastError().text, wholeFolder ? "Path Not Found" : "File Not Found");
    ASSERT_EQ(conn.begin(), Ok);
    b = itemBuffer(decl, {0, "third", "", 0});
    const Code inTxn = conn.add(id, b);
    if (inTxn == Ok)
      EXPECT_EQ(conn.commit(), expected);
    else
      EXPECT_EQ(inTxn, expected);
    conn.rollback();
  }
}

std::vector<std::string> superJournals(const std::string& folder) {
  std::vector<std::string> found;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().filename().string().find("-mj") != std::string::npos)
      found.push_back(e.path().string());
  return found;
}

TEST(StoreSuperJournal, KilledMultiFileCommitsLeaveNoneBehindAndNothingHalfDone) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  std::mt19937 random(42);
  int left = 0;
  for (int round = 0; round < 16; ++round) {
    SCOPED_TRACE(round);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t writer = ::fork();
    ASSERT_GE(writer, 0);
    if (writer == 0) {
      // Adds one record to each of two files in one transaction, again and again.
      ::close(ready[0]);
      Connection conn;
      FileId a = -1, b = -1;
      if (conn.open(decl, dir.file("A.kvx"), OpenMode::Shared, &a) != Ok ||
          conn.open(decl, dir.file("B.kvx"), OpenMode::Shared, &b) != Ok)
        ::_exit(1);
      (void)!::write(ready[1], "r", 1);
      for (;;) {
        if (conn.begin() != Ok) continue;
        RecordBuffer r = itemBuffer(decl, {0, "", "g", 0});
        if (conn.add(a, r) != Ok || conn.add(b, r) != Ok) {
          conn.rollback();
          continue;
        }
        (void)conn.commit();
      }
    }
    ::close(ready[1]);
    char c = 0;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    ::close(ready[0]);
    std::this_thread::sleep_for(std::chrono::milliseconds(5 + random() % 40));
    ::kill(writer, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    left += static_cast<int>(superJournals(dir.path()).size());

    Connection conn;
    FileId a = -1, b = -1;
    ASSERT_EQ(conn.open(decl, dir.file("A.kvx"), OpenMode::Shared, &a), Ok);
    ASSERT_EQ(conn.open(decl, dir.file("B.kvx"), OpenMode::Shared, &b), Ok);
    std::uint64_t na = 0, nb = 0;
    ASSERT_EQ(conn.count(a, &na), Ok);
    ASSERT_EQ(conn.count(b, &nb), Ok);
    EXPECT_EQ(na, nb) << "a transaction over both files is all or nothing";
    // Only an empty one made an instant before the kill may stay (a live commit's first step).
    for (const auto& path : superJournals(dir.path())) EXPECT_EQ(fs::file_size(path), 0u) << path;
  }
  RecordProperty("super_journals_left_by_kills", left);
}

TEST(StoreSuperJournal, OnlyWhatNoCommitCanNeedIsRemoved) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  Connection holder;
  FileId a = -1, b = -1;
  ASSERT_EQ(holder.open(decl, dir.file("A.kvx"), OpenMode::Shared, &a), Ok);
  ASSERT_EQ(holder.open(decl, dir.file("B.kvx"), OpenMode::Shared, &b), Ok);
  const std::string ja = dir.file("A.kvx-journal"), jb = dir.file("B.kvx-journal");
  auto superJournal = [&](const char* name, const std::vector<std::string>& journals) {
    std::ofstream out(dir.file(name), std::ios::binary);
    for (const auto& j : journals) out << j << '\0';
    return dir.file(name);
  };
  auto age = [](const std::string& path) {
    const utimbuf old{std::time(nullptr) - 3600, std::time(nullptr) - 3600};
    ASSERT_EQ(::utime(path.c_str(), &old), 0);
  };
  auto reopen = [&] {
    Connection conn;
    FileId id = -1;
    ASSERT_EQ(conn.open(decl, dir.file("C.kvx"), OpenMode::Shared, &id), Ok);
  };

  const std::string done = superJournal("A.kvx-mj0A1B2C9D3", {ja, jb});
  const std::string freshEmpty = superJournal("A.kvx-mj0A1B2C9D4", {});
  const std::string oldEmpty = superJournal("A.kvx-mj0A1B2C9D5", {});
  age(oldEmpty);
  const std::string orphan = superJournal("Z.kvx-mj0A1B2C9D6", {dir.file("Z.kvx-journal")});
  std::ofstream(dir.file("Z.kvx-journal")) << "a journal whose file is gone";
  reopen();
  EXPECT_FALSE(fs::exists(done)) << "its journals are gone and no one holds its files";
  EXPECT_TRUE(fs::exists(freshEmpty)) << "a live commit may be about to write its list";
  EXPECT_FALSE(fs::exists(oldEmpty));
  EXPECT_TRUE(fs::exists(orphan));

  // While another connection writes to B, a super-journal listing B may be a live commit's.
  ASSERT_EQ(holder.begin(), Ok);
  RecordBuffer r = itemBuffer(decl, {0, "held", "", 0});
  ASSERT_EQ(holder.add(b, r), Ok);
  ASSERT_TRUE(fs::exists(jb));
  const std::string live = superJournal("A.kvx-mj0A1B2C9D7", {ja, jb});
  age(live);
  reopen();
  EXPECT_TRUE(fs::exists(live));
  ASSERT_EQ(holder.commit(), Ok);
  reopen();
  EXPECT_FALSE(fs::exists(live)) << "once the writer is done";

  // Names that are not SQLite's super-journals are never touched.
  std::ofstream(dir.file("notes-mj.txt")) << "x";
  reopen();
  EXPECT_TRUE(fs::exists(dir.file("notes-mj.txt")));
}

}  // namespace
}  // namespace trv::store
