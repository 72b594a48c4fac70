// The column graph: categories counted per value, the bar chart's geometry, the preferences, and
// the graph of a real list's column.

#include "listext/column_graph.h"

#include <gtest/gtest.h>

#include "tests/listext/item_list_fixture.h"

namespace trv::listext {
namespace {

std::vector<Category> categories(int n) {
  std::vector<Category> out;
  for (int i = 1; i <= n; ++i) out.push_back({"c" + std::to_string(i), i, 0, 0, ""});
  return out;
}

TEST(ColumnGraph, CountsAtMostFiftyCategoriesInNameOrderWithTheirShares) {
  CategoryCounter c;
  for (const char* v : {"10 =October", " 2 =February", "10 =October", "", "10 =October"})
    EXPECT_TRUE(c.Add(v));
  const auto cats = c.categories();
  ASSERT_EQ(cats.size(), 3u);
  EXPECT_EQ(cats[0].name, "");
  EXPECT_EQ(cats[1].name, " 2 =February");
  EXPECT_EQ(legendText(cats[1]), "February");
  EXPECT_EQ(cats[2].count, 3);
  EXPECT_DOUBLE_EQ(cats[2].percent, 60.0);
  EXPECT_EQ(c.records(), 5);

  CategoryCounter many;
  for (int i = 0; i < 50; ++i) EXPECT_TRUE(many.Add(std::to_string(i)));
  EXPECT_TRUE(many.Add("7"));  // a known category still counts
  EXPECT_FALSE(many.Add("the 51st"));
  EXPECT_EQ(many.categories().size(), 50u);
  EXPECT_TRUE(CategoryCounter().categories().empty());
}

TEST(ColumnGraph, AColumnOfGraphTypeTwoMeasuresTheTotalsAndItsLegendsShowThem) {
  CategoryCounter c;
  for (auto [name, amount] : std::vector<std::pair<std::string, double>>{
           {"red", 30}, {"blue", 10}, {"red", 20.5}, {"green", 0}})
    EXPECT_TRUE(c.Add(name, amount));
  const auto byTotal = c.categories(kGraphByTotal, "@s10");
  ASSERT_EQ(byTotal.size(), 3u);
  EXPECT_DOUBLE_EQ(byTotal[2].total, 50.5);
  EXPECT_DOUBLE_EQ(byTotal[2].percent, 83.4);  // of 60.5, cut to one decimal
  EXPECT_DOUBLE_EQ(byTotal[0].percent, 16.5);
  EXPECT_DOUBLE_EQ(byTotal[1].percent, 0);
  EXPECT_EQ(legendText(byTotal[2]), "red 50.5");
  EXPECT_EQ(legendText(byTotal[1]), "green");  // a total that reads as 0 is not shown
  const BarChart g = layoutBars(byTotal, 800, 480, kGraphByTotal);
  EXPECT_EQ(g.heights, (std::vector<int>{79, 0, 400}));
  // Any other type counts the records, its totals in the column's picture all the same.
  const auto byCount = c.categories(1, "@n6");
  EXPECT_DOUBLE_EQ(byCount[2].percent, 50.0);
  EXPECT_EQ(byCount[2].suffix, "    51");
  EXPECT_EQ(legendText(byCount[2]), "red     51");
  EXPECT_EQ(layoutBars(byCount, 800, 480, 1).heights, (std::vector<int>{200, 200, 400}));
  // No total at all: flat bars and no shares.
  CategoryCounter none;
  for (const char* name : {"a", "b"}) none.Add(name);
  const auto flat = none.categories(kGraphByTotal, "@s6");
  EXPECT_DOUBLE_EQ(flat[0].percent, 0);
  EXPECT_EQ(layoutBars(flat, 800, 480, kGraphByTotal).heights, (std::vector<int>{0, 0}));
  EXPECT_EQ(legendText(flat[0]), "a");
}

TEST(ColumnGraph, GroupersGiveCategoriesInCalendarOrder) {
  struct Case {
    void (*group)(std::string&);
    std::string in, out;
  } hours[] = {
      {groupBySixHours, "05", "00:00-05:59"},  {groupBySixHours, "18 ", "18:00-23:59"},
      {groupBySixHours, "05:30", "05:30"},     {groupBySixHours, "24", "24"},
      {groupByFourHours, "07", "04:00-07:59"}, {groupByFourHours, "20", "20:00-23:59"},
      {groupByFourHours, "ab", "ab"},
  };
  for (Case c : hours) {
    c.group(c.in);
    EXPECT_EQ(c.in, c.out);
  }
  std::string t = "x";
  groupByMonth(13, t);
  EXPECT_EQ(t, "x");
  groupByMonth(2, t);
  EXPECT_EQ(t, " 2 =February");
  std::string october;
  groupByMonth(10, october);
  EXPECT_LT(t, october);  // the leading blank sorts February first
  groupByWeekday(1, t);
  EXPECT_EQ(t, " 1 =Sunday");
}

TEST(ColumnGraph, LaysBarsOutWideUpToFiveAndNarrowFromSix) {
  struct Case {
    int n, width, gap, bar, x0;
  } cases[] = {
      {1, 800, 128, 512, 176}, {5, 800, 25, 100, 132}, {6, 800, 4, 116, 74},
      {50, 800, 4, 10, 84},    {50, 700, 2, 10, 83},  // the gap shrinks below a 10-pixel bar
  };
  for (const Case& c : cases) {
    const BarChart g = layoutBars(categories(c.n), c.width, 480);
    EXPECT_EQ(g.gap, c.gap) << c.n;
    EXPECT_EQ(g.bar, c.bar) << c.n;
    EXPECT_EQ(g.x0, c.x0) << c.n;
    EXPECT_EQ(g.y0, 430);
    ASSERT_EQ(g.xs.size(), static_cast<std::size_t>(c.n));
    EXPECT_EQ(g.xs.back(), c.x0 + (c.n - 1) * (c.bar + c.gap));
    // The largest category reaches 30 pixels below the top of the chart.
    EXPECT_EQ(g.heights.back(), 400);
    EXPECT_EQ(g.heights.front(), 400 / c.n);
    EXPECT_EQ(g.baselineLength, c.n * (c.bar + c.gap) - c.gap + 1);
  }
  EXPECT_EQ(percentText(33.3, 25), "33");
  EXPECT_EQ(percentText(33.3, 26), "33.3");
}

TEST(ColumnGraph, LegendsStandTurnedOverTheMiddleOfTheirBars) {
  // Five bars on 800 pixels: bar 100, gap 25, the first at 132, the baseline at 430.
  const BarChart g = layoutBars(categories(5), 800, 480);
  EXPECT_EQ(legendBox(g, 0, 40, 16), (PixelBox{132 + 50 - 24 + 2, 430 - 40 - 10, 32, 44}));
  EXPECT_EQ(legendBox(g, 4, 40, 16).x, 132 + 4 * 125 + 50 - 24 + 2);
  EXPECT_EQ(legendBox(g, 5, 40, 16), PixelBox{});
  EXPECT_EQ(textHeightPixels(12), 16);
  EXPECT_EQ(textWidthPixels("January", 12), 56);

  GraphPreferences p;
  const ui::WindowDecl d = graphWindow(categories(5), 15, "Group", "", p);
  int legends = 0;
  for (const ui::ControlDecl& c : d.controls) {
    if (c.number > 300 && c.number <= 305) {
      ++legends;
      EXPECT_EQ(c.angle, 900) << c.text;
      // "c1" is 16 by 16 pixels unturned: its box starts 26 pixels above the baseline.
      EXPECT_EQ(c.row, (430 - 16 - 10) / 16 + 1) << c.text;
    } else {
      EXPECT_EQ(c.angle, 0) << c.equate;  // counts, percentages and captions read across
    }
  }
  EXPECT_EQ(legends, 5);
  EXPECT_EQ(percentText(33.3, 26), "33.3");
}

TEST(ColumnGraph, ReadsTheBarColoursByNameWithDefaults) {
  store::testing::TempFolder dir;
  ini::IniSettings ini;
  ini.Init(dir.path(), "trvnel12.ini");
  GraphPreferences p = readGraphPreferences(&ini);
  EXPECT_EQ(p.colours[0], 128);       // Maroon
  EXPECT_EQ(p.colours[3], 12632256);  // Silver
  EXPECT_EQ(p.fontSize, 12);
  EXPECT_EQ(p.fontStyle, 700);
  ASSERT_TRUE(ini.WriteValue("QuorixPreferences", "Col01", "Fuschia"));
  ASSERT_TRUE(ini.WriteValue("QuorixPreferences", "Col02", "Pink"));
  ASSERT_TRUE(ini.WriteValue("QuorixPreferences", "FontName", "Helvetica Narrow"));
  ASSERT_TRUE(ini.WriteValue("QuorixPreferences", "FontSize", std::int64_t{9}));
  p = readGraphPreferences(&ini);
  EXPECT_EQ(p.colours[0], 16711935);
  EXPECT_EQ(p.colours[1], 0);  // a name not known leaves the bar black
  EXPECT_EQ(p.fontName, "Helvetica Narrow");
  EXPECT_EQ(p.fontSize, 9);
  EXPECT_EQ(nameOfColour(8421504), "Gray");
  EXPECT_EQ(colourOfName("None", 5), -1);
  // The ninth bar takes the first colour again.
  const ui::WindowDecl d = graphWindow(categories(9), 45, "Group", "", p);
  auto colourOf = [&](int bar) {
    for (const ui::ControlDecl& c : d.controls)
      if (c.number == 400 + bar) return c.background;
    return -2;
  };
  EXPECT_EQ(colourOf(9), colourOf(1));
  EXPECT_EQ(colourOf(1), 16711935);
}

class ColumnGraphTest : public testing::ItemListFixture {
 protected:
  ColumnGraphTest()
      : ItemListFixture("Items",
                        {{"Group", 24, "ITM:Group", "@s6"}, {"Name", 40, "ITM:Name", "@s10"}}) {
    adjust_ = [](ListSettings& s) {
      s.sortAtOpen = false;
      s.columns[0].description = "Item group";
    };
  }
  // The Group column becomes the current one (a press that ends on a divider does not sort).
  void makeGroupCurrent() {
    for (int key : {ui::KeyMouseLeft, ui::KeyMouseLeftUp}) {
      ui::Input in = to(front(), ui::Input::Kind::Mouse, kList);
      in.key = key;
      in.column = 1;
      in.zone = key == ui::KeyMouseLeft ? ui::ListZone::Header : ui::ListZone::Divider;
      input(in);
    }
  }
};

TEST_F(ColumnGraphTest, SaysWhenThereIsOnlyOneCategory) {
  add("a", "red");
  open();
  makeGroupCurrent();
  post(EventShowGraph);
  EXPECT_EQ(shownMessage(), "Quorix");
  EXPECT_EQ(driver.message()->second.text, "There is only one category to Graph of 'Item group'");
  answer("&OK");
}

TEST_F(ColumnGraphTest, GraphsTheCurrentColumnUntilOk) {
  int n = 0;
  for (const char* g : {"red", "blue", "red", "", "red"}) add("n" + std::to_string(++n), g);
  open();
  ui::Window* list = front();
  makeGroupCurrent();
  post(EventShowGraph);
  ui::Window* graph = front();
  ASSERT_NE(graph, list);
  ASSERT_TRUE(driver.inspect([&] {
    const auto& cats = quorix_->graphCategories();
    ASSERT_EQ(cats.size(), 3u);
    EXPECT_EQ(cats[0].count, 1);  // the empty value is a category of its own
    EXPECT_EQ(cats[2].name, "red");
    EXPECT_EQ(cats[2].count, 3);
    EXPECT_EQ(graph->text(1), "5 Categories of Field: Item group");
    EXPECT_EQ(graph->text(103), "3");
    EXPECT_EQ(graph->text(203), "60.0");
  }));
  // "Pre&ferences": a colour moved up takes effect with OK; the bars take the new order.
  input(to(graph, ui::Input::Kind::Press, 3));
  ui::Window* prefs = front();
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(prefs->title(), "Quorix Preferences");
    EXPECT_EQ(prefs->text(9), "Arial8 pt Bold");
  }));
  ui::Input pick = to(prefs, ui::Input::Kind::Select, 4);
  pick.row = 2;
  input(pick);
  input(to(prefs, ui::Input::Kind::Press, 5));   // up
  input(to(prefs, ui::Input::Kind::Press, 11));  // OK
  EXPECT_EQ(front(), graph);
  EXPECT_EQ(settings.ReadValue("QuorixPreferences", "Col01"), "Olive");
  EXPECT_EQ(settings.ReadValue("QuorixPreferences", "Col02"), "Maroon");
  EXPECT_EQ(settings.ReadValue("QuorixPreferences", "FontSize"), "8");
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(graph->control(401)->background, 32896);  // Olive
    EXPECT_EQ(graph->control(103)->font.size, 8);
  }));
  // An order changed but not confirmed is not kept.
  input(to(graph, ui::Input::Kind::Press, 3));
  prefs = front();
  input(pick);
  input(to(prefs, ui::Input::Kind::Press, 5));
  input(to(prefs, ui::Input::Kind::Close));
  EXPECT_EQ(settings.ReadValue("QuorixPreferences", "Col01"), "Olive");

  input(to(graph, ui::Input::Kind::Press, 2));  // OK
  EXPECT_EQ(front(), list);
  ASSERT_TRUE(driver.inspect([&] { EXPECT_TRUE(quorix_->graphCategories().empty()); }));
}

