#include "core/system/log_counts.h"

#include <gtest/gtest.h>

#include "core/data/database_tool.h"
#include "core/data/dictionary.h"
#include "tests/runtime/store/test_files.h"
#include "tests/support/recording_sink.h"

namespace trv::core {
namespace {

using data::LevelOk;

class LogCountsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(createStarterDatabase(db_.path()).ok);
    const std::pair<const char*, int> entries[] = {{"Created", 8}, {"Re-Open", 4}, {"Active", 20},
                                                   {"On Hold", 4}, {"Closed", 4},  {"Logon", 3},
                                                   {"ClnLog", 1}};
    for (const auto& [action, times] : entries)
      for (int i = 0; i < times; ++i)
        ASSERT_TRUE(insertRecord(db_.path(), {{"LOG:ACTION", action}, {"LOG:NAME", "Admin"}}).ok);
    dict_.setUp(sink_);
    dict_.setNames(db_.path());
    ASSERT_EQ(dict_.LogAccess->open(), LevelOk);
  }
  void TearDown() override {
    store::TEST_setFaults({});
    dict_.LogAccess->close();
    dict_.release();
  }
  std::uint64_t entries() {
    std::uint64_t n = 0;
    EXPECT_TRUE(countRecords(db_.path(), "Log", &n).ok);
    return n;
  }

  store::testing::TempFolder db_;
  trv::testing::RecordingSink sink_;
  Dictionary dict_;
};

TEST_F(LogCountsTest, CountsCaseActionsAndTheirShares) {
  const LogCounts n = countLog(*dict_.LogAccess);
  EXPECT_EQ(n.code, store::Ok);
  EXPECT_TRUE(n.any);
  EXPECT_EQ(n.total, 40);
  EXPECT_EQ(n.active, 32);
  EXPECT_EQ(n.percent(n.active), 80);
  EXPECT_EQ(n.percent(n.created), 20);
  EXPECT_EQ(n.percent(n.reopened), 10);
  EXPECT_EQ(n.percent(n.onHold), 10);
  EXPECT_EQ(n.percent(n.closed), 10);
  EXPECT_EQ(LogCounts{}.percent(0), 0);
}

TEST_F(LogCountsTest, EmptyingLeavesOnlyTheCleaningEntry) {
  ASSERT_EQ(emptyLog(*dict_.LogAccess, 2, "Sue", 80000, 100), store::Ok);
  EXPECT_EQ(entries(), 1u);
  bool found = false;
  ASSERT_TRUE(findRecord(db_.path(),
                         {{"LOG:ACTION", "ClnLog"},
                          {"LOG:NAME", "Sue"},
                          {"LOG:ID", "2"},
                          {"LOG:CASENR", "0"},
                          {"Log:ActionDate", "80000"}},
                         &found)
                  .ok);
  EXPECT_TRUE(found);
  const LogCounts n = countLog(*dict_.LogAccess);
  EXPECT_TRUE(n.any);
  EXPECT_EQ(n.total, 0);
}

TEST_F(LogCountsTest, FailedEmptyingKeepsEveryEntry) {
  store::TEST_setFaults({.diskFullIn = db_.path()});
  EXPECT_NE(emptyLog(*dict_.LogAccess, 2, "Sue", 80000, 100), store::Ok);
  store::TEST_setFaults({});
  EXPECT_EQ(entries(), 44u);
}

}  // namespace
}  // namespace trv::core
