// The list designer "Format Listbox...": which columns the list shows, in which order, and a
// column's header text and width; and the column colours window.

#include "listext/column_graph.h"
#include "listext/list_text.h"
#include "listext/quorix_list.h"
#include "runtime/list/list_format.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/use_var.h"
#include "runtime/ui/window.h"

namespace trv::listext {
namespace {

enum DesignControl : int {
  kShownList = 1,
  kHeaderText = 2,
  kWidth = 19,
  kMoveDown = 24,
  kMoveUp = 25,
  kAdd = 26,
  kHide = 27,
  kAllList = 28,
  kColours = 30,
  kDefault = 31,
  kCloseDesigner = 32,
};

enum ColourControl : int {
  kNormalBackground = 1,
  kSelectedBackground,
  kNormalText,
  kSelectedText,
  kReset,
  kColoursOk,
};

constexpr std::int64_t kMaskHeaderText = 1024;
constexpr std::int64_t kMaskWidth = 2048;

const std::vector<std::string>& colourNames() {
  static const std::vector<std::string> names = {
      "None",   "Black", "Maroon", "Green",  "Olive", "Navy",    "Purple", "Teal", "Gray",
      "Silver", "Red",   "Lime",   "Yellow", "Blue",  "Fuschia", "Aqua",   "White"};
  return names;
}

int colourPosition(int value) {
  const std::string name = nameOfColour(value);
  const auto& names = colourNames();
  for (std::size_t i = 0; i < names.size(); ++i)
    if (names[i] == name) return static_cast<int>(i) + 1;
  return 1;
}

}  // namespace

void QuorixList::DesignList() {
  ui::UiRuntime& ui = list_.context().ui;
  std::string header;
  int width = 0;
  ui::WindowDecl d;
  d.title = "Format Listbox...";
  d.kind = ui::WindowKind::Modal;
  d.controls = {
      ui::list("?AllColumns", {{"", 2, "@s2"}, {"", 30, "@s30"}})
          .withNumber(kAllList)
          .at(1, 1)
          .size(32, 10),
      ui::button("?Add", "&Add").withNumber(kAdd).at(4, 34),
      ui::button("?Hide", "&Hide").withNumber(kHide).at(6, 34),
      ui::list("?ShownColumns", {{"", 30, "@s30"}}).withNumber(kShownList).at(1, 44).size(30, 10),
      ui::button("?MoveDown", "Down").withNumber(kMoveDown).withImage("MOVEDOWN.ICO").at(4, 76),
      ui::button("?MoveUp", "Up").withNumber(kMoveUp).withImage("MOVEUP.ICO").at(6, 76),
      ui::entry("?HeaderText", "@s35", ui::useText("HeaderText", header))
          .withNumber(kHeaderText)
          .withTip("Change Column Header Text")
          .at(12, 1),
      ui::spin("?Width", "@n3", 0, 255, ui::useNumber("Width", width))
          .withNumber(kWidth)
          .withTip("Change Column Width")
          .at(12, 40),
      ui::button("?Colors", "C&olors")
          .withNumber(kColours)
          .withTip("Assign New Colors to Column")
          .at(14, 1),
      ui::button("?Default", "&Default")
          .withNumber(kDefault)
          .withTip("Reset listbox back to default")
          .at(14, 20),
      ui::button("?Close", "&Close").withNumber(kCloseDesigner).at(14, 40).asDefault(),
  };
  std::unique_ptr<ui::Window> w = ui.open(std::move(d));
  w->setDisabled(kHeaderText, (settings_.mask & kMaskHeaderText) == 0);
  w->setDisabled(kWidth, (settings_.mask & kMaskWidth) == 0);
  const bool cursorWas = cursorOn_;
  cursorOn_ = true;

  int allRow = 1;
  auto fill = [&] {
    model_.ReadBack(controlColumns());
    std::vector<ui::ListRow> all;
    for (const Column& c : model_.all())
      all.push_back({{c.icon == 1 ? "\xE2\x9C\x93" : "", clipped(c.description)}});
    std::vector<ui::ListRow> shown;
    for (const Column& c : model_.shown()) shown.push_back({{clipped(c.description)}});
    w->setRows(kAllList, std::move(all));
    w->setRows(kShownList, std::move(shown));
    const int n = static_cast<int>(model_.shown().size());
    currentCol_ = std::clamp(currentCol_, n > 0 ? 1 : 0, n);
    w->setSelected(kShownList, currentCol_);
    w->setSelected(kAllList, allRow);
    if (const Column* c = model_.at(currentCol_)) {
      header = clipped(headerText(*c));
      width = c->widthDlu;
    }
    w->display();
  };
  currentCol_ = 1;
  fill();
  w->select(kAllList);

  ui::Event e;
  while (w->accept(e)) {
    if (e.number == ui::EventCloseWindow) {
      w->close();
      continue;
    }
    if (e.number == ui::EventNewSelection) {
      if (e.control == kShownList) currentCol_ = w->selected(kShownList);
      if (e.control == kAllList) allRow = w->selected(kAllList);
      fill();
      continue;
    }
    if (e.number != ui::EventAccepted) continue;
    switch (e.control) {
      case kAdd: {
        if (allRow < 1 || allRow > static_cast<int>(model_.all().size())) break;
        const int qnos = model_.all()[static_cast<std::size_t>(allRow - 1)].qnos;
        if (!model_.Show(qnos)) {
          // Shown already: it is selected on the right.
          for (const Column& c : model_.shown())
            if (c.qnos == qnos) currentCol_ = c.seq;
          ui.beep();
        } else {
          currentCol_ = static_cast<int>(model_.shown().size());
          BuildFormatString();
          RefreshColumns(true);
        }
        fill();
        break;
      }
      case kHide: {
        currentCol_ = w->selected(kShownList);
        const Column* c = model_.at(currentCol_);
        if (c == nullptr || model_.shown().size() <= 1) break;
        // The sort column gone, the list goes back to its key order.
        if (viewOrder_ && c->seq == sortColumn_) keySequence(false);
        if (model_.Hide(currentCol_)) {
          BuildFormatString();
          RefreshColumns(true);
        }
        fill();
        break;
      }
      case kMoveDown:
      case kMoveUp: {
        currentCol_ = w->selected(kShownList);
        const int before = currentCol_;
        if (e.control == kMoveDown) {
          MoveColumnRight();
          if (model_.at(before + 1)) currentCol_ = before + 1;
        } else {
          MoveColumnLeft();
          if (before > 1) currentCol_ = before - 1;
        }
        fill();
        break;
      }
      case kHeaderText:
      case kWidth: {
        w->update();
        Column* c = model_.at(currentCol_);
        if (c == nullptr) break;
        auto cols = controlColumns();
        auto& col = cols[static_cast<std::size_t>(currentCol_ - 1)];
        if (e.control == kHeaderText) {
          col.header = header;
        } else {
          c->widthDlu = width;
          col.width = list::charsOfDialogUnits(width);
        }
        setControlColumns(std::move(cols));
        model_.ReadBack(controlColumns());
        // The sort column keeps its mark before the new text.
        if (viewOrder_ && currentCol_ == sortColumn_) ShowSortIndicator();
        slots_[currentSlot_].format = formatNow();
        break;
      }
      case kColours:
        EditColumnColors();
        break;
      case kDefault:
        RestoreDefaultLayout();
        currentCol_ = 1;
        allRow = 1;
        fill();
        break;
      case kCloseDesigner:
        w->close();
        break;
      default:
        break;
    }
  }
  cursorOn_ = cursorWas;
  w.reset();
  list_.window().select(list_.decl().list);
}

void QuorixList::EditColumnColors() {
  const Column* c = model_.at(currentCol_);
  if (c == nullptr) return;
  const std::size_t at = static_cast<std::size_t>(currentCol_ - 1);
  auto cols = controlColumns();
  if (at >= cols.size()) return;
  ui::WindowDecl d;
  d.title = "Column Colors";
  d.kind = ui::WindowKind::Modal;
  d.controls = {
      ui::prompt("?Normal", "Normal").at(1, 14),
      ui::prompt("?Selected", "Selected").at(1, 30),
      ui::prompt("?Background", "Background").at(2, 1),
      ui::dropList("?NormalBackground", colourNames()).withNumber(kNormalBackground).at(2, 14),
      ui::dropList("?SelectedBackground", colourNames()).withNumber(kSelectedBackground).at(2, 30),
      ui::prompt("?Text", "Text").at(3, 1),
      ui::dropList("?NormalText", colourNames()).withNumber(kNormalText).at(3, 14),
      ui::dropList("?SelectedText", colourNames()).withNumber(kSelectedText).at(3, 30),
      ui::button("?Reset", "&Reset").withNumber(kReset).at(5, 14),
      ui::button("?OK", "&OK").withNumber(kColoursOk).at(5, 30).asDefault(),
  };
  // Prompts take numbers after the controls they name.
  int next = 100;
  for (ui::ControlDecl& k : d.controls)
    if (k.number == 0) k.withNumber(++next);
  std::unique_ptr<ui::Window> w = list_.context().ui.open(std::move(d));
  w->setTitle("Colors for Column: " + clipped(c->description));
  auto show = [&] {
    const ui::ListColumn l = controlColumns()[at];
    w->setSelected(kNormalBackground, colourPosition(l.background));
    w->setSelected(kSelectedBackground, colourPosition(l.selectedBackground));
    w->setSelected(kNormalText, colourPosition(l.colour));
    w->setSelected(kSelectedText, colourPosition(l.selectedColour));
  };
  show();
  ui::Event e;
  while (w->accept(e)) {
    if (e.number == ui::EventCloseWindow ||
        (e.number == ui::EventAccepted && e.control == kColoursOk)) {
      w->close();
      continue;
    }
    auto columns = controlColumns();
    ui::ListColumn& l = columns[at];
    if (e.number == ui::EventAccepted && e.control == kReset) {
      l.colour = l.background = l.selectedColour = l.selectedBackground = ui::kColorNone;
    } else if ((e.number == ui::EventAccepted || e.number == ui::EventNewSelection) &&
               e.control >= kNormalBackground && e.control <= kSelectedText) {
      const int pos = w->selected(e.control);
      if (pos < 1 || pos > static_cast<int>(colourNames().size())) continue;
      int* target = e.control == kNormalBackground     ? &l.background
                    : e.control == kSelectedBackground ? &l.selectedBackground
                    : e.control == kNormalText         ? &l.colour
                                                       : &l.selectedColour;
      *target = colourOfName(colourNames()[static_cast<std::size_t>(pos - 1)], *target);
    } else {
      continue;
    }
    setControlColumns(std::move(columns));
    model_.ReadBack(controlColumns());
    show();
  }
}

}  // namespace trv::listext
