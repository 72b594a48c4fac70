// The filter window: the comparison and the value of a filter on the list's current column.

#include <array>

#include "listext/list_text.h"
#include "listext/quorix_list.h"
#include "runtime/text/charset.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/text/picture.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/use_var.h"
#include "runtime/ui/window.h"

namespace trv::listext {
namespace {

struct Comparison {
  const char* button;
  const char* code;
};
constexpr std::array<Comparison, 7> kComparisons{{{"=", "EQ"},
                                                  {"<", "LT"},
                                                  {">", "GT"},
                                                  {"<=", "LE"},
                                                  {">=", "GE"},
                                                  {"<>", "NE"},
                                                  {"Contains", "CT"}}};

enum FilterControl : int { kSymbol = 1, kFirstButton, kValuePrompt = 10, kValue, kSearch };

}  // namespace

void QuorixList::AskFilterValue() {
  int choice = 1;
  for (std::size_t i = 0; i < kComparisons.size(); ++i)
    if (symbol_ == kComparisons[i].code) choice = static_cast<int>(i) + 1;
  std::string value = svalue_;

  ui::WindowDecl d;
  d.title = "Filter";
  d.kind = ui::WindowKind::Modal;
  d.controls.push_back(
      ui::option("?SYMBOL", "", ui::useNumber("SYMBOL", choice)).withNumber(kSymbol).at(1, 1));
  for (std::size_t i = 0; i < kComparisons.size(); ++i) {
    const int n = static_cast<int>(i);
    d.controls.push_back(
        ui::radio("?Symbol" + std::to_string(n + 1), kComparisons[i].button, std::to_string(n + 1))
            .withNumber(kFirstButton + n)
            .at(n + 1, 1)
            .in(kSymbol));
  }
  d.controls.push_back(ui::prompt("?ValuePrompt", "Value").withNumber(kValuePrompt).at(2, 1));
  d.controls.push_back(
      ui::entry("?SVALUE", "@s31", ui::useText("SVALUE", value)).withNumber(kValue).at(2, 2));
  d.controls.push_back(ui::button("?Search", "Search").withNumber(kSearch).at(3, 1).asDefault());

  std::unique_ptr<ui::Window> w = list_.context().ui.open(std::move(d));
  if (const Column* c = model_.at(currentCol_)) w->setTitle(clipped(c->description));
  w->display();
  w->select(kValue);
  bool searched = false;
  ui::Event e;
  while (w->accept(e)) {
    if (e.number == ui::EventAccepted && e.control == kSearch) {
      w->update();
      searched = true;
      w->close();
    } else if (e.number == ui::EventCloseWindow) {
      w->update();
      w->close();
    }
  }
  w.reset();
  if (choice >= 1 && choice <= static_cast<int>(kComparisons.size()))
    symbol_ = kComparisons[static_cast<std::size_t>(choice - 1)].code;
  // Only "Search" sets a filter: Esc and the close box leave the value empty.
  if (value.size() > 31) value.resize(31);
  svalue_ = searched ? value : std::string();
}

void QuorixList::filterByAskedValue() {
  AskFilterValue();
  if (clipped(svalue_).empty()) return;
  const Column* c = model_.at(currentCol_);
  if (c == nullptr) return;
  std::string v = svalue_;
  // A value typed for a number, date or time column is compared as the column stores it.
  if (c->picture.size() > 1 && c->picture[1] != 'S' && c->picture[1] != 's') {
    const auto civil = text::civilDate(list_.context().ui.clock().today());
    if (const auto n = text::deformatPicture(c->picture, v, civil ? civil->year : 2000))
      v = std::to_string(*n);
  }
  const std::string name = text::upper1252(clipped(c->field));
  const std::string caret = upper_ ? "^" : "";
  if (symbol_ == "EQ") {
    query_.SetFieldLimits(name, "", "", caret + v, true, true, false);
  } else if (symbol_ == "LT") {
    query_.SetFieldLimits(name, "", caret + v, "", true, false, true);
  } else if (symbol_ == "GT") {
    query_.SetFieldLimits(name, caret + v, "", "", false, true, true);
  } else if (symbol_ == "LE") {
    query_.SetFieldLimits(name, "", "=" + caret + v, "", true, false, true);
  } else if (symbol_ == "GE") {
    query_.SetFieldLimits(name, "=" + caret + v, "", "", false, true, true);
  } else if (symbol_ == "NE") {
    query_.SetFieldLimits(name, "", "", "~" + caret + v, true, true, false);
  } else if (symbol_ == "CT") {
    query_.SetFieldLimits(name, "", "", "*" + caret + v, true, true, false);
  }
  for (const Comparison& k : kComparisons)
    if (symbol_ == k.code) noteLimit(name, std::string(k.button) + " " + v);
  RefreshSortOrder();
}

}  // namespace trv::listext
