// Header gestures and sorting: mouse hits on the header become the program events 1025-1035, a
// click sorts (a second click on the same header reverses), a drag beside the column moves it,
// the right-click menu goes back to the key order or the file order.

#include "listext/list_text.h"
#include "listext/quorix_list.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::listext {
namespace {

bool ownKey(int key) {
  return key == ui::KeyMouseLeft || key == ui::KeyMouseLeftUp || key == ui::KeyMouseMove ||
         key == ui::KeyMouseLeft2 || key == ui::KeyMouseRight || key == ui::KeyMouseRightUp;
}

constexpr int kDivider = 1;
constexpr int kInside = 2;
constexpr int kOutside = 6;
constexpr int kBelowRows = 255;

}  // namespace

QuorixList::Hit QuorixList::hitOf(const ui::Event& e) const {
  Hit h;
  h.column = e.column;
  const int columns = static_cast<int>(model_.shown().size());
  const bool onColumn = e.column >= 1 && e.column <= columns;
  switch (e.zone) {
    case ui::ListZone::Divider:
      h.row = 0;
      h.zone = kDivider;
      break;
    case ui::ListZone::Header:
      h.row = 0;
      h.zone = onColumn ? kInside : kOutside;
      break;
    case ui::ListZone::Cell:
      h.row = e.row;
      h.zone = onColumn ? kInside : kOutside;
      break;
    default:
      h.row = kBelowRows;
      h.zone = kOutside;
      break;
  }
  return h;
}

// What the list's mouse procedure does with a hit: remember it, post the program event.
bool QuorixList::mouse(const ui::Event& e) {
  if (!ownKey(e.key)) return false;
  const Hit h = hitOf(e);
  const bool onHeader = h.row == 0 && h.zone == kInside;
  if (e.number == ui::EventPreAlertKey) return e.key != ui::KeyMouseRightUp || onHeader;
  ui::Window& w = list_.window();
  const int list = list_.decl().list;
  switch (e.key) {
    case ui::KeyMouseLeft:
      press_ = h;
      pressing_ = true;
      w.post(EventHeaderPress, list);
      return true;
    case ui::KeyMouseMove: {
      if (!pressing_) return true;
      const bool otherColumn = h.column != press_.column;
      if (armed_ && otherColumn && !maskShown_) {
        // The press turns into a drag: the grey copy of the header follows the pointer.
        maskShown_ = true;
        setHeaderMarks();
      }
      if (armed_ && (otherColumn || h.row != 0)) w.post(EventCancelPress, list);
      if (otherColumn) {
        dragColumn_ = h.column;
        w.post(EventDragMove, list);
      }
      return true;
    }
    case ui::KeyMouseLeftUp:
      release_ = h;
      pressing_ = false;
      w.post(EventHeaderRelease, list);
      return true;
    case ui::KeyMouseLeft2: {
      doubleClick_ = h;
      const ui::ControlState* c = w.control(list);
      const bool hasRows = c && !c->rows.empty();
      if (hasRows && HandleDoubleClick(e)) return true;
      // Not the enhancement's: a double click on a row does what it always does.
      if (e.zone == ui::ListZone::Cell) {
        ui::Event accepted = e;
        accepted.number = ui::EventAccepted;
        if (ui::UiRuntime* rt = ui::UiRuntime::current()) rt->postEvent(w.id(), accepted);
      }
      return true;
    }
    case ui::KeyMouseRight:
      w.post(EventRightPress, list);
      return true;
    case ui::KeyMouseRightUp:
      release_ = h;
      if (!onHeader) return false;  // a row's right click opens the list's own popup menu
      w.post(EventRightRelease, list);
      return true;
    default:
      return false;
  }
}

void QuorixList::setHeaderMarks() {
  list_.window().setHeaderMarks(list_.decl().list, pressedMark_, maskShown_ ? maskText_ : "");
}

