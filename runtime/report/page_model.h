#pragma once
// The page model of a printed report: pages of positioned text, lines, boxes and check marks.
//
// A report builds it (through ReportLayout) and hands it to a PageRenderer to preview, print or
// write as PDF. Coordinates are thousandths of an inch from the page's top-left corner. Text is
// UTF-8: reports convert record fields when they place them. Plain values, no I/O.

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
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

  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// The items a report places, as values: what it builds bands and pages from.
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

// One item as a value; a page keeps its items as a PageItems and gives them back as ItemViews.
using PageItem = std::variant<TextItem, LineItem, BoxItem, CheckItem>;

enum class ItemKind : std::uint8_t { kText, kLine, kBox, kCheck };

class PageItems;
class Stencil;

// One item of a PageItems as read back, valid while the list lives unchanged. Each accessor
// answers for the kinds its comment names (any other kind reads as empty or zero).
class ItemView {
 public:
  ItemKind kind() const;
  // Text, box and check mark: the area. Line: from (x, y) to (x + width, y + height).
  Rect box() const;
  // Text, or a check mark's label.
  std::string_view text() const;
  // Text and check mark.
  const FontSpec& font() const;
  Align align() const;           // text
  bool checked() const;          // check mark
  bool filled() const;           // box
  std::uint32_t colour() const;  // box
  LineItem line() const;         // line

 private:
  friend class PageItems;
  ItemView(const PageItems& list, std::size_t index) : list_(&list), index_(index) {}
  const PageItems* list_;
  std::size_t index_;
};

// The items of a page or a band in placement order, kept compact: a report holds a great many.
// An item takes 16 bytes: its place, where its text starts in the list's one character store
// (it runs to where the next item's starts), and an index into the list's table of shapes (size,
// kind, font, alignment ...), which the items of a report's repeated bands share.
class PageItems {
 public:
  PageItems() = default;
  PageItems(std::initializer_list<PageItem> items);  // NOLINT: a band's items as written
  PageItems& operator=(std::initializer_list<PageItem> items);

  void push_back(const PageItem& item);
  void addText(const Rect& box, std::string_view text, const FontSpec& font,
               Align align = Align::kLeft);
  void addLine(const LineItem& line);
  void addBox(const BoxItem& box);
  void addCheck(const Rect& box, std::string_view label, bool checked, const FontSpec& font);
  // Appends every item of `other`, moved by (dx, dy).
  void append(const PageItems& other, int dx, int dy);
  // Appends every item of the stencil moved by (dx, dy), item i with texts[i] for its text when
  // it is a text or a check mark (lines and boxes take none); the items past the texts keep the
  // stencil's own.
  void stamp(const Stencil& stencil, int dx, int dy, std::span<const std::string_view> texts);
  // Moves the items from `first` on by (dx, dy).
  void shift(std::size_t first, int dx, int dy);
  // Makes room for as many items and characters of text.
  void reserve(std::size_t items, std::size_t chars);

  std::size_t size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  std::size_t textSize() const { return chars_.size(); }
  ItemView operator[](std::size_t index) const { return ItemView(*this, index); }

  class Iterator {
   public:
    using value_type = ItemView;
    using difference_type = std::ptrdiff_t;
    Iterator() = default;
    ItemView operator*() const { return (*list_)[index_]; }
    Iterator& operator++() {
      ++index_;
      return *this;
    }
    Iterator operator++(int) {
      Iterator was = *this;
      ++index_;
      return was;
    }
    friend bool operator==(const Iterator& a, const Iterator& b) { return a.index_ == b.index_; }

   private:
    friend class PageItems;
    Iterator(const PageItems& list, std::size_t index) : list_(&list), index_(index) {}
    const PageItems* list_ = nullptr;
    std::size_t index_ = 0;
  };
  Iterator begin() const { return Iterator(*this, 0); }
  Iterator end() const { return Iterator(*this, items_.size()); }

