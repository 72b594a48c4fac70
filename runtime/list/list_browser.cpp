#include "runtime/list/list_browser.h"

#include <algorithm>

#include "runtime/store/record_codec.h"
#include "runtime/text/charset.h"
#include "runtime/text/fixed_string.h"
#include "runtime/text/picture.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::list {
namespace {

bool isNumeric(store::FieldType t) {
  return t != store::FieldType::String && t != store::FieldType::CString;
}

constexpr int kNavigationKeys[] = {ui::KeyUp,          ui::KeyDown,   ui::KeyPgUp,
                                   ui::KeyPgDn,        ui::KeyHome,   ui::KeyEnd,
                                   ui::KeyInsert,      ui::KeyDelete, ui::KeyEnter | ui::kCtrl,
                                   ui::KeyMouseRightUp};

// Brings row `row` (from 1, of the whole view) onto the page and chooses it, as Home and then
// Page Down until it shows would. Its place on the page from 1; 0 when the view is shorter.
int scrollPagerTo(view::ListPager& pager, std::int64_t row) {
  if (row < 1 || pager.top() != store::Ok || pager.rows().empty()) return 0;
  std::int64_t first = 1;  // the row number of the page's first row
  while (first + static_cast<std::int64_t>(pager.rows().size()) <= row) {
    const std::int64_t lastRow = pager.rows().back().position.row;
    const auto shown = static_cast<std::int64_t>(pager.rows().size());
    if (pager.pageDown() != store::Ok) return 0;
    // The old last row's place on the new page tells how far the page moved.
    std::int64_t at = -1;
    const auto& now = pager.rows();
    for (std::size_t k = 0; k < now.size(); ++k)
      if (now[k].position.row == lastRow) at = static_cast<std::int64_t>(k);
    const std::int64_t next = first + shown - 1 - at;
    if (next == first) return 0;  // the end of the view
    first = next;
  }
  pager.select(static_cast<int>(row - first));
  return static_cast<int>(row - first) + 1;
}

}  // namespace

int listColour(std::int64_t configured, int fallback) {
  return configured == 0 ? fallback : static_cast<int>(configured);
}

ListBrowser::ListBrowser(ui::Window& window, int listControl, data::FileAccess& file, int pageRows)
    : window_(window), list_(listControl), file_(file) {
  reader_ = std::make_unique<view::ViewReader>(data::FileAccess::threadConnection(), file.fileId(),
                                               file.decl());
  pager_ = std::make_unique<view::ListPager>(*reader_, pageRows);
  // Sorting a large file is long work: the other threads' windows answer meanwhile.
  reader_->SetPause([] {
    ui::UiRuntime* rt = ui::UiRuntime::current();
    return rt == nullptr || rt->yieldBaton();
  });
  for (int k : kNavigationKeys) window_.alert(k);
  // Printable characters drive the step locator.
  for (int c = 32; c < 127; ++c) window_.alert(c);
  for (int c = 160; c < 256; ++c) window_.alert(c);
  // Checks reach every row of the view, not just the page on show.
  // A blank row being inserted in place counts; the page stays as it is under that edit.
  window_.setListReach(
      list_, {[this] { return static_cast<std::int64_t>(CountAll()) + (pendingAt_ > 0 ? 1 : 0); },
              [this](std::int64_t row) {
                if (pendingAt_ > 0)
                  return row >= 1 && row <= static_cast<std::int64_t>(pager_->rows().size() + 1)
                             ? static_cast<int>(row)
                             : 0;
                const int at = scrollPagerTo(*pager_, row);
                show();
                return at;
              }});
}

ListBrowser::~ListBrowser() {
  window_.setListReach(list_, {});
}

void ListBrowser::AddField(std::string fieldName, std::string picture) {
  columns_.push_back({file_.decl().findField(fieldName), std::move(picture)});
  display_.push_back(static_cast<int>(columns_.size()) - 1);
}

void ListBrowser::SetDisplayColumns(std::vector<int> fields) {
  std::erase_if(fields, [&](int f) { return f < 0 || f >= static_cast<int>(columns_.size()); });
  display_ = std::move(fields);
  show();
}

int ListBrowser::AddKeyOrder(std::string keyName, std::string locatorField, bool collecting) {
  Order o;
  o.key = keyName.empty() ? -1 : file_.decl().findKey(keyName);
  o.locatorField = locatorField.empty() ? -1 : file_.decl().findField(locatorField);
  o.collecting = collecting;
  orders_.push_back(o);
  if (orders_.size() == 1) SetOrder(1);
  return static_cast<int>(orders_.size());
}

