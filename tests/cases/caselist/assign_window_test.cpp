#include "cases/caselist/assign_window.h"

#include <gtest/gtest.h>

#include "cases/history/case_trace.h"
#include "runtime/text/date_time.h"

namespace trv::cases {
namespace {

const std::int32_t kDate = *text::dateNumber(2002, 3, 5);
const std::int32_t kTime = *text::timeNumber(9, 7);

TEST(AssignableAgentsTest, EveryoneButTheSignedOnUserSorted) {
  EXPECT_EQ(assignableAgents({"Zoe                 ", "Admin", "Boss", "admin", "Bob"},
                             "Admin               "),
            (std::vector<std::string>{"Bob", "Boss", "Zoe", "admin"}));
  EXPECT_TRUE(assignableAgents({"Admin"}, "Admin").empty());
}

TEST(AssignmentEntryTest, AppendsLineAndRemarkAfterAnEmptyLine) {
  EXPECT_EQ(withAssignmentEntry("Case CREATED   ", kDate, kTime, "Admin               ", "Bob ",
                                "Please call back   "),
            "Case CREATED\r\n\r\nCase ASSIGNMENT:  5/03/02 -  9:07 by Agent Admin to Agent "
            "Bob\r\nPlease call back");
  // An empty remark still ends the entry with its line break.
  EXPECT_EQ(withAssignmentEntry("", kDate, kTime, "Admin", "Bob", ""),
            "\r\n\r\nCase ASSIGNMENT:  5/03/02 -  9:07 by Agent Admin to Agent Bob\r\n");
}

TEST(AssignmentEntryTest, AnEntryThatDoesNotFitIsRefused) {
  const std::string entry = *withAssignmentEntry("", kDate, kTime, "Admin", "Bob", "r");
  const std::string fits(kHistoryLimit - entry.size(), 'x');
  EXPECT_EQ(withAssignmentEntry(fits, kDate, kTime, "Admin", "Bob", "r")->size(), kHistoryLimit);
  EXPECT_FALSE(withAssignmentEntry(fits + "x", kDate, kTime, "Admin", "Bob", "r"));
}

}  // namespace
}  // namespace trv::cases
