// The list's print: the font size that fits the columns, the table's layout, and a print of a
// real list over a small file to the preview and to the printer.

#include "listext/list_print.h"

#include <gtest/gtest.h>

#include "runtime/report/print_previewer.h"
#include "runtime/report/report_output.h"
#include "tests/listext/item_list_fixture.h"

namespace trv::listext {
namespace {

PrintColumn column(int width, bool border = false) {
  PrintColumn c;
  c.width = width;
  c.border = border;
  return c;
}

TEST(ListPrintFit, TakesTheLargestSizeThatFitsElseNarrowsEveryColumnEvenly) {
  struct Case {
    std::vector<PrintColumn> columns;
    int points, spare;
  } cases[] = {
      {{column(300)}, 14, 1400},
      {{column(350)}, 12, 1400},
      {{column(349, true)}, 12, 1400},  // a border counts one unit more
      {{column(200), column(200)}, 12, 100},
      {{column(700)}, 6, 1400},
      {{column(900)}, 6, -1000},
      {{column(600), column(400)}, 6, -1100},
      // The width of a wide column (an e-mail address) is more than a byte holds.
      {{column(300), column(120, true)}, 10, (9800 - 421 * 20) / 2},
  };
  for (const Case& c : cases) {
    const PrintFit f = fitPrint(c.columns, 14, 6);
    EXPECT_EQ(f.points, c.points) << c.columns[0].width;
    EXPECT_EQ(f.spare, c.spare) << c.columns[0].width;
    const ListPrintLayout l(c.columns, f, "Arial", 400, 400);
    if (f.spare < 0) {
      EXPECT_LE(l.tableWidth(), kPrintWidth);
      EXPECT_GT(l.tableWidth(), kPrintWidth - static_cast<int>(c.columns.size()) * 2);
    }
  }
}

TEST(ListPrintLayout, PlacesColumnsWithLinesBetweenAndJustifiesHeadersAndData) {
  std::vector<PrintColumn> cols = {column(40, true), column(20, true), column(20, true)};
  cols[1].hjust = cols[1].fjust = 'D';
  cols[1].total = true;
  cols[0].header = "Name";
  cols[1].header = "Amount";
  const PrintFit fit = fitPrint(cols, 14, 6);
  ASSERT_EQ(fit.points, 14);
  const ListPrintLayout l(cols, fit, "Arial", 0, 700);
  EXPECT_EQ(l.xs(), (std::vector<int>{0, 40 * 28 + fit.spare, 60 * 28 + 2 * fit.spare}));
  const report::Band h = l.pageHeader({"Clients", "6/05/2002", "10:00", "", "", "", ""});
  int lines = 0;
  std::vector<report::Align> aligns;
  for (const report::ItemView i : h.items) {
    if (i.kind() == report::ItemKind::kLine) {
      ++lines;
      EXPECT_EQ(i.line().y1, 650);
      EXPECT_EQ(i.line().y2, 650 + 5550);
    }
    if (i.kind() == report::ItemKind::kText && i.box().y == 650) aligns.push_back(i.align());
    if (i.kind() == report::ItemKind::kBox) {
      EXPECT_EQ(i.box().width, l.tableWidth());
    }
  }
  EXPECT_EQ(lines, 2);  // none right of the last column
  EXPECT_EQ(aligns, (std::vector<report::Align>{report::Align::kLeft, report::Align::kRight,
                                                report::Align::kLeft}));
  // Totals print only under totalled columns.
  const report::Band t = l.totals({"", "42", ""});
  ASSERT_EQ(t.items.size(), 1u);
  EXPECT_EQ(t.items[0].kind(), report::ItemKind::kText);
  EXPECT_EQ(t.items[0].text(), "42");
}

TEST(ListPrintLayout, TheSheetIsTheLandscapePaperOfItsCode) {
  struct Case {
    int paperType, width, height;
  } cases[] = {
      {1, 11000, 8500},   {5, 14000, 8500}, {9, 11693, 8268},
      {8, 16535, 11693},  {0, 11000, 8500},  // a code without a paper: letter
      {200, 11000, 8500},
  };
  for (const Case& c : cases) {
    const report::PageSetup s = ListPrintLayout::pageSetup(c.paperType);
    EXPECT_EQ(s.width, c.width) << c.paperType;
    EXPECT_EQ(s.height, c.height) << c.paperType;
    EXPECT_TRUE(s.landscape) << c.paperType;
    EXPECT_EQ(s.height - s.marginBottom, 7700) << c.paperType;  // the footer ends at 7700
  }
  // A sheet shorter than the footer's place keeps it on the sheet.
  EXPECT_EQ(ListPrintLayout::pageSetup(11).marginBottom, 0);
}

class RecordingOutput final : public report::ReportOutput {
 public:
  void showPages(const ui::Window&, std::shared_ptr<const report::Document> doc) override {
    shown = std::move(doc);
  }
  bool print(const report::Document& doc, std::string*) override {
    printed.push_back(doc.texts(0));
    setups.push_back(doc.setup);
    return true;
  }
  std::shared_ptr<const report::Document> shown;
  std::vector<std::vector<std::string>> printed;
  std::vector<report::PageSetup> setups;
};

class ListPrintTest : public testing::ItemListFixture {
 protected:
  ListPrintTest()
      : ItemListFixture("Items",
                        {{"Name", 40, "ITM:Name", "@s10"}, {"Nr", 26, "ITM:Nr", "@N06", true}}) {
    adjust_ = [this](ListSettings& s) {
      s.reports = &output_;
      s.columns[1].total = true;
    };
  }

  RecordingOutput output_;
};

TEST_F(ListPrintTest, PrintsTheRowsOnShowOrTheWholeViewWithTotalsThroughThePreview) {
  for (const char* name : {"Cedar", "ash", "Birch"}) stationAdd(name);
  open();
  ui::Window* list = front();
  post(EventPrintPage);
  ASSERT_EQ(output_.printed.size(), 1u);
  EXPECT_EQ(
      output_.printed[0],
      (std::vector<std::string>{"Items",     "Date:",  " 6/05/2002", "Time:",   "10:00:00",
                                "Name",      "Nr",     "ash",        "000002",  "Birch",
                                "000003",    "Cedar",  "000001",     "Font:",   "Arial 14 Point",
                                "3 Records", "Order:", "+ITM:NAME",  "Filter:", ""}));

  post(EventPrintView);
  ui::Window* preview = front();
  ASSERT_NE(preview, list);
  ASSERT_TRUE(output_.shown);
  const std::vector<std::string> texts = output_.shown->texts(0);
  // The totals line under the totalled column, before the footer.
  const std::vector<std::string> tail(texts.begin() + 7, texts.begin() + 14);
  EXPECT_EQ(tail, (std::vector<std::string>{"ash", "000002", "Birch", "000003", "Cedar", "000001",
                                            "000006"}));
  input(to(preview, ui::Input::Kind::Press, report::PrintPreviewer::kExit));
  EXPECT_EQ(front(), list);
  EXPECT_EQ(output_.printed.size(), 1u);
}

TEST_F(ListPrintTest, ThePrintGoesOnThePaperOfTheListsPaperType) {
  adjust_ = [this](ListSettings& s) {
    s.reports = &output_;
    s.paperType = 9;  // A4
  };
  stationAdd("Cedar");
  open();
  post(EventPrintPage);
  ASSERT_EQ(output_.setups.size(), 1u);
  EXPECT_EQ(output_.setups[0].width, 11693);
  EXPECT_EQ(output_.setups[0].height, 8268);
  EXPECT_TRUE(output_.setups[0].landscape);
}

}  // namespace
}  // namespace trv::listext