TEST_F(ColumnGraphTest, AColumnOfGraphTypeTwoGraphsTheTotalsTheListGives) {
  // Each record brings the number in its name as its amount.
  adjust_ = [this](ListSettings& s) {
    s.sortAtOpen = false;
    s.columns[0].description = "Item group";
    s.columns[0].graphType = kGraphByTotal;
    s.graphAmount = [this](const store::RecordBuffer& r, const std::string& field) {
      EXPECT_EQ(field, "ITM:Group");
      return std::stod(store::fieldText(station.decl().fields[1], r.record.data()).substr(1));
    };
  };
  int n = 0;
  for (const char* g : {"red", "blue", "red", "", "red"}) add("n" + std::to_string(++n), g);
  open();
  makeGroupCurrent();
  post(EventShowGraph);
  ui::Window* graph = front();
  ASSERT_TRUE(driver.inspect([&] {
    // Totals: "" 4, blue 2, red 1 + 3 + 5 = 9, of 15.
    EXPECT_EQ(graph->text(1), "5 Categories of Field: Item group");
    EXPECT_EQ(graph->text(301), " 4");  // the empty category
    EXPECT_EQ(graph->text(303), "red 9");
    EXPECT_EQ(graph->text(103), "3");  // the count stays under the bar
    EXPECT_EQ(graph->text(203), "60.0");
    EXPECT_EQ(graph->text(202), "13.3");
    EXPECT_GT(graph->control(401)->height, graph->control(402)->height);
  }));
  input(to(graph, ui::Input::Kind::Press, 2));
}

