#include "cases/caseform/case_rights.h"

#include <gtest/gtest.h>

namespace trv::cases {
namespace {

struct OpeningCase {
  const char* what;
  CaseFacts facts;
  bool status, priority, yank, notes;
  std::array<bool, 3> done;
};

TEST(CaseRightsTest, OpeningStatesByLevelOwnershipAndState) {
  const std::array<char, 3> firstDone{'D', 'N', 'N'};
  const OpeningCase cases[] = {
      {"user, own case",
       {0, true, "Active", false, firstDone},
       true,
       true,
       false,
       true,
       {false, true, true}},
      {"user, own case, forced priority",
       {0, true, "Active", true, firstDone},
       true,
       false,
       false,
       true,
       {false, true, true}},
      {"user, another's case",
       {0, false, "Active", false, firstDone},
       false,
       false,
       true,
       true,
       {false, false, false}},
      {"supervisor, another's case",
       {1, false, "On Hold", false, firstDone},
       true,
       true,
       true,
       true,
       {false, false, false}},
      {"administrator, closed case",
       {2, true, "Closed", false, firstDone},
       true,
       false,
       false,
       false,
       {false, true, true}},
      {"user, own closed case",
       {0, true, "Closed  ", false, firstDone},
       true,
       true,
       false,
       false,
       {false, true, true}},
  };
  for (const OpeningCase& c : cases) {
    SCOPED_TRACE(c.what);
    const CaseControlStates s = openingStates(c.facts);
    EXPECT_EQ(s.statusEnabled, c.status);
    EXPECT_EQ(s.priorityEnabled, c.priority);
    EXPECT_EQ(s.yankEnabled, c.yank);
    EXPECT_EQ(s.notesEnabled, c.notes);
    EXPECT_EQ(s.doneEnabled, c.done);
  }
}

TEST(CaseRightsTest, TakeOverOpensTheStatusAndTheOpenDoneMarks) {
  CaseFacts f{0, true, "Active", false, {'D', 'N', ' '}};
  CaseControlStates s = afterTakeOver(f, "Active");
  EXPECT_TRUE(s.statusEnabled);
  EXPECT_TRUE(s.priorityEnabled);
  EXPECT_FALSE(s.yankEnabled);
  EXPECT_EQ(s.doneEnabled, (std::array<bool, 3>{false, true, false}));
  // A closed case keeps its priority; a forced one too.
  EXPECT_FALSE(afterTakeOver(f, "Closed").priorityEnabled);
  f.priorityForced = true;
  EXPECT_FALSE(afterTakeOver(f, "Active").priorityEnabled);
}

}  // namespace
}  // namespace trv::cases
