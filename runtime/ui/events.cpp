#include "runtime/ui/events.h"

#include <array>
#include <utility>

#include "runtime/text/fixed_string.h"

namespace trv::ui {
namespace {

constexpr std::array<std::pair<std::string_view, int>, 34> kNames{{
    {"Enter", KeyEnter},
    {"Esc", KeyEsc},
    {"Tab", KeyTab},
    {"Insert", KeyInsert},
    {"Delete", KeyDelete},
    {"Backspace", KeyBackspace},
    {"Up", KeyUp},
    {"Down", KeyDown},
    {"Left", KeyLeft},
    {"Right", KeyRight},
    {"PgUp", KeyPgUp},
    {"PgDn", KeyPgDn},
    {"Home", KeyHome},
    {"End", KeyEnd},
    {"F1", KeyF1},
    {"F2", KeyF2},
    {"F3", KeyF3},
    {"F4", KeyF4},
    {"F5", KeyF5},
    {"F6", KeyF6},
    {"F7", KeyF7},
    {"F8", KeyF8},
    {"F9", KeyF9},
    {"F10", KeyF10},
    {"F11", KeyF11},
    {"F12", KeyF12},
    {"MouseLeft", KeyMouseLeft},
    {"MouseLeft2", KeyMouseLeft2},
    {"MouseRight", KeyMouseRight},
    {"MouseRightUp", KeyMouseRightUp},
    {"MouseLeftUp", KeyMouseLeftUp},
    {"MouseMove", KeyMouseMove},
    {"PrintScreen", KeyPrintScreen},
    {"Space", ' '},
}};

// Decodes one UTF-8 character; -1 when `s` is not exactly one.
int singleCodePoint(std::string_view s) {
  if (s.empty()) return -1;
  auto b = static_cast<unsigned char>(s[0]);
  int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
  if (len == 0 || static_cast<int>(s.size()) != len) return -1;
  int cp = len == 1 ? b : b & (0x7f >> len);
  for (int i = 1; i < len; ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3f);
  return cp;
}

}  // namespace

std::optional<int> parseKey(std::string_view name) {
  int mods = 0;
  for (;;) {
    auto plus = name.find('+');
    if (plus == std::string_view::npos || plus + 1 == name.size()) break;
    std::string_view mod = name.substr(0, plus);
    if (text::equalNoCase(mod, "Ctrl")) {
      mods |= kCtrl;
    } else if (text::equalNoCase(mod, "Shift")) {
      mods |= kShift;
    } else if (text::equalNoCase(mod, "Alt")) {
      mods |= kAlt;
    } else {
      return std::nullopt;
    }
    name.remove_prefix(plus + 1);
  }
  for (const auto& [n, k] : kNames)
    if (text::equalNoCase(n, name)) return k | mods;
  int cp = singleCodePoint(name);
  if (cp < 0) return std::nullopt;
  return cp | mods;
}

std::string keyName(int key) {
  std::string out;
  if (key & kCtrl) out += "Ctrl+";
  if (key & kShift) out += "Shift+";
  if (key & kAlt) out += "Alt+";
  int base = key & ~kModifierMask;
  for (const auto& [n, k] : kNames)
    if (k == base) return out + std::string(n);
  if (base <= 0 || base >= kKeySpecial) return out + "#" + std::to_string(base);
  auto cp = static_cast<unsigned>(base);
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xc0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3f));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xe0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (cp & 0x3f));
  } else {
    out += static_cast<char>(0xf0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3f));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
    out += static_cast<char>(0x80 | (cp & 0x3f));
  }
  return out;
}

}  // namespace trv::ui
