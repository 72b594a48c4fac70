#include "listext/saved_layout.h"

#include <charconv>
#include <climits>

#include "listext/list_text.h"
#include "runtime/ini/ini_settings.h"

namespace trv::listext {
namespace {

std::string key(std::string_view prefix, std::string_view name) {
  return "Quorix" + std::string(prefix) + "-" + std::string(name);
}

// A whole number stored under the key; `fallback` when it is missing, no number or outside
// `low` to `high` (what the list keeps it in).
int number(const ini::IniSettings& ini, std::string_view section, const std::string& k,
           int fallback, int low = INT_MIN, int high = INT_MAX) {
  const std::string v = clipped(ini.ReadValue(section, k));
  int out = 0;
  const char* end = v.data() + v.size();
  const auto [p, ec] = std::from_chars(v.data(), end, out);
  return v.empty() || ec != std::errc() || p != end || out < low || out > high ? fallback : out;
}

// Position and size are 16 bits wide; line height and font size a byte.
constexpr int kMaxPlace = 32767;
constexpr int kMaxByte = 255;

}  // namespace

RestoredLayout readLayout(const ini::IniSettings& ini, std::string_view section,
                          std::string_view name, const std::string& builtInFormat,
                          std::size_t slots, const ListLook& current) {
  RestoredLayout r;
  SavedLayout& l = r.layout;
  l.look = current;
  l.formats.assign(slots, builtInFormat);
  std::string orig = ini.ReadValue(section, key("OrigFormatString", name));
  if (orig.empty()) orig = "0";
  if (clipped(orig) != clipped(builtInFormat)) {
    l.origFormat = builtInFormat;
    return r;
  }
  r.accepted = true;
  l.origFormat = orig;
  for (std::size_t n = 0; n < slots; ++n) {
    const std::string v =
        ini.ReadValue(section, key("FormatString", std::string(name) + std::to_string(n + 1)));
    if (!v.empty()) l.formats[n] = v;
  }
  ListLook& k = l.look;
  k.x = number(ini, section, key("Xpos", name), k.x, 0, kMaxPlace);
  k.y = number(ini, section, key("Ypos", name), k.y, 0, kMaxPlace);
  k.height = number(ini, section, key("Height", name), k.height, 0, kMaxPlace);
  k.width = number(ini, section, key("Width", name), k.width, 0, kMaxPlace);
  k.hscroll = number(ini, section, key("Hscroll", name), k.hscroll ? 1 : 0) != 0;
  k.vscroll = number(ini, section, key("Vscroll", name), k.vscroll ? 1 : 0) != 0;
  k.lineHeight = number(ini, section, key("LineHeight", name), k.lineHeight, 0, kMaxByte);
  if (std::string f = clipped(ini.ReadValue(section, key("Font", name))); !f.empty()) k.font = f;
  k.point = number(ini, section, key("Point", name), k.point, 0, kMaxByte);
  k.colour = number(ini, section, key("Color", name), k.colour);
  k.style = number(ini, section, key("Style", name), k.style);
  l.sortColumn = number(ini, section, key("PrevCol", name), 1);
  l.ascDesc = number(ini, section, key("AscDesc", name), 0);
  return r;
}

bool writeLayout(ini::IniSettings& ini, std::string_view section, std::string_view name,
                 const SavedLayout& l) {
  bool ok = true;
  auto put = [&](std::string_view prefix, const std::string& value) {
    ok = ini.WriteValue(section, key(prefix, name), value) && ok;
  };
  auto putNumber = [&](std::string_view prefix, std::int64_t value) {
    ok = ini.WriteValue(section, key(prefix, name), value) && ok;
  };
  for (std::size_t n = 0; n < l.formats.size(); ++n)
    ok = ini.WriteValue(section, key("FormatString", std::string(name) + std::to_string(n + 1)),
                        l.formats[n]) &&
         ok;
  put("OrigFormatString", l.origFormat);
  putNumber("Xpos", l.look.x);
  putNumber("Ypos", l.look.y);
  putNumber("Height", l.look.height);
  putNumber("Width", l.look.width);
  putNumber("Hscroll", l.look.hscroll ? 1 : 0);
  putNumber("Vscroll", l.look.vscroll ? 1 : 0);
  putNumber("LineHeight", l.look.lineHeight);
  put("Font", l.look.font);
  putNumber("Point", l.look.point);
  putNumber("Color", l.look.colour);
  putNumber("Style", l.look.style);
  putNumber("PrevCol", l.sortColumn);
  putNumber("AscDesc", l.ascDesc);
  return ok;
}

}  // namespace trv::listext
