// The column graph: the records of the list counted per value of the current column, drawn as a
// bar chart in a window of its own.

#include <algorithm>
#include <iterator>

#include "listext/column_graph.h"
#include "listext/list_text.h"
#include "listext/progress_window.h"
#include "listext/quorix_list.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::listext {
namespace {

// The graph is laid out in pixels; the window model places controls on a grid of characters.
constexpr int kPixelsPerColumn = 8;
constexpr int kPixelsPerRow = 16;

enum GraphControl : int {
  kFirstLine = 1,
  kOk,
  kPreferences,
  kFilterLine,
  kOutput,
  kCountCaption,
  kPercentCaption,
  kBaseline,
  kCount = 100,
  kPercent = 200,
  kLegend = 300,
  kBar = 400,
};

ui::ControlDecl& place(ui::ControlDecl& c, int x, int y, int w, int h) {
  return c.at(std::max(0, y) / kPixelsPerRow + 1, std::max(0, x) / kPixelsPerColumn + 1)
      .size(std::max(1, w / kPixelsPerColumn), std::max(1, h / kPixelsPerRow));
}

}  // namespace

ui::WindowDecl graphWindow(const std::vector<Category>& categories, std::int64_t records,
                           const std::string& description, const std::string& filter,
                           const GraphPreferences& prefs, int graphType, int width, int height) {
  const BarChart g = layoutBars(categories, width, height, graphType);
  ui::Font font;
  font.face = prefs.fontName;
  font.size = prefs.fontSize;
  font.colour = prefs.fontColour;
  font.bold = prefs.fontStyle % 4096 >= 700;
  font.italic = (prefs.fontStyle & 4096) != 0;

  ui::WindowDecl d;
  d.title = description;
  d.kind = ui::WindowKind::Modal;
  // Only a window that may be sized can be maximized.
  d.resizable = true;
  auto& c = d.controls;
  c.push_back(ui::string("?FirstLine", std::to_string(records) +
                                           " Categories of Field: " + description.substr(0, 40))
                  .withNumber(kFirstLine)
                  .at(1, 1));
  c.push_back(ui::button("?OK", "OK").withNumber(kOk).at(1, 80).asDefault());
  c.push_back(ui::button("?Preferences", "Pre&ferences")
                  .withNumber(kPreferences)
                  .withTip("Change Colors and/or Font")
                  .at(1, 86));
  c.push_back(ui::string("?FilterLine", "Filter: " + filter.substr(0, 100))
                  .withNumber(kFilterLine)
                  .at(2, 1));
  c.push_back(ui::button("?Output", "&Output")
                  .withNumber(kOutput)
                  .withTip("Copies an Window Image to the ClipBoard")
                  .at(2, 86));
  place(
      c.emplace_back(ui::string("?CountCaption", "Count").withNumber(kCountCaption).withFont(font)),
      g.x0 - 70, g.y0 + 4, g.bar, kPixelsPerRow);
  place(c.emplace_back(
            ui::string("?PercentCaption", "Percent").withNumber(kPercentCaption).withFont(font)),
        g.x0 - 70, g.y0 + 20, g.bar, kPixelsPerRow);
  for (std::size_t i = 0; i < categories.size(); ++i) {
    const Category& cat = categories[i];
    const int n = static_cast<int>(i) + 1;
    const int x = g.xs[i];
    const int h = g.heights[i];
    // The ninth category takes the first colour again.
    const int colour = prefs.colours[i % prefs.colours.size()];
    place(c.emplace_back(
              ui::box("?Bar" + std::to_string(n)).withNumber(kBar + n).withColours(0, colour)),
          x, g.y0 - h + 2, g.bar, h);
    const std::string legend = legendText(cat);
    const PixelBox lb =
        legendBox(g, i, textWidthPixels(legend, prefs.fontSize), textHeightPixels(prefs.fontSize));
    place(c.emplace_back(ui::string("?Legend" + std::to_string(n), legend)
                             .withNumber(kLegend + n)
                             .withFont(font)
                             .turned(kLegendAngle)),
          lb.x, lb.y, lb.width, lb.height);
    place(c.emplace_back(ui::string("?Count" + std::to_string(n), std::to_string(cat.count))
                             .withNumber(kCount + n)
                             .withFont(font)),
          x, g.y0 + 4, g.bar, kPixelsPerRow);
    place(c.emplace_back(
              ui::string("?Percent" + std::to_string(n), percentText(cat.percent, g.bar + g.gap))
                  .withNumber(kPercent + n)
                  .withFont(font)),
          x, g.y0 + 20, g.bar, kPixelsPerRow);
  }
  place(c.emplace_back(ui::line("?Baseline").withNumber(kBaseline)), g.x0, g.y0 + 2,
        g.baselineLength, 4);
  return d;
}

