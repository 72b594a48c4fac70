#include "runtime/forms/blank_key.h"

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "runtime/data/file_access.h"
#include "runtime/forms/message_catalog.h"
#include "runtime/store/record_codec.h"
#include "runtime/ui/window.h"

namespace trv::forms {
namespace {

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

// The text of the prompt declared right before the control, without "&" and a closing ":";
// the field's own name when it has none.
std::string labelOf(const ui::Window& window, int number, const std::string& field) {
  const ui::ControlState* before = nullptr;
  for (const auto& c : window.controls()) {
    if (c.number == number) break;
    before = &c;
  }
  if (!before || before->kind != ui::ControlKind::Prompt) return field;
  std::string label = ui::withoutAmpersand(before->text);
  while (!label.empty() && (label.back() == ':' || label.back() == ' ')) label.pop_back();
  return label.empty() ? field : label;
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
