#include "runtime/view/example_query.h"

#include "tests/runtime/view/view_fixture.h"

namespace trv::view {
namespace {

using Names = std::vector<std::string>;

class ExampleQueryTest : public testing::ViewTest {
 protected:
  Names filtered(const ExampleQuery& q) {
    ViewReader v(conn_, id_, decl_);
    v.SetKeyOrder(kNameKey);
    v.SetNamedFilter("Quorix", q.BuildFilter());
    std::vector<store::RecordBuffer> rows;
    EXPECT_EQ(v.first(100, rows), store::Ok);
    return names(rows);
  }
};

TEST_F(ExampleQueryTest, LimitsBecomeTheViewsFilter) {
  addItems(6, 2);  // groups G1 (odd) and G0 (even), When = 1..6
  ExampleQuery q(decl_);
  q.Init();
  ASSERT_TRUE(q.AddQueryField("ITM:GROUP", "ITM:GROUP"));
  ASSERT_TRUE(q.AddQueryField("ITM:WHEN", "ITM:WHEN"));
  ASSERT_TRUE(q.AddQueryField("ITM:NAME", "ITM:NAME"));
  EXPECT_FALSE(q.AddQueryField("ITM:NONE", "x"));
  EXPECT_FALSE(q.BuildFilter());

  struct Case {
    const char* field;
    const char* lower;
    const char* upper;
    const char* equal;
    Names kept;
  };
  const Case cases[] = {
      {"ITM:GROUP", "", "", "^g1", {"N001", "N003", "N005"}},   // equal, letter case ignored
      {"ITM:GROUP", "", "", "g1", {}},                          // equal, letter case counts
      {"ITM:GROUP", "", "", "~^G1", {"N002", "N004", "N006"}},  // not equal
      {"ITM:WHEN", "4", "", "", {"N005", "N006"}},              // above
      {"ITM:WHEN", "=4", "", "", {"N004", "N005", "N006"}},     // at least
      {"ITM:WHEN", "", "=2", "", {"N001", "N002"}},             // at most
      {"ITM:WHEN", "1", "4", "", {"N002", "N003"}},             // between
      {"ITM:NAME", "", "", "*^00", {"N001", "N002", "N003", "N004", "N005", "N006"}},
      {"ITM:NAME", "", "", "*5", {"N005"}},  // contains
  };
  for (const Case& c : cases) {
    q.ClearLimits();
    ASSERT_TRUE(q.SetFieldLimits(c.field, c.lower, c.upper, c.equal, false, false, false));
    EXPECT_EQ(filtered(q), c.kept) << c.field << " " << c.lower << "/" << c.upper << "/" << c.equal;
  }
}

TEST_F(ExampleQueryTest, KeptLimitsStayAndLimitsCombine) {
  addItems(6, 2);
  ExampleQuery q(decl_);
  ASSERT_TRUE(q.AddQueryField("itm:when", "When"));
  ASSERT_TRUE(q.AddQueryField("ITM:GROUP", "Group"));
  ASSERT_TRUE(q.SetFieldLimits("ITM:WHEN", "=2", "=5", "", false, false, false));
  // Only the middle limit is replaced; the kept lower and upper limits stay.
  ASSERT_TRUE(q.SetFieldLimits("ITM:WHEN", "9", "9", "~3", true, true, false));
  ASSERT_TRUE(q.SetFieldLimits("ITM:GROUP", "", "", "^G0", false, false, false));
  EXPECT_EQ(filtered(q), (Names{"N002", "N004"}));
  EXPECT_TRUE(q.hasLimits());
  q.ClearLimits();
  EXPECT_FALSE(q.hasLimits());
  EXPECT_FALSE(q.SetFieldLimits("ITM:NONE", "", "", "x", false, false, false));
}

}  // namespace
}  // namespace trv::view
