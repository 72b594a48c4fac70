#include "runtime/data/file_access.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <thread>

#include "tests/runtime/store/stations.h"
#include "tests/runtime/store/test_files.h"
#include "tests/support/recording_sink.h"

namespace trv::data {
namespace {

using store::testing::TempFolder;
using ::testing::ElementsAre;
using trv::testing::RecordingSink;

class FileAccessTest : public ::testing::Test {
 protected:
  FileAccessTest() : items_(store::testing::itemDecl(), sink_) {
    items_.setName(dir_.file("Item.kvx"));
  }
  ~FileAccessTest() override { store::TEST_setFaults({}); }

  void setName(const std::string& name) {
    store::RecordBuffer& b = items_.buffer();
    (void)store::setFieldText(items_.decl().fields[1], b.record.data(), name);
  }
  std::string nr() {
    return store::fieldText(items_.decl().fields[0], items_.buffer().record.data());
  }

  TempFolder dir_;
  RecordingSink sink_;
  FileAccess items_;
};

TEST_F(FileAccessTest, UseBeforeOpenIsAProgramError) {
  EXPECT_EQ(items_.next(), store::FileNotOpen);
  EXPECT_THAT(sink_.ids(), ElementsAre(39));
  EXPECT_EQ(sink_.raised[0].file, dir_.file("Item.kvx"));
}

TEST_F(FileAccessTest, MissingFileIsCreatedOnFirstUseOfALazyOpen) {
  ASSERT_EQ(items_.open(/*lazy=*/true), LevelOk);
  EXPECT_FALSE(std::filesystem::exists(dir_.file("Item.kvx")));
  std::uint64_t n = 9;
  ASSERT_EQ(items_.count(&n), store::Ok);
  EXPECT_EQ(n, 0u);
  EXPECT_TRUE(std::filesystem::exists(dir_.file("Item.kvx")));
  EXPECT_TRUE(sink_.raised.empty());
  // The count is per user: the file stays open until the last close.
  ASSERT_EQ(items_.open(), LevelOk);
  items_.close();
  EXPECT_EQ(items_.count(&n), store::Ok);
  items_.close();
  EXPECT_EQ(items_.openCount(), 0);
}

TEST_F(FileAccessTest, OpenFailuresGiveTheirFatalMessages) {
  store::FileDecl neverCreated = store::testing::itemDecl();
  neverCreated.createWhenMissing = false;
  FileAccess users(neverCreated, sink_);
  users.setName(dir_.file("Ide.kvx"));
  EXPECT_EQ(users.open(), LevelFatal);
  EXPECT_EQ(users.openCount(), 0);

  FileAccess nowhere(store::testing::itemDecl(), sink_);
  nowhere.setName(dir_.file("gone/Item.kvx"));
  EXPECT_EQ(nowhere.open(), LevelFatal);

  ASSERT_EQ(sink_.raised.size(), 2u);
  EXPECT_EQ(sink_.raised[0].id, 23);
  EXPECT_EQ(sink_.raised[0].code, store::FileNotFound);
  EXPECT_EQ(sink_.raised[1].id, 10);
  EXPECT_EQ(sink_.raised[1].code, store::PathNotFound);
}

TEST_F(FileAccessTest, UnwritableFolderWarnsThenOpensReadOnly) {
  ASSERT_EQ(items_.open(), LevelOk);  // creates the file
  items_.close();
  store::TEST_setFaults({dir_.path()});
  ASSERT_EQ(items_.open(), LevelOk);
  EXPECT_THAT(sink_.ids(), ElementsAre(2));
  EXPECT_EQ(sink_.raised[0].code, store::AccessDenied);
  EXPECT_TRUE(items_.readOnly());
  items_.primeRecord();
  setName("x");
  EXPECT_EQ(items_.insert(), LevelNotify);
  EXPECT_THAT(sink_.ids(), ElementsAre(2, 4));
  items_.close();
}

// Another station holds the file locked for longer than an operation waits (it is writing a
// long transaction): opening the file waits its lock-recovery time and tries again, rather than
// end the program.
TEST_F(FileAccessTest, OpenOfAFileLockedForAWhileWaitsAndTriesAgain) {
  ASSERT_EQ(items_.open(), LevelOk);  // creates the file
  items_.close();
  items_.setLockRecovery(1);
  store::testing::LockHolder writer(items_.name(), store::testing::LockHolder::Write,
                                    std::chrono::milliseconds(1500));
  ASSERT_TRUE(writer.held());
  EXPECT_EQ(items_.open(), LevelOk);
  EXPECT_THAT(sink_.ids(), ElementsAre());
  items_.close();
}

TEST_F(FileAccessTest, RebuiltKeyIsReported) {
  ASSERT_EQ(items_.open(), LevelOk);
  items_.close();
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(dir_.file("Item.kvx").c_str(), &raw), SQLITE_OK);
  sqlite3_exec(raw, "DROP INDEX \"ITM:GroupKey index\"", nullptr, nullptr, nullptr);
  sqlite3_close(raw);
  ASSERT_EQ(items_.open(), LevelOk);
  EXPECT_THAT(sink_.ids(), ElementsAre(27));
  items_.close();
}

TEST_F(FileAccessTest, DuplicateKeyNamesTheKeysDescription) {
  ASSERT_EQ(items_.open(), LevelOk);
  items_.primeRecord();
  setName("same");
  ASSERT_EQ(items_.insert(), LevelOk);
  items_.primeRecord();
  setName("SAME");
  EXPECT_EQ(items_.insert(), LevelNotify);
  ASSERT_EQ(sink_.raised.size(), 1u);
  EXPECT_EQ(sink_.raised[0].id, 13);
  EXPECT_EQ(sink_.raised[0].text, "Item name");
  items_.close();
}

TEST_F(FileAccessTest, CancelledReservationFreesTheNumber) {
  ASSERT_EQ(items_.open(), LevelOk);
  for (int round = 0; round < 2; ++round) {
    items_.primeRecord();
    ASSERT_EQ(items_.primeAutoInc(), LevelOk);
    EXPECT_EQ(nr(), "1");
    EXPECT_TRUE(items_.hasReservation());
    ASSERT_EQ(items_.cancelAutoNumber(), LevelOk);
  }
  std::uint64_t n = 9;
  ASSERT_EQ(items_.count(&n), store::Ok);
  EXPECT_EQ(n, 0u);
  // A completed insert writes over its placeholder.
  items_.primeRecord();
  ASSERT_EQ(items_.primeAutoInc(), LevelOk);
  setName("kept");
  ASSERT_EQ(items_.insert(), LevelOk);
  EXPECT_FALSE(items_.hasReservation());
  ASSERT_EQ(items_.count(&n), store::Ok);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(items_.cancelAutoNumber(), LevelOk);  // nothing reserved: nothing removed
  ASSERT_EQ(items_.count(&n), store::Ok);
  EXPECT_EQ(n, 1u);
  items_.close();
}

TEST_F(FileAccessTest, ReservationMovesPastNumbersTakenElsewhere) {
  ASSERT_EQ(items_.open(), LevelOk);
  items_.primeRecord();
  setName("first");
  ASSERT_EQ(items_.insert(), LevelOk);  // number 1
  // Numbers 2 and 3 are kept elsewhere; while this station skips them, another one reserves 4.
  bool othersReserved = false;
  auto taken = [&](std::int64_t n) {
    if (!othersReserved) {
      othersReserved = true;
      std::thread other([&] {
        if (items_.open() != LevelOk) return;
        items_.primeRecord();
        (void)store::writeNumber(items_.decl().fields[0], items_.buffer().record.data(), 4);
        (void)items_.add();
        items_.close();
      });
      other.join();
    }
    return n == 2 || n == 3;
  };
  items_.primeRecord();
  ASSERT_EQ(items_.primeAutoInc(taken), LevelOk);
  EXPECT_EQ(nr(), "5");
  setName("kept");
  ASSERT_EQ(items_.insert(), LevelOk);  // over the moved placeholder, not beside it
  std::uint64_t n = 0;
  ASSERT_EQ(items_.count(&n), store::Ok);
  EXPECT_EQ(n, 3u);
  // A cancelled reservation gives the moved number back.
  items_.primeRecord();
  ASSERT_EQ(items_.primeAutoInc([](std::int64_t k) { return k == 6; }), LevelOk);
  EXPECT_EQ(nr(), "7");
  ASSERT_EQ(items_.cancelAutoNumber(), LevelOk);
  ASSERT_EQ(items_.count(&n), store::Ok);
  EXPECT_EQ(n, 3u);
  items_.close();
}

TEST_F(FileAccessTest, ReservationThatKeepsFailingAsksAndGivesUp) {
  ASSERT_EQ(items_.open(), LevelOk);
  items_.close();
  store::TEST_setFaults({dir_.path()});
  ASSERT_EQ(items_.open(), LevelOk);  // read-only: every add fails
  sink_.answers[32] = LevelDeclined;  // "Try Again?" No
  items_.primeRecord();
  EXPECT_EQ(items_.primeAutoInc(), LevelNotify);
  EXPECT_THAT(sink_.ids(), ElementsAre(2, 32));  // one question after three failed tries
  EXPECT_EQ(sink_.raised[1].code, store::AccessDenied);
  EXPECT_FALSE(items_.hasReservation());
  items_.close();
}

TEST_F(FileAccessTest, EachThreadHasItsOwnBufferAndOpenCount) {
  ASSERT_EQ(items_.open(), LevelOk);
  items_.primeRecord();
  setName("main");
  ASSERT_EQ(items_.insert(), LevelOk);
  std::string seenThere;
  int countThere = -1;
  std::thread other([&] {
    countThere = items_.openCount();
    if (items_.open() != LevelOk) return;
    seenThere = store::fieldText(items_.decl().fields[1], items_.buffer().record.data());
    if (items_.setFileOrder() == store::Ok && items_.next() == store::Ok)
      seenThere += "/" + store::fieldText(items_.decl().fields[1], items_.buffer().record.data());
    items_.close();
  });
  other.join();
  EXPECT_EQ(countThere, 0);
  EXPECT_EQ(seenThere, "/main");  // a fresh buffer there, then the stored record
  EXPECT_EQ(store::fieldText(items_.decl().fields[1], items_.buffer().record.data()), "main");
  items_.close();
}

}  // namespace
}  // namespace trv::data
