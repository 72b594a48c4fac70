#pragma once
// The page model of a printed report: pages of positioned text, lines, boxes and check marks.
//
// A report builds it (through ReportLayout) and hands it to a PageRenderer to preview, print or
// write as PDF. Coordinates are thousandths of an inch from the page's top-left corner. Text is
// UTF-8: reports convert record fields when they place them. Plain values, no I/O.

#include <cstdint>
#include <string>
#include <string_view>
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

// A font's face name, held once for the whole program: a report holds a great many text items,
// each of them carries a pointer's worth for its face. Compares and reads as the name.
class FontFace {
 public:
  FontFace();                       // "Arial"
  FontFace(std::string_view name);  // NOLINT: implicit, it stands for the name
  FontFace(const std::string& name) : FontFace(std::string_view(name)) {}  // NOLINT
  FontFace(const char* name) : FontFace(std::string_view(name)) {}         // NOLINT

  const std::string& str() const { return *name_; }
  operator const std::string&() const { return *name_; }  // NOLINT
  bool empty() const { return name_->empty(); }

  friend bool operator==(const FontFace& a, const FontFace& b) { return a.name_ == b.name_; }
  friend bool operator==(const FontFace& a, std::string_view b) { return *a.name_ == b; }
  friend bool operator==(const FontFace& a, const std::string& b) { return *a.name_ == b; }
  friend bool operator==(const FontFace& a, const char* b) { return *a.name_ == b; }

 private:
  const std::string* name_;  // one of the program's names, never freed
};

struct FontSpec {
  FontFace face;
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
