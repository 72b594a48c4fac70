#include "cases/overview/overview_display.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/list/list_format.h"
#include "runtime/text/date_time.h"

namespace trv::cases {
namespace {

using list::listFormat;
using ::testing::ElementsAre;

core::QueueEntry entry(std::uint32_t caseNr, std::uint16_t mark = 0) {
  core::QueueEntry e;
  e.NR = 3;
  e.CASENR = caseNr;
  e.NEWUPDATE = mark;
  e.PRIORITY = "High";
  e.CLIENT = "ACME";
  e.FASE = "Esc2";
  e.Time = *text::timeNumber(9, 5);
  e.Date = *text::dateNumber(2026, 12, 4);
  e.PROBLEM = "Printer \xE9teint   ";  // Windows-1252 e acute, trailing blanks
  e.OWNER = "Anna";
  e.STATUS = "Active";
  return e;
}

TEST(OverviewRowTest, CellsInColumnOrderWithTheWholeCaseNumberAndItsIcon) {
  struct Case {
    std::uint32_t caseNr;
    std::uint16_t mark;
    const char* caseCell;
    const char* icon;
  } cases[] = {
      {17, 0, "17", ""},
      {65535, 1, "65535", "~letter.ico"},
      {70001, 2, "70001", "~at.ico"},  // past 16 bits: never shown as 4465
      {4000000000u, 7, "4000000000", ""},
  };
  for (const Case& c : cases) {
    ui::ListRow row = queueRow(entry(c.caseNr, c.mark));
    EXPECT_THAT(row.cells,
                ElementsAre("3", c.caseCell, "High", "ACME", "Esc2", " 9:05", " 4/12/26", c.icon))
        << c.caseNr;
  }
}

TEST(OverviewColumnsTest, BothListsDifferOnlyInTheTimeWidth) {
  std::vector<std::string> headers;
  for (const ui::ListColumn& c : builtInColumns(kListToProcess)) headers.push_back(c.header);
  EXPECT_THAT(headers, ElementsAre("Nr", "Case", "Priority", "Client", "Fase", "Time", "Date"));
  EXPECT_EQ(listFormat(builtInColumns(kListToProcess)), "26,23,26,26,20,21,20");
  EXPECT_EQ(listFormat(builtInColumns(kListLate)), "26,23,26,26,20,20,20");
}

TEST(OverviewTitleTest, PrefixByLevelAndOwnCases) {
  struct Case {
    int level;
    bool own;
    const char* prefix;
  } cases[] = {
      {0, false, "Case(s) of Agent "},
      {0, true, "Case(s) of Agent "},
      {1, false, "All Open Case(s) - Supervisor "},
      {1, true, "Cases of Supervisor "},
      {2, false, "All Open Case(s) - Administrator "},
      {2, true, "Cases of Administrator "},
      {7, false, "Case(s) of Agent "},
  };
  for (const Case& c : cases)
    EXPECT_EQ(overviewTitle(c.level, c.own, "Anna    ", "10/12/26", "12:00"),
              std::string(c.prefix) + "Anna - Current Date - Time : 10/12/26 - 12:00")
        << c.level << c.own;
}

TEST(OverviewSelectionTest, TipAndTextsByViewer) {
  struct Case {
    int list, level;
    bool own;
    const char* tip;
    const char* owner;
  } cases[] = {
      {kListToProcess, 1, false, "Problem : Printer \xC3\xA9teint\r\nOwner  : Anna", "Anna"},
      {kListLate, 2, false, "Problem : Printer \xC3\xA9teint\r\nOwner  : Anna", "Anna"},
      {kListToProcess, 1, true, "Problem : Printer \xC3\xA9teint", ""},
      {kListLate, 1, true, " Problem : Printer \xC3\xA9teint", ""},
      {kListLate, 0, true, "Problem : Printer \xC3\xA9teint", ""},
  };
  for (const Case& c : cases) {
    SelectionTexts t = selectionTexts(entry(1), c.list, c.level, c.own);
    EXPECT_EQ(t.tip, c.tip) << c.list << c.level << c.own;
    EXPECT_EQ(t.problem, "Printer \xC3\xA9teint");
    EXPECT_EQ(t.owner, c.owner);
  }
}

}  // namespace
}  // namespace trv::cases
