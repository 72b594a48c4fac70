#include "runtime/store/connection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>

#include "tests/runtime/store/test_files.h"

namespace trv::store {
namespace {

using ::testing::HasSubstr;
using testing::Item;
using testing::itemBuffer;
using testing::TempFolder;

class StoreTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(conn_.open(decl_, path_, OpenMode::Shared, &id_), Ok); }

  Code add(const Item& it) {
    RecordBuffer b = itemBuffer(decl_, it);
    return conn_.add(id_, b);
  }
  std::vector<std::string> names(int key, bool forward, const Item* from = nullptr) {
    std::vector<std::string> out;
    RecordBuffer start = itemBuffer(decl_, from ? *from : Item{});
    EXPECT_EQ(conn_.setKeyOrder(id_, key, from ? &start : nullptr), Ok);
    RecordBuffer b(decl_);
    while ((forward ? conn_.next(id_, b) : conn_.previous(id_, b)) == Ok)
      out.push_back(testing::field(decl_, b, 1));
    EXPECT_EQ(lastError().code, RecordNotFound);
    return out;
  }

  TempFolder dir_;
  FileDecl decl_ = testing::itemDecl();
  std::string path_ = dir_.file("Item.kvx");
  Connection conn_;
  FileId id_ = -1;
};

TEST_F(StoreTest, AutoNumbersStartAtOneAndFollowTheHighest) {
  RecordBuffer b = itemBuffer(decl_, {0, "a", "g", 0});
  ASSERT_EQ(conn_.add(id_, b), Ok);
  EXPECT_EQ(testing::field(decl_, b, 0), "1");
  ASSERT_EQ(add({10, "given", "g", 0}), Ok);  // a given number is kept
  b = itemBuffer(decl_, {0, "b", "g", 0});
  ASSERT_EQ(conn_.add(id_, b), Ok);
  EXPECT_EQ(testing::field(decl_, b, 0), "11");
  // After emptying, numbering starts again; row ids are still fresh.
  const Position before = b.position;
  ASSERT_EQ(conn_.empty(id_), Ok);
  b = itemBuffer(decl_, {0, "c", "g", 0});
  ASSERT_EQ(conn_.add(id_, b), Ok);
  EXPECT_EQ(testing::field(decl_, b, 0), "1");
  EXPECT_GT(b.position.row, before.row);
}

TEST_F(StoreTest, KeysIgnoreCaseAndTrailingBlanksAndRefuseDuplicates) {
  ASSERT_EQ(add({0, "Smith", "g", 0}), Ok);
  EXPECT_EQ(add({0, "SMITH ", "h", 0}), DuplicateKey);
  EXPECT_EQ(lastError().keyDescription, "Item name");
  EXPECT_EQ(lastError().text, "Creates Duplicate Key");
  EXPECT_EQ(add({1, "other", "g", 0}), DuplicateKey);
  EXPECT_EQ(lastError().keyDescription, "ITM:NrKey");

  RecordBuffer probe = itemBuffer(decl_, {0, "smith", "", 0});
  ASSERT_EQ(conn_.fetch(id_, 1, probe), Ok);
  EXPECT_EQ(testing::field(decl_, probe, 1), "Smith");
  std::uint64_t n = 0;
  ASSERT_EQ(conn_.count(id_, &n), Ok);
  EXPECT_EQ(n, 1u);
}

TEST_F(StoreTest, BlankOrZeroKeysAreLeftOutOfTheKey) {
  ASSERT_EQ(add({0, "a", "", 0}), Ok);
  ASSERT_EQ(add({0, "b", "G", 5}), Ok);
  ASSERT_EQ(add({0, "", "", 0}), Ok);  // a second blank name does not collide
  ASSERT_EQ(add({0, "", "", 0}), Ok);
  EXPECT_THAT(names(2, true), ::testing::ElementsAre("b"));
  EXPECT_THAT(names(1, true), ::testing::ElementsAre("a", "b"));
  RecordBuffer blank = itemBuffer(decl_, {});
  EXPECT_EQ(conn_.fetch(id_, 1, blank), RecordNotFound);
}

