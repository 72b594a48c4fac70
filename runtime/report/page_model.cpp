#include "runtime/report/page_model.h"

#include <algorithm>
#include <array>
#include <atomic>
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
  return list_->shapeAt(index_).kind;
}

Rect ItemView::box() const {
  const PageItems::Item& i = list_->items_[index_];
  const PageItems::Shape& s = list_->shapeAt(index_);
  return {i.x, i.y, s.width, s.height};
}

std::string_view ItemView::text() const {
  return list_->textAt(index_);
}

const FontSpec& ItemView::font() const {
  const PageItems::Shape& s = list_->shapeAt(index_);
  if (s.kind != ItemKind::kText && s.kind != ItemKind::kCheck) return noFont();
  return list_->fonts_[s.font];
}

Align ItemView::align() const {
  return static_cast<Align>(list_->shapeAt(index_).flags & kAlignBits);
}

bool ItemView::checked() const {
  const PageItems::Shape& s = list_->shapeAt(index_);
  return s.kind == ItemKind::kCheck && (s.flags & kMarked) != 0;
}

bool ItemView::filled() const {
  const PageItems::Shape& s = list_->shapeAt(index_);
  return s.kind == ItemKind::kBox && (s.flags & kMarked) != 0;
}

std::uint32_t ItemView::colour() const {
  const PageItems::Shape& s = list_->shapeAt(index_);
  return s.kind == ItemKind::kBox ? s.extra : 0;
}

LineItem ItemView::line() const {
  const PageItems::Shape& s = list_->shapeAt(index_);
  if (s.kind != ItemKind::kLine) return {0, 0, 0, 0, 0};
  const PageItems::Item& i = list_->items_[index_];
  return {i.x, i.y, i.x + s.width, i.y + s.height, static_cast<int>(s.extra)};
}

PageItems::PageItems(std::initializer_list<PageItem> items) {
  for (const PageItem& i : items) push_back(i);
}

PageItems& PageItems::operator=(std::initializer_list<PageItem> items) {
  *this = PageItems(items);
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

std::string_view PageItems::textAt(std::size_t index) const {
  const std::size_t end = index + 1 < items_.size() ? items_[index + 1].offset : chars_.size();
  const std::size_t at = items_[index].offset;
  return std::string_view(chars_).substr(at, end - at);
}

std::uint16_t PageItems::addFont(const FontSpec& font) {
  for (std::size_t i = 0; i < fonts_.size(); ++i)
    if (fonts_[i] == font) return lastFont_ = static_cast<std::uint16_t>(i);
  if (fonts_.size() > std::numeric_limits<std::uint16_t>::max()) tooMuch("fonts");
  fonts_.push_back(font);
  return lastFont_ = static_cast<std::uint16_t>(fonts_.size() - 1);
}

std::uint32_t PageItems::addShape(const Shape& shape, std::size_t hint) {
  if (shapes_.size() >= std::numeric_limits<std::uint32_t>::max()) tooMuch("items");
  shapes_.push_back(shape);
  hints_[hint] = static_cast<std::uint32_t>(shapes_.size());
  return hints_[hint] - 1;
}

void PageItems::tooMuch(const char* what) {
  throw std::length_error(std::string("too many ") + what + " on one page");
}

void PageItems::addBox(const BoxItem& box) {
  add(box.box.x, box.box.y,
      Shape{box.box.width, box.box.height, box.colour, 0, ItemKind::kBox,
            static_cast<std::uint8_t>(box.filled ? kMarked : 0)},
      {});
}

void PageItems::addCheck(const Rect& box, std::string_view label, bool checked,
                         const FontSpec& font) {
  add(box.x, box.y,
      Shape{box.width, box.height, 0, fontIndex(font), ItemKind::kCheck,
            static_cast<std::uint8_t>(checked ? kMarked : 0)},
      label);
}

void PageItems::append(const PageItems& other, int dx, int dy) {
  if (other.chars_.size() > std::numeric_limits<std::uint32_t>::max() - chars_.size())
    tooMuch("text");
  const auto base = static_cast<std::uint32_t>(chars_.size());
  chars_ += other.chars_;
  // A band holds a few shapes: their places here are found once.
  std::array<std::uint32_t, 32> few{};
  std::vector<std::uint32_t> many(other.shapes_.size() > few.size() ? other.shapes_.size() : 0);
  std::uint32_t* shapes = many.empty() ? few.data() : many.data();
  for (std::size_t i = 0; i < other.shapes_.size(); ++i) {
    Shape s = other.shapes_[i];
    if (s.kind == ItemKind::kText || s.kind == ItemKind::kCheck)
      s.font = fontIndex(other.fonts_[s.font]);
    shapes[i] = shapeIndex(s);
  }
  for (const Item& i : other.items_)
    items_.push_back(Item{i.x + dx, i.y + dy, shapes[i.shape], i.offset + base});
}

void PageItems::stamp(const Stencil& stencil, int dx, int dy,
                      std::span<const std::string_view> texts) {
  const PageItems& from = stencil.items_;
  if (stencil_ != stencil.id_) {
    stencilShapes_.resize(from.shapes_.size());
    for (std::size_t i = 0; i < from.shapes_.size(); ++i) {
      Shape s = from.shapes_[i];
      if (s.kind == ItemKind::kText || s.kind == ItemKind::kCheck)
        s.font = fontIndex(from.fonts_[s.font]);
      stencilShapes_[i] = shapeIndex(s);
    }
    stencil_ = stencil.id_;
  }
  // The items past the texts keep the stencil's: those run on in its store, copied at once.
  const std::size_t n = from.items_.size();
  const std::size_t given = std::min(n, texts.size());
  const std::size_t keptFrom = given < n ? from.items_[given].offset : from.chars_.size();
  std::size_t chars = from.chars_.size() - keptFrom;
  // A line or a box takes no text.
  auto textFor = [&](std::size_t i) {
    const ItemKind k = from.shapes_[from.items_[i].shape].kind;
    return k == ItemKind::kText || k == ItemKind::kCheck ? texts[i] : std::string_view();
  };
  for (std::size_t i = 0; i < given; ++i) chars += textFor(i).size();
  if (chars > std::numeric_limits<std::uint32_t>::max() - chars_.size()) tooMuch("text");
  auto at = static_cast<std::uint32_t>(chars_.size());
  chars_.resize(at + chars);
  for (std::size_t i = 0; i < given; ++i) {
    const Item& f = from.items_[i];
    items_.push_back(Item{f.x + dx, f.y + dy, stencilShapes_[f.shape], at});
    const std::string_view t = textFor(i);
    if (!t.empty()) std::memcpy(chars_.data() + at, t.data(), t.size());
    at += static_cast<std::uint32_t>(t.size());
  }
  for (std::size_t i = given; i < n; ++i) {
    const Item& f = from.items_[i];
    items_.push_back(Item{f.x + dx, f.y + dy, stencilShapes_[f.shape],
                          at + static_cast<std::uint32_t>(f.offset - keptFrom)});
  }
  if (keptFrom < from.chars_.size())
    std::memcpy(chars_.data() + at, from.chars_.data() + keptFrom, from.chars_.size() - keptFrom);
}

Stencil::Stencil(PageItems items) : items_(std::move(items)) {
  static std::atomic<std::uint64_t> made{0};
  id_ = ++made;
}

void PageItems::shift(std::size_t first, int dx, int dy) {
  for (std::size_t i = first; i < items_.size(); ++i) items_[i].x += dx, items_[i].y += dy;
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