void QuorixList::redrawGraph(ui::Window& w, const GraphPreferences& prefs, std::size_t bars) {
  ui::Font font;
  font.face = prefs.fontName;
  font.size = prefs.fontSize;
  font.colour = prefs.fontColour;
  font.bold = prefs.fontStyle % 4096 >= 700;
  font.italic = (prefs.fontStyle & 4096) != 0;
  w.setFont(kCountCaption, font);
  w.setFont(kPercentCaption, font);
  for (std::size_t i = 0; i < bars; ++i) {
    const int n = static_cast<int>(i) + 1;
    w.setColours(kBar + n, 0, prefs.colours[i % prefs.colours.size()]);
    for (int base : {kLegend, kCount, kPercent}) w.setFont(base + n, font);
  }
}

namespace {

// Esc during the scan: asked after the warning sound, "No" the default.
bool quitGraphing(ui::UiRuntime& ui) {
  ui.beep();
  ui::MessageRequest q;
  q.text = "Are you sure you want to quit this Graphing Procedure?";
  q.caption = "Quorix";
  q.icon = ui::Icon::Exclamation;
  q.buttons = {"&Yes", "&No"};
  q.defaultButton = 2;
  return ui.message(q) == 1;
}

}  // namespace

void QuorixList::CaptureWindow() {
  ui::UiRuntime& ui = list_.context().ui;
  const std::vector<ui::Window*> stack = ui.threadWindows(ui::UiRuntime::currentThread());
  if (stack.empty()) return;
  const ui::ServiceResult r = ui.copyWindowImage(stack.back()->id());
  if (!r.ok)
    ui.message("The window's image could not be copied to the clipboard: " + r.detail, "Quorix",
               ui::Icon::Exclamation);
}

