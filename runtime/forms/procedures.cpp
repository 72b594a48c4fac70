#include "runtime/forms/procedures.h"

#include <cctype>

namespace trv::forms {
namespace {
std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}
}  // namespace

void ProcedureRegistry::add(std::string name, ProcedureEntry entry) {
  entries_[upper(name)] = std::move(entry);
  names_.push_back(std::move(name));
}

const ProcedureEntry* ProcedureRegistry::find(std::string_view name) const {
  auto it = entries_.find(upper(name));
  return it == entries_.end() ? nullptr : &it->second;
}

std::vector<std::string> ProcedureRegistry::names() const {
  return names_;
}

}  // namespace trv::forms
