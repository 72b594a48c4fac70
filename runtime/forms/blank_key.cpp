#include "runtime/forms/blank_key.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/data/file_access.h"
#include "runtime/forms/message_catalog.h"
#include "runtime/store/record_codec.h"
#include "runtime/ui/control_lookup.h"
#include "runtime/ui/window.h"

namespace trv::forms {
namespace {

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

// The text of the prompt that labels the control, without "&" and a closing ":"; the field's own
// name when none does.
std::string labelOf(const ui::Window& window, int number, const std::string& field) {
  const auto& controls = window.controls();
  std::vector<ui::ControlKind> kinds;
  for (const auto& c : controls) kinds.push_back(c.kind);
  for (const ui::PromptPair& pair : ui::pairPrompts(kinds)) {
    if (controls[pair.control].number != number) continue;
    std::string label = ui::withoutAmpersand(controls[pair.prompt].text);
    while (!label.empty() && (label.back() == ':' || label.back() == ' ')) label.pop_back();
    if (!label.empty()) return label;
  }
  return field;
}

}  // namespace

bool refuseBlankKey(data::FileAccess& file, ui::Window& window, MessageCatalog& messages) {
  const store::FileDecl& decl = file.decl();
  auto key = std::find_if(decl.keys.begin(), decl.keys.end(),
                          [](const store::KeyDecl& k) { return k.primary; });
  if (key == decl.keys.end() || key->autoNumber || key->components.empty()) return false;
  window.update();
  if (store::keyImage(decl, *key, file.buffer().record.data())) return false;
  const std::string& field = decl.fields[key->components.front()].name;
  const auto& controls = window.controls();
  auto control = std::find_if(controls.begin(), controls.end(), [&](const ui::ControlState& c) {
    return sameName(c.useName, field);
  });
  messages.SetFieldName(control == controls.end() ? field
                                                  : labelOf(window, control->number, field));
  (void)messages.Raise(kBlankKeyMessage);
  if (control != controls.end() && window.isOpen()) window.select(control->number);
  return true;
}

}  // namespace trv::forms
