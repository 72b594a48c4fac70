// The small editors of the column under the mouse: one number (width, header or data indent) and
// the header text. Each change reaches the list at once; neither has a cancel.

#include "listext/list_text.h"
#include "listext/quorix_list.h"
#include "runtime/list/list_format.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/use_var.h"
#include "runtime/ui/window.h"

namespace trv::listext {
namespace {

enum EditorControl : int { kPrompt = 1, kValue, kOk };

}  // namespace

void QuorixList::besideList(ui::WindowDecl& decl) const {
  decl.atPointer = true;
  const ui::ControlState* c = list_.window().control(list_.decl().list);
  if (c == nullptr) return;
  for (ui::ControlDecl& k : decl.controls) k.font = c->font;
}

void QuorixList::EditAttribute(const std::string& code) {
  struct Kind {
    const char* code;
    const char* title;  // empty: the column's header
    const char* prompt;
  };
  static const Kind kKinds[] = {
      {"WID", "", "Width:"},        {"HOS", "", "Header offset:"},
      {"DOS", "", "Data offset:"},  {"XPS", "X Pos", "X Pos:"},
      {"YPS", "Y Pos", "Y Pos:"},   {"BWI", "Width", "Width:"},
      {"BHI", "Height", "Height:"}, {"LHI", "Line Height", "Line Height:"},
  };
  const Kind* kind = nullptr;
  for (const Kind& k : kKinds)
    if (code == k.code) kind = &k;
  if (kind == nullptr) return;
  const bool ofColumn = *kind->title == '\0';
  currentCol_ = press_.column;
  model_.ReadBack(controlColumns());
  Column* c = model_.at(currentCol_);
  if (ofColumn && c == nullptr) return;
  const std::size_t at = static_cast<std::size_t>(currentCol_ - 1);
  pars_ = lookNow();
  // A column's width is edited in dialog units, as the designer's width is.
  int value = code == "WID"   ? c->widthDlu
              : code == "HOS" ? c->hoffset
              : code == "DOS" ? c->foffset
              : code == "XPS" ? pars_.x
              : code == "YPS" ? pars_.y
              : code == "BWI" ? pars_.width
              : code == "BHI" ? pars_.height
                              : pars_.lineHeight;

  ui::WindowDecl d;
  d.title = std::string(ofColumn ? clipped(headerText(*c)) : kind->title).substr(0, 20);
  d.kind = ui::WindowKind::Modal;
  d.controls = {
      ui::prompt("?Prompt", std::string(kind->prompt).substr(0, 20)).withNumber(kPrompt).at(1, 1),
      ui::spin("?Value", "@n3", 0, 999, ui::useNumber("Value", value)).withNumber(kValue).at(1, 16),
      ui::button("?OK", "OK").withNumber(kOk).at(2, 16).asDefault()};
  besideList(d);
  std::unique_ptr<ui::Window> w = list_.context().ui.open(std::move(d));
  w->display();
  w->select(kValue);
  ui::Event e;
  while (w->accept(e)) {
    if (e.number == ui::EventCloseWindow || (e.number == ui::EventAccepted && e.control == kOk)) {
      w->close();
      continue;
    }
    if (e.control != kValue || (e.number != ui::EventAccepted && e.number != ui::EventNewSelection))
      continue;
    w->update(kValue);
    if (!ofColumn) {
      ListLook look = lookNow();
      if (code == "LHI") {
        // The line height is kept in a byte.
        value = std::min(value, 255);
        setListLines(value, look.hscroll, look.vscroll);
      } else {
        (code == "XPS"   ? look.x
         : code == "YPS" ? look.y
         : code == "BWI" ? look.width
                         : look.height) = value;
        setListPlace(look);
      }
      w->display(kValue);
      continue;
    }
    auto cols = controlColumns();
    if (at >= cols.size()) break;
    ui::ListColumn& l = cols[at];
    if (code == "WID") {
      c->widthDlu = value;
      l.width = list::charsOfDialogUnits(value);
    } else if (code == "HOS") {
      // Indents are kept in a byte.
      value = std::min(value, 255);
      l.headerIndent = value;
      if (l.headerJustify == 0) l.headerJustify = c->hjust;
    } else {
      value = std::min(value, 255);
      l.dataIndent = value;
      if (l.dataJustify == 0) l.dataJustify = c->fjust;
    }
    w->display(kValue);
    setControlColumns(std::move(cols));
    model_.ReadBack(controlColumns());
  }
  w.reset();
  slots_[currentSlot_].format = formatNow();
}

void QuorixList::EditHeaderText(const std::string& code) {
  if (code != "HDR") return;
  currentCol_ = press_.column;
  model_.ReadBack(controlColumns());
  const Column* c = model_.at(currentCol_);
  if (c == nullptr) return;
  const std::size_t at = static_cast<std::size_t>(currentCol_ - 1);
  std::string text = headerText(*c);

  ui::WindowDecl d;
  d.title = "Header Text: " + clipped(headerText(*c)).substr(0, 20);
  d.kind = ui::WindowKind::Modal;
  d.controls = {
      ui::prompt("?Prompt", "Header Text:").withNumber(kPrompt).at(1, 1),
      ui::entry("?Value", "@s25", ui::useText("Value", text)).withNumber(kValue).at(1, 14),
      ui::button("?OK", "OK").withNumber(kOk).at(2, 14).asDefault()};
  besideList(d);
  std::unique_ptr<ui::Window> w = list_.context().ui.open(std::move(d));
  w->display();
  w->select(kValue);
  ui::Event e;
  while (w->accept(e)) {
    if (e.number == ui::EventCloseWindow || (e.number == ui::EventAccepted && e.control == kOk)) {
      w->close();
      continue;
    }
    if (e.number != ui::EventAccepted || e.control != kValue) continue;
    w->update(kValue);
    auto cols = controlColumns();
    if (at >= cols.size()) break;
    cols[at].header = text;
    setControlColumns(std::move(cols));
    model_.ReadBack(controlColumns());
    // The sort column keeps its mark before the new text.
    if (viewOrder_ && currentCol_ == sortColumn_) ShowSortIndicator();
  }
  w.reset();
  slots_[currentSlot_].format = formatNow();
}

}  // namespace trv::listext
