#include "runtime/mail/maildir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/runtime/mail/mail_test_support.h"

namespace trv::mail {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::writeText;

class MaildirTest : public ::testing::Test {
 protected:
  TempDir dir;
  Maildir box = *Maildir::open(dir.path() / "Mail");
};

TEST_F(MaildirTest, DeliveriesListOldestFirstAndReadBackWhole) {
  std::string late, early;
  ASSERT_TRUE(box.deliver("second", 2000, {}, &late).ok());
  ASSERT_TRUE(box.deliver("first", 1000, {}, &early).ok());
  // A message another program left in cur/ with flags, named without a time.
  writeText(dir.path() / "Mail" / "cur" / "foreign:2,S", "third");
  fs::last_write_time(dir.path() / "Mail" / "cur" / "foreign:2,S",
                      fs::file_time_type::clock::now() + std::chrono::hours(24 * 365 * 40));

  const auto all = box.list();
  ASSERT_EQ(all.size(), 3u);
  EXPECT_EQ(all[0].id, early);
  EXPECT_EQ(all[1].id, late);
  EXPECT_EQ(all[2].id, "foreign");
  EXPECT_TRUE(all[2].seen());
  EXPECT_TRUE(fs::is_empty(dir.path() / "Mail" / "tmp"));

  std::string bytes;
  ASSERT_TRUE(box.read(all[0], bytes).ok());
  EXPECT_EQ(bytes, "first");
}

TEST_F(MaildirTest, DeliveriesOfOneSecondListInTheOrderTheyCame) {
  // The second is the caller's (a virtual clock may hold it) while the real clock runs on.
  std::vector<std::string> ids(40);
  for (std::size_t i = 0; i < ids.size(); ++i)
    ASSERT_TRUE(box.deliver(std::to_string(i), 3000, {}, &ids[i]).ok());
  const auto all = box.list();
  ASSERT_EQ(all.size(), ids.size());
  for (std::size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(all[i].id, ids[i]) << i;
}

TEST_F(MaildirTest, IdentifierStaysWhileFlagsChangeAndMessagesMove) {
  std::string id;
  ASSERT_TRUE(box.deliver("hello", 1000, {}, &id).ok());
  auto entry = box.find(id);
  ASSERT_TRUE(entry);
  EXPECT_TRUE(entry->inNew);
  EXPECT_FALSE(entry->seen());

  ASSERT_TRUE(box.markSeen(*entry).ok());
  EXPECT_FALSE(entry->inNew);
  auto again = box.find(id);
  ASSERT_TRUE(again);
  EXPECT_TRUE(again->seen());
  EXPECT_EQ(again->path, entry->path);

  // Another client marked it replied meanwhile: still found under the same identifier.
  fs::rename(again->path, dir.path() / "Mail" / "cur" / (id + ":2,RS"));
  ASSERT_TRUE(box.find(id));
  EXPECT_EQ(box.find(id)->flags, "RS");

  Maildir trash = *box.subfolder("Trash");
  ASSERT_TRUE(box.moveTo(*box.find(id), trash).ok());
  EXPECT_FALSE(box.find(id));
  EXPECT_TRUE(trash.find(id));
  EXPECT_EQ(trash.root(), dir.path() / "Mail" / ".Trash");
  fs::create_directories(dir.path() / "Mail" / ".not-a-maildir");
  ASSERT_TRUE(box.subfolder("Sent"));
  EXPECT_EQ(box.subfolders(), (std::vector<std::string>{"Sent", "Trash"}));
}

TEST_F(MaildirTest, IdentifiersThatLeaveTheFolderAreNotFound) {
  writeText(dir.path() / "outside", "secret");
  for (const char* id : {"", "../outside", "../../outside", ".", "..", "a/b", "x:2,S"})
    EXPECT_FALSE(box.find(id)) << id;
}

// A message imported later keeps its date in the file's modification time (mdeliver -M,
// offlineimap): that is when it was received, not the stamp of the name it got on import.
TEST_F(MaildirTest, TheReceivedDateIsTheFilesModificationTime) {
  std::string id;
  ASSERT_TRUE(box.deliver("Subject: a\n\nx\n", 1020672000, {}, &id).ok());
  EXPECT_EQ(box.find(id)->deliveredSeconds, 1020672000);

  const fs::path imported = dir.path() / "Mail" / "cur" / "1700000000.M1P1.host:2,S";
  writeText(imported, "Subject: old\n\nx\n");
  const struct timespec times[2] = {{1000000000, 0}, {1000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, imported.c_str(), times, 0), 0);
  const std::vector<MaildirEntry> list = box.list();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].id, "1700000000.M1P1.host");
  EXPECT_EQ(list[0].deliveredSeconds, 1000000000);
}

TEST(Maildir, AFileWhereTheFolderShouldBeIsRefused) {
  TempDir dir;
  writeText(dir.path() / "Mail", "not a folder");
  std::string problem;
  EXPECT_FALSE(Maildir::open(dir.path() / "Mail", &problem));
  EXPECT_NE(problem.find("cannot use mail folder"), std::string::npos);
}

}  // namespace
}  // namespace trv::mail
