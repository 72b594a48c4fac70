#pragma once
// The page model of a printed report: pages of positioned text, lines, boxes and check marks.
//
// A report builds it (through ReportLayout) and hands it to a PageRenderer to preview, print or
// write as PDF. Coordinates are thousandths of an inch from the page's top-left corner. Text is
// UTF-8: reports convert record fields when they place them. Plain values, no I/O.

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace trv::report {

struct Rect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

enum class Align { kLeft, kCenter, kRight };

struct FontSpec {
  std::string face = "Arial";
  int points = 10;
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

struct TextItem {
  Rect box;
  std::string text;
  FontSpec font;
  Align align = Align::kLeft;
};

struct LineItem {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  int thickness = 10;
};

struct BoxItem {
  Rect box;
  bool filled = false;
  std::uint32_t colour = 0;  // 0x00BBGGRR, as the window layer's colours
};

struct CheckItem {
  Rect box;
  std::string label;
  bool checked = false;
  FontSpec font;
};

using PageItem = std::variant<TextItem, LineItem, BoxItem, CheckItem>;

struct Page {
  int number = 0;  // from 1
  std::vector<PageItem> items;
};

struct PageSetup {
  int width = 8268;  // A4
  int height = 11693;
  int marginLeft = 500;
  int marginTop = 500;
  int marginRight = 500;
  int marginBottom = 500;
  bool landscape = false;  // width and height are already swapped when true
};

struct Document {
  std::string title;
  PageSetup setup;
  std::vector<Page> pages;

  // Every text of a page (items and check labels) in placement order; for tests and previews.
  std::vector<std::string> texts(std::size_t pageIndex) const;
};

}  // namespace trv::report