// Counted in steps, a key gives the whole count whatever the step, runs of equal keys and keys
// left out included; a step that says stop has the rest counted at once.
TEST_F(StoreTest, KeyCountedInStepsIsTheWholeCount) {
  for (int i = 0; i < 23; ++i)
    ASSERT_EQ(add({0, i % 5 == 0 ? "" : "n" + std::to_string(i), i % 4 == 0 ? "" : "g",
                   i % 7 == 0 ? 0 : i % 2}),
              Ok);
  for (int key = 0; key < 3; ++key) {
    std::uint64_t whole = 0;
    ASSERT_EQ(conn_.countKeyed(id_, key, &whole), Ok);
    for (int step : {1, 2, 3, 5, 22, 23, 24, 1000}) {
      SCOPED_TRACE("key " + std::to_string(key) + ", step " + std::to_string(step));
      std::uint64_t n = 0;
      std::uint64_t calls = 0;
      ASSERT_EQ(conn_.countKeyed(
                    id_, key, &n, [&] { return ++calls > 0; }, step),
                Ok);
      EXPECT_EQ(n, whole);
      EXPECT_GE(calls, whole / static_cast<std::uint64_t>(step));
      if (step == 1) {
        EXPECT_EQ(calls, whole);
      }
      calls = 0;
      ASSERT_EQ(conn_.countKeyed(
                    id_, key, &n,
                    [&] {
                      ++calls;
                      return false;
                    },
                    step),
                Ok);
      EXPECT_EQ(n, whole);
      EXPECT_LE(calls, 1u);
    }
  }
  std::uint64_t n = 0;
  ASSERT_EQ(conn_.countKeyed(id_, 2, &n), Ok);
  EXPECT_EQ(n, 17u);  // a blank group with a zero moment is no key
}

TEST_F(StoreTest, KeyOrderRunsBothWaysFromAValue) {
  for (const char* n : {"delta", "Alpha", "charlie", "bravo", "echo"})
    ASSERT_EQ(add({0, n, "", 0}), Ok);
  EXPECT_THAT(names(1, true), ::testing::ElementsAre("Alpha", "bravo", "charlie", "delta", "echo"));
  EXPECT_THAT(names(1, false),
              ::testing::ElementsAre("echo", "delta", "charlie", "bravo", "Alpha"));
  Item from{0, "C", "", 0};
  EXPECT_THAT(names(1, true, &from), ::testing::ElementsAre("charlie", "delta", "echo"));
  EXPECT_THAT(names(1, false, &from), ::testing::ElementsAre("bravo", "Alpha"));
  // Composite key: signed numbers order below zero first.
  ASSERT_EQ(add({0, "x1", "g", 5}), Ok);
  ASSERT_EQ(add({0, "x2", "g", -3}), Ok);
  ASSERT_EQ(add({0, "x3", "G", 0}), Ok);
  ASSERT_EQ(add({0, "x4", "f", 100}), Ok);
  EXPECT_THAT(names(2, true), ::testing::ElementsAre("x4", "x2", "x3", "x1"));
}

TEST_F(StoreTest, DuplicatesOfAKeyComeInAddOrderAcrossBulkReads) {
  for (int i = 0; i < 7; ++i) ASSERT_EQ(add({0, "n" + std::to_string(i), "same", 1}), Ok);
  for (int bulk : {1, 3, 100}) {
    conn_.setBulkRows(id_, bulk);
    EXPECT_THAT(names(2, true), ::testing::ElementsAre("n0", "n1", "n2", "n3", "n4", "n5", "n6"));
  }
}

// Going on from a record inside a run of equal keys: the rest of the run in record order, then
// the keys beyond it, both ways, whatever the read size, and each read an index search on the key
// and the row (never a walk over the run's earlier records).
TEST_F(StoreTest, SequenceGoesOnFromInsideARunOfEqualKeys) {
  ASSERT_EQ(add({0, "f0", "f", 1}), Ok);
  std::vector<RecordBuffer> run;
  for (int i = 0; i < 6; ++i) {
    RecordBuffer b = itemBuffer(decl_, {0, "g" + std::to_string(i), "g", 7});
    ASSERT_EQ(conn_.add(id_, b), Ok);
    run.push_back(b);
    if (i == 2) {
      ASSERT_EQ(add({0, "h0", "h", 0}), Ok);  // a higher key added in between
    }
  }
  ASSERT_EQ(add({0, "f1", "f", 1}), Ok);
  const int key = 2;  // group and time: equal for the whole run
  for (int bulk : {1, 2, 4, 100}) {
    conn_.setBulkRows(id_, bulk);
    for (std::size_t at = 0; at < run.size(); ++at) {
      std::vector<std::string> expectNext, expectPrevious;
      for (std::size_t i = at + 1; i < run.size(); ++i)
        expectNext.push_back(testing::field(decl_, run[i], 1));
      expectNext.push_back("h0");
      for (std::size_t i = at; i-- > 0;) expectPrevious.push_back(testing::field(decl_, run[i], 1));
      expectPrevious.insert(expectPrevious.end(), {"f1", "f0"});
      for (bool forward : {true, false}) {
        ASSERT_EQ(conn_.setSequenceAt(id_, key, run[at]), Ok);
        std::vector<std::string> got;
        RecordBuffer b(decl_);
        while ((forward ? conn_.next(id_, b) : conn_.previous(id_, b)) == Ok) {
          if (got.empty()) {
            // The run's rest (a search on the key and the row) merged with the keys beyond it
            // (a search on the key): no scan, no sort.
            const std::string plan = conn_.TEST_lastReadPlan(id_);
            EXPECT_THAT(plan, HasSubstr(forward ? "=? AND rowid>?" : "=? AND rowid<?")) << plan;
            EXPECT_THAT(plan, HasSubstr(forward ? "GroupKey>?)" : "GroupKey<?)")) << plan;
            EXPECT_THAT(plan, ::testing::Not(HasSubstr("SCAN"))) << plan;
            EXPECT_THAT(plan, ::testing::Not(HasSubstr("TEMP B-TREE"))) << plan;
          }
          got.push_back(testing::field(decl_, b, 1));
        }
        EXPECT_EQ(got, forward ? expectNext : expectPrevious) << bulk << " " << at << forward;
      }
    }
  }
}

