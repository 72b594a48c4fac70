#include "listext/sort_orders.h"

#include "listext/list_text.h"
#include "runtime/store/declaration.h"

namespace trv::listext {
namespace {

// A picture whose second character is "s" marks text.
bool textPicture(const std::string& picture) {
  return picture.size() >= 2 && (picture[1] == 's' || picture[1] == 'S');
}

OrderComponent component(const std::string& name, bool ownDescending, const std::string& picture,
                         bool descending, bool upper) {
  return {clipped(name), descending != ownDescending, upper && textPicture(picture)};
}

}  // namespace

std::vector<OrderComponent> sortOrderOf(const Column& column, bool descending,
                                        const std::vector<SortGroup>& groups,
                                        const ApplyAll& applyAll, bool upper) {
  std::vector<OrderComponent> out;
  for (const SortGroup& g : groups) {
    if (!store::sameName(clipped(g.column), clipped(column.field))) continue;
    for (const SortComponent& c : g.components)
      out.push_back(component(c.name, c.descending, c.picture, descending, upper));
    break;
  }
  const bool grouped = !out.empty();
  if (!grouped)
    out.push_back(component(column.field, column.ascDesc == 1, column.picture, descending, upper));
  if (!grouped || applyAll.toGroups)
    for (const SortComponent& c : applyAll.components)
      out.push_back(component(c.name, c.descending, c.picture, descending, upper));
  return out;
}

std::string orderText(const std::vector<OrderComponent>& components) {
  std::string t;
  for (const OrderComponent& c : components) {
    if (!t.empty()) t += ",";
    std::string one = c.descending ? "-" : "";
    one += c.upper ? "UPPER(" + c.name + ")" : c.name;
    t += one.substr(0, 40);
  }
  return t;
}

}  // namespace trv::listext
