// What the store does to the files of a shared database folder besides the records: the modes it
// makes them with, scratch files that never follow a planted link, and a folder that goes away.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

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

}  // namespace
}  // namespace trv::store
