#include "listext/header_menu.h"

#include "listext/list_text.h"

namespace trv::listext {
std::vector<MenuItem> listBoxItems(std::int64_t mask) {
  std::vector<MenuItem> items;
  if ((mask & 0x1FE00000) == 0) return items;
  auto add = [&](std::int64_t bit, const char* name, const char* text, int event) {
    if (mask & bit) items.push_back({name, text, event});
  };
  add(0x200000, "XPS", "X Pos", 1055);
  add(0x400000, "YPS", "Y Pos", 1056);
  add(0x800000, "BWI", "Width", 1057);
  add(0x1000000, "BHI", "Height", 1058);
  if (mask & (0x200000 | 0x400000 | 0x800000 | 0x1000000)) items.push_back({"S31", "-", 0});
  add(0x4000000, "LHI", "Line Height", 1060);
  add(0x8000000, "HSC", "+H Scroll", 1061);
  add(0x10000000, "VSC", "+V Scroll", 1062);
  for (MenuItem& i : items) i.checkable = i.name == "HSC" || i.name == "VSC";
  if (mask & (0x4000000 | 0x8000000 | 0x10000000)) items.push_back({"S32", "-", 0});
  add(0x2000000, "FNT", "Font", 1059);
  return items;
}

std::vector<MenuItem> columnItems(const Column& c, const std::string& value,
                                  const HeaderMenuState& s) {
  const std::string description = clipped(c.description);
  const std::string eq = s.filterEqual ? "=" : "";
  const std::string v = value.substr(0, 80);
  auto filter = [&](const char* op) { return "Add Filter of (" + description + op + v + ")"; };
  std::vector<MenuItem> items = {
      {"FXD", "Fixed", 1051, c.fixed, true, true},
      {"ULI", "Underline", 1052, c.uline, true, true},
      {"BDR", "Border", 1053, c.border, true, true},
      {"RSZ", "Resize", 1054, c.resize, true, true},
      {"HSC", "+H Scroll", 1061, s.hscroll, true, true},
      {"VSC", "+V Scroll", 1062, s.vscroll, true, true},
      {"HJL", "Header Left", 1037, c.hjust == 'L', true, true},
      {"HJR", "Header Right", 1038, c.hjust == 'R', true, true},
      {"HJC", "Header Centre", 1039, c.hjust == 'C', true, true},
      {"HJD", "Header Decimal", 1040, c.hjust == 'D', true, true},
      {"FJL", "Data Left", 1041, c.fjust == 'L', true, true},
      {"FJR", "Data Right", 1042, c.fjust == 'R', true, true},
      {"FJC", "Data Centre", 1043, c.fjust == 'C', true, true},
      {"FJD", "Data Decimal", 1044, c.fjust == 'D', true, true},
      {"ADDF1", filter("="), 1074, false, c.viewField},
      {"ADDF4", filter("<>"), 1077, false, c.viewField},
      {"ADDF2", filter(("<" + eq).c_str()), 1075, false, c.viewField},
      {"ADDF3", filter((">" + eq).c_str()), 1076, false, c.viewField},
      {"EQL", "Filter Includes Value", 1080, s.filterEqual, true, true},
      {"SRT", "Sort on " + description, 1068, false, c.sortField != 0},
      {"GBR", "Graph on " + description, 1071, false, s.graph && c.graph},
      {"PVW", "Print View", 1070, false, s.printView},
      {"PPG", "Print Page", 1069, false, s.printPage},
  };
  return items;
}

std::string menuText(const std::vector<MenuItem>& items) {
  std::string t;
  for (const MenuItem& i : items) {
    if (!t.empty()) t += "|";
    if (i.text == "-") {
      t += "-";
      continue;
    }
    if (!i.enabled) t += "~";
    if (i.checked || i.checkable) t += i.checked ? "+" : "-";
    // A text of its own that starts with "+" ("+H Scroll") keeps it only as its check mark.
    t += !i.text.empty() && i.text[0] == '+' ? i.text.substr(1) : i.text;
  }
  return t;
}

}  // namespace trv::listext