TEST_F(ColumnGraphTest, OutputCopiesTheWindowImageWithoutItsButtons) {
  for (const char* g : {"red", "blue"}) add(std::string("n") + g, g);
  open();
  makeGroupCurrent();
  post(EventShowGraph);
  ui::Window* graph = front();
  input(to(graph, ui::Input::Kind::Press, 5));  // "&Output"
  EXPECT_EQ(fe.windowCopies(), std::vector<ui::WindowId>{graph->id()});
  EXPECT_FALSE(driver.message());
  ASSERT_TRUE(driver.inspect([&] {
    for (int b : {2, 3, 5}) EXPECT_TRUE(graph->control(b)->hidden) << b;
  }));
  // A second later the buttons are back.
  ASSERT_TRUE(driver.advance(100));
  ASSERT_TRUE(driver.inspect([&] {
    for (int b : {2, 3, 5}) EXPECT_FALSE(graph->control(b)->hidden) << b;
    EXPECT_EQ(graph->focus(), 2);
    EXPECT_EQ(graph->timer(), 0);
  }));
  // A copy that fails is told.
  fe.setCopyResult({false, 0, "no clipboard"});
  input(to(graph, ui::Input::Kind::Press, 5));
  EXPECT_EQ(shownMessage(), "Quorix");
  EXPECT_EQ(driver.message()->second.text,
            "The window's image could not be copied to the clipboard: no clipboard");
  answer("&OK");
  EXPECT_EQ(fe.windowCopies().size(), 2u);
}

