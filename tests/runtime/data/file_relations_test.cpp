#include "runtime/data/file_relations.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/runtime/store/stations.h"
#include "tests/runtime/store/test_files.h"
#include "tests/support/recording_sink.h"

namespace trv::data {
namespace {

using store::testing::TempFolder;
using ::testing::ElementsAre;

// Parents and children are both Item files; a child's Group names its parent's Name.
class FileRelationsTest : public ::testing::Test {
 protected:
  FileRelationsTest()
      : parents_(store::testing::itemDecl(), sink_),
        children_(store::testing::itemDecl(), sink_),
        parentRel_(parents_),
        childRel_(children_) {
    parents_.setName(dir_.file("Parent.kvx"));
    children_.setName(dir_.file("Child.kvx"));
  }
  ~FileRelationsTest() override {
    parentRel_.shutdown();
    childRel_.shutdown();
  }

  void relate(Rule onUpdate, Rule onDelete) {
    parentRel_.addRelation(childRel_, "ITM:GroupKey", onUpdate, onDelete,
                           {{"ITM:Name", "ITM:Group"}});
    ASSERT_EQ(parentRel_.open(), LevelOk);
    add(parents_, "P", "");
    add(parents_, "Q", "");
    add(children_, "c1", "P");
    add(children_, "c2", "p");
    add(children_, "c3", "Q");
  }
  void add(FileAccess& f, const char* name, const char* group) {
    f.primeRecord();
    (void)store::setFieldText(f.decl().fields[1], f.buffer().record.data(), name);
    (void)store::setFieldText(f.decl().fields[2], f.buffer().record.data(), group);
    ASSERT_EQ(f.insert(), LevelOk);
  }
  void readParent(const char* name) {
    parents_.primeRecord();
    (void)store::setFieldText(parents_.decl().fields[1], parents_.buffer().record.data(), name);
    ASSERT_EQ(parents_.fetch("ITM:NameKey"), store::Ok);
  }
  void rename(const char* to) {
    (void)store::setFieldText(parents_.decl().fields[1], parents_.buffer().record.data(), to);
  }
  // "name:group" of every child in file order.
  std::vector<std::string> childRows() {
    std::vector<std::string> out;
    EXPECT_EQ(children_.setFileOrder(), store::Ok);
    while (children_.next() == store::Ok) {
      const char* rec = children_.buffer().record.data();
      out.push_back(store::fieldText(children_.decl().fields[1], rec) + ":" +
                    store::fieldText(children_.decl().fields[2], rec));
    }
    return out;
  }
  std::string parentName() {
    return store::fieldText(parents_.decl().fields[1], parents_.buffer().record.data());
  }

