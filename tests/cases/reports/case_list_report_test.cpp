#include <gtest/gtest.h>

#include <cstring>

#include "cases/reports/case_reports.h"
#include "core/data/files.h"
#include "core/data/records.h"
#include "runtime/text/date_time.h"

namespace trv::cases::reports {
namespace {

store::RecordBuffer caseRecord(std::uint32_t nr, std::string_view owner, std::string_view status) {
  store::RecordBuffer b(core::declaration(core::DataFile::Sercase));
  core::SercaseRecord r;
  r.CaseNr = nr;
  r.Owner = owner;
  r.SName = "ACME";
  r.IDProduct = "WID";
  r.SProblem = "Printer jams when the tray holds more than fifty sheets";
  r.Status = status;
  r.SDate = *text::dateNumber(2002, 5, 6);
  r.STime = *text::timeNumber(9, 30);
  std::memcpy(b.record.data(), static_cast<const void*>(&r), sizeof r);
  return b;
}

// The case list's pages as a reader and the PDF see them: landscape A4, the frame on every page,
// 37 lines to a page, each line's cells in their columns with a thin rule under it.
TEST(CaseListReport, PlacesItsLinesInTheirColumnsPageByPage) {
  CaseList list({}, false, "Report of All Cases", " 6/05/02", "10:00", "Vorn Trovanel 1.2");
  for (std::uint32_t nr = 1; nr <= 60; ++nr)
    EXPECT_EQ(list.print(caseRecord(nr, nr == 2 ? "Maximilian Longname" : "Anna", "Active")),
              data::LevelOk);
  const report::Document doc = list.layout().finish();
  ASSERT_EQ(doc.pages.size(), 2u);
  const std::vector<std::string> header = {"Date : ", " 6/05/02", "Report of All Cases",
                                           "Time :",  "10:00",    "Case Nr",
                                           "Owner",   "Name",     "Product",
                                           "Problem", "Status",   "SDate",
                                           "STime"};
  const std::vector<std::string> first = doc.texts(0);
  ASSERT_EQ(first.size(), header.size() + 37 * 8 + 3);
  EXPECT_EQ(std::vector<std::string>(first.begin(), first.begin() + 13), header);
  const std::vector<std::string> line2(first.begin() + 21, first.begin() + 29);
  EXPECT_EQ(line2, (std::vector<std::string>{"000002", "Maximilian Long", "ACME", "WID",
                                             "Printer jams when the tray holds more than fifty "
                                             "sheets",
                                             "Active", " 6/05/02", " 9:30"}));
  EXPECT_EQ(doc.texts(1).back(), "Page    2");
  EXPECT_EQ(doc.texts(1).size(), header.size() + 23 * 8 + 3);

  // The second line: below the frame's 512 and the first line's 173, inside the margin of 500.
  const report::PageItems& items = doc.pages[0].items;
  const std::size_t at = 15 + 9;  // the frame's 13 texts and 2 rules, then a line's 9 items
  const int xs[] = {500, 1250, 2450, 3100, 4450, 9000, 9700, 10450};
  const int widths[] = {600, 1150, 600, 1300, 4500, 650, 700, 700};
  for (std::size_t i = 0; i < 8; ++i) {
    const report::ItemView t = items[at + i];
    ASSERT_EQ(t.kind(), report::ItemKind::kText) << i;
    EXPECT_EQ(t.box().x, xs[i]) << i;
    EXPECT_EQ(t.box().y, 1185) << i;
    EXPECT_EQ(t.box().width, widths[i]) << i;
    EXPECT_EQ(t.box().height, 133) << i;
    EXPECT_EQ(t.align(), i == 0 ? report::Align::kRight : report::Align::kLeft) << i;
    EXPECT_EQ(t.font().points, 8) << i;
    EXPECT_FALSE(t.font().bold) << i;
  }
  ASSERT_EQ(items[at + 8].kind(), report::ItemKind::kLine);
  const report::LineItem rule = items[at + 8].line();
  EXPECT_EQ(rule.x1, 500);
  EXPECT_EQ(rule.x2, 500 + 10693);
  EXPECT_EQ(rule.y1, 1185 + 143);
  EXPECT_EQ(rule.thickness, 2);
}

TEST(CaseListReport, PrintsOnlyTheCasesTheOptionsSelect) {
  PrintOptions o;
  o.kindChoice = 2;  // active
  o.agentChoice = 2;
  o.agentName = "Anna";
  CaseList list(o, false, "Report", "", "", "");
  EXPECT_EQ(list.print(caseRecord(1, "Anna", "Active")), data::LevelOk);
  EXPECT_EQ(list.print(caseRecord(2, "anna", "Active")), data::LevelNotify);
  EXPECT_EQ(list.print(caseRecord(3, "Anna", "Closed")), data::LevelNotify);
  EXPECT_EQ(list.print(store::RecordBuffer()), data::LevelNotify);  // no record of the file
  const report::Document doc = list.layout().finish();
  ASSERT_EQ(doc.pages.size(), 1u);
  EXPECT_EQ(doc.texts(0)[13], "000001");
}

}  // namespace
}  // namespace trv::cases::reports