void QuorixList::ShowGraph() {
  ui::UiRuntime& ui = list_.context().ui;
  const Column* column = model_.at(currentCol_);
  if (column == nullptr) return;
  const std::string description = clipped(column->description);
  const std::size_t at = static_cast<std::size_t>(column->seq - 1);
  const std::string field = column->field;
  const std::string picture = column->picture;
  const int graphType = column->graphType;
  list::ListBrowser& b = list_.browser();

  CategoryCounter counter;
  bool tooMany = false;
  bool stopped = false;
  std::vector<store::RecordBuffer> chunk;
  readyView();
  auto progress = std::make_unique<ProgressWindow>(ui, expectedRecords(), true);
  store::Code code = b.view().first(500, chunk);
  while (code == store::Ok && !chunk.empty() && !tooMany && !stopped) {
    // Other windows answer between chunks; the program's end gives the graph up.
    if (!ui.yieldBaton()) {
      progress.reset();
      b.Reset();
      return;
    }
    for (const store::RecordBuffer& r : chunk) {
      if (progress->cancelRequested() && quitGraphing(ui)) {
        counter = CategoryCounter();
        stopped = true;
        break;
      }
      progress->Step();
      progress->SetTitle("Record=" + std::to_string(counter.records() + 1) + " - ");
      const double amount = settings_.graphAmount ? settings_.graphAmount(r, field) : 0;
      if (!counter.Add(exportValue(b.CellText(r, at)), amount)) {
        tooMany = true;
        break;
      }
    }
    store::RecordBuffer last = std::move(chunk.back());
    chunk.clear();
    if (!tooMany && !stopped) code = b.view().after(last, 500, chunk);
  }
  progress.reset();
  // The list reads its page again, as after a print.
  b.Reset();
  if (tooMany) {
    ui.message("Too complex to graph - exceeds max number of categories: " +
                   std::to_string(kMaxCategories) + " - '" + description,
               "Quorix", ui::Icon::Exclamation);
    return;
  }
  if (code != store::Ok) return;
  std::vector<Category> categories = counter.categories(graphType, picture);
  if (categories.size() < 2) {
    ui.message((categories.empty() ? "There are no categories to Graph of '"
                                   : "There is only one category to Graph of '") +
                   description + "'",
               "Quorix", ui::Icon::Exclamation);
    return;
  }

  const std::string filter = filterText();
  GraphPreferences prefs = readGraphPreferences(list_.context().settings);
  lastGraph_ = categories;
  std::unique_ptr<ui::Window> w =
      ui.open(graphWindow(categories, counter.records(), description, filter, prefs, graphType));
  // The graph fills the screen and is laid out again from the window's own size whenever the
  // window tells it (the first time once it shows maximized).
  ui::Placement maximized = w->placement();
  maximized.maximized = true;
  w->setPlacement(maximized);
  auto layOut = [&] {
    const ui::Placement& p = w->placement();
    const int width = p.shownWidth > 0 ? p.shownWidth : kGraphWidth;
    const int height = p.shownHeight > 0 ? p.shownHeight : kGraphHeight;
    const ui::WindowDecl placed = graphWindow(categories, counter.records(), description, filter,
                                              prefs, graphType, width, height);
    for (const ui::ControlDecl& c : placed.controls) {
      const ui::ControlState* now = w->control(c.number);
      if (now && (now->row != c.row || now->column != c.column || now->width != c.width ||
                  now->height != c.height))
        w->setPlace(c.number, c.row, c.column, c.width, c.height);
    }
  };
  // Print Screen, with or without Alt, copies the graph's image as "&Output" does.
  const int printKeys[] = {ui::KeyPrintScreen, ui::KeyPrintScreen | ui::kAlt};
  for (int k : printKeys) w->alert(k);
  w->select(kOk);
  ui::Event e;
  while (w->accept(e)) {
    if (e.number == ui::EventCloseWindow || (e.number == ui::EventAccepted && e.control == kOk)) {
      w->close();
    } else if (e.number == ui::EventAccepted && e.control == kPreferences) {
      EditGraphPreferences();
      prefs = readGraphPreferences(list_.context().settings);
      redrawGraph(*w, prefs, categories.size());
      layOut();  // the legends take the room their new font needs
    } else if (e.number == ui::EventSized) {
      layOut();
    } else if (e.number == ui::EventAccepted && e.control == kOutput) {
      // The buttons are out of the picture while it is taken, and back a second later.
      for (int n : {kOk, kPreferences, kOutput}) w->setHidden(n, true);
      CaptureWindow();
      w->setTimer(100);
    } else if (e.number == ui::EventAlertKey &&
               std::find(std::begin(printKeys), std::end(printKeys), e.key) !=
                   std::end(printKeys)) {
      CaptureWindow();
    } else if (e.number == ui::EventRejected) {
      // Nothing here takes typed text: the graph shows again as it stands, ready for "OK".
      w->display();
      w->select(kOk);
    } else if (e.number == ui::EventTimer) {
      for (int n : {kOk, kPreferences, kOutput}) w->setHidden(n, false);
      w->select(kOk);
      w->setTimer(0);
    }
  }
  lastGraph_.clear();
}

}  // namespace trv::listext
