#pragma once
// The column graph: the records of a list counted per value of one column (each distinct value a
// category, at most kMaxCategories), and the geometry of its bar chart in pixels.
//
// Bars stand on a baseline 50 pixels above the bottom, centred in the window with 32 pixels more
// on the left for the "Count" and "Percent" captions. Up to 5 categories share the width in wide
// slots (the gap a fifth of a slot, the bar four gaps); from 6 on the gap is 4 pixels, or 2 once
// a bar would be narrower than 10. Pure data and functions.

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/ui/window_decl.h"

namespace trv::ini {
class IniSettings;
}

namespace trv::listext {

inline constexpr std::size_t kMaxCategories = 50;

// The graph type of a column whose bars measure the categories' totals; any other type counts
// records.
inline constexpr int kGraphByTotal = 2;

struct Category {
  std::string name;
  std::int64_t count = 0;
  double percent = 0;  // one decimal, 0..100
  double total = 0;    // the amounts of its records, two decimals
  std::string suffix;  // the total in the column's picture, shown after the legend
};

class CategoryCounter {
 public:
  // Counts one record of category `name` with its `amount`; false (nothing counted) when that
  // would make more than kMaxCategories categories.
  bool Add(const std::string& name, double amount = 0);
  std::int64_t records() const { return records_; }
  // The categories in ascending order of their names, with their shares: of the records, or of
  // the sum of the totals with kGraphByTotal; each total also as `picture` shows it.
  std::vector<Category> categories(int graphType = 0, std::string_view picture = {}) const;

 private:
  struct Tally {
    std::int64_t count = 0;
    double total = 0;
  };
  std::map<std::string, Tally> counts_;
  std::int64_t records_ = 0;
};

struct BarChart {
  int gap = 0;
  int bar = 0;
  int x0 = 0;                // left edge of the first bar
  int y0 = 0;                // the baseline
  std::vector<int> xs;       // left edge of each bar
  std::vector<int> heights;  // height of each bar
  int baselineLength = 0;
};

// The chart of the categories in a window `width` by `height` pixels; with kGraphByTotal the
// bars measure the totals, else the counts.
BarChart layoutBars(const std::vector<Category>& categories, int width, int height,
                    int graphType = 0);

// Category groupers: a month (1-12), a weekday (1-7, Sunday first) or a two-digit hour in `text`
// become a category text that sorts in calendar order (" 1 =January", "00:00-05:59"). A value
// outside the range leaves `text` as it is.
void groupByMonth(int month, std::string& text);
void groupByWeekday(int day, std::string& text);
void groupBySixHours(std::string& text);
void groupByFourHours(std::string& text);

// The legend over a bar: the name, without a grouping prefix (" 1 =January" shows "January"),
// then the total as its picture shows it, unless that reads as 0.
std::string legendText(const Category& c);

// Legends stand turned a quarter anticlockwise (tenths of a degree), reading upwards.
inline constexpr int kLegendAngle = 900;
struct PixelBox {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelBox&, const PixelBox&) = default;
};
// The box of bar `index`'s (from 0) turned legend, whose text unturned is `textWidth` by
// `textHeight` pixels: twice the text's height wide and its width + 4 high, over the middle of
// its bar, ending 10 pixels above the baseline.
PixelBox legendBox(const BarChart& g, std::size_t index, int textWidth, int textHeight);
// The unturned extent of a text in pixels at `points`, as the window model estimates it (96
// dots to the inch, an average character half as wide as high).
int textHeightPixels(int points);
int textWidthPixels(const std::string& text, int points);
// The percentage as shown: one decimal when a bar slot is 26 pixels or more, else whole.
std::string percentText(double percent, int slot);

// The colour names of the configuration file: the value of a name (nullopt-like: `fallback` for
// a name not known) and the name of a value (empty when none).
int colourOfName(const std::string& name, int fallback);
std::string nameOfColour(int value);

struct GraphPreferences {
  std::array<int, 8> colours{};
  std::string fontName = "Arial";
  int fontSize = 12;
  int fontColour = 0;
  int fontStyle = 700;
};
// Reads section "QuorixPreferences" (Col01..Col08, FontName, FontSize, FontColor, FontStyle); a
// colour name not known leaves its bar black.
GraphPreferences readGraphPreferences(const ini::IniSettings* ini);

// The name of a "FontStyle" value; `shown` for a value without one.
std::string fontStyleName(int style, const std::string& shown);

// The size the graph is laid out for until its window tells its own, pixels.
inline constexpr int kGraphWidth = 800;
inline constexpr int kGraphHeight = 480;

// The graph window: the first line (records read and the column), "OK", the filter line,
// "&Output", and per category its bar, legend, count and percentage over a baseline.
ui::WindowDecl graphWindow(const std::vector<Category>& categories, std::int64_t records,
                           const std::string& description, const std::string& filter,
                           const GraphPreferences& prefs, int graphType = 0,
                           int width = kGraphWidth, int height = kGraphHeight);

}  // namespace trv::listext
