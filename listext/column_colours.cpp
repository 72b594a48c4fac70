// The column colours window: the four colours of the current column, by name.

#include "listext/column_graph.h"
#include "listext/list_text.h"
#include "listext/quorix_list.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::listext {
namespace {

enum ColourControl : int {
  kNormalBackground = 1,
  kSelectedBackground,
  kNormalText,
  kSelectedText,
  kReset,
  kColoursOk,
};

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
  besideList(d);
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
