// Several processes on one database folder, as several workstations would be.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <thread>

#include "runtime/store/connection.h"
#include "tests/runtime/store/stations.h"
#include "tests/runtime/store/test_files.h"

namespace trv::store {
namespace {

using testing::exitCode;
using testing::Item;
using testing::itemBuffer;
using testing::spawn;
using testing::TempFolder;

TEST(TwoStationTest, SimultaneousAddsGetUniqueNumbersAndNoneIsLost) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  const std::string path = dir.file("Item.kvx");
  // The file does not exist yet: both stations create it at first use.
  const int perStation = 1000;
  int go[2];
  ASSERT_EQ(::pipe(go), 0);
  std::vector<pid_t> kids;
  for (int station = 0; station < 2; ++station)
    kids.push_back(spawn([&, station] {
      char ch;
      if (::read(go[0], &ch, 1) != 1) return 2;
      Connection c;
      c.setLockRecoverySeconds(30);
      FileId id;
      if (c.open(decl, path, OpenMode::Shared, &id) != Ok) return 3;
      for (int i = 0; i < perStation; ++i) {
        RecordBuffer b =
            itemBuffer(decl, {0, "s" + std::to_string(station) + "-" + std::to_string(i), "", 0});
        if (c.add(id, b) != Ok) return 4;
      }
      return 0;
    }));
  ASSERT_EQ(::write(go[1], "gg", 2), 2);
  for (pid_t k : kids) EXPECT_EQ(exitCode(k), 0);

  Connection c;
  FileId id;
  ASSERT_EQ(c.open(decl, path, OpenMode::Shared, &id), Ok);
  std::set<std::uint32_t> numbers;
  RecordBuffer b(decl);
  ASSERT_EQ(c.setFileOrder(id), Ok);
  c.setBulkRows(id, 500);
  std::size_t rows = 0;
  while (c.next(id, b) == Ok) {
    ++rows;
    numbers.insert(static_cast<std::uint32_t>(readNumber(decl.fields[0], b.record.data())));
  }
  EXPECT_EQ(rows, 2u * perStation);
  EXPECT_EQ(numbers.size(), 2u * perStation);
  EXPECT_EQ(*numbers.rbegin(), 2u * perStation);
}

TEST(TwoStationTest, SecondWriteOfTheSameRecordIsRefused) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  const std::string path = dir.file("Item.kvx");
  Connection c;
  FileId id;
  ASSERT_EQ(c.open(decl, path, OpenMode::Shared, &id), Ok);
  RecordBuffer mine = itemBuffer(decl, {0, "shared", "", 0});
  ASSERT_EQ(c.add(id, mine), Ok);

  int toChild[2], toParent[2];
  ASSERT_EQ(::pipe(toChild), 0);
  ASSERT_EQ(::pipe(toParent), 0);
  const pid_t kid = spawn([&] {
    Connection other;
    FileId oid;
    if (other.open(decl, path, OpenMode::Shared, &oid) != Ok) return 2;
    RecordBuffer theirs(decl);
    if (other.get(oid, mine.position, theirs) != Ok) return 3;
    char ch = 'r';
    if (::write(toParent[1], &ch, 1) != 1 || ::read(toChild[0], &ch, 1) != 1) return 4;
    (void)setFieldText(decl.fields[2], theirs.record.data(), "child");
    return other.put(oid, theirs) == RecordChanged ? 0 : 5;
  });
  char ch;
  ASSERT_EQ(::read(toParent[0], &ch, 1), 1);
  (void)setFieldText(decl.fields[2], mine.record.data(), "parent");
  ASSERT_EQ(c.put(id, mine), Ok);
  ASSERT_EQ(::write(toChild[1], "w", 1), 1);
  EXPECT_EQ(exitCode(kid), 0);
  RecordBuffer stored(decl);
  ASSERT_EQ(c.get(id, mine.position, stored), Ok);
  EXPECT_EQ(testing::field(decl, stored, 2), "parent");
}