void QuorixList::handleHeaderPress() {
  if (press_.zone != kInside || press_.row != 0 || press_.column <= 0) return;
  currentCol_ = press_.column;
  // Arm the click: positions are read again first, a column may have been sized.
  RefreshColumns(true);
  const Column* c = model_.at(currentCol_);
  if (c == nullptr) return;
  maskText_ = clipped(c->header);
  maskShown_ = false;
  // A drag is measured from this press, never from an earlier drag.
  dragColumn_ = press_.column;
  pressedMark_ = c->sortField != 0 ? currentCol_ : 0;
  setHeaderMarks();
  armed_ = true;
}

void QuorixList::cancelHeaderPress() {
  if (!armed_) return;
  armed_ = false;
  pressedMark_ = 0;
  setHeaderMarks();
}

void QuorixList::trackHeaderDrag() {
  if (const Column* c = model_.at(currentCol_)) maskText_ = clipped(c->header);
  setHeaderMarks();
  cancelHeaderPress();
}

void QuorixList::handleHeaderRelease(bool showMessage) {
  const int list = list_.decl().list;
  if (!maskShown_) {
    if (press_.zone == kDivider || release_.zone == kOutside || press_.row > 0) {
      // A column may have been sized.
      RefreshColumns(true);
      pressedMark_ = 0;
      setHeaderMarks();
    } else if (armed_) {
      pressedMark_ = 0;
      setHeaderMarks();
      currentCol_ = press_.column;
      if (const Column* c = model_.at(currentCol_); c && c->sortField != 0) {
        fileSeq_ = false;
        SortOnColumn();
        list_.window().post(EventRefreshWindow, list);
      } else if (c && showMessage) {
        ui::MessageRequest m;
        m.caption = "Quorix Template - Re-Order Option";
        m.icon = ui::Icon::Exclamation;
        m.text = "Data cannot be ordered on column: " + clipped(c->header) + "(" +
                 clipped(c->field) + ")";
        if (ui::UiRuntime* rt = ui::UiRuntime::current()) rt->message(m);
      }
    }
  } else {
    maskShown_ = false;
    setHeaderMarks();
    // The drop is where the button came up: a column moves at most one place.
    const int to = release_.column;
    if (to < press_.column) {
      list_.window().post(EventDropLeft, list);
    } else if (to > press_.column) {
      list_.window().post(EventDropRight, list);
    }
  }
  armed_ = false;
}

void QuorixList::handleHeaderRightClick() {
  if (release_.row != 0 || release_.column <= 0 || release_.zone != kInside) return;
  ui::UiRuntime* rt = ui::UiRuntime::current();
  if (!rt) return;
  // The right click that opened this menu is the header's: the list's own popup never sees it.
  switch (rt->popup("Escape|Key Sequence|File Sequence")) {
    case 2:
      keySequence(false);
      break;
    case 3:
      keySequence(true);
      break;
    default:
      break;
  }
}

void QuorixList::keySequence(bool fileOrder) {
  ClearSortIndicator();
  sortColumn_ = 0;
  qnos_ = 0;
  viewOrder_ = false;
  fileSeq_ = fileOrder;
  RefreshSortOrder();
}

void QuorixList::SortOnColumn() {
  ClearSortIndicator();
  restoreHeader_ = true;
  Column* c = model_.at(currentCol_);
  if (c == nullptr) return;
  if (currentCol_ == sortColumn_) {
    c->ascDesc = c->ascDesc == 1 ? 0 : 1;
  } else {
    // The first sort after a restore takes the saved direction; every later new column starts
    // ascending.
    c->ascDesc = ascDesc_;
    ascDesc_ = 0;
    sortColumn_ = currentCol_;
  }
  hdrToken_ = c->ascDesc == 1 ? descToken_ : ascToken_;
  onSortColumnChanged(*c);
  qnos_ = c->qnos;
  viewOrder_ = true;
}

