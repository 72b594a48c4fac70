#include "runtime/report/report_layout.h"

#include <algorithm>

namespace trv::report {
namespace {

// Average advance of a character, in thousandths of an inch: about 0.55 em, bold a little wider.
int charWidth(const FontSpec& font) {
  const int em = font.points * 1000 / 72;
  return em * (font.bold ? 60 : 55) / 100;
}

}  // namespace

ReportLayout::ReportLayout(PageSetup setup, std::string title) {
  doc_.setup = setup;
  doc_.title = std::move(title);
}

int ReportLayout::lineHeight(const FontSpec& font) {
  return font.points * 1000 / 72 * 6 / 5;
}

std::vector<std::string> ReportLayout::wrap(std::string_view text, int width,
                                            const FontSpec& font) {
  const std::size_t perLine = std::max(1, width / std::max(1, charWidth(font)));
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view para = text.substr(start, end - start);
    if (!para.empty() && para.back() == '\r') para.remove_suffix(1);
    if (para.empty()) lines.emplace_back();
    while (!para.empty()) {
      if (para.size() <= perLine) {
        lines.emplace_back(para);
        break;
      }
      std::size_t cut = para.rfind(' ', perLine);
      if (cut == std::string_view::npos || cut == 0) cut = perLine;
      lines.emplace_back(para.substr(0, cut));
      para.remove_prefix(cut);
      while (!para.empty() && para.front() == ' ') para.remove_prefix(1);
    }
    if (end == text.size()) break;
    start = end + 1;
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  return lines;
}

int ReportLayout::bottomLimit() const {
  return doc_.setup.height - doc_.setup.marginBottom - footerBand_.height;
}

void ReportLayout::startPage() {
  doc_.pages.push_back(Page{static_cast<int>(doc_.pages.size()) + 1, {}});
  doc_.pages.back().items.reserve(itemsPerPage_, charsPerPage_);
  pageOpen_ = true;
  pageHasDetail_ = false;
  y_ = doc_.setup.marginTop;
  const int number = doc_.pages.back().number;
  // Built here for its height and placed when the page ends.
  footerBand_ = footer_ ? footer_(number) : Band{};
  if (fixedHeader_) {
    doc_.pages.back().items.append(fixedHeader_->items, doc_.setup.marginLeft, y_);
    y_ += fixedHeader_->height;
  } else if (header_) {
    const Band band = header_(number);
    doc_.pages.back().items.append(band.items, doc_.setup.marginLeft, y_);
    y_ += band.height;
  }
}

void ReportLayout::endPage() {
  if (!pageOpen_) return;
  if (footer_) {
    Page& page = doc_.pages.back();
    const int top = doc_.setup.height - doc_.setup.marginBottom - footerBand_.height;
    page.items.append(footerBand_.items, doc_.setup.marginLeft, top);
  }
  itemsPerPage_ = std::max(itemsPerPage_, doc_.pages.back().items.size());
  charsPerPage_ = std::max(charsPerPage_, doc_.pages.back().items.textSize());
  pageOpen_ = false;
}

void ReportLayout::addDetail(const Band& band) {
  PageItems& items = openDetail(band.height);
  items.append(band.items, doc_.setup.marginLeft, y_);
  y_ += band.height;
  pageHasDetail_ = true;
}

void ReportLayout::addDetail(int height, const Stencil& stencil,
                             std::span<const std::string_view> texts) {
  openDetail(height).stamp(stencil, doc_.setup.marginLeft, y_, texts);
  y_ += height;
  pageHasDetail_ = true;
}

PageItems& ReportLayout::openDetail(int height) {
  if (!pageOpen_) startPage();
  if (pageHasDetail_ && y_ + height > bottomLimit()) {
    endPage();
    startPage();
  }
  return doc_.pages.back().items;
}

void ReportLayout::closeDetail(std::size_t first, int height) {
  doc_.pages.back().items.shift(first, doc_.setup.marginLeft, y_);
  y_ += height;
  pageHasDetail_ = true;
}

void ReportLayout::addMemo(std::string_view text, int x, int width, const FontSpec& font) {
  const int h = lineHeight(font);
  for (const std::string& line : wrap(text, width, font)) {
    addDetail(h, [&](PageItems& items) { items.addText({x, 0, width, h}, line, font); });
  }
}

void ReportLayout::breakPage() {
  if (pageOpen_ && pageHasDetail_) endPage();
}

Document ReportLayout::completeDocument() const {
  Document d;
  d.title = doc_.title;
  d.setup = doc_.setup;
  d.pages.assign(doc_.pages.begin(), doc_.pages.begin() + completePages());
  return d;
}

Document ReportLayout::finish() {
  endPage();
  return std::move(doc_);
}

}  // namespace trv::report