// Eight stations saving one record as fast as they can, and four more starting up meanwhile:
// every save finishes within the lock wait (none waits out the others), every station that
// starts opens the file, and no increment is lost.
TEST(TwoStationTest, EightStationsSavingAtOnceFinishWithinTheWaitAndOthersStillOpen) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  const std::string path = dir.file("Item.kvx");
  RecordBuffer counter = itemBuffer(decl, {0, "counter", "", 0});
  {
    Connection c;
    FileId id;
    ASSERT_EQ(c.open(decl, path, OpenMode::Shared, &id), Ok);
    ASSERT_EQ(c.add(id, counter), Ok);
  }
  struct Result {
    bool opened = false;
    int saved = 0, busy = 0, other = 0;
    long long slowestMs = 0;
  };
  constexpr int kWriters = 8, kStarting = 4;
  const auto runFor = std::chrono::milliseconds(3000);
  int go[2], results[2];
  ASSERT_EQ(::pipe(go), 0);
  ASSERT_EQ(::pipe(results), 0);
  auto station = [&](bool writer) {
    return [&, writer] {
      Result r;
      char ch;
      if (writer && ::read(go[0], &ch, 1) != 1) return 2;
      const auto end = std::chrono::steady_clock::now() + runFor;
      Connection c;
      FileId id;
      r.opened = c.open(decl, path, OpenMode::Shared, &id) == Ok;
      while (r.opened) {
        const auto start = std::chrono::steady_clock::now();
        RecordBuffer b(decl);
        Code code = c.get(id, counter.position, b);
        if (code == Ok) code = c.begin();
        if (code == Ok) {
          const FieldDecl& n = decl.fields[3];
          writeNumber(n, b.record.data(), readNumber(n, b.record.data()) + 1);
          code = c.put(id, b);
          code = code == Ok ? c.commit() : code;
          if (code != Ok) c.rollback();
        }
        r.slowestMs =
            std::max<long long>(r.slowestMs, std::chrono::duration_cast<std::chrono::milliseconds>(
                                                 std::chrono::steady_clock::now() - start)
                                                 .count());
        if (code == Ok)
          ++r.saved;
        else if (code == RecordNotAvailable)
          ++r.busy;
        else if (code != RecordChanged)
          ++r.other;
        if (!writer || std::chrono::steady_clock::now() >= end) break;
      }
      return ::write(results[1], &r, sizeof r) == sizeof r ? 0 : 3;
    };
  };
  std::vector<pid_t> kids;
  for (int i = 0; i < kWriters; ++i) kids.push_back(spawn(station(true)));
  ASSERT_EQ(::write(go[1], std::string(kWriters, 'g').data(), kWriters), kWriters);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  for (int i = 0; i < kStarting; ++i) kids.push_back(spawn(station(false)));
  ::close(results[1]);
  for (pid_t k : kids) EXPECT_EQ(exitCode(k), 0);
  Result total, r;
  int opened = 0;
  while (::read(results[0], &r, sizeof r) == static_cast<ssize_t>(sizeof r)) {
    opened += r.opened ? 1 : 0;
    total.saved += r.saved;
    total.busy += r.busy;
    total.other += r.other;
    total.slowestMs = std::max(total.slowestMs, r.slowestMs);
  }
  EXPECT_EQ(opened, kWriters + kStarting);
  EXPECT_EQ(total.busy, 0);
  EXPECT_EQ(total.other, 0);
  EXPECT_LT(total.slowestMs, 2000);
  Connection c;
  FileId id;
  ASSERT_EQ(c.open(decl, path, OpenMode::Shared, &id), Ok);
  RecordBuffer b(decl);
  ASSERT_EQ(c.get(id, counter.position, b), Ok);
  EXPECT_EQ(readNumber(decl.fields[3], b.record.data()), total.saved);
  std::printf("%d saves, slowest %lld ms\n", total.saved, total.slowestMs);
}

// A station killed while it renames a parent and its children in one transaction over two
// files: afterwards both files open and agree (all of the rename or none of it).
TEST(TwoStationTest, KilledInTheMiddleOfATransactionLeavesAllOrNothing) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  const std::string parents = dir.file("Parent.kvx"), children = dir.file("Child.kvx");
  {
    Connection c;
    FileId p, k;
    ASSERT_EQ(c.open(decl, parents, OpenMode::Shared, &p), Ok);
    ASSERT_EQ(c.open(decl, children, OpenMode::Shared, &k), Ok);
    RecordBuffer b = itemBuffer(decl, {0, "p", "n0", 0});
    ASSERT_EQ(c.add(p, b), Ok);
    for (int i = 0; i < 50; ++i) {
      b = itemBuffer(decl, {0, "c" + std::to_string(i), "n0", 0});
      ASSERT_EQ(c.add(k, b), Ok);
    }
  }
  std::mt19937 rng(11);
  for (int round = 0; round < 6; ++round) {
    const pid_t kid = spawn([&] {
      Connection c;
      FileId p, k;
      if (c.open(decl, parents, OpenMode::Shared, &p) != Ok) return 2;
      if (c.open(decl, children, OpenMode::Shared, &k) != Ok) return 3;
      for (int n = 1;; ++n) {
        const std::string name = "n" + std::to_string(n);
        if (c.begin() != Ok) return 4;
        RecordBuffer b(decl);
        if (c.setFileOrder(p) != Ok || c.next(p, b) != Ok) return 5;
        (void)setFieldText(decl.fields[2], b.record.data(), name);
        if (c.put(p, b) != Ok) return 6;
        if (c.setFileOrder(k) != Ok) return 7;
        while (c.next(k, b) == Ok) {
          (void)setFieldText(decl.fields[2], b.record.data(), name);
          if (c.put(k, b) != Ok) return 8;
        }
        if (c.commit() != Ok) return 9;
      }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + rng() % 120));
    ::kill(kid, SIGKILL);
    ASSERT_EQ(exitCode(kid), 100 + SIGKILL);

    Connection c;
    FileId p, k;
    ASSERT_EQ(c.open(decl, parents, OpenMode::Shared, &p), Ok);
    ASSERT_EQ(c.open(decl, children, OpenMode::Shared, &k), Ok);
    RecordBuffer b(decl);
    ASSERT_EQ(c.setFileOrder(p), Ok);
    ASSERT_EQ(c.next(p, b), Ok);
    const std::string name = testing::field(decl, b, 2);
    ASSERT_EQ(c.setFileOrder(k), Ok);
    int count = 0;
    while (c.next(k, b) == Ok) {
      ++count;
      ASSERT_EQ(testing::field(decl, b, 2), name) << "round " << round;
    }
    EXPECT_EQ(count, 50);
  }
}

}  // namespace
}  // namespace trv::store