  TempFolder dir_;
  trv::testing::RecordingSink sink_;
  FileAccess parents_, children_;
  FileRelations parentRel_, childRel_;
};

TEST_F(FileRelationsTest, CascadedRenameMovesEveryChildAndOnlyThem) {
  relate(Rule::Cascade, Rule::Restrict);
  readParent("P");
  rename("R");
  ASSERT_TRUE(parentRel_.update().ok());
  EXPECT_THAT(childRows(), ElementsAre("c1:R", "c2:R", "c3:Q"));
  // A change that leaves the link alone touches no child.
  (void)store::setFieldText(parents_.decl().fields[2], parents_.buffer().record.data(), "x");
  ASSERT_TRUE(parentRel_.update().ok());
  EXPECT_THAT(childRows(), ElementsAre("c1:R", "c2:R", "c3:Q"));
  EXPECT_TRUE(sink_.raised.empty());
}

TEST_F(FileRelationsTest, RestrictedRenameIsRefusedAndTheLinkReset) {
  relate(Rule::Restrict, Rule::Restrict);
  readParent("P");
  rename("R");
  const Outcome out = parentRel_.update();
  EXPECT_FALSE(out.ok());
  EXPECT_THAT(sink_.ids(), ElementsAre(31));
  EXPECT_EQ(sink_.raised[0].file, dir_.file("Child.kvx"));
  EXPECT_EQ(parentName(), "P");
  readParent("P");  // still stored as it was
}

TEST_F(FileRelationsTest, DeleteRulesForChildren) {
  struct Case {
    Rule onDelete;
    bool deleted;
    std::vector<std::string> children;
  } cases[] = {{Rule::Restrict, false, {"c1:P", "c2:p", "c3:Q"}},
               {Rule::Cascade, true, {"c3:Q"}},
               {Rule::Clear, true, {"c1:", "c2:", "c3:Q"}}};
  for (const Case& c : cases) {
    TempFolder dir;
    parents_.setName(dir.file("Parent.kvx"));
    children_.setName(dir.file("Child.kvx"));
    sink_.raised.clear();
    FileRelations parentRel(parents_), childRel(children_);
    parentRel.addRelation(childRel, "ITM:GroupKey", Rule::Cascade, c.onDelete,
                          {{"ITM:Name", "ITM:Group"}});
    ASSERT_EQ(parentRel.open(), LevelOk);
    add(parents_, "P", "");
    add(children_, "c1", "P");
    add(children_, "c2", "p");
    add(children_, "c3", "Q");
    readParent("P");
    rename("edited in the form");  // the stored link decides, not the edited buffer
    EXPECT_EQ(parentRel.remove().ok(), c.deleted);
    EXPECT_EQ(childRows(), c.children);
    if (!c.deleted) {
      EXPECT_THAT(sink_.ids(), ElementsAre(30));
    }
    parentRel.close();
  }
}

TEST_F(FileRelationsTest, ChangeOfARecordChangedMeanwhileTouchesNothing) {
  relate(Rule::Cascade, Rule::Restrict);
  readParent("P");
  {
    store::Connection other;
    store::FileId id;
    ASSERT_EQ(other.open(parents_.decl(), parents_.name(), store::OpenMode::Shared, &id),
              store::Ok);
    store::RecordBuffer b(parents_.decl());
    ASSERT_EQ(other.get(id, parents_.position(), b), store::Ok);
    ASSERT_EQ(other.put(id, b), store::Ok);
  }
  rename("R");
  EXPECT_EQ(parentRel_.update().code, store::RecordChanged);
  EXPECT_THAT(childRows(), ElementsAre("c1:P", "c2:p", "c3:Q"));
}

// Station A's save fails at the commit (a third program is reading the file), station B then
// saves its own change, and A tries again: the retry must see B's change, not overwrite it.
TEST_F(FileRelationsTest, SaveTriedAgainAfterAFailedCommitCannotOverwriteAnotherStationsChange) {
  relate(Rule::Cascade, Rule::Restrict);
  FileAccess::threadConnection().setLockRecoverySeconds(1);
  readParent("P");
  const store::Position read = parents_.position();
  rename("R");
  const std::string edited = parents_.buffer().record;
  {
    store::testing::LockHolder reader(parents_.name(), store::testing::LockHolder::Read);
    ASSERT_TRUE(reader.held());
    EXPECT_EQ(parentRel_.update().code, store::RecordNotAvailable);
  }
  EXPECT_EQ(parents_.position(), read);
  EXPECT_EQ(parents_.buffer().record, edited);

  const store::FileDecl& decl = parents_.decl();
  const std::string path = parents_.name();
  const pid_t stationB = store::testing::spawn([&] {
    store::Connection b;
    store::FileId id;
    store::RecordBuffer rec(decl);
    if (b.open(decl, path, store::OpenMode::Shared, &id) != store::Ok) return 2;
    if (b.get(id, read, rec) != store::Ok) return 3;
    (void)store::setFieldText(decl.fields[3], rec.record.data(), "7");
    return b.put(id, rec) == store::Ok ? 0 : 4;
  });
  ASSERT_EQ(store::testing::exitCode(stationB), 0);

  EXPECT_EQ(parentRel_.update().code, store::RecordChanged);
  ASSERT_EQ(parents_.reget(read), store::Ok);
  EXPECT_EQ(parentName(), "P");
  EXPECT_EQ(store::fieldText(decl.fields[3], parents_.buffer().record.data()), "7");
  EXPECT_THAT(childRows(), ElementsAre("c1:P", "c2:p", "c3:Q"));
  FileAccess::threadConnection().setLockRecoverySeconds(2);
}

// A refusal's message waits for the user: the transaction must already be over, so that other
// stations are not held up behind a message box.
TEST_F(FileRelationsTest, RefusalMessagesShowOutsideTheTransaction) {
  relate(Rule::Restrict, Rule::Restrict);
  std::vector<bool> inTxn;
  sink_.onRaise = [&](int) { inTxn.push_back(FileAccess::threadConnection().inTransaction()); };
  readParent("P");
  rename("R");
  EXPECT_FALSE(parentRel_.update().ok());  // 31: children refuse the rename
  add(parents_, "S", "");
  readParent("S");  // no children: the duplicate name itself is refused
  rename("Q");
  EXPECT_EQ(parentRel_.update().code, store::DuplicateKey);  // 13
  readParent("P");
  EXPECT_FALSE(parentRel_.remove().ok());  // 30: children refuse the delete
  EXPECT_THAT(sink_.ids(), ElementsAre(31, 13, 30));
  EXPECT_EQ(sink_.raised[1].code, store::DuplicateKey);
  EXPECT_THAT(inTxn, ElementsAre(false, false, false));
}

}  // namespace
}  // namespace trv::data
