#include "cases/history/history_text.h"

#include <gtest/gtest.h>

#include "runtime/text/date_time.h"

namespace trv::cases {
namespace {

const std::int32_t kDate = *text::dateNumber(2002, 3, 5);
const std::int32_t kTime = *text::timeNumber(9, 7);
const std::string kAdmin = "Admin" + std::string(15, ' ');  // CurrentUserName as stored

struct HeaderCase {
  ActionKind kind;
  std::string expected;
};

TEST(HistoryHeader, EveryKindHasItsText) {
  const std::string stamp = " 5/03/02 -  9:07";
  const HeaderCase cases[] = {
      {ActionKind::Note, "Review Note: " + stamp + " by Agent " + kAdmin},
      {ActionKind::PhoneOut, "Outgoing Call: " + stamp + " by Agent " + kAdmin},
      {ActionKind::PhoneIn, "Incoming Call: " + stamp + " by Agent " + kAdmin},
      {ActionKind::EmailOut,
       "Outgoing Email: " + stamp + " by Agent Admin to Client Address ann@acme.example"},
      {ActionKind::EmailIn, "Incoming Email: " + stamp + " Received by Agent Admin (Pasted) "},
      {ActionKind::StatusChange, "Status CHANGE : " + stamp + " to ON HOLD by Agent " + kAdmin},
      {ActionKind::FirstEscalation, "First Escalation : " + stamp + " by Agent " + kAdmin},
      {ActionKind::SecondEscalation, "Second Escalation : " + stamp + " by Agent " + kAdmin},
      {ActionKind::ThirdEscalation, "Third Escalation : " + stamp + " by Agent " + kAdmin},
      {ActionKind::ReOpen, "Case RE-OPENED :  5/03/02   9:07  by Agent " + kAdmin},
      {ActionKind::PriorityByAgent,
       "Priority CHANGE : " + stamp + " from MEDIUM to HIGH by Agent " + kAdmin},
      {ActionKind::PriorityBySystem,
       "Priority CHANGE : " + stamp + " from MEDIUM to HIGH by SYSTEM "},
      {ActionKind::TakeOver, ""},
      {ActionKind::NewCase, ""},
      {ActionKind::None, ""},
  };
  HeaderFacts f;
  f.date = kDate;
  f.time = kTime;
  f.agent = "Admin";  // padded by the header itself
  f.mailAddress = "ann@acme.example   ";
  f.newStatus = "On Hold";
  f.oldPriority = "Medium ";
  f.newPriority = "High   ";
  for (const HeaderCase& c : cases)
    EXPECT_EQ(historyHeader(c.kind, f), c.expected) << "kind " << static_cast<int>(c.kind);
}

TEST(HistoryHeader, StatusKeepsItsSevenCharacterField) {
  HeaderFacts f{kDate, kTime, "Bob", "", "Active", "", ""};
  EXPECT_EQ(historyHeader(ActionKind::StatusChange, f),
            "Status CHANGE :  5/03/02 -  9:07 to ACTIVE  by Agent Bob                 ");
}

TEST(HistoryHeader, DatesAndTimesKeepTheirLeadingBlankOnlyBelowTen) {
  EXPECT_EQ(historyDate(*text::dateNumber(2002, 11, 25)), "25/11/02");
  EXPECT_EQ(historyDate(kDate), " 5/03/02");
  EXPECT_EQ(historyTime(*text::timeNumber(14, 30)), "14:30");
  EXPECT_EQ(historyTime(kTime), " 9:07");
}

TEST(HistoryLines, CreationTakeOverAndAssignment) {
  EXPECT_EQ(creationLine(kDate, kTime, "Admin"),
            "Case CREATED :  5/03/02 -  9:07  by Agent " + kAdmin);
  EXPECT_EQ(takeOverLine(kDate, kTime, "Carol               ", "Bob"),
            "Case YANKED :  5/03/02 -  9:07 by Agent Carol from Agent Bob                 ");
  EXPECT_EQ(assignmentLine(kDate, kTime, "Carol               ", "Bob                 "),
            "Case ASSIGNMENT:  5/03/02 -  9:07 by Agent Carol to Agent Bob");
}

TEST(HistoryLines, OverlongNameIsCutToItsField) {
  EXPECT_EQ(paddedAgent("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), "ABCDEFGHIJKLMNOPQRST");
}

}  // namespace
}  // namespace trv::cases
