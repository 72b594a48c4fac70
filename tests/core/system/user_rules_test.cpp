#include "core/system/user_rules.h"

#include <gtest/gtest.h>

#include "core/data/database_tool.h"
#include "core/data/dictionary.h"
#include "tests/runtime/store/test_files.h"
#include "tests/support/recording_sink.h"

namespace trv::core {
namespace {

using data::LevelOk;

TEST(UserRules, LevelsByName) {
  EXPECT_EQ(levelForQualification("User"), 0);
  EXPECT_EQ(levelForQualification("Supervisor   "), 1);
  EXPECT_EQ(levelForQualification("Administrator"), 2);
  EXPECT_EQ(levelForQualification("administrator"), -1);
  EXPECT_EQ(levelForQualification(""), -1);
}

class UserRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(createStarterDatabase(db_.path()).ok);  // Admin, number 1, level 2
    ASSERT_TRUE(insertRecord(db_.path(), {{"IDE:Name", "Bert"}, {"IDE:Level", "0"}}).ok);
    for (const char* owner : {"Bert", "BERT", "Bertha", "Admin"})
      ASSERT_TRUE(insertRecord(db_.path(), {{"SER:Owner", owner}}).ok);
    dict_.setUp(sink_);
    dict_.setNames(db_.path());
    ASSERT_EQ(dict_.IdeAccess->open(), LevelOk);
    ASSERT_EQ(dict_.SercaseAccess->open(), LevelOk);
  }
  void TearDown() override {
    dict_.IdeAccess->close();
    dict_.SercaseAccess->close();
    dict_.release();
  }
  bool caseOwnedBy(const char* owner) {
    bool found = false;
    EXPECT_TRUE(findRecord(db_.path(), {{"SER:Owner", owner}}, &found).ok);
    return found;
  }

  store::testing::TempFolder db_;
  trv::testing::RecordingSink sink_;
  Dictionary dict_;
};

TEST_F(UserRulesTest, CountsAdministratorsLeavingOneOut) {
  EXPECT_EQ(countAdministrators(*dict_.IdeAccess, 0), 1);
  EXPECT_EQ(countAdministrators(*dict_.IdeAccess, 1), 0);
  EXPECT_EQ(countAdministrators(*dict_.IdeAccess, 2), 1);
}

TEST_F(UserRulesTest, RenamedOwnerTakesEveryCaseOfTheOldNameInAnyCase) {
  std::uint64_t changed = 0;
  ASSERT_EQ(carryCaseOwner(*dict_.SercaseAccess, "bert", "Robert", &changed), store::Ok);
  EXPECT_EQ(changed, 2u);
  EXPECT_FALSE(caseOwnedBy("Bert"));
  EXPECT_FALSE(caseOwnedBy("BERT"));
  EXPECT_TRUE(caseOwnedBy("Robert"));
  EXPECT_TRUE(caseOwnedBy("Bertha"));
  EXPECT_TRUE(caseOwnedBy("Admin"));
}

TEST_F(UserRulesTest, FailedRenameLeavesEveryCaseAsItWas) {
  store::TEST_setFaults({.diskFullIn = db_.path()});
  EXPECT_NE(carryCaseOwner(*dict_.SercaseAccess, "Bert", "Robert"), store::Ok);
  store::TEST_setFaults({});
  EXPECT_TRUE(caseOwnedBy("Bert"));
  EXPECT_TRUE(caseOwnedBy("BERT"));
  EXPECT_FALSE(caseOwnedBy("Robert"));
}

}  // namespace
}  // namespace trv::core
