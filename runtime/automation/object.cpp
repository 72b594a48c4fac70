#include "runtime/automation/object.h"

namespace trv::automation {

MemberShape Object::shape(std::string_view) const {
  return {};
}

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

std::optional<std::string> firstArgument(const Arguments& args) {
  if (args.empty()) return std::nullopt;
  return args.front().value;
}

std::optional<std::string> namedArgument(const Arguments& args, std::string_view name) {
  for (const Argument& a : args)
    if (sameName(a.name, name)) return a.value;
  return std::nullopt;
}

}  // namespace trv::automation
