// The column graph's categories, geometry and preferences.

#include "listext/column_graph.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "listext/list_text.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/text/picture.h"

namespace trv::listext {
namespace {

struct NamedColour {
  const char* name;
  int value;
};
constexpr NamedColour kColours[] = {
    {"None", -1},        {"Black", 0},         {"Maroon", 128},       {"Green", 32768},
    {"Olive", 32896},    {"Navy", 8388608},    {"Purple", 8388736},   {"Teal", 8421376},
    {"Gray", 8421504},   {"Silver", 12632256}, {"Red", 255},          {"Lime", 65280},
    {"Yellow", 65535},   {"Blue", 16711680},   {"Fuschia", 16711935}, {"Aqua", 16776960},
    {"White", 16777215},
};
constexpr const char* kDefaultColours[] = {"Maroon", "Olive", "Navy", "Silver",
                                           "Purple", "Green", "Teal", "Gray"};

constexpr std::size_t kSuffixChars = 20;

// A total in a column's picture: a text picture shows its decimals as far as it has any.
std::string totalText(double total, std::string_view picture) {
  if (!text::isTextPicture(picture))
    return clipped(text::formatPicture(picture, std::llround(total)));
  char buf[40];
  std::snprintf(buf, sizeof buf, "%.2f", total);
  std::string t = buf;
  while (t.back() == '0') t.pop_back();
  if (t.back() == '.') t.pop_back();
  if (t == "-0") t = "0";
  return clipped(text::formatPicture(picture, t));
}

// Text that is no number reads as 0, as blank text does.
bool readsAsZero(const std::string& t) {
  const std::size_t from = t.find_first_not_of(' ');
  if (from == std::string::npos) return true;
  const std::string number = clipped(t.substr(from));
  char* end = nullptr;
  const double v = std::strtod(number.c_str(), &end);
  return end != number.c_str() + number.size() || v == 0;
}

// A share in one decimal (cut, not rounded), never past 100; a whole of 0 gives 0.
double share(double part, double whole) {
  if (whole <= 0) return 0;
  return std::clamp(std::floor(part * 1000 / whole + 1e-9) / 10.0, 0.0, 100.0);
}

}  // namespace

bool CategoryCounter::Add(const std::string& name, double amount) {
  auto it = counts_.find(name);
  if (it == counts_.end()) {
    if (counts_.size() >= kMaxCategories) return false;
    it = counts_.emplace(name, Tally{}).first;
  }
  ++it->second.count;
  it->second.total += amount;
  ++records_;
  return true;
}

std::vector<Category> CategoryCounter::categories(int graphType, std::string_view picture) const {
  double sum = 0;
  for (const auto& entry : counts_) sum += std::round(entry.second.total * 100) / 100;
  std::vector<Category> out;
  for (const auto& [name, tally] : counts_) {
    Category c;
    c.name = name;
    c.count = tally.count;
    c.total = std::round(tally.total * 100) / 100;
    c.percent = graphType == kGraphByTotal
                    ? share(c.total, sum)
                    : share(static_cast<double>(c.count), static_cast<double>(records_));
    c.suffix = totalText(c.total, picture).substr(0, kSuffixChars);
    out.push_back(std::move(c));
  }
  return out;
}

BarChart layoutBars(const std::vector<Category>& categories, int width, int height, int graphType) {
  BarChart g;
  const int n = static_cast<int>(categories.size());
  if (n == 0) return g;
  if (n >= 6) {
    g.gap = 4;
    g.bar = (width - 80) / n - 4;
    if (g.bar < 10) {
      g.gap = 2;
      g.bar = (width - 80) / n - 2;
    }
  } else {
    const int slot = (width - 160) / n;
    g.gap = slot / 5;
    g.bar = 4 * g.gap;
  }
  g.bar = std::max(g.bar, 1);
  g.y0 = height - 50;
  g.x0 = (width - ((n - 1) * (g.bar + g.gap) + g.bar)) / 2 + 32;
  auto valueOf = [graphType](const Category& c) {
    return graphType == kGraphByTotal ? c.total : static_cast<double>(c.count);
  };
  double largest = 0;
  for (const Category& c : categories) largest = std::max(largest, valueOf(c));
  for (int i = 0; i < n; ++i) {
    g.xs.push_back(g.x0 + i * (g.bar + g.gap));
    const double v = valueOf(categories[static_cast<std::size_t>(i)]);
    // A bar below the baseline (a negative total) stands at 0.
    g.heights.push_back(largest > 0 ? std::max(0, static_cast<int>(v * (g.y0 - 30) / largest)) : 0);
  }
  g.baselineLength = n * (g.bar + g.gap) - g.gap + 1;
  return g;
}

void groupByMonth(int month, std::string& text) {
  static const char* const kMonths[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
  if (month < 1 || month > 12) return;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%2d =%s", month, kMonths[month - 1]);
  text = buf;
}

void groupByWeekday(int day, std::string& text) {
  static const char* const kDays[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                      "Thursday", "Friday", "Saturday"};
  if (day < 1 || day > 7) return;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%2d =%s", day, kDays[day - 1]);
  text = buf;
}

namespace {

// The hour band of a two-digit hour text, `hours` wide; nothing for any other text.
void groupByHours(std::string& text, int hours) {
  std::string h = text;
  while (!h.empty() && h.back() == ' ') h.pop_back();
  if (h.size() != 2 || h < "00" || h > "23" || !std::isdigit(static_cast<unsigned char>(h[0])) ||
      !std::isdigit(static_cast<unsigned char>(h[1])))
    return;
  const int from = (std::stoi(h) / hours) * hours;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d:00-%02d:59", from, from + hours - 1);
  text = buf;
}

}  // namespace

void groupBySixHours(std::string& text) {
  groupByHours(text, 6);
}

void groupByFourHours(std::string& text) {
  groupByHours(text, 4);
}

std::string legendText(const Category& c) {
  std::string legend =
      c.name.size() >= 4 && c.name.compare(2, 2, " =") == 0 ? c.name.substr(4) : c.name;
  if (!readsAsZero(c.suffix)) legend += ' ' + clipped(c.suffix);
  return legend;
}

PixelBox legendBox(const BarChart& g, std::size_t index, int textWidth, int textHeight) {
  PixelBox b;
  if (index >= g.xs.size()) return b;
  b.x = g.xs[index] + g.bar / 2 - (textHeight * 3) / 2 + 2;
  b.y = g.y0 - textWidth - 10;
  b.width = textHeight * 2;
  b.height = textWidth + 4;
  return b;
}

int textHeightPixels(int points) {
  return (std::max(points, 1) * 96 + 71) / 72;
}

int textWidthPixels(const std::string& text, int points) {
  return static_cast<int>(text.size()) * textHeightPixels(points) / 2;
}

std::string percentText(double percent, int slot) {
  char buf[16];
  if (slot < 26) {
    std::snprintf(buf, sizeof buf, "%d", static_cast<int>(percent + 0.5));
  } else {
    std::snprintf(buf, sizeof buf, "%.1f", percent);
  }
  return buf;
}

int colourOfName(const std::string& name, int fallback) {
  for (const NamedColour& c : kColours)
    if (name == c.name) return c.value;
  return fallback;
}

std::string nameOfColour(int value) {
  for (const NamedColour& c : kColours)
    if (value == c.value) return c.name;
  return {};
}

GraphPreferences readGraphPreferences(const ini::IniSettings* ini) {
  GraphPreferences p;
  for (std::size_t i = 0; i < p.colours.size(); ++i) {
    char key[8];
    std::snprintf(key, sizeof key, "Col%02d", static_cast<int>(i + 1));
    std::string name = ini ? ini->ReadValue("QuorixPreferences", key) : std::string();
    if (name.empty()) name = kDefaultColours[i];
    p.colours[i] = colourOfName(name, 0);
  }
  if (!ini) return p;
  if (std::string f = ini->ReadValue("QuorixPreferences", "FontName"); !f.empty()) p.fontName = f;
  auto number = [&](const char* key, int& into) {
    if (!ini->ReadValue("QuorixPreferences", key).empty())
      into = static_cast<int>(ini->ReadNumber("QuorixPreferences", key));
  };
  number("FontSize", p.fontSize);
  number("FontColor", p.fontColour);
  number("FontStyle", p.fontStyle);
  return p;
}

}  // namespace trv::listext
