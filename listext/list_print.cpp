// The list print's layout.

#include "listext/list_print.h"

#include <algorithm>

namespace trv::listext {
namespace {

constexpr int kHeaderHeight = 910;
constexpr int kFooterHeight = 700;
constexpr int kColumnsY = 650;
constexpr int kBodyHeight = 5500;

report::TextItem text(int x, int y, int width, std::string s, report::FontSpec font) {
  report::TextItem t;
  t.box = {x, y, width, report::ReportLayout::lineHeight(font)};
  t.text = std::move(s);
  t.font = std::move(font);
  return t;
}

}  // namespace

PrintFit fitPrint(const std::vector<PrintColumn>& columns, int maxPoints, int minPoints) {
  if (columns.empty()) return {std::max(minPoints, 1), 0};
  long long sum = 0;
  for (const PrintColumn& c : columns) sum += c.width + (c.border ? 1 : 0);
  const long long n = static_cast<long long>(columns.size());
  for (int m = maxPoints; m >= minPoints && m > 0; m -= 2) {
    const long long spare = (kPrintWidth - sum * 2 * m) / n;
    if (spare > 0) return {m, static_cast<int>(spare)};
  }
  const int m = std::max(minPoints, 1);
  return {m, static_cast<int>((kPrintWidth - sum * 2 * m) / n)};
}

ListPrintLayout::ListPrintLayout(std::vector<PrintColumn> columns, PrintFit fit, std::string face,
                                 int weight, int headerWeight)
    : columns_(std::move(columns)),
      fit_(fit),
      face_(std::move(face)),
      weight_(weight == 0 ? 400 : weight),
      headerWeight_(headerWeight) {
  int x = 0;
  for (const PrintColumn& c : columns_) {
    const int w = std::max(c.width * 2 * fit_.points + fit_.spare, 0);
    xs_.push_back(x);
    widths_.push_back(w);
    x += w;
  }
  tableWidth_ = x;
}

report::PageSetup ListPrintLayout::pageSetup(int paperType) {
  struct Paper {
    int code;
    int width, height;  // portrait, thousandths of an inch
  };
  static constexpr Paper kPapers[] = {
      {1, 8500, 11000},   {2, 8500, 11000},  {3, 11000, 17000}, {4, 11000, 17000},
      {5, 8500, 14000},   {6, 5500, 8500},   {7, 7250, 10500},  {8, 11693, 16535},
      {9, 8268, 11693},   {10, 8268, 11693}, {11, 5827, 8268},  {12, 9843, 13937},
      {13, 7165, 10118},  {14, 8500, 13000}, {15, 8465, 10827}, {16, 10000, 14000},
      {17, 11000, 17000}, {18, 8500, 11000},
  };
  Paper paper = kPapers[0];
  for (const Paper& p : kPapers)
    if (p.code == paperType) paper = p;
  report::PageSetup s;
  s.width = paper.height;
  s.height = paper.width;
  s.landscape = true;
  s.marginLeft = 600;
  s.marginTop = 600;
  s.marginRight = 600;
  // On a sheet too short for the footer's place the footer stands at its foot.
  s.marginBottom = std::max(s.height - 7000 - kFooterHeight, 0);
  return s;
}

report::FontSpec ListPrintLayout::font(int weight) const {
  report::FontSpec f;
  f.face = face_;
  f.points = fit_.points;
  f.bold = weight >= 700;
  return f;
}

report::TextItem ListPrintLayout::cell(std::size_t i, int y, const std::string& s, char justify,
                                       int indent, int weight) const {
  report::TextItem t = text(xs_[i], y, widths_[i], s, font(weight));
  const int in = std::min(indent * 2 * fit_.points, widths_[i]);
  switch (justify) {
    case 'C':
      t.align = report::Align::kCenter;
      break;
    case 'R':
    case 'D':  // decimal: the values of a column share their decimals, so right-aligned
      t.align = report::Align::kRight;
      t.box.width -= in;
      break;
    default:
      t.box.x += in;
      t.box.width -= in;
      break;
  }
  return t;
}

report::Band ListPrintLayout::pageHeader(const PrintTexts& texts) const {
  report::Band b;
  b.height = kHeaderHeight;
  b.items.push_back(report::BoxItem{{10, 50, tableWidth_, 880}, true, 0xC0C0C0});
  b.items.push_back(text(52, 42, kPrintWidth - 52, texts.title.substr(0, 255), font(700)));
  b.items.push_back(text(52, 302, 490, "Date:", font(weight_)));
  b.items.push_back(text(542, 302, 1400, texts.date, font(weight_)));
  b.items.push_back(text(2021, 302, 500, "Time:", font(weight_)));
  b.items.push_back(text(2521, 302, 1400, texts.time, font(weight_)));
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const PrintColumn& c = columns_[i];
    if (c.border && i + 1 < columns_.size()) {
      const int x = xs_[i] + widths_[i];
      b.items.push_back(report::LineItem{x, kColumnsY, x, kColumnsY + kBodyHeight + 50, 10});
    }
    const char hj = c.hjust == 'C' ? 'C' : (c.hjust == 'R' || c.hjust == 'D') ? 'R' : 'L';
    b.items.push_back(cell(i, kColumnsY, c.header, hj, c.hoffset, headerWeight_));
  }
  return b;
}

report::Band ListPrintLayout::pageFooter(const PrintTexts& texts) const {
  report::Band b;
  b.height = kFooterHeight;
  b.items.push_back(text(10, 52, 540, "Font:", font(weight_)));
  b.items.push_back(text(550, 52, 4400, texts.font, font(weight_)));
  b.items.push_back(text(5000, 52, 4800, texts.records, font(weight_)));
  b.items.push_back(text(10, 250, 990, "Order:", font(weight_)));
  b.items.push_back(text(1000, 250, 8800, texts.order.substr(0, 255), font(weight_)));
  b.items.push_back(text(10, 450, 990, "Filter:", font(weight_)));
  b.items.push_back(text(1000, 450, 8800, texts.filter.substr(0, 255), font(weight_)));
  return b;
}

report::Band ListPrintLayout::detail(const std::vector<std::string>& cells) const {
  report::Band b;
  b.height = 20 + report::ReportLayout::lineHeight(font(weight_));
  for (std::size_t i = 0; i < columns_.size() && i < cells.size(); ++i)
    b.items.push_back(
        cell(i, 20, cells[i].substr(0, 255), columns_[i].fjust, columns_[i].foffset, weight_));
  return b;
}

report::Band ListPrintLayout::totals(const std::vector<std::string>& cells) const {
  report::Band b;
  b.height = kColumnsY + report::ReportLayout::lineHeight(font(weight_));
  for (std::size_t i = 0; i < columns_.size() && i < cells.size(); ++i)
    if (columns_[i].total)
      b.items.push_back(
          cell(i, kColumnsY, cells[i], columns_[i].fjust, columns_[i].foffset, weight_));
  return b;
}

}  // namespace trv::listext
