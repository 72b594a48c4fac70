// Column commands: moves, width fitting, hiding, styles, the built-in layout back, the column
// menu and filters by a cell's value.

#include "listext/list_text.h"
#include "listext/quorix_list.h"
#include "runtime/list/list_format.h"
#include "runtime/store/record_codec.h"
#include "runtime/text/charset.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::listext {
void QuorixList::dropMove(bool left) {
  RefreshColumns(false);
  if (left) {
    MoveColumnLeft();
  } else {
    MoveColumnRight();
  }
}

void QuorixList::MoveColumnLeft() {
  // The sort column stays where its field is: the refresh finds it again after the move.
  if (!model_.MoveLeft(currentCol_)) {
    if (ui::UiRuntime* rt = ui::UiRuntime::current()) rt->beep();
    return;
  }
  BuildFormatString();
  RefreshColumns(true);
}

void QuorixList::MoveColumnRight() {
  if (!model_.MoveRight(currentCol_)) {
    if (ui::UiRuntime* rt = ui::UiRuntime::current()) rt->beep();
    return;
  }
  BuildFormatString();
  RefreshColumns(true);
}

int QuorixList::addColumnPadding(const Column& c, int width) const {
  if (c.fjust == 'L' || c.fjust == 'R') width += c.foffset;
  if (c.fjust == 'D') width += 1;
  if (c.iconx) width += 11;
  return width + 1;
}

int QuorixList::fittedWidth(int seq) const {
  const ui::ControlState* list = list_.window().control(list_.decl().list);
  const Column& c = model_.shown()[static_cast<std::size_t>(seq - 1)];
  int widest = 0;
  if (list)
    for (const ui::ListRow& r : list->rows)
      if (static_cast<std::size_t>(seq) <= r.cells.size())
        widest = std::max(widest, charCount(r.cells[static_cast<std::size_t>(seq - 1)]));
  return addColumnPadding(c, widest * kDluPerChar);
}

bool QuorixList::HandleDoubleClick(const ui::Event&) {
  const Hit& h = doubleClick_;
  if (h.zone == 1) {
    // The divider right of a column: the column fits its widest loaded value.
    Column* c = model_.at(h.column);
    if (c == nullptr) return true;
    const int width = fittedWidth(h.column);
    auto cols = controlColumns();
    cols[static_cast<std::size_t>(h.column - 1)].width = list::charsOfDialogUnits(width);
    c->widthDlu = width;
    setControlColumns(std::move(cols));
    return true;
  }
  return h.row == 0 || h.row == 255;
}

void QuorixList::FitAllColumns() {
  model_.ReadBack(controlColumns());
  auto cols = controlColumns();
  for (std::size_t i = 0; i < model_.shown().size() && i < cols.size(); ++i) {
    Column& c = model_.shown()[i];
    const int width = fittedWidth(static_cast<int>(i) + 1);
    c.maxWidth = width;
    c.widthDlu = width;
    cols[i].width = list::charsOfDialogUnits(width);
  }
  setControlColumns(std::move(cols));
}

void QuorixList::HideColumn() {
  const int seq = press_.column;
  const Column* c = model_.at(seq);
  if (c == nullptr || model_.shown().size() <= 1) return;
  // The sort column gone, the list goes back to its key order.
  if (viewOrder_ && c->qnos == qnos_) keySequence(false);
  if (!model_.Hide(seq)) return;
  BuildFormatString();
  RefreshColumns(true);
}

void QuorixList::ApplyOptionCode(const std::string& code) {
  if (code == "HSC" || code == "VSC") {
    const ui::ControlState* l = list_.window().control(list_.decl().list);
    if (l == nullptr) return;
    setListLines(l->lineHeight, l->horizontalBar != (code == "HSC"),
                 l->verticalBar != (code == "VSC"));
    return;
  }
  if (code == "EQL") {
    filterEqual_ = !filterEqual_;
    return;
  }
  currentCol_ = press_.column;
  model_.ReadBack(controlColumns());
  Column* c = model_.at(currentCol_);
  if (c == nullptr) return;
  if (code.size() == 3 && (code[0] == 'H' || code[0] == 'F') && code[1] == 'J') {
    (code[0] == 'H' ? c->hjust : c->fjust) =
        code[2] == 'L' || code[2] == 'R' || code[2] == 'C' ? code[2] : 'D';
  } else if (code == "FXD") {
    c->fixed = !c->fixed;
  } else if (code == "ULI") {
    c->uline = !c->uline;
  } else if (code == "BDR") {
    c->border = !c->border;
  } else if (code == "RSZ") {
    c->resize = !c->resize;
  } else if (code == "CLR") {
    EditColumnColors();
    return;
  } else {
    return;
  }
  showColumnStyle(currentCol_);
}