// A scan may leave the memos out; fetch and get still read them.
TEST_F(StoreTest, SequenceReadsWithoutMemosOnRequest) {
  RecordBuffer b = itemBuffer(decl_, {0, "m", "", 0});
  b.memos[0] = "a note";
  ASSERT_EQ(conn_.add(id_, b), Ok);
  RecordBuffer r(decl_);
  for (bool memos : {false, true}) {
    conn_.setSequenceMemos(id_, memos);
    ASSERT_EQ(conn_.setFileOrder(id_), Ok);
    ASSERT_EQ(conn_.next(id_, r), Ok);
    EXPECT_EQ(testing::field(decl_, r, 1), "m");
    EXPECT_EQ(r.position, b.position);
    ASSERT_EQ(r.memos.size(), 1u);
    EXPECT_EQ(r.memos[0], memos ? "a note" : "");
    conn_.setSequenceMemos(id_, false);
    ASSERT_EQ(conn_.get(id_, b.position, r), Ok);
    EXPECT_EQ(r.memos[0], "a note");
  }
}

// A damaged row shorter than the record is read as a full record, its missing bytes zero: callers
// copy or view a whole record from the buffer.
TEST_F(StoreTest, ShortStoredRowReadsAsAFullSizeRecord) {
  ASSERT_EQ(add({0, "abcdef", "g", 0}), Ok);
  const RawFile raw = conn_.raw(id_);
  ASSERT_EQ(sqlite3_exec(
                raw.db, ("UPDATE " + raw.schema + ".records SET data = substr(data, 1, 6)").c_str(),
                nullptr, nullptr, nullptr),
            SQLITE_OK);
  RecordBuffer b(decl_);
  for (bool bulk : {false, true}) {
    conn_.setBulkRows(id_, bulk ? 4 : 1);
    ASSERT_EQ(conn_.setFileOrder(id_), Ok);
    ASSERT_EQ(conn_.next(id_, b), Ok);
    ASSERT_EQ(b.record.size(), decl_.recordSize);
    EXPECT_EQ(b.record.find_first_not_of('\0', 6), std::string::npos);
  }
  RecordBuffer again(decl_);
  ASSERT_EQ(conn_.get(id_, b.position, again), Ok);
  EXPECT_EQ(again.record, b.record);
}

TEST_F(StoreTest, ScanGoesOnAfterDeletingTheCurrentRecord) {
  for (int i = 0; i < 6; ++i) ASSERT_EQ(add({0, "r" + std::to_string(i), "", 0}), Ok);
  conn_.setBulkRows(id_, 4);
  ASSERT_EQ(conn_.setFileOrder(id_), Ok);
  RecordBuffer b(decl_);
  std::vector<std::string> seen;
  while (conn_.next(id_, b) == Ok) {
    seen.push_back(testing::field(decl_, b, 1));
    if (seen.size() % 2 == 1) {
      ASSERT_EQ(conn_.remove(id_, b.position), Ok);
    }
  }
  EXPECT_THAT(seen, ::testing::ElementsAre("r0", "r1", "r2", "r3", "r4", "r5"));
  std::uint64_t n = 0;
  ASSERT_EQ(conn_.count(id_, &n), Ok);
  EXPECT_EQ(n, 3u);
}

TEST_F(StoreTest, MemosAreKeptAndBounded) {
  RecordBuffer b = itemBuffer(decl_, {0, "m", "", 0});
  b.memos[0] = "first note";
  ASSERT_EQ(conn_.add(id_, b), Ok);
  RecordBuffer r(decl_);
  ASSERT_EQ(conn_.get(id_, b.position, r), Ok);
  EXPECT_EQ(r.memos[0], "first note");
  r.memos[0] = std::string(21, 'x');
  EXPECT_EQ(conn_.put(id_, r), FileSystemError);
  EXPECT_THAT(lastError().driverText, HasSubstr("longer than 20"));
  ASSERT_EQ(conn_.get(id_, b.position, r), Ok);
  EXPECT_EQ(r.memos[0], "first note");
}