int ListBrowser::AddSortOrder(std::vector<store::SortPart> parts, std::string locatorField,
                              bool collecting) {
  Order o;
  o.sorted = true;
  o.parts = std::move(parts);
  o.locatorField = locatorField.empty() ? -1 : file_.decl().findField(locatorField);
  o.collecting = collecting;
  orders_.push_back(std::move(o));
  if (orders_.size() == 1) SetOrder(1);
  return static_cast<int>(orders_.size());
}

bool ListBrowser::isSortOrder(int order) const {
  return order >= 1 && order <= static_cast<int>(orders_.size()) &&
         orders_[static_cast<std::size_t>(order - 1)].sorted;
}

int ListBrowser::sheetOrder() const {
  if (!sheet_) return orders_.empty() ? 0 : 1;
  const int tab = window_.selected(sheet_);
  return tab >= 1 && tab <= static_cast<int>(orderByTab_.size())
             ? orderByTab_[static_cast<std::size_t>(tab - 1)]
             : fallbackOrder_;
}

void ListBrowser::SwitchOrder(int order, bool* closeWindow) {
  const store::RecordBuffer* cur = pager_->current();
  const std::optional<store::RecordBuffer> keep =
      cur ? std::optional<store::RecordBuffer>(*cur) : std::nullopt;
  SetOrder(order);
  moved(fresh([&] { return keep ? pager_->refreshAround(*keep) : pager_->top(); }), closeWindow);
}

void ListBrowser::SetSheet(int sheet, std::vector<int> orderByTab, int fallbackOrder) {
  sheet_ = sheet;
  orderByTab_ = std::move(orderByTab);
  fallbackOrder_ = fallbackOrder;
}

void ListBrowser::SetOrder(int order) {
  if (order < 1 || order > static_cast<int>(orders_.size())) return;
  order_ = order;
  const Order& o = orders_[static_cast<std::size_t>(order - 1)];
  if (o.sorted) {
    reader_->SetSortOrder(o.parts);
  } else {
    reader_->SetKeyOrder(o.key);
  }
}

void ListBrowser::SetButtons(const Buttons& buttons) {
  buttons_ = buttons;
}

void ListBrowser::SetSelecting(bool selecting) {
  selecting_ = selecting;
  if (buttons_.select) window_.setHidden(buttons_.select, !selecting);
}

void ListBrowser::SetListColour(int colour) {
  colour_ = colour;
  window_.setColours(list_, ui::kColorNone, colour_);
}

std::string ListBrowser::CellText(const store::RecordBuffer& record, std::size_t column) const {
  if (column >= display_.size()) return {};
  const Column& c = columns_[static_cast<std::size_t>(display_[column])];
  if (c.field < 0) return {};
  const store::FieldDecl& f = file_.decl().fields[static_cast<std::size_t>(c.field)];
  const std::string& picture = c.picture;
  std::string shown;
  if (isNumeric(f.type)) {
    shown = text::formatPicture(picture, store::readNumber(f, record.record.data()));
  } else {
    shown = text::formatPicture(picture, store::fieldText(f, record.record.data()));
  }
  return text::toUtf8(text::clip(shown));
}

void ListBrowser::show() {
  std::vector<ui::ListRow> rows;
  for (const store::RecordBuffer& r : pager_->rows()) {
    ui::ListRow row;
    for (std::size_t c = 0; c < display_.size(); ++c) row.cells.push_back(CellText(r, c));
    rows.push_back(std::move(row));
  }
  if (pendingAt_ > 0) {
    ui::ListRow blank;
    blank.cells.resize(columns_.size());
    const std::size_t at = std::min(static_cast<std::size_t>(pendingAt_ - 1), rows.size());
    rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(at), std::move(blank));
  }
  const bool empty = rows.empty();
  window_.setRows(list_, std::move(rows));
  window_.setSelected(list_, selectedRow());
  for (int b : {buttons_.change, buttons_.remove, buttons_.select})
    if (b) window_.setDisabled(b, empty);
}

bool ListBrowser::moved(store::Code c, bool* closeWindow) {
  typed_.clear();  // any other move starts a collecting locator afresh
  if (c == store::Ok) {
    show();
    return true;
  }
  file_.sink().setFileName(file_.name());
  if (c == store::RecordNotAvailable) {
    (void)file_.sink().raise(28);
    return true;
  }
  (void)file_.sink().raise(1);
  if (closeWindow) *closeWindow = true;
  return true;
}

