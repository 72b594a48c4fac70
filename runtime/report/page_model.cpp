#include "runtime/report/page_model.h"

#include <functional>
#include <mutex>
#include <set>

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