TEST_F(StoreTest, PutAndRemoveCheckTheWatchedVersion) {
  RecordBuffer b = itemBuffer(decl_, {0, "w", "", 0});
  ASSERT_EQ(conn_.add(id_, b), Ok);
  Connection other;
  FileId oid = -1;
  ASSERT_EQ(other.open(decl_, path_, OpenMode::Shared, &oid), Ok);
  RecordBuffer theirs(decl_);
  ASSERT_EQ(other.get(oid, b.position, theirs), Ok);

  RecordBuffer mine = b;
  (void)setFieldText(decl_.fields[2], mine.record.data(), "mine");
  ASSERT_EQ(conn_.put(id_, mine), Ok);  // first write wins
  ASSERT_EQ(conn_.put(id_, mine), Ok);  // the writer's buffer follows its own writes
  (void)setFieldText(decl_.fields[2], theirs.record.data(), "theirs");
  EXPECT_EQ(other.put(oid, theirs), RecordChanged);
  EXPECT_EQ(lastError().text, "Record Changed By Another Station");
  EXPECT_EQ(other.remove(oid, theirs.position), RecordChanged);
  // Re-read, then the write goes through.
  ASSERT_EQ(other.get(oid, theirs.position, theirs), Ok);
  EXPECT_EQ(testing::field(decl_, theirs, 2), "mine");
  ASSERT_EQ(other.put(oid, theirs), Ok);
  // A record deleted by another station is gone, not changed.
  ASSERT_EQ(other.remove(oid, theirs.position), Ok);
  EXPECT_EQ(conn_.put(id_, mine), RecordNotFound);
}

TEST_F(StoreTest, TransactionIsAllOrNothing) {
  ASSERT_EQ(conn_.begin(), Ok);
  ASSERT_EQ(add({0, "t1", "", 0}), Ok);
  ASSERT_EQ(add({0, "t2", "", 0}), Ok);
  conn_.rollback();
  std::uint64_t n = 9;
  ASSERT_EQ(conn_.count(id_, &n), Ok);
  EXPECT_EQ(n, 0u);
  ASSERT_EQ(conn_.begin(), Ok);
  ASSERT_EQ(add({0, "t1", "", 0}), Ok);
  ASSERT_EQ(conn_.commit(), Ok);
  ASSERT_EQ(conn_.count(id_, &n), Ok);
  EXPECT_EQ(n, 1u);
}

TEST_F(StoreTest, EveryKeyReadIsAnIndexSearch) {
  for (int k = 0; k < 3; ++k) {
    const std::string plan = conn_.TEST_fetchPlan(id_, k);
    EXPECT_THAT(plan, HasSubstr("SEARCH")) << plan;
    EXPECT_THAT(plan, HasSubstr("INDEX")) << plan;
  }
}

TEST_F(StoreTest, KeySequencesReadTheIndexInOrder) {
  for (int i = 0; i < 5; ++i) ASSERT_EQ(add({0, "n" + std::to_string(i), "g", i}), Ok);
  const Item from{0, "n2", "g", 2};
  RecordBuffer start = itemBuffer(decl_, from);
  RecordBuffer b(decl_);
  const RecordBuffer* starts[] = {nullptr, &start};
  for (int key = 0; key < 3; ++key) {
    for (const RecordBuffer* at : starts) {
      for (bool forward : {true, false}) {
        ASSERT_EQ(conn_.setKeyOrder(id_, key, at), Ok);
        for (int step = 0; step < 2; ++step) {  // a fresh start, then a continuation
          ASSERT_EQ(forward ? conn_.next(id_, b) : conn_.previous(id_, b), Ok);
          const std::string plan = conn_.TEST_lastPlan(id_);
          EXPECT_THAT(plan, HasSubstr("USING INDEX")) << key << forward << step << plan;
          EXPECT_THAT(plan, ::testing::Not(HasSubstr("TEMP B-TREE"))) << plan;
          if (at != nullptr || step == 1) {
            EXPECT_THAT(plan, HasSubstr("SEARCH")) << plan;
          }
        }
      }
    }
  }
}

