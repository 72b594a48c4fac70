#include "runtime/report/page_model.h"

#include <array>
#include <functional>
#include <limits>
#include <mutex>
#include <set>
#include <stdexcept>
#include <type_traits>

namespace trv::report {
namespace {

const std::string* internedFace(std::string_view name) {
  static std::mutex lock;
  static std::set<std::string, std::less<>> names;  // nodes stay put: their addresses are kept
  const std::lock_guard<std::mutex> hold(lock);
  auto it = names.find(name);
  if (it == names.end()) it = names.emplace(name).first;
  return &*it;
}

}  // namespace

FontFace::FontFace() {
  static const std::string* const arial = internedFace("Arial");
  name_ = arial;
}

FontFace::FontFace(std::string_view name) : name_(internedFace(name)) {}

namespace {

constexpr std::uint8_t kAlignBits = 0x3;
constexpr std::uint8_t kMarked = 0x4;  // a check mark's check, a box's filling

const FontSpec& noFont() {
  static const FontSpec none;
  return none;
}

}  // namespace

ItemKind ItemView::kind() const {
  return list_->items_[index_].kind;
}

Rect ItemView::box() const {
  return list_->items_[index_].box;
}

std::string_view ItemView::text() const {
  const PageItems::Item& i = list_->items_[index_];
  if (i.kind != ItemKind::kText && i.kind != ItemKind::kCheck) return {};
  return std::string_view(list_->chars_).substr(i.offset, i.length);
}

const FontSpec& ItemView::font() const {
  const PageItems::Item& i = list_->items_[index_];
  if (i.kind != ItemKind::kText && i.kind != ItemKind::kCheck) return noFont();
  return list_->fonts_[i.font];
}

Align ItemView::align() const {
  return static_cast<Align>(list_->items_[index_].flags & kAlignBits);
}

bool ItemView::checked() const {
  const PageItems::Item& i = list_->items_[index_];
  return i.kind == ItemKind::kCheck && (i.flags & kMarked) != 0;
}

bool ItemView::filled() const {
  const PageItems::Item& i = list_->items_[index_];
  return i.kind == ItemKind::kBox && (i.flags & kMarked) != 0;
}

std::uint32_t ItemView::colour() const {
  const PageItems::Item& i = list_->items_[index_];
  return i.kind == ItemKind::kBox ? i.offset : 0;
}

LineItem ItemView::line() const {
  const PageItems::Item& i = list_->items_[index_];
  if (i.kind != ItemKind::kLine) return {0, 0, 0, 0, 0};
  return {i.box.x, i.box.y, i.box.x + i.box.width, i.box.y + i.box.height,
          static_cast<int>(i.offset)};
}

PageItems::PageItems(std::initializer_list<PageItem> items) {
  for (const PageItem& i : items) push_back(i);
}

PageItems& PageItems::operator=(std::initializer_list<PageItem> items) {
  items_.clear();
  chars_.clear();
  fonts_.clear();
  lastFont_ = 0;
  for (const PageItem& i : items) push_back(i);
  return *this;
}

void PageItems::push_back(const PageItem& item) {
  std::visit(
      [this](const auto& i) {
        using T = std::decay_t<decltype(i)>;
        if constexpr (std::is_same_v<T, TextItem>) {
          addText(i.box, i.text, i.font, i.align);
        } else if constexpr (std::is_same_v<T, LineItem>) {
          addLine(i);
        } else if constexpr (std::is_same_v<T, BoxItem>) {
          addBox(i);
        } else {
          addCheck(i.box, i.label, i.checked, i.font);
        }
      },
      item);
}

std::uint16_t PageItems::addFont(const FontSpec& font) {
  for (std::size_t i = 0; i < fonts_.size(); ++i)
    if (fonts_[i] == font) return lastFont_ = static_cast<std::uint16_t>(i);
  if (fonts_.size() > std::numeric_limits<std::uint16_t>::max())
    throw std::length_error("too many fonts on one page");
  fonts_.push_back(font);
  return lastFont_ = static_cast<std::uint16_t>(fonts_.size() - 1);
}

void PageItems::tooMuchText() {
  throw std::length_error("too much text on one page");
}

void PageItems::addLine(const LineItem& line) {
  items_.push_back(Item{{line.x1, line.y1, line.x2 - line.x1, line.y2 - line.y1},
                        static_cast<std::uint32_t>(line.thickness),
                        0,
                        ItemKind::kLine,
                        0,
                        0});
}

void PageItems::addBox(const BoxItem& box) {
  items_.push_back(Item{box.box, box.colour, 0, ItemKind::kBox,
                        static_cast<std::uint8_t>(box.filled ? kMarked : 0), 0});
}

void PageItems::addCheck(const Rect& box, std::string_view label, bool checked,
                         const FontSpec& font) {
  const std::uint32_t at = store(label);
  items_.push_back(Item{box, at, static_cast<std::uint32_t>(label.size()), ItemKind::kCheck,
                        static_cast<std::uint8_t>(checked ? kMarked : 0), fontIndex(font)});
}

void PageItems::append(const PageItems& other, int dx, int dy) {
  if (other.chars_.size() > std::numeric_limits<std::uint32_t>::max() - chars_.size())
    tooMuchText();
  const auto base = static_cast<std::uint32_t>(chars_.size());
  chars_ += other.chars_;
  // A band holds a few fonts: their places here are found once.
  std::array<std::uint16_t, 8> few{};
  std::vector<std::uint16_t> many(other.fonts_.size() > few.size() ? other.fonts_.size() : 0);
  std::uint16_t* fonts = many.empty() ? few.data() : many.data();
  for (std::size_t f = 0; f < other.fonts_.size(); ++f) fonts[f] = fontIndex(other.fonts_[f]);
  items_.reserve(items_.size() + other.items_.size());
  for (Item i : other.items_) {
    i.box.x += dx, i.box.y += dy;
    if (i.kind == ItemKind::kText || i.kind == ItemKind::kCheck) {
      i.offset += base;
      i.font = fonts[i.font];
    }
    items_.push_back(i);
  }
}

void PageItems::shift(std::size_t first, int dx, int dy) {
  for (std::size_t i = first; i < items_.size(); ++i) items_[i].box.x += dx, items_[i].box.y += dy;
}

void PageItems::reserve(std::size_t items, std::size_t chars) {
  items_.reserve(items);
  chars_.reserve(chars);
}

std::vector<std::string> Document::texts(std::size_t pageIndex) const {
  std::vector<std::string> out;
  if (pageIndex >= pages.size()) return out;
  for (const ItemView item : pages[pageIndex].items)
    if (item.kind() == ItemKind::kText || item.kind() == ItemKind::kCheck)
      out.emplace_back(item.text());
  return out;
}

}  // namespace trv::report
