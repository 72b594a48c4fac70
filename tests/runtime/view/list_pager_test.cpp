#include "runtime/view/list_pager.h"

#include <gmock/gmock.h>

#include "tests/runtime/view/view_fixture.h"

namespace trv::view {
namespace {

using testing::Item;
using Names = std::vector<std::string>;

class ListPagerTest : public testing::ViewTest {
 protected:
  void SetUp() override {
    ViewTest::SetUp();
    reader_.emplace(conn_, id_, decl_);  // the file is open only now
    reader_->SetKeyOrder(kNameKey);
    pagerStore_.emplace(*reader_, 4);
  }
  Names shown() const { return names(pagerStore_->rows()); }
  std::string selectedName() const {
    return pagerStore_->current() ? name(*pagerStore_->current()) : "";
  }

  std::optional<ViewReader> reader_;
  std::optional<ListPager> pagerStore_;
  ListPager& pager_ = *pagerStore_;
};

TEST_F(ListPagerTest, MovesByLineAndPageAndStopsAtTheEnds) {
  addItems(10);
  ASSERT_EQ(pager_.top(), store::Ok);
  EXPECT_EQ(shown(), (Names{"N001", "N002", "N003", "N004"}));
  for (int i = 0; i < 4; ++i) ASSERT_EQ(pager_.lineDown(), store::Ok);
  EXPECT_EQ(shown(), (Names{"N002", "N003", "N004", "N005"}));
  EXPECT_EQ(selectedName(), "N005");
  ASSERT_EQ(pager_.pageDown(), store::Ok);
  EXPECT_EQ(shown(), (Names{"N006", "N007", "N008", "N009"}));
  ASSERT_EQ(pager_.pageDown(), store::Ok);  // the last page stays full
  EXPECT_EQ(shown(), (Names{"N007", "N008", "N009", "N010"}));
  ASSERT_EQ(pager_.pageDown(), store::Ok);
  EXPECT_EQ(selectedName(), "N010");
  ASSERT_EQ(pager_.pageUp(), store::Ok);
  EXPECT_EQ(shown(), (Names{"N003", "N004", "N005", "N006"}));
  ASSERT_EQ(pager_.pageUp(), store::Ok);  // only two rows above: the page still starts at N001
  EXPECT_EQ(shown(), (Names{"N001", "N002", "N003", "N004"}));
  for (int i = 0; i < 4; ++i) ASSERT_EQ(pager_.lineUp(), store::Ok);
  EXPECT_EQ(selectedName(), "N001");
  ASSERT_EQ(pager_.bottom(), store::Ok);
  EXPECT_EQ(selectedName(), "N010");
}

TEST_F(ListPagerTest, LocateSelectsTheFoundRowAndKeepsThePageFull) {
  addItems(10);
  ASSERT_EQ(pager_.locate(probe({0, "N005", "", 0})), store::Ok);
  EXPECT_EQ(shown(), (Names{"N005", "N006", "N007", "N008"}));
  EXPECT_EQ(selectedName(), "N005");
  ASSERT_EQ(pager_.locate(probe({0, "N009", "", 0})), store::Ok);
  EXPECT_EQ(shown(), (Names{"N007", "N008", "N009", "N010"}));
  EXPECT_EQ(selectedName(), "N009");
  ASSERT_EQ(pager_.locate(probe({0, "Z", "", 0})), store::Ok);
  EXPECT_EQ(selectedName(), "N010");
}

TEST_F(ListPagerTest, RefreshFollowsAChangedRecordAndStepsOverADeletedOne) {
  addItems(10);
  ASSERT_EQ(pager_.locate(probe({0, "N005", "", 0})), store::Ok);
  ASSERT_EQ(pager_.lineDown(), store::Ok);  // N006 selected, second on the page

  // Another station renames N006 to A006: it moves to the top of the key order.
  store::RecordBuffer changed = *pager_.current();
  ASSERT_EQ(store::setFieldText(decl_.fields[1], changed.record.data(), "A006"),
            store::SetResult::Ok);
  changed.position.version = 0;
  ASSERT_EQ(conn_.put(id_, changed), store::Ok);
  ASSERT_EQ(pager_.refresh(), store::Ok);
  EXPECT_EQ(selectedName(), "A006");
  EXPECT_EQ(shown().front(), "A006");

  // Another station deletes the selected record: the selection moves to its neighbour.
  ASSERT_EQ(pager_.locate(probe({0, "N004", "", 0})), store::Ok);
  ASSERT_EQ(conn_.remove(id_, store::Position{pager_.current()->position.row, 0}), store::Ok);
  ASSERT_EQ(pager_.refresh(), store::Ok);
  EXPECT_EQ(selectedName(), "N005");
  EXPECT_EQ(shown(), (Names{"N005", "N007", "N008", "N009"}));
}

TEST_F(ListPagerTest, ARecordLeftOutOfTheNewOrderStartsItAtTheTop) {
  addItems(6);
  store::RecordBuffer ungrouped = probe({0, "N000", "", 0});  // no group: not in its key
  ASSERT_EQ(conn_.add(id_, ungrouped), store::Ok);
  ASSERT_EQ(pager_.top(), store::Ok);
  ASSERT_EQ(selectedName(), "N000");
  reader_->SetKeyOrder(kGroupKey);
  ASSERT_EQ(pager_.refreshAround(*pager_.current()), store::Ok);
  EXPECT_EQ(pager_.selected(), 0);
  EXPECT_EQ(shown().size(), 4u);
  EXPECT_NE(selectedName(), "N000");
}

// A run of equal keys longer than a page: every move inside it follows record order, never
// repeating or skipping a row, and reads with index searches only.
TEST_F(ListPagerTest, MovesInsideARunOfEqualKeysFollowRecordOrder) {
  Names expected;
  ASSERT_EQ(conn_.begin(), store::Ok);
  auto add = [&](const std::string& name, const std::string& group) {
    store::RecordBuffer b = probe({0, name, group, 0});
    ASSERT_EQ(conn_.add(id_, b), store::Ok);
  };
  for (int i = 0; i < 11; ++i) add("R" + std::to_string(10 + i), "G");  // the run, added first
  add("A1", "A");
  for (int i = 11; i < 22; ++i) add("R" + std::to_string(10 + i), "G");
  add("Z1", "Z");
  ASSERT_EQ(conn_.commit(), store::Ok);
  expected.push_back("A1");
  for (int i = 0; i < 22; ++i) expected.push_back("R" + std::to_string(10 + i));
  expected.push_back("Z1");
  auto page = [&](int first) {
    return Names(expected.begin() + first, expected.begin() + first + 4);
  };
  auto searchesOnly = [&] {
    const std::string plan = conn_.TEST_lastReadPlan(id_);
    EXPECT_THAT(plan, ::testing::HasSubstr("SEARCH")) << plan;
    EXPECT_THAT(plan, ::testing::Not(::testing::HasSubstr("SCAN"))) << plan;
  };

  reader_->SetKeyOrder(kGroupKey);
  ASSERT_EQ(pager_.top(), store::Ok);
  for (int first = 4; first + 4 <= 24; first += 4) {
    ASSERT_EQ(pager_.pageDown(), store::Ok);
    searchesOnly();
    EXPECT_EQ(shown(), page(first));
  }
  ASSERT_EQ(pager_.pageUp(), store::Ok);
  searchesOnly();
  EXPECT_EQ(shown(), page(16));
  pager_.select(3);
  ASSERT_EQ(pager_.lineDown(), store::Ok);
  searchesOnly();
  EXPECT_EQ(shown(), page(17));
  pager_.select(0);
  ASSERT_EQ(pager_.lineUp(), store::Ok);
  EXPECT_EQ(shown(), page(16));
  pager_.select(2);
  ASSERT_EQ(pager_.refresh(), store::Ok);
  searchesOnly();
  EXPECT_EQ(shown(), page(16));
  EXPECT_EQ(selectedName(), expected[18]);
}

TEST_F(ListPagerTest, EmptyViewHasNoSelection) {
  ASSERT_EQ(pager_.top(), store::Ok);
  EXPECT_EQ(pager_.selected(), -1);
  EXPECT_EQ(pager_.current(), nullptr);
  ASSERT_EQ(pager_.pageDown(), store::Ok);
  ASSERT_EQ(pager_.refresh(), store::Ok);
  EXPECT_TRUE(shown().empty());
}

}  // namespace
}  // namespace trv::view