// The store driven with random operations beside a plain map, compared after every step.
TEST_F(StoreTest, BehavesLikeAMapUnderRandomOperations) {
  std::map<std::string, std::pair<std::int64_t, std::string>> model;  // upper name -> row, group
  std::mt19937 rng(7);
  auto upper = [](std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
  };
  for (int step = 0; step < 400; ++step) {
    const std::string name = std::string(1, "abcdeABCDE"[rng() % 10]) + std::to_string(rng() % 6);
    const std::string group = std::string(1, "xyz"[rng() % 3]);
    const auto it = model.find(upper(name));
    switch (rng() % 3) {
      case 0: {
        RecordBuffer b = itemBuffer(decl_, {0, name, group, 0});
        const Code c = conn_.add(id_, b);
        ASSERT_EQ(c, it == model.end() ? Ok : DuplicateKey) << step;
        if (c == Ok) model[upper(name)] = {b.position.row, group};
        break;
      }
      case 1: {
        RecordBuffer b = itemBuffer(decl_, {0, name, "", 0});
        const Code c = conn_.fetch(id_, 1, b);
        ASSERT_EQ(c, it == model.end() ? RecordNotFound : Ok) << step;
        if (c != Ok) break;
        (void)setFieldText(decl_.fields[2], b.record.data(), group);
        ASSERT_EQ(conn_.put(id_, b), Ok);
        it->second.second = group;
        break;
      }
      default:
        if (it == model.end()) break;
        ASSERT_EQ(conn_.remove(id_, {it->second.first, 0}), Ok);
        model.erase(it);
    }
    std::vector<std::string> expected;
    for (const auto& [k, v] : model) expected.push_back(k);
    std::vector<std::string> got;
    for (const std::string& n : names(1, true)) got.push_back(upper(n));
    ASSERT_EQ(got, expected) << step;
  }
}

// --- opening -----------------------------------------------------------------------------------

TEST(StoreOpenTest, MissingFilesFoldersAndLayouts) {
  TempFolder dir;
  FileDecl decl = testing::itemDecl();
  Connection conn;
  FileId id = -1;
  OpenNotes notes;

  decl.createWhenMissing = false;
  EXPECT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id), FileNotFound);
  EXPECT_EQ(lastError().text, "File Not Found");
  EXPECT_EQ(conn.open(decl, dir.file("nowhere/Item.kvx"), OpenMode::Shared, &id), PathNotFound);

  decl.createWhenMissing = true;
  ASSERT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id, &notes), Ok);
  EXPECT_TRUE(notes.created);
  EXPECT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id), FileAlreadyOpen);
  conn.close(id);

  FileDecl other = decl;
  other.fields[1].width = 9;
  EXPECT_EQ(conn.open(other, dir.file("Item.kvx"), OpenMode::Shared, &id),
            InvalidRecordDeclaration);
  ASSERT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id, &notes), Ok);
  EXPECT_FALSE(notes.created);
  conn.close(id);

  std::FILE* junk = std::fopen(dir.file("Junk.kvx").c_str(), "w");
  std::fputs("this is not a data file, just some text that is long enough to be a header......",
             junk);
  std::fclose(junk);
  EXPECT_EQ(conn.open(decl, dir.file("Junk.kvx"), OpenMode::Shared, &id), FileSystemError);
  EXPECT_FALSE(lastError().driverText.empty());
}

TEST(StoreOpenTest, UnwritableFolderGivesAccessDeniedThenOpensReadOnly) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  {
    Connection conn;
    FileId id = -1;
    ASSERT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id), Ok);
    RecordBuffer b = itemBuffer(decl, {0, "kept", "", 0});
    ASSERT_EQ(conn.add(id, b), Ok);
  }
  TEST_setFaults({dir.path()});
  Connection conn;
  FileId id = -1;
  OpenNotes notes;
  EXPECT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id), AccessDenied);
  ASSERT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::ReadOnly, &id, &notes), Ok);
  EXPECT_TRUE(notes.readOnly);
  RecordBuffer b = itemBuffer(decl, {0, "kept", "", 0});
  EXPECT_EQ(conn.fetch(id, 1, b), Ok);
  EXPECT_EQ(conn.add(id, b), AccessDenied);
  TEST_setFaults({});
}

TEST(StoreOpenTest, FullDiskRefusesWritesAndKeepsWhatIsStored) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  Connection conn;
  FileId id = -1;
  ASSERT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id), Ok);
  RecordBuffer b = itemBuffer(decl, {0, "kept", "", 0});
  ASSERT_EQ(conn.add(id, b), Ok);
  TEST_setFaults({{}, dir.path()});
  RecordBuffer more = itemBuffer(decl, {0, "more", "", 0});
  EXPECT_EQ(conn.add(id, more), FileSystemError);
  EXPECT_EQ(lastError().driverText, "database or disk is full");
  EXPECT_EQ(conn.put(id, b), FileSystemError);
  EXPECT_EQ(conn.remove(id, b.position), FileSystemError);
  TEST_setFaults({});
  RecordBuffer probe = itemBuffer(decl, {0, "kept", "", 0});
  EXPECT_EQ(conn.fetch(id, 1, probe), Ok);
  EXPECT_EQ(probe.position, b.position);
}

