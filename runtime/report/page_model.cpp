#include "runtime/report/page_model.h"

namespace trv::report {

std::vector<std::string> Document::texts(std::size_t pageIndex) const {
  std::vector<std::string> out;
  if (pageIndex >= pages.size()) return out;
  for (const PageItem& item : pages[pageIndex].items) {
    if (const auto* t = std::get_if<TextItem>(&item)) out.push_back(t->text);
    if (const auto* c = std::get_if<CheckItem>(&item)) out.push_back(c->label);
  }
  return out;
}

}  // namespace trv::report