TEST_F(ColumnGraphTest, ARejectedInputShowsTheGraphAgainWithTheFocusOnOk) {
  for (const char* g : {"red", "blue"}) add(std::string("n") + g, g);
  open();
  makeGroupCurrent();
  post(EventShowGraph);
  ui::Window* graph = front();
  input(to(graph, ui::Input::Kind::Focus, 5));
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(graph->focus(), 5); }));
  ASSERT_TRUE(driver.inspect([&] { graph->post(ui::EventRejected, 5); }));
  ASSERT_TRUE(driver.waitIdle());
  EXPECT_EQ(front(), graph);
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(graph->focus(), 2);
    EXPECT_EQ(graph->text(1), "2 Categories of Field: Item group");
  }));
  input(to(graph, ui::Input::Kind::Press, 2));
}

TEST_F(ColumnGraphTest, TheGraphShowsMaximizedLaidOutForTheWindowsOwnSize) {
  for (const char* g : {"red", "blue"}) add(std::string("n") + g, g);
  open();
  makeGroupCurrent();
  post(EventShowGraph);
  ui::Window* graph = front();
  // Place in grid cells of 8 by 16 pixels: the baseline 2 pixels under y0 from x0, and bar 2.
  auto expectPlaced = [&](int width, int height) {
    const BarChart g = layoutBars(quorix_->graphCategories(), width, height);
    const ui::ControlState* baseline = graph->control(8);
    EXPECT_EQ(baseline->row, (g.y0 + 2) / 16 + 1) << width;
    EXPECT_EQ(baseline->column, g.x0 / 8 + 1) << width;
    EXPECT_EQ(baseline->width, g.baselineLength / 8) << width;
    EXPECT_EQ(graph->control(402)->column, g.xs[1] / 8 + 1) << width;
  };
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_TRUE(graph->placement().maximized);
    EXPECT_TRUE(graph->resizable());  // a desktop maximizes only a window that may be sized
    expectPlaced(800, 480);           // until the window tells its size
  }));
  ui::Input shown = to(graph, ui::Input::Kind::Place);
  shown.placement = ui::Placement{false, true, 10, 20, 640, 400, 1280, 720};
  input(shown);
  ASSERT_TRUE(driver.inspect([&] {
    expectPlaced(1280, 720);
    EXPECT_EQ(graph->control(8)->row, 43);
  }));
  input(to(graph, ui::Input::Kind::Press, 2));
}