TEST(StoreOpenTest, LockHeldElsewhereGivesRecordNotAvailableNotAHang) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  Connection conn;
  FileId id = -1;
  ASSERT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id), Ok);
  ASSERT_EQ(conn.send("Recover=1"), Ok);
  for (const char* bad : {"Recover=", "Recover=x", "Recover=-2", "Other=1"})
    EXPECT_EQ(conn.send(bad), EntryNotFound) << bad;
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(dir.file("Item.kvx").c_str(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  const auto start = std::chrono::steady_clock::now();
  std::uint64_t n = 0;
  EXPECT_EQ(conn.count(id, &n), RecordNotAvailable);
  RecordBuffer b = itemBuffer(decl, {0, "x", "", 0});
  EXPECT_EQ(conn.add(id, b), RecordNotAvailable);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(other);
  EXPECT_EQ(conn.add(id, b), Ok);
}

// Another station takes the file's lock between the steps of an open: the open waits, then says
// the file is busy (33), never that its layout is another (47) or a key must be rebuilt (46).
TEST(StoreOpenTest, LockTakenDuringAnOpenIsBusyNeverABadLayoutOrKey) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  const std::string path = dir.file("Item.kvx");
  {
    Connection first;
    FileId id = -1;
    ASSERT_EQ(first.open(decl, path, OpenMode::Shared, &id), Ok);
  }
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
  for (const char* step : {"layout", "keys"}) {
    TEST_Faults faults;
    faults.betweenOpenSteps = [&](std::string_view next) {
      if (next == step) sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
    };
    TEST_setFaults(faults);
    Connection conn;
    conn.setLockRecoverySeconds(1);
    conn.setOpenWaitSeconds(1);
    FileId id = -1;
    OpenNotes notes;
    EXPECT_EQ(conn.open(decl, path, OpenMode::Shared, &id, &notes), RecordNotAvailable) << step;
    EXPECT_EQ(lastError().code, RecordNotAvailable) << step;
    TEST_setFaults({});
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    ASSERT_EQ(conn.open(decl, path, OpenMode::Shared, &id, &notes), Ok) << step;
    EXPECT_FALSE(notes.keysRebuilt) << step;
  }
  sqlite3_close(other);
}

// SQLite is given files as "file:" addresses; a file that cannot be opened is named by its path.
TEST(StoreOpenTest, FileThatCannotBeOpenedIsNamedByItsPath) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  std::string deep = dir.path();
  while (deep.size() < 600) {  // longer than SQLite takes, well within what Linux does
    deep += "/" + std::string(60, 'd');
    ASSERT_TRUE(std::filesystem::create_directory(deep));
  }
  const std::string path = deep + "/Item.kvx";
  for (bool attached : {false, true}) {
    Connection conn;
    FileId first = -1, id = -1;
    if (attached) {
      ASSERT_EQ(conn.open(decl, dir.file("First.kvx"), OpenMode::Shared, &first), Ok);
    }
    EXPECT_NE(conn.open(decl, path, OpenMode::Shared, &id), Ok);
    const std::string text = lastError().driverText;
    EXPECT_THAT(text, HasSubstr(path)) << attached;
    EXPECT_THAT(text, ::testing::Not(HasSubstr("file:/"))) << attached;
    EXPECT_THAT(text, ::testing::Not(HasSubstr("?mode="))) << attached;
  }
  // A backup of such a file says the same.
  std::filesystem::copy_file(dir.file("First.kvx"), path);
  EXPECT_NE(copyFile(path, dir.file("Copy.kvx")), Ok);
  EXPECT_THAT(lastError().driverText, HasSubstr(path));
  EXPECT_THAT(lastError().driverText, ::testing::Not(HasSubstr("file:/")));
}

TEST(StoreOpenTest, MissingKeyIsRebuilt) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  {
    Connection conn;
    FileId id = -1;
    ASSERT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id), Ok);
    RecordBuffer b = itemBuffer(decl, {0, "x", "", 0});
    ASSERT_EQ(conn.add(id, b), Ok);
  }
  sqlite3* raw = nullptr;
  ASSERT_EQ(sqlite3_open(dir.file("Item.kvx").c_str(), &raw), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(raw, "DROP INDEX \"ITM:NameKey index\"", nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(raw);

  Connection conn;
  FileId id = -1;
  OpenNotes notes;
  ASSERT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id, &notes), Ok);
  EXPECT_TRUE(notes.keysRebuilt);
  EXPECT_EQ(lastError().code, InvalidKeyFile);
  RecordBuffer b = itemBuffer(decl, {0, "X", "", 0});
  EXPECT_EQ(conn.add(id, b), DuplicateKey);
}

