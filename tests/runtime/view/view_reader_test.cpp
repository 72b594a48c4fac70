#include "runtime/view/view_reader.h"

#include "tests/runtime/view/view_fixture.h"

namespace trv::view {
namespace {

using testing::Item;
using Rows = std::vector<store::RecordBuffer>;
using Names = std::vector<std::string>;

class ViewReaderTest : public testing::ViewTest {};

TEST_F(ViewReaderTest, ReadsPagesFromBothEndsAndOnFromAnyRow) {
  addItems(10);
  ViewReader v(conn_, id_, decl_);
  v.SetKeyOrder(kNameKey);
  Rows top, bottom, next, prev;
  ASSERT_EQ(v.first(3, top), store::Ok);
  EXPECT_EQ(names(top), (Names{"N001", "N002", "N003"}));
  ASSERT_EQ(v.last(3, bottom), store::Ok);
  EXPECT_EQ(names(bottom), (Names{"N008", "N009", "N010"}));
  ASSERT_EQ(v.after(top.back(), 2, next), store::Ok);
  EXPECT_EQ(names(next), (Names{"N004", "N005"}));
  ASSERT_EQ(v.before(bottom.front(), 20, prev), store::Ok);
  EXPECT_EQ(prev.size(), 7u);
  EXPECT_EQ(name(prev.back()), "N007");
}

TEST_F(ViewReaderTest, PagesThroughDuplicatesWithoutRepeatingOrSkipping) {
  addItems(30, 1);  // one group: every GroupKey image differs only by When
  ViewReader v(conn_, id_, decl_);
  v.SetKeyOrder(kGroupKey);
  Rows all, page;
  ASSERT_EQ(v.first(7, page), store::Ok);
  while (!page.empty()) {
    all.insert(all.end(), page.begin(), page.end());
    Rows more;
    ASSERT_EQ(v.after(all.back(), 7, more), store::Ok);
    page = std::move(more);
  }
  ASSERT_EQ(all.size(), 30u);
  for (int i = 0; i < 30; ++i)
    EXPECT_EQ(name(all[i]), "N0" + std::string(i + 1 < 10 ? "0" : "") + std::to_string(i + 1));
}

TEST_F(ViewReaderTest, RangeAndFiltersNarrowTheView) {
  addItems(12);
  ViewReader v(conn_, id_, decl_);
  v.SetKeyOrder(kGroupKey);
  auto inGroup1 = [this](const store::RecordBuffer& b) {
    return store::testing::field(decl_, b, 2) == "G1";
  };
  v.SetRange(probe({0, "", "G1", 0}), probe({0, "", "G1", 999999}), inGroup1);
  Rows rows;
  ASSERT_EQ(v.first(50, rows), store::Ok);
  EXPECT_EQ(names(rows), (Names{"N001", "N004", "N007", "N010"}));
  rows.clear();
  ASSERT_EQ(v.last(2, rows), store::Ok);
  EXPECT_EQ(names(rows), (Names{"N007", "N010"}));
  rows.clear();
  ASSERT_EQ(v.from(probe({0, "", "A", 0}), 1, rows), store::Ok);  // below the range
  EXPECT_EQ(names(rows), (Names{"N001"}));

  v.SetNamedFilter("odd", [this](const store::RecordBuffer& b) {
    return std::stoi(store::testing::field(decl_, b, 3)) % 2 == 1;
  });
  rows.clear();
  ASSERT_EQ(v.first(50, rows), store::Ok);
  EXPECT_EQ(names(rows), (Names{"N001", "N007"}));
  EXPECT_FALSE(v.shows(probe({0, "N004", "G1", 4})));
  v.SetNamedFilter("odd", {});
  EXPECT_FALSE(v.hasFilter("odd"));
  v.Reset();
  rows.clear();
  ASSERT_EQ(v.first(50, rows), store::Ok);
  EXPECT_EQ(rows.size(), 12u);
}

TEST_F(ViewReaderTest, LocatesByKeyValueWithoutRegardToCase) {
  addItems(5);
  ViewReader v(conn_, id_, decl_);
  v.SetKeyOrder(kNameKey);
  Rows rows;
  ASSERT_EQ(v.from(probe({0, "n003", "", 0}), 2, rows), store::Ok);
  EXPECT_EQ(names(rows), (Names{"N003", "N004"}));
  rows.clear();
  ASSERT_EQ(v.from(probe({0, "Z", "", 0}), 2, rows), store::Ok);
  EXPECT_TRUE(rows.empty());
}

TEST_F(ViewReaderTest, FileOrderFollowsTheOrderRecordsWereAdded) {
  addItems(4);
  ViewReader v(conn_, id_, decl_);
  Rows rows, after;
  ASSERT_EQ(v.first(2, rows), store::Ok);
  ASSERT_EQ(v.after(rows.back(), 5, after), store::Ok);
  EXPECT_EQ(names(after), (Names{"N003", "N004"}));
}

}  // namespace
}  // namespace trv::view
