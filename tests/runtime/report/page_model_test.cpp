#include "runtime/report/page_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace trv::report {
namespace {

const FontSpec kPlain{"Arial", 8, false, false, false};
const FontSpec kBold{"Arial", 8, true, false, false};
const FontSpec kTitle{"Courier New", 12, true, true, true};

// Every kind of item reads back as it was placed, each with its own text and font.
TEST(PageItems, ReadsBackEveryKindAsPlaced) {
  PageItems items = {
      TextItem{{10, 20, 300, 40}, "Caf\u00E9", kTitle, Align::kCenter},
      LineItem{5, 100, 905, 90, 2},
      BoxItem{{1, 2, 3, 4}, true, 0xC0C0C0},
      CheckItem{{50, 60, 700, 80}, "Done", true, kBold},
  };
  items.addText({0, 0, 10, 10}, "", kPlain, Align::kRight);
  items.addCheck({0, 0, 10, 10}, "Open", false, kPlain);
  items.addBox({{7, 8, 9, 10}, false, 0x123456});
  ASSERT_EQ(items.size(), 7u);

  const ItemView text = items[0];
  EXPECT_EQ(text.kind(), ItemKind::kText);
  EXPECT_EQ(text.text(), "Caf\u00E9");
  EXPECT_EQ(text.font(), kTitle);
  EXPECT_EQ(text.align(), Align::kCenter);
  EXPECT_EQ(text.box().x, 10);
  EXPECT_EQ(text.box().height, 40);

  const LineItem line = items[1].line();
  EXPECT_EQ(items[1].kind(), ItemKind::kLine);
  EXPECT_EQ(line.x1, 5);
  EXPECT_EQ(line.y1, 100);
  EXPECT_EQ(line.x2, 905);
  EXPECT_EQ(line.y2, 90);
  EXPECT_EQ(line.thickness, 2);
  EXPECT_EQ(items[1].text(), "");

  EXPECT_EQ(items[2].kind(), ItemKind::kBox);
  EXPECT_TRUE(items[2].filled());
  EXPECT_EQ(items[2].colour(), 0xC0C0C0u);
  EXPECT_FALSE(items[6].filled());
  EXPECT_EQ(items[6].colour(), 0x123456u);
  EXPECT_EQ(items[6].box().width, 9);

  EXPECT_EQ(items[3].kind(), ItemKind::kCheck);
  EXPECT_EQ(items[3].text(), "Done");
  EXPECT_TRUE(items[3].checked());
  EXPECT_EQ(items[3].font(), kBold);
  EXPECT_FALSE(items[5].checked());
  EXPECT_EQ(items[5].text(), "Open");

  EXPECT_EQ(items[4].text(), "");
  EXPECT_EQ(items[4].align(), Align::kRight);
  EXPECT_EQ(items[4].font(), kPlain);
}

// A band appended to a page keeps its texts and fonts though the page already holds others,
// moved by the offset given (a line at both ends).
TEST(PageItems, AppendMovesItemsAndKeepsTheirTextsAndFonts) {
  PageItems page = {TextItem{{0, 0, 100, 10}, "Date :", kBold, Align::kLeft}};
  PageItems band = {
      TextItem{{0, 0, 100, 10}, "000042", kPlain, Align::kRight},
      LineItem{0, 15, 200, 15, 2},
      TextItem{{200, 0, 100, 10}, "Title", kTitle, Align::kCenter},
      TextItem{{300, 0, 100, 10}, "Head", kBold, Align::kLeft},
  };
  page.append(band, 500, 1000);
  page.append(band, 500, 2000);
  ASSERT_EQ(page.size(), 9u);

  std::vector<std::string> texts;
  for (const ItemView item : page)
    if (item.kind() == ItemKind::kText) texts.emplace_back(item.text());
  EXPECT_EQ(texts, (std::vector<std::string>{"Date :", "000042", "Title", "Head", "000042", "Title",
                                             "Head"}));
  EXPECT_EQ(page[0].font(), kBold);
  EXPECT_EQ(page[5].font(), kPlain);
  EXPECT_EQ(page[7].font(), kTitle);
  EXPECT_EQ(page[8].font(), kBold);
  EXPECT_EQ(page[7].box().x, 700);
  EXPECT_EQ(page[7].box().y, 2000);
  const LineItem rule = page[2].line();
  EXPECT_EQ(rule.x1, 500);
  EXPECT_EQ(rule.x2, 700);
  EXPECT_EQ(rule.y1, 1015);
  EXPECT_EQ(rule.y2, 1015);

  page.shift(5, 0, 7);
  EXPECT_EQ(page[4].box().y, 1000);
  EXPECT_EQ(page[5].box().y, 2007);
  EXPECT_EQ(page[6].line().y2, 2022);
}

// An item as read back, every property in one comparable value.
std::string describe(const ItemView item) {
  const Rect b = item.box();
  const FontSpec& f = item.font();
  return std::to_string(static_cast<int>(item.kind())) + " " + std::to_string(b.x) + "," +
         std::to_string(b.y) + " " + std::to_string(b.width) + "x" + std::to_string(b.height) +
         " [" + std::string(item.text()) + "] " + f.face.str() + std::to_string(f.points) +
         (f.bold ? "b" : "") + " a" + std::to_string(static_cast<int>(item.align())) +
         (item.checked() ? " checked" : "") + " t" + std::to_string(item.line().thickness);
}

std::vector<std::string> describe(const PageItems& items) {
  std::vector<std::string> out;
  for (const ItemView item : items) out.push_back(describe(item));
  return out;
}

// Stamping a stencil places what appending the same band with those texts would: texts given
// replace the items' own, the items past them keep theirs, and the page's own fonts and shapes
// (a header placed first, another stencil stamped between) do not mix in.
TEST(PageItems, StampPlacesTheStencilWithTheTextsGiven) {
  const Stencil line(PageItems{
      TextItem{{0, 0, 100, 10}, "", kPlain, Align::kRight},
      CheckItem{{100, 0, 50, 10}, "Done", true, kBold},
      TextItem{{200, 0, 300, 10}, "kept", kTitle, Align::kCenter},
      LineItem{0, 12, 500, 12, 2},
  });
  const Stencil other(PageItems{TextItem{{0, 0, 40, 10}, "total", kBold, Align::kLeft}});
  auto band = [](std::string_view a, std::string_view b, std::string_view c) {
    return PageItems{
        TextItem{{0, 0, 100, 10}, std::string(a), kPlain, Align::kRight},
        CheckItem{{100, 0, 50, 10}, std::string(b), true, kBold},
        TextItem{{200, 0, 300, 10}, std::string(c), kTitle, Align::kCenter},
        LineItem{0, 12, 500, 12, 2},
    };
  };
  const PageItems header = {TextItem{{0, 0, 80, 10}, "Head", kTitle, Align::kLeft},
                            LineItem{0, 11, 80, 11, 5}};

  PageItems stamped = header, appended = header;
  const std::string_view two[] = {"000001", "Yes"};
  const std::string_view all[] = {"", "", "everything", "past the items"};
  const std::string_view none[] = {"x"};
  stamped.stamp(line, 500, 100, two);
  appended.append(band("000001", "Yes", "kept"), 500, 100);
  stamped.stamp(other, 500, 200, none);
  appended.append(PageItems{TextItem{{0, 0, 40, 10}, "x", kBold, Align::kLeft}}, 500, 200);
  stamped.stamp(line, 500, 300, all);
  appended.append(band("", "", "everything"), 500, 300);
  stamped.stamp(line, 0, 0, {});
  appended.append(band("", "Done", "kept"), 0, 0);
  EXPECT_EQ(describe(stamped), describe(appended));

  // A copy of the page, and a fresh page, each find the shapes in their own tables.
  PageItems copy = stamped;
  copy.stamp(line, 1, 2, two);
  appended.append(band("000001", "Yes", "kept"), 1, 2);
  EXPECT_EQ(describe(copy), describe(appended));
  PageItems fresh, expected;
  fresh.stamp(line, 1, 2, two);
  expected.append(band("000001", "Yes", "kept"), 1, 2);
  EXPECT_EQ(describe(fresh), describe(expected));
}

TEST(Document, TextsListsTextsAndCheckLabelsOfOnePage) {
  Document doc;
  doc.pages.push_back(Page{1,
                           {TextItem{{}, "a", {}, {}}, LineItem{}, CheckItem{{}, "Done", false, {}},
                            TextItem{{}, "b", {}, {}}}});
  EXPECT_EQ(doc.texts(0), (std::vector<std::string>{"a", "Done", "b"}));
  EXPECT_TRUE(doc.texts(1).empty());
}

}  // namespace
}  // namespace trv::report