TEST(StoreOpenTest, FilesOfOneConnectionShareATransaction) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  Connection conn;
  FileId a = -1, b = -1;
  ASSERT_EQ(conn.open(decl, dir.file("A.kvx"), OpenMode::Shared, &a), Ok);
  ASSERT_EQ(conn.open(decl, dir.file("B.kvx"), OpenMode::Shared, &b), Ok);
  ASSERT_EQ(conn.begin(), Ok);
  RecordBuffer r = itemBuffer(decl, {0, "one", "", 0});
  ASSERT_EQ(conn.add(a, r), Ok);
  r = itemBuffer(decl, {0, "two", "", 0});
  ASSERT_EQ(conn.add(b, r), Ok);
  conn.rollback();
  std::uint64_t na = 1, nb = 1;
  ASSERT_EQ(conn.count(a, &na), Ok);
  ASSERT_EQ(conn.count(b, &nb), Ok);
  EXPECT_EQ(na + nb, 0u);
  // Closing the first file (the connection's main database) leaves the other usable.
  conn.close(a);
  EXPECT_EQ(conn.count(a, &na), FileNotOpen);
  EXPECT_EQ(conn.count(b, &nb), Ok);
  ASSERT_EQ(conn.open(decl, dir.file("A.kvx"), OpenMode::Shared, &a), Ok);
  EXPECT_EQ(conn.count(a, &na), Ok);
}

TEST(StoreCopyTest, CopyIsAReadableDataFile) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  Connection conn;
  FileId id = -1;
  ASSERT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id), Ok);
  RecordBuffer r = itemBuffer(decl, {0, "copied", "", 0});
  ASSERT_EQ(conn.add(id, r), Ok);
  ASSERT_EQ(copyFile(dir.file("Item.kvx"), dir.file("Copy.kvx")), Ok);
  Connection reader;
  FileId cid = -1;
  ASSERT_EQ(reader.open(decl, dir.file("Copy.kvx"), OpenMode::ReadOnly, &cid), Ok);
  RecordBuffer probe = itemBuffer(decl, {0, "copied", "", 0});
  EXPECT_EQ(reader.fetch(cid, 1, probe), Ok);
  EXPECT_EQ(copyFiles({{dir.file("Item.kvx"), dir.file("Copy2.kvx")},
                       {dir.file("Missing.kvx"), dir.file("Copy3.kvx")}}),
            FileNotFound);
  EXPECT_FALSE(std::filesystem::exists(dir.file("Copy2.kvx")));

  FileId oid = -1;
  ASSERT_EQ(conn.open(decl, dir.file("Other.kvx"), OpenMode::Shared, &oid), Ok);
  r = itemBuffer(decl, {0, "other", "", 0});
  ASSERT_EQ(conn.add(oid, r), Ok);
  ASSERT_EQ(copyFiles({{dir.file("Item.kvx"), dir.file("Copy2.kvx")},
                       {dir.file("Other.kvx"), dir.file("Copy3.kvx")}}),
            Ok);
  FileId c3 = -1;
  ASSERT_EQ(reader.open(decl, dir.file("Copy3.kvx"), OpenMode::ReadOnly, &c3), Ok);
  probe = itemBuffer(decl, {0, "other", "", 0});
  EXPECT_EQ(reader.fetch(c3, 1, probe), Ok);
}

