// The orders a sortable column registers: its own field, or its sort group, then the apply-all
// components; text upper-cased when the list sorts without regard to case.

#include "listext/sort_orders.h"

#include <gtest/gtest.h>

namespace trv::listext {
namespace {

Column col(std::string field, std::string picture) {
  Column c;
  c.field = std::move(field);
  c.picture = std::move(picture);
  return c;
}

TEST(SortOrders, AColumnSortsByItsOwnFieldThenTheApplyAllComponents) {
  const Column name = col("CLI:LName", "@s80");
  const Column number = col("SER:CaseNr", "@N06");
  struct Case {
    const Column& column;
    bool descending;
    bool upper;
    ApplyAll all;
    const char* text;
  } cases[] = {
      {name, false, true, {}, "UPPER(CLI:LName)"},
      {name, true, true, {}, "-UPPER(CLI:LName)"},
      {name, false, false, {}, "CLI:LName"},
      {number, false, true, {}, "SER:CaseNr"},
      {number, true, true, {}, "-SER:CaseNr"},
      // An apply-all component keeps its own direction against the order's.
      {number,
       true,
       true,
       {false, {{"SER:SName", false, "@s6"}, {"SER:Date", true, "@d6"}}},
       "-SER:CaseNr,-UPPER(SER:SName),SER:Date"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(orderText(sortOrderOf(c.column, c.descending, {}, c.all, c.upper)), c.text);
}

TEST(SortOrders, ASortGroupTakesThePlaceOfTheColumnsField) {
  const std::vector<SortGroup> groups = {
      {"SER:Status", {{"SER:Status", false, "@s10"}, {"SER:CaseNr", true, "@n6"}}},
      {"SER:Nowhere", {{"SER:Owner", false, "@s20"}}}};
  const ApplyAll all{false, {{"SER:SName", false, "@s6"}}};
  EXPECT_EQ(orderText(sortOrderOf(col("SER:Status", "@s10"), false, groups, all, true)),
            "UPPER(SER:Status),-SER:CaseNr");
  EXPECT_EQ(orderText(sortOrderOf(col("SER:Status", "@s10"), true, groups, all, true)),
            "-UPPER(SER:Status),SER:CaseNr");
  const ApplyAll toGroups{true, all.components};
  EXPECT_EQ(orderText(sortOrderOf(col("SER:Status", "@s10"), false, groups, toGroups, true)),
            "UPPER(SER:Status),-SER:CaseNr,UPPER(SER:SName)");
  // A group whose column the list does not have changes no order.
  EXPECT_EQ(orderText(sortOrderOf(col("SER:Owner", "@s20"), false, groups, {}, true)),
            "UPPER(SER:Owner)");
}

}  // namespace
}  // namespace trv::listext