 private:
  friend class ItemView;
  struct Shape {
    int width = 0;
    int height = 0;
    std::uint32_t extra = 0;  // line: thickness; box: colour
    std::uint16_t font = 0;   // into fonts_
    ItemKind kind = ItemKind::kText;
    std::uint8_t flags = 0;  // the alignment, the check or the filling
    // Compared as bytes: the fields leave no padding (asserted below).
    friend bool operator==(const Shape& a, const Shape& b) {
      return std::memcmp(&a, &b, sizeof(Shape)) == 0;
    }
  };
  struct Item {
    int x = 0;
    int y = 0;
    std::uint32_t shape = 0;   // into shapes_
    std::uint32_t offset = 0;  // into chars_
  };
  static_assert(sizeof(Item) == 16 && sizeof(Shape) == 16 &&
                std::has_unique_object_representations_v<Shape>);
  static constexpr std::size_t kHints = 32;

  void add(int x, int y, const Shape& shape, std::string_view text);
  std::uint32_t shapeIndex(const Shape& shape);
  std::uint32_t addShape(const Shape& shape, std::size_t hint);
  static std::size_t hintOf(const Shape& shape);
  std::uint16_t fontIndex(const FontSpec& font);
  std::uint16_t addFont(const FontSpec& font);
  std::uint32_t store(std::string_view text);
  [[noreturn]] static void tooMuch(const char* what);
  const Shape& shapeAt(std::size_t index) const { return shapes_[items_[index].shape]; }
  std::string_view textAt(std::size_t index) const;

  std::vector<Item> items_;
  std::string chars_;
  std::vector<Shape> shapes_;  // a shape may be held twice: the table only saves room
  std::vector<FontSpec> fonts_;
  std::array<std::uint32_t, kHints> hints_{};  // by hintOf: a shape's index + 1, 0 for none
  std::uint16_t lastFont_ = 0;
  // The last stencil stamped here and where its shapes are in shapes_ (they stay put: the
  // table only grows).
  std::uint64_t stencil_ = 0;
  std::vector<std::uint32_t> stencilShapes_;
};

// Items placed again and again with new texts, a report's detail line: a page finds the
// stencil's shapes among its own once rather than for every item placed.
class Stencil {
 public:
  explicit Stencil(PageItems items);

 private:
  friend class PageItems;
  PageItems items_;
  std::uint64_t id_;  // the program's stencils are numbered from 1: a page knows its last
};

// Inline: a report adds its texts one by one, a great many of them.
inline std::uint16_t PageItems::fontIndex(const FontSpec& font) {
  if (lastFont_ < fonts_.size() && fonts_[lastFont_] == font) return lastFont_;
  return addFont(font);
}

inline std::size_t PageItems::hintOf(const Shape& s) {
  const std::uint32_t h = static_cast<std::uint32_t>(s.width) * 0x9E3779B1u ^
                          static_cast<std::uint32_t>(s.height) * 0x85EBCA77u ^ s.extra ^
                          (static_cast<std::uint32_t>(s.font) << 8) ^
                          (static_cast<std::uint32_t>(s.kind) << 4) ^ s.flags;
  return (h ^ (h >> 16)) % kHints;
}

inline std::uint32_t PageItems::shapeIndex(const Shape& shape) {
  const std::size_t hint = hintOf(shape);
  const std::uint32_t known = hints_[hint];
  if (known != 0 && shapes_[known - 1] == shape) return known - 1;
  return addShape(shape, hint);
}

inline std::uint32_t PageItems::store(std::string_view text) {
  if (text.size() > std::uint32_t(-1) - chars_.size()) tooMuch("text");
  const auto at = static_cast<std::uint32_t>(chars_.size());
  chars_.append(text);
  return at;
}

inline void PageItems::add(int x, int y, const Shape& shape, std::string_view text) {
  const std::uint32_t index = shapeIndex(shape);
  items_.push_back(Item{x, y, index, store(text)});
}

inline void PageItems::addText(const Rect& box, std::string_view text, const FontSpec& font,
                               Align align) {
  add(box.x, box.y,
      Shape{box.width, box.height, 0, fontIndex(font), ItemKind::kText,
            static_cast<std::uint8_t>(align)},
      text);
}

inline void PageItems::addLine(const LineItem& line) {
  add(line.x1, line.y1,
      Shape{line.x2 - line.x1, line.y2 - line.y1, static_cast<std::uint32_t>(line.thickness), 0,
            ItemKind::kLine, 0},
      {});
}

struct Page {
  int number = 0;  // from 1
  PageItems items;
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