void QuorixList::onSortColumnChanged(const Column& c) {
  const int sheet = list_.decl().sheet;
  if (c.tab == 0 || sheet == 0) return;
  int position = 0;
  const auto& controls = list_.window().controls();
  for (const ui::ControlState& t : controls) {
    if (t.kind != ui::ControlKind::Tab || t.parent != sheet) continue;
    ++position;
    if (t.number == c.tab) list_.window().setSelected(sheet, position);
  }
}

int QuorixList::getSortOrderNumber() {
  const Column* c = model_.at(sortColumn_);
  if (c == nullptr || c->sortField == 0) return 0;
  const int order = c->sortField + (c->ascDesc == 1 ? 1 : 0);
  ShowSortIndicator();
  return order;
}

void QuorixList::RefreshSortOrder() {
  list::ListBrowser& b = list_.browser();
  b.view().SetNamedFilter("Quorix", query_.BuildFilter());
  int order = 0;
  if (viewOrder_) {
    order = getSortOrderNumber();
  } else if (fileSeq_) {
    order = fileOrder();
  }
  if (order <= 0) order = b.sheetOrder();
  b.SwitchOrder(order);
}

int QuorixList::fileOrder() const {
  const auto& orders = list_.decl().orders;
  for (std::size_t i = 0; i < orders.size(); ++i)
    if (orders[i].key.empty()) return static_cast<int>(i) + 1;
  return 0;
}

void QuorixList::ShowSortIndicator() {
  const Column* c = model_.at(sortColumn_);
  const std::string& visual = settings_.visual;
  if (visual == "Text Bar") {
    if (c == nullptr) return;
    const std::string direction = c->ascDesc == 1 ? "(Descending)" : "(Ascending)";
    const std::string& t = settings_.title;
    const std::size_t p = t.find('"');
    std::string title;
    if (clipped(t).empty() || p == std::string::npos) {
      title = clipped(c->header) + direction;
    } else {
      title = t.substr(0, p) + clipped(c->header) + t.substr(std::min(t.size(), p + 2)) + direction;
    }
    list_.window().setTitle(title);
  } else if (visual == "Underline") {
    if (c == nullptr) return;
    auto cols = controlColumns();
    cols[static_cast<std::size_t>(sortColumn_ - 1)].underline = true;
    setControlColumns(std::move(cols));
  } else if (visual == ">Header") {
    if (c == nullptr || !restoreHeader_) return;
    restoreHeader_ = false;
    auto cols = controlColumns();
    if (static_cast<std::size_t>(sortColumn_) > cols.size()) return;
    std::string& header = cols[static_cast<std::size_t>(sortColumn_ - 1)].header;
    header = hdrToken_ + clipped(header);
    model_.at(sortColumn_)->header = header;
    setControlColumns(std::move(cols));
  }
}

void QuorixList::ClearSortIndicator() {
  const std::string& visual = settings_.visual;
  if (visual == "Text Bar") {
    const std::string& t = settings_.title;
    const std::size_t p = t.find('"');
    if (clipped(t).empty() || p == std::string::npos) {
      list_.window().setTitle("Key Sequence");
    } else {
      list_.window().setTitle(t.substr(0, p) + "key sequence" +
                              t.substr(std::min(t.size(), p + 2)));
    }
    return;
  }
  // Without a sort column there is no mark to clear.
  auto cols = controlColumns();
  if (sortColumn_ < 1 || static_cast<std::size_t>(sortColumn_) > cols.size()) {
    restoreHeader_ = false;
    return;
  }
  ui::ListColumn& col = cols[static_cast<std::size_t>(sortColumn_ - 1)];
  if (visual == "Underline") {
    col.underline = false;
    setControlColumns(std::move(cols));
  } else if (visual == ">Header") {
    if (col.header.compare(0, hdrToken_.size(), hdrToken_) == 0) {
      col.header = col.header.substr(hdrToken_.size());
      if (Column* c = model_.at(sortColumn_)) c->header = col.header;
      setControlColumns(std::move(cols));
    }
    restoreHeader_ = false;
  }
}

}  // namespace trv::listext