data::Level ListBrowser::Open() {
  bool close = false;
  window_.setColours(list_, ui::kColorNone, colour_);
  moved(fresh([&] { return pager_->top(); }), &close);
  return close ? data::LevelFatal : data::LevelOk;
}

store::Code ListBrowser::fresh(const std::function<store::Code()>& read) {
  if (reader_->sorted()) reader_->Resort();
  const bool sorting = reader_->snapshotDue();
  if (sorting) window_.setBusy(true);
  const store::Code c = read();
  if (sorting) window_.setBusy(false);
  return c;
}

void ListBrowser::Refresh() {
  moved(fresh([&] { return pager_->refresh(); }), nullptr);
}

void ListBrowser::Reset() {
  moved(fresh([&] { return pager_->top(); }), nullptr);
}

void ListBrowser::RefreshAround(const store::RecordBuffer& record) {
  moved(fresh([&] { return pager_->refreshAround(record); }), nullptr);
}

void ListBrowser::SetPendingRow(int at) {
  pendingAt_ = std::max(at, 0);
  show();
}

int ListBrowser::selectedRow() const {
  if (pendingAt_ > 0) return std::min(pendingAt_, static_cast<int>(pager_->rows().size()) + 1);
  return pager_->selected() + 1;
}

bool ListBrowser::LoadCurrent() {
  const store::RecordBuffer* cur = pager_->current();
  if (!cur) return false;
  const store::Code c = file_.reget(cur->position);
  if (c == store::Ok) return true;
  Refresh();  // it has gone, or cannot be read now: show what is there
  return false;
}

std::uint64_t ListBrowser::CountAll() {
  std::uint64_t n = 0;
  std::vector<store::RecordBuffer> chunk;
  if (reader_->first(500, chunk) != store::Ok) return n;
  while (!chunk.empty()) {
    n += chunk.size();
    store::RecordBuffer last = std::move(chunk.back());
    chunk.clear();
    if (reader_->after(last, 500, chunk) != store::Ok) break;
  }
  return n;
}

std::string ListBrowser::PopupText() const {
  std::string t;
  auto add = [&](int button, std::string_view text) {
    if (!button) return;
    if (!t.empty()) t += "|";
    t += text;
  };
  for (const PopupItem& item : ownPopup_) add(1, item.text);
  if (!ownPopup_.empty()) t += "|-";
  add(buttons_.insert, "&Insert");
  add(buttons_.change, "&Change");
  add(buttons_.remove, "&Delete");
  add(buttons_.print, "&Print");
  add(buttons_.query, "&Query");
  if (selecting_) add(buttons_.select ? buttons_.select : 1, "&Select");
  const bool endsInSeparator = t.size() >= 2 && t.compare(t.size() - 2, 2, "|-") == 0;
  if (!endsInSeparator) t += t.empty() ? "-" : "|-";
  t += "|" + popupClose_ + "|" + popupHelp_;
  return t;
}

bool ListBrowser::popup(bool* closeWindow) {
  ui::UiRuntime* rt = ui::UiRuntime::current();
  if (!rt) return true;
  // Item numbers count the items without the separator, in PopupText's order.
  std::vector<int> actions;
  for (const PopupItem& item : ownPopup_) actions.push_back(item.button);
  for (int b : {buttons_.insert, buttons_.change, buttons_.remove, buttons_.print, buttons_.query})
    if (b) actions.push_back(b);
  if (selecting_) actions.push_back(-1);  // select
  actions.push_back(-2);                  // close
  actions.push_back(-3);                  // help
  const int chosen = rt->popup(PopupText());
  if (chosen < 1 || chosen > static_cast<int>(actions.size())) return true;
  const int action = actions[static_cast<std::size_t>(chosen - 1)];
  if (action == 0) return true;
  if (action == -1) return select(closeWindow);
  if (action == -2) {
    window_.post(ui::EventCloseWindow);
    return true;
  }
  if (action == -3) {
    if (buttons_.help) window_.post(ui::EventAccepted, buttons_.help);
    return true;
  }
  // Acts as its button: the procedure sees the press (its own buttons such as Print included).
  if (action == buttons_.insert) return runUpdate(RequestInsert, closeWindow);
  if (action == buttons_.change) return runUpdate(RequestChange, closeWindow);
  if (action == buttons_.remove) return runUpdate(RequestDelete, closeWindow);
  window_.post(ui::EventAccepted, action);
  return true;
}

bool ListBrowser::select(bool* closeWindow) {
  if (!LoadCurrent()) return true;
  response_ = ResponseCompleted;
  if (closeWindow) *closeWindow = true;
  return true;
}

