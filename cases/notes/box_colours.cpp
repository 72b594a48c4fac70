#include "cases/notes/box_colours.h"

#include <charconv>
#include <string>

#include "core/program/program_state.h"
#include "runtime/forms/program_message.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/ui/ui_runtime.h"

namespace trv::cases {
namespace {

int storedColour(const ini::IniSettings& ini, std::string_view section, std::string_view key) {
  const std::string v = ini.ReadValue(section, key);
  int n = 0;
  const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
  return ec == std::errc{} && end == v.data() + v.size() && !v.empty() ? n : ui::kColorNone;
}

}  // namespace

BoxColours storedBoxColours(const ini::IniSettings& ini, std::string_view section) {
  BoxColours c{storedColour(ini, section, "TextColor"), storedColour(ini, section, "BgrColor")};
  if (c.text != ui::kColorNone && c.text == c.background) c = {};
  return c;
}

bool chooseBoxColour(core::ProgramState& s, std::string_view section, bool forText,
                     BoxColours& colours) {
  int& chosen = forText ? colours.text : colours.background;
  const int other = forText ? colours.background : colours.text;
  ui::DialogRequest d;
  d.kind = ui::DialogKind::Colour;
  d.title = forText ? "Choose Text Color" : "Choose Background Color";
  d.colour = chosen == ui::kColorNone ? 0 : chosen;
  const ui::Answer a = s.env.ui.dialog(d);
  if (!a.ok) return false;
  if (a.colour == other) {
    forms::tell(s.forms, forText ? "Text Color cannot be the same as Background Color"
                                 : "Background Color cannot be the same as Text Color");
    return false;
  }
  chosen = a.colour;
  (void)s.AppSettings.WriteValue(section, forText ? "TextColor" : "BgrColor",
                                 std::int64_t{a.colour});
  return true;
}

}  // namespace trv::cases
