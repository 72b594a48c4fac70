#include "runtime/report/report_layout.h"

#include <gtest/gtest.h>

namespace trv::report {
namespace {

Band textBand(int height, std::string text) {
  Band b;
  b.height = height;
  b.items.push_back(TextItem{{0, 0, 4000, height}, std::move(text), {}, Align::kLeft});
  return b;
}

// A small page: 1000 high with margins of 100 leaves 800; header 100 and footer 100 leave 600.
PageSetup smallPage() {
  PageSetup s;
  s.width = 5000;
  s.height = 1000;
  s.marginTop = s.marginBottom = s.marginLeft = s.marginRight = 100;
  return s;
}

ReportLayout framedLayout() {
  ReportLayout layout(smallPage(), "Cases");
  layout.setPageHeader([](int) { return textBand(100, "Date :"); });
  layout.setPageFooter([](int page) { return textBand(100, "Page " + std::to_string(page)); });
  return layout;
}

TEST(ReportLayout, FramesEveryPageAndBreaksWhereADetailNoLongerFits) {
  ReportLayout layout = framedLayout();
  for (int i = 1; i <= 7; ++i) layout.addDetail(textBand(200, "row " + std::to_string(i)));
  const Document doc = layout.finish();
  ASSERT_EQ(doc.pages.size(), 3u);  // three rows of 200 fit in 600
  EXPECT_EQ(doc.texts(0),
            (std::vector<std::string>{"Date :", "row 1", "row 2", "row 3", "Page 1"}));
  EXPECT_EQ(doc.texts(2), (std::vector<std::string>{"Date :", "row 7", "Page 3"}));
  // Placed below the header, inside the margins, and the footer at the page's foot.
  const ItemView row7 = doc.pages[2].items[1];
  ASSERT_EQ(row7.kind(), ItemKind::kText);
  EXPECT_EQ(row7.box().x, 100);
  EXPECT_EQ(row7.box().y, 200);
  const ItemView footer = doc.pages[2].items[2];
  ASSERT_EQ(footer.kind(), ItemKind::kText);
  EXPECT_EQ(footer.box().y, 800);
}

TEST(ReportLayout, AnOversizedBandStillPrintsOnAPageOfItsOwn) {
  ReportLayout layout = framedLayout();
  layout.addDetail(textBand(100, "small"));
  layout.addDetail(textBand(900, "huge"));
  layout.addDetail(textBand(100, "after"));
  const Document doc = layout.finish();
  ASSERT_EQ(doc.pages.size(), 3u);
  EXPECT_EQ(doc.texts(1)[1], "huge");
  EXPECT_EQ(doc.texts(2)[1], "after");
}

TEST(ReportLayout, MemoWrapsAtWordsAndContinuesOnTheNextPage) {
  const FontSpec font;  // 10 points: about 76 thousandths a character
  const auto lines = ReportLayout::wrap("one two three four five six", 800, font);
  ASSERT_GE(lines.size(), 2u);
  for (const auto& l : lines) {
    EXPECT_LE(l.size(), 10u) << l;
    EXPECT_NE(l.front(), ' ');
  }
  EXPECT_EQ(ReportLayout::wrap("a\r\n\r\nb\n", 800, font),
            (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(ReportLayout::wrap("abcdefghijklmnopqrstuvwxyz", 380, font).front(), "abcde");

  ReportLayout layout = framedLayout();
  std::string history;
  for (int i = 0; i < 40; ++i) history += "line " + std::to_string(i) + "\n";
  layout.addMemo(history, 0, 4000, font);
  const Document doc = layout.finish();
  EXPECT_GT(doc.pages.size(), 1u);
  std::vector<std::string> all;
  for (std::size_t p = 0; p < doc.pages.size(); ++p) {
    auto t = doc.texts(p);
    all.insert(all.end(), t.begin() + 1, t.end() - 1);  // without header and footer
  }
  ASSERT_EQ(all.size(), 40u);
  EXPECT_EQ(all.back(), "line 39");
}

TEST(ReportLayout, BreakPageStartsTheNextBandOnAFreshPage) {
  ReportLayout layout = framedLayout();
  layout.breakPage();  // nothing printed yet: no empty page
  layout.addDetail(textBand(100, "first"));
  layout.breakPage();
  layout.addDetail(textBand(100, "second"));
  EXPECT_EQ(layout.finish().pages.size(), 2u);
}

}  // namespace
}  // namespace trv::report