TEST_F(ColumnGraphTest, PrintScreenWithOrWithoutAltCopiesTheWindowImage) {
  for (const char* g : {"red", "blue"}) add(std::string("n") + g, g);
  open();
  makeGroupCurrent();
  post(EventShowGraph);
  ui::Window* graph = front();
  for (int key : {int{ui::KeyPrintScreen}, ui::KeyPrintScreen | ui::kAlt}) {
    ui::Input in = to(graph, ui::Input::Kind::Key);
    in.key = key;
    input(in);
  }
  EXPECT_EQ(fe.windowCopies(), (std::vector<ui::WindowId>{graph->id(), graph->id()}));
  EXPECT_FALSE(driver.message());
  EXPECT_EQ(front(), graph);
  input(to(graph, ui::Input::Kind::Press, 2));
}

class ColumnGraphEscTest : public ColumnGraphTest {
 protected:
  // Shows the graph and presses Esc in the progress window as the scan starts: a program thread
  // of the test's own posts the graph's event, then takes its turns until the scan lets it.
  void graphWithEsc() {
    ui::Window* list = front();
    ASSERT_NE(rt.start([this, list] {
      list->post(EventShowGraph, kList);
      for (int turns = 0; turns < 1000 && rt.yieldBaton(); ++turns) {
        ui::Window* w = rt.front();
        if (w != list && w->title() == "Progress...") {
          ui::Input esc;
          esc.kind = ui::Input::Kind::Key;
          esc.window = w->id();
          esc.key = ui::KeyEsc;
          rt.post(esc);
          return;
        }
      }
    }),
              0);
    ASSERT_TRUE(driver.waitIdle());
  }
};

TEST_F(ColumnGraphEscTest, EscDuringTheScanAsksAndYesGivesTheGraphUp) {
  int n = 0;
  for (const char* g : {"red", "blue", "red"}) add("n" + std::to_string(++n), g);
  open();
  ui::Window* list = front();
  makeGroupCurrent();
  (void)fe.takeBeeps();
  graphWithEsc();
  const auto q = driver.message();
  ASSERT_TRUE(q);
  EXPECT_EQ(q->second.text, "Are you sure you want to quit this Graphing Procedure?");
  EXPECT_EQ(q->second.caption, "Quorix");
  EXPECT_EQ(q->second.buttons, (std::vector<std::string>{"&Yes", "&No"}));
  EXPECT_EQ(q->second.defaultButton, 2);
  EXPECT_EQ(fe.takeBeeps(), 1);
  answer("&Yes");
  EXPECT_EQ(driver.message()->second.text, "There are no categories to Graph of 'Item group'");
  answer("&OK");
  EXPECT_EQ(front(), list);

  // "No" goes on counting: the graph shows every record.
  graphWithEsc();
  answer("&No");
  ui::Window* graph = front();
  ASSERT_NE(graph, list);
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(graph->text(1), "3 Categories of Field: Item group");
    EXPECT_EQ(quorix_->graphCategories().size(), 2u);
  }));
  input(to(graph, ui::Input::Kind::Press, 2));
  EXPECT_EQ(front(), list);
}

}  // namespace
}  // namespace trv::listext