void QuorixList::showColumnStyle(int seq) {
  const Column* c = model_.at(seq);
  auto cols = controlColumns();
  if (c == nullptr || seq > static_cast<int>(cols.size())) return;
  ui::ListColumn& col = cols[static_cast<std::size_t>(seq - 1)];
  col.headerJustify = c->hjust;
  col.headerIndent = c->hoffset;
  col.dataJustify = c->fjust;
  col.dataIndent = c->foffset;
  col.rightAligned = c->fjust == 'R';
  col.fixed = c->fixed;
  col.underline = c->uline;
  col.border = c->border;
  col.resizable = c->resize;
  setControlColumns(std::move(cols));
  model_.ReadBack(controlColumns());
}

void QuorixList::RestoreDefaultLayout() {
  const auto groups = parseFormat(def_.origFormat);
  if (!groups) return;
  std::vector<std::pair<int, int>> directions;  // (field, direction) of the shown columns
  for (const Column& c : model_.shown()) directions.emplace_back(c.qnos, c.ascDesc);
  model_.ShowBuiltIn();
  std::erase_if(model_.shown(), [](const Column& c) { return c.listField < 0; });
  model_.Renumber();
  for (Column& c : model_.shown())
    for (const auto& [field, direction] : directions)
      if (field == c.qnos) c.ascDesc = direction;
  applyGroups(*groups);
  // The built-in position (when the list had one), line height and font; the scroll bars stay.
  ListLook look = def_.look;
  const ListLook now = lookNow();
  look.hscroll = now.hscroll;
  look.vscroll = now.vscroll;
  applyLook(look, false);
  if (def_.look.height != 0) {
    const list::ModelPlace& m = builtInPlace_;
    list_.window().setPlace(list_.decl().list, m.row, m.column, m.width, m.height);
    // The place the layout keeps is the built-in one, not the last one set near it.
    pars_.x = def_.look.x;
    pars_.y = def_.look.y;
    pars_.width = def_.look.width;
    pars_.height = def_.look.height;
  }
  restoreHeader_ = true;
  RefreshColumns(true);
  if (viewOrder_) ShowSortIndicator();
}

std::string QuorixList::currentValue(const Column& c) const {
  const ui::ControlState* list = list_.window().control(list_.decl().list);
  const auto& rows = list_.browser().rows();
  if (!list || list->selected < 1 || list->selected > static_cast<int>(rows.size())) return {};
  const store::FileDecl& decl = list_.browser().view().decl();
  const int f = decl.findField(c.field);
  if (f < 0) return {};
  return clipped(
      store::fieldText(decl.fields[static_cast<std::size_t>(f)],
                       rows[static_cast<std::size_t>(list->selected - 1)].record.data()));
}

void QuorixList::ShowHeaderMenu() {
  currentCol_ = cursorOn_ ? cursorColumn_ : 0;
  const Column* c = model_.at(currentCol_);
  if (c == nullptr) return;
  HeaderMenuState state;
  state.filterEqual = filterEqual_;
  state.graph = settings_.graph;
  state.printView = settings_.printView;
  state.printPage = settings_.printPage;
  state.hscroll = scrollBar(true);
  state.vscroll = scrollBar(false);
  const auto items = columnItems(*c, text::toUtf8(currentValue(*c)), state);
  ui::UiRuntime* rt = ui::UiRuntime::current();
  if (!rt) return;
  // It opens below the list, at the middle of the column.
  const int chosen = rt->popup(menuText(items), list_.decl().list, currentCol_);
  if (chosen >= 1 && chosen <= static_cast<int>(items.size()))
    list_.window().post(items[static_cast<std::size_t>(chosen - 1)].event, list_.decl().list);
}

void QuorixList::filterByValue(int event) {
  if (event == EventFilterClear) {
    query_.ClearLimits();
    noteLimit("", "");
  } else {
    const Column* c = model_.at(currentCol_);
    if (c == nullptr) return;
    const std::string v = currentValue(*c);
    const std::string name = text::upper1252(clipped(c->field));
    const std::string caret = upper_ ? "^" : "";
    const std::string limit = (filterEqual_ ? "=" : "") + caret + v;
    switch (event) {
      case EventFilterEqual:
        query_.SetFieldLimits(name, "", "", caret + v, true, true, false);
        break;
      case EventFilterBelow:
        query_.SetFieldLimits(name, "", limit, "", true, false, true);
        break;
      case EventFilterAbove:
        query_.SetFieldLimits(name, limit, "", "", false, true, true);
        break;
      case EventFilterNotEqual:
        query_.SetFieldLimits(name, "", "", "~" + caret + v, true, true, false);
        break;
      default:
        return;
    }
    static const char* const kShown[] = {"=", "<", ">", "<>"};
    noteLimit(name, std::string(kShown[event - EventFilterEqual]) + " " + v);
  }
  RefreshSortOrder();
}

}  // namespace trv::listext