bool ListBrowser::runUpdate(ListRequest request, bool* closeWindow) {
  if (!ask_) return true;
  const int button = request == RequestInsert   ? buttons_.insert
                     : request == RequestChange ? buttons_.change
                                                : buttons_.remove;
  if (!button) return true;
  if (const ui::ControlState* c = window_.control(button); c && (c->disabled || c->hidden))
    return true;
  if (request != RequestInsert && !LoadCurrent()) return true;
  const int response = ask_(request);
  if (response == ResponseInPlace) return true;  // the row is being edited where it stands
  if (response == ResponseCompleted) {
    // A sorted order is sorted again, so the record written shows in its place.
    const store::RecordBuffer written = file_.buffer();
    moved(fresh([&] { return pager_->refreshAround(written); }), closeWindow);
  } else {
    Refresh();
  }
  return true;
}

bool ListBrowser::locate(char32_t typed, bool* closeWindow) {
  const Order none;
  const Order& o = orders_.empty() ? none : orders_[static_cast<std::size_t>(order_ - 1)];
  if ((o.key < 0 && !o.sorted) || o.locatorField < 0) return false;
  store::RecordBuffer probe(file_.decl());
  const store::FieldDecl& f = file_.decl().fields[static_cast<std::size_t>(o.locatorField)];
  std::string value = o.collecting ? typed_ : std::string();
  value += static_cast<char>(typed);
  if (isNumeric(f.type)) {
    if (typed < '0' || typed > '9') {
      typed_.clear();
      return true;
    }
    // A digit that would make the number too large for its field is not taken.
    if (value.size() > 18 || !store::writeNumber(f, probe.record.data(), std::stoll(value)))
      return true;
  } else {
    if (value.size() > f.width) value.resize(f.width);
    (void)store::setFieldText(f, probe.record.data(), value);
  }
  if (o.collecting) typed_ = value;
  const store::Code c = pager_->locate(probe);
  const std::string keep = typed_;
  const bool handled = moved(c, closeWindow);
  typed_ = keep;
  return handled;
}

bool ListBrowser::handleKey(int key, bool* closeWindow) {
  switch (key) {
    case ui::KeyUp:
      return moved(pager_->lineUp(), closeWindow);
    case ui::KeyDown:
      return moved(pager_->lineDown(), closeWindow);
    case ui::KeyPgUp:
      return moved(pager_->pageUp(), closeWindow);
    case ui::KeyPgDn:
      return moved(pager_->pageDown(), closeWindow);
    case ui::KeyHome:
      return moved(pager_->top(), closeWindow);
    case ui::KeyEnd:
      return moved(pager_->bottom(), closeWindow);
    case ui::KeyInsert:
      return runUpdate(RequestInsert, closeWindow);
    case ui::KeyDelete:
      return runUpdate(RequestDelete, closeWindow);
    case ui::KeyEnter | ui::kCtrl:
      return runUpdate(RequestChange, closeWindow);
    case ui::KeyMouseRightUp:
      return popup(closeWindow);
    default:
      if (key >= 32 && key < 256 && key != 127)
        return locate(static_cast<char32_t>(key), closeWindow);
      return false;
  }
}

bool ListBrowser::HandleEvent(const ui::Event& e, bool* closeWindow) {
  switch (e.number) {
    case ui::EventGainFocus:
      if (colourSource_) SetListColour(colourSource_());
      Refresh();
      return false;  // the procedure may want it too
    case ui::EventNewSelection:
      if (e.control == list_) {
        typed_.clear();
        pager_->select(window_.selected(list_) - 1);
        return true;
      }
      if (sheet_ && e.control == sheet_) {
        if (const int order = sheetOrder(); order != order_) SwitchOrder(order, closeWindow);
        return true;
      }
      return false;
    case ui::EventPreAlertKey:
      return e.control == list_;
    case ui::EventAlertKey:
      if (e.control != list_) return false;
      return handleKey(e.key, closeWindow);
    case ui::EventAccepted:
      if (e.control == list_) {
        if (selecting_) return select(closeWindow);
        return runUpdate(RequestChange, closeWindow);
      }
      if (e.control == 0) return false;
      if (e.control == buttons_.select && selecting_) return select(closeWindow);
      if (e.control == buttons_.insert) return runUpdate(RequestInsert, closeWindow);
      if (e.control == buttons_.change) return runUpdate(RequestChange, closeWindow);
      if (e.control == buttons_.remove) return runUpdate(RequestDelete, closeWindow);
      return false;
    default:
      return false;
  }
}

}  // namespace trv::list