std::string bytesOf(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A copy that cannot be made leaves the backup it would replace as it was and says which file
// failed: one whose writing runs into the file-size limit (as into a full disk), one of a
// source cut short of its pages.
TEST(StoreCopyTest, AFailedCopyKeepsTheOldBackupAndSaysWhy) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  {
    Connection conn;
    FileId id = -1;
    ASSERT_EQ(conn.open(decl, dir.file("Item.kvx"), OpenMode::Shared, &id), Ok);
    ASSERT_EQ(conn.begin(), Ok);
    for (int i = 0; i < 5000; ++i) {
      RecordBuffer r = itemBuffer(decl, {0, "n" + std::to_string(i), "grp", i});
      ASSERT_EQ(conn.add(id, r), Ok);
    }
    ASSERT_EQ(conn.commit(), Ok);
  }
  const std::string old = "the backup of yesterday";
  std::ofstream(dir.file("Backup.kvx"), std::ios::binary) << old;
  const auto leftOver = [&] {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = leftOver();
  for (bool stepped : {false, true}) {
    SCOPED_TRACE(stepped);
    rlimit was{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &was), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = was;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Code c =
        stepped ? copyFiles({{dir.file("Item.kvx"), dir.file("Backup.kvx")}}, [] { return true; })
                : copyFile(dir.file("Item.kvx"), dir.file("Backup.kvx"));
    ::setrlimit(RLIMIT_FSIZE, &was);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(c, FileSystemError);
    EXPECT_THAT(lastError().driverText, HasSubstr(dir.file("Backup.kvx")));
    EXPECT_EQ(bytesOf(dir.file("Backup.kvx")), old);
    EXPECT_EQ(leftOver(), before);
  }
  std::filesystem::resize_file(dir.file("Item.kvx"),
                               std::filesystem::file_size(dir.file("Item.kvx")) - 4096);
  EXPECT_EQ(copyFile(dir.file("Item.kvx"), dir.file("Backup.kvx")), FileSystemError);
  EXPECT_THAT(lastError().driverText, HasSubstr(dir.file("Item.kvx")));
  EXPECT_EQ(bytesOf(dir.file("Backup.kvx")), old);
  EXPECT_EQ(leftOver(), before);
}

// Copied in steps while another connection keeps writing to both files between the steps: the
// copy ends, each copy is a readable file, and the copies agree with each other (the writer
// adds one record to each file at a time, so both copies hold as many added records).
TEST(StoreCopyTest, SteppedCopyOfChangingFilesEndsAndAgrees) {
  TempFolder dir;
  const FileDecl decl = testing::itemDecl();
  Connection conn;
  FileId big = -1, small = -1;
  ASSERT_EQ(conn.open(decl, dir.file("Big.kvx"), OpenMode::Shared, &big), Ok);
  ASSERT_EQ(conn.open(decl, dir.file("Small.kvx"), OpenMode::Shared, &small), Ok);
  ASSERT_EQ(conn.begin(), Ok);
  for (int i = 0; i < 60000; ++i) {
    RecordBuffer r = itemBuffer(decl, {0, "b" + std::to_string(i), "grp", i});
    ASSERT_EQ(conn.add(big, r), Ok);
  }
  ASSERT_EQ(conn.commit(), Ok);
  for (int limit : {0, 3, 1000}) {
    SCOPED_TRACE(limit);
    int calls = 0, writes = 0;
    const auto between = [&] {
      ++calls;
      if (writes >= limit) return true;
      ++writes;
      for (FileId f : {big, small}) {
        RecordBuffer r = itemBuffer(
            decl, {0, "w" + std::to_string(limit) + "-" + std::to_string(writes), "new", 0});
        EXPECT_EQ(conn.add(f, r), Ok);
      }
      return true;
    };
    ASSERT_EQ(copyFiles({{dir.file("Big.kvx"), dir.file("BigCopy.kvx")},
                         {dir.file("Small.kvx"), dir.file("SmallCopy.kvx")}},
                        between),
              Ok);
    EXPECT_GT(calls, 1);
    // Of a file that did not change, the copy is the file's very bytes.
    if (limit == 0) {
      EXPECT_EQ(bytesOf(dir.file("BigCopy.kvx")), bytesOf(dir.file("Big.kvx")));
    }
    Connection reader;
    FileId bc = -1, sc = -1;
    ASSERT_EQ(reader.open(decl, dir.file("BigCopy.kvx"), OpenMode::ReadOnly, &bc), Ok);
    ASSERT_EQ(reader.open(decl, dir.file("SmallCopy.kvx"), OpenMode::ReadOnly, &sc), Ok);
    std::uint64_t nb = 0, ns = 0, added = 0;
    ASSERT_EQ(reader.count(bc, &nb), Ok);
    ASSERT_EQ(reader.count(sc, &ns), Ok);
    ASSERT_EQ(conn.count(small, &added), Ok);
    EXPECT_EQ(nb - 60000, ns);
    // Every write came before the last look at the files: the copies hold them all.
    EXPECT_EQ(ns, added);
  }
  // A backup that also has another name (a snapshot tool's hard link) keeps it there whole.
  ASSERT_EQ(::link(dir.file("BigCopy.kvx").c_str(), dir.file("Snapshot.kvx").c_str()), 0);
  const auto snapshotSize = std::filesystem::file_size(dir.file("Snapshot.kvx"));
  // The program ends in the middle: the rest is copied at once, the copy still complete.
  int calls = 0;
  ASSERT_EQ(copyFiles({{dir.file("Big.kvx"), dir.file("BigCopy.kvx")}},
                      [&] { return ++calls > 1 ? false : true; }),
            Ok);
  EXPECT_EQ(calls, 2);
  Connection reader;
  FileId bc = -1;
  std::uint64_t n = 0, expected = 0;
  ASSERT_EQ(reader.open(decl, dir.file("BigCopy.kvx"), OpenMode::ReadOnly, &bc), Ok);
  ASSERT_EQ(reader.count(bc, &n), Ok);
  ASSERT_EQ(conn.count(big, &expected), Ok);
  EXPECT_EQ(n, expected);
  EXPECT_EQ(std::filesystem::file_size(dir.file("Snapshot.kvx")), snapshotSize);
  // The copies replaced leave nothing behind: no temporary copy, no second name of an old one.
  std::vector<std::string> left;
  for (const auto& e : std::filesystem::directory_iterator(dir.path()))
    if (e.path().filename().string().find("Copy") != std::string::npos)
      left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"BigCopy.kvx", "SmallCopy.kvx"}));
}

}  // namespace
}  // namespace trv::store
