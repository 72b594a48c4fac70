#include "runtime/list/list_format.h"

#include <algorithm>
#include <charconv>

namespace trv::list {
namespace {

constexpr int kMaxColumnWidth = 999;

}  // namespace

int charsOfDialogUnits(int dialogUnits) {
  return std::max(1, (dialogUnits + 2) / 4);
}

ModelPlace modelPlaceOf(const DialogPlace& p) {
  ModelPlace m;
  m.column = (std::max(0, p.x) + 2) / 4 + 1;
  m.row = (std::max(0, p.y) + 4) / 8 + 1;
  m.width = p.width > 0 ? charsOfDialogUnits(p.width) : 0;
  m.height = p.height > 0 ? std::max(1, (p.height + 4) / 8) : 0;
  return m;
}

DialogPlace dialogPlaceOf(const ModelPlace& m) {
  return {std::max(0, m.column - 1) * 4, std::max(0, m.row - 1) * 8, std::max(0, m.width) * 4,
          std::max(0, m.height) * 8};
}

std::string listFormat(const std::vector<ui::ListColumn>& columns) {
  std::string f;
  for (const ui::ListColumn& c : columns) {
    if (!f.empty()) f += ',';
    f += std::to_string(c.width);
  }
  return f;
}

std::vector<ui::ListColumn> withListFormat(std::vector<ui::ListColumn> columns,
                                           std::string_view format) {
  std::vector<int> widths;
  std::size_t start = 0;
  while (start <= format.size()) {
    const std::size_t comma = std::min(format.find(',', start), format.size());
    const std::string_view part = format.substr(start, comma - start);
    int w = 0;
    const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), w);
    if (part.empty() || ec != std::errc() || end != part.data() + part.size() || w < 1 ||
        w > kMaxColumnWidth)
      return columns;
    widths.push_back(w);
    start = comma + 1;
  }
  if (widths.size() != columns.size()) return columns;
  for (std::size_t i = 0; i < columns.size(); ++i) columns[i].width = widths[i];
  return columns;
}

}  // namespace trv::list
