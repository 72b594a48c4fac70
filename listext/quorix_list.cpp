// The list enhancement's life: set-up against the list, the event dispatcher, the saved layout.

#include "listext/quorix_list.h"

#include <algorithm>

#include "listext/list_text.h"
#include "listext/sort_orders.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/list/list_format.h"
#include "runtime/text/charset.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::listext {
namespace {

// A built-in format carries field numbers only where counting the groups would not give them.
std::string builtInText(const std::vector<FormatColumn>& groups) {
  std::vector<FormatColumn> plain = groups;
  for (FormatColumn& g : plain) g.fieldGiven = false;
  const auto counted = parseFormat(formatString(plain, false));
  bool same = counted && counted->size() == groups.size();
  for (std::size_t i = 0; same && i < groups.size(); ++i)
    same = (*counted)[i].field == groups[i].field;
  return formatString(groups, !same);
}

}  // namespace

QuorixList::QuorixList(list::ListWindow& list, ListSettings settings)
    : list_(list), settings_(std::move(settings)), query_(list.browser().view().decl()) {
  upper_ = settings_.upper;
  ascDesc_ = settings_.ascDesc;
  filterEqual_ = settings_.filterEqual;
  hdrToken_ = ascDesc_ == 1 ? descToken_ : ascToken_;
  query_.Init();
  loadColumnTables();
  for (int control : settings_.formatSlots) slots_.push_back({control, "0"});
  if (slots_.empty()) slots_.push_back({1, "0"});
  bindFields();
  // The header's mouse hits reach the object as alert keys of the list.
  for (int k : {ui::KeyMouseLeft, ui::KeyMouseLeftUp, ui::KeyMouseMove, ui::KeyMouseLeft2,
                ui::KeyMouseRight, ui::KeyMouseRightUp})
    list_.window().alert(k);
  listBoxMenu_ = listBoxItems(settings_.mask);
  registerSortOrders();
  applyBuiltInLayout();
  restorePreferences();
  sortAtOpen();
}

QuorixList::~QuorixList() {
  query_.Shutdown();
}

std::unique_ptr<list::ListExtension> attachEnhancement(
    list::ListWindow& list, const std::function<void(ListSettings&)>& adjust) {
  ListSettings s = defaultSettings(list.decl());
  if (adjust) adjust(s);
  return std::make_unique<QuorixList>(list, std::move(s));
}

// --- set-up ---------------------------------------------------------------------------------

void QuorixList::loadColumnTables() {
  model_.Load(settings_.columns);
  for (const Column& c : model_.all()) {
    const std::string name = text::upper1252(clipped(c.field));
    query_.AddQueryField(name, name, {}, true, true);
  }
}

void QuorixList::bindFields() {
  const auto& declared = list_.decl().columns;
  auto bind = [&](Column& c) {
    c.listField = -1;
    for (std::size_t i = 0; i < declared.size(); ++i)
      if (store::sameName(clipped(declared[i].field), clipped(c.field)))
        c.listField = static_cast<int>(i);
  };
  for (Column& c : model_.all()) bind(c);
  for (Column& c : model_.shown()) bind(c);
  // A column the list does not show a field of cannot be displayed.
  std::erase_if(model_.shown(), [](const Column& c) { return c.listField < 0; });
  model_.Renumber();
}

void QuorixList::registerSortOrders() {
  list::ListBrowser& b = list_.browser();
  const store::FileDecl& decl = b.view().decl();
  auto parts = [&](const Column& c, bool descending) {
    std::vector<store::SortPart> out;
    for (const OrderComponent& oc :
         listext::sortOrderOf(c, descending, settings_.groups, settings_.applyAll, upper_)) {
      const int f = decl.findField(oc.name);
      if (f >= 0) out.push_back({f, oc.descending, oc.upper});
    }
    return out;
  };
  for (Column& c : model_.all()) {
    if (c.sortField == 0) continue;
    const std::string locator = decl.findField(c.field) >= 0 ? c.field : std::string();
    // An entry locator ('E') collects what is typed; the others locate on each character.
    c.sortField = b.AddSortOrder(parts(c, false), locator, c.locator == 'E');
    b.AddSortOrder(parts(c, true), locator, c.locator == 'E');
    for (Column& s : model_.shown())
      if (s.qnos == c.qnos) s.sortField = c.sortField;
  }
}

int QuorixList::sortOrderOf(int qnos) const {
  for (const Column& c : model_.all())
    if (c.qnos == qnos) return c.sortField;
  return 0;
}

void QuorixList::applyBuiltInLayout() {
  // The built-in layout is the list's declared columns, in the order the column table shows.
  // The control has no column for the list's hidden fields.
  const std::vector<ui::ListColumn> declared = controlColumns();
  const auto& fields = list_.decl().columns;
  std::vector<FormatColumn> groups;
  for (const Column& c : model_.shown()) {
    const auto i = static_cast<std::size_t>(c.listField);
    if (i >= fields.size() || fields[i].hidden) continue;
    const auto at = static_cast<std::size_t>(
        std::count_if(fields.begin(), fields.begin() + c.listField,
                      [](const list::ListColumnDecl& f) { return !f.hidden; }));
    if (at >= declared.size()) continue;
    groups.push_back(groupOf(declared[at], c.qnos, fields[i].widthDlu));
  }
  def_.origFormat = builtInText(groups);
  applyGroups(groups);
  def_.look = lookNow();
  if (const ui::ControlState* c = list_.window().control(list_.decl().list))
    builtInPlace_ = {c->row, c->column, c->width, c->height};
}

void QuorixList::restorePreferences() {
  ini::IniSettings* ini = list_.context().settings;
  RestoredLayout r;
  if (ini)
    r = readLayout(*ini, settings_.section, settings_.control, def_.origFormat, slots_.size(),
                   def_.look);
  const std::string builtIn = def_.origFormat;
  for (std::size_t i = 0; i < slots_.size(); ++i)
    slots_[i].format = i < r.layout.formats.size() ? r.layout.formats[i] : builtIn;
  currentSlot_ = 0;
  if (!r.accepted) {
    sortColumn_ = 1;
    return;
  }
  // A stored format that is no format of this list leaves the built-in one.
  if (clipped(slots_[0].format) != "0") {
    const auto groups = parseFormat(slots_[0].format);
    if (!groups || !model_.ShowFormat(*groups)) {
      slots_[0].format = builtIn;
    } else {
      applyGroups(*groups);
    }
  }
  // The position and size come back only for a list that may be moved and sized.
  applyLook(r.layout.look, settings_.allowResize);
  const int shown = static_cast<int>(model_.shown().size());
  sortColumn_ = r.layout.sortColumn >= 0 && r.layout.sortColumn <= shown ? r.layout.sortColumn : 1;
  ascDesc_ = r.layout.ascDesc == 1 ? 1 : 0;
}

void QuorixList::sortAtOpen() {
  const Column* c = model_.at(sortColumn_);
  if (!settings_.sortAtOpen || c == nullptr || c->sortField == 0) {
    // The list opens in its key order; the saved direction waits for the first header click.
    sortColumn_ = 0;
    return;
  }
  viewOrder_ = true;
  currentCol_ = sortColumn_;
  sortColumn_ = 0;
  SortOnColumn();
  const int order = getSortOrderNumber();
  if (order > 0) list_.browser().SetOrder(order);
}

// --- the window's columns -------------------------------------------------------------------

std::vector<ui::ListColumn> QuorixList::controlColumns() const {
  const ui::ControlState* c = list_.window().control(list_.decl().list);
  return c ? c->columns : std::vector<ui::ListColumn>{};
}

void QuorixList::setControlColumns(std::vector<ui::ListColumn> columns) {
  list_.window().setColumns(list_.decl().list, std::move(columns));
}

void QuorixList::applyShown() {
  setControlColumns(model_.controlColumns());
  list_.browser().SetDisplayColumns(model_.listFields());
}

void QuorixList::applyGroups(const std::vector<FormatColumn>& groups) {
  std::vector<ui::ListColumn> cols;
  for (std::size_t i = 0; i < groups.size() && i < model_.shown().size(); ++i) {
    cols.push_back(controlColumnOf(groups[i]));
    model_.shown()[i].widthDlu = groups[i].widthDlu;
  }
  setControlColumns(cols);
  list_.browser().SetDisplayColumns(model_.listFields());
  model_.ReadBack(cols);
}

int QuorixList::listWidth() const {
  const ui::ControlState* c = list_.window().control(list_.decl().list);
  return c ? c->width : 0;
}

namespace {

list::DialogPlace placeOf(const ListLook& l) {
  return {l.x, l.y, l.width, l.height};
}

// The control's place; a control laid out without a row or column stands in the first.
list::ModelPlace placeOf(const ui::ControlState& c) {
  return {std::max(c.row, 1), std::max(c.column, 1), c.width, c.height};
}

ui::Font fontOf(const ListLook& look, ui::Font f) {
  f.face = look.font;
  f.size = look.point;
  f.colour = look.colour;
  f.bold = look.style % 4096 >= 700;
  f.italic = (look.style & 4096) != 0;
  return f;
}

}  // namespace

ListLook QuorixList::lookNow() const {
  ListLook l = def_.look;
  if (const ui::ControlState* c = list_.window().control(list_.decl().list)) {
    const list::ModelPlace at = placeOf(*c);
    const list::DialogPlace p =
        list::modelPlaceOf(placeOf(pars_)) == at ? placeOf(pars_) : list::dialogPlaceOf(at);
    l.x = p.x;
    l.y = p.y;
    l.width = p.width;
    l.height = p.height;
    l.lineHeight = c->lineHeight;
    l.hscroll = c->horizontalBar;
    l.vscroll = c->verticalBar;
    l.font = c->font.face;
    l.point = c->font.size;
    l.colour = c->font.colour;
    l.style = (c->font.bold ? 700 : 400) + (c->font.italic ? 4096 : 0);
  }
  return l;
}

void QuorixList::CaptureDefaultPosition() {
  const ui::ControlState* c = list_.window().control(list_.decl().list);
  if (c == nullptr) return;
  const ListLook now = lookNow();
  def_.look.x = now.x;
  def_.look.y = now.y;
  def_.look.width = now.width;
  def_.look.height = now.height;
  builtInPlace_ = {c->row, c->column, c->width, c->height};
}

ListLook QuorixList::CaptureCurrentLayout() {
  pars_ = lookNow();
  for (Column& a : model_.all()) {
    a.icon = 0;
    for (const Column& s : model_.shown())
      if (s.qnos == a.qnos) a.icon = 1;
  }
  return pars_;
}

void QuorixList::applyLook(const ListLook& look, bool withPlace) {
  const ui::ControlState* c = list_.window().control(list_.decl().list);
  if (c == nullptr) return;
  if (const ui::Font f = fontOf(look, c->font); !(f == c->font))
    list_.window().setFont(list_.decl().list, f);
  setListLines(look.lineHeight, look.hscroll, look.vscroll);
  if (withPlace) setListPlace(look);
}

void QuorixList::setListPlace(const ListLook& look) {
  const ui::ControlState* c = list_.window().control(list_.decl().list);
  if (c == nullptr) return;
  // What the layout keeps is 16 bits wide.
  auto fit = [](int v) { return std::clamp(v, 0, 32767); };
  pars_.x = fit(look.x);
  pars_.y = fit(look.y);
  pars_.width = fit(look.width);
  pars_.height = fit(look.height);
  // A list laid out without a row or column keeps that while it stays in the first.
  const list::ModelPlace m = list::modelPlaceOf(placeOf(pars_));
  if (m != placeOf(*c))
    list_.window().setPlace(list_.decl().list, m.row, m.column, m.width, m.height);
}

void QuorixList::setListLines(int lineHeight, bool horizontalBar, bool verticalBar) {
  const ui::ControlState* c = list_.window().control(list_.decl().list);
  if (c == nullptr) return;
  lineHeight = std::clamp(lineHeight, 0, 255);  // kept in a byte
  if (c->lineHeight != lineHeight || c->horizontalBar != horizontalBar ||
      c->verticalBar != verticalBar)
    list_.window().setListLines(list_.decl().list, lineHeight, horizontalBar, verticalBar);
}

bool QuorixList::scrollBar(bool horizontal) const {
  const ui::ControlState* c = list_.window().control(list_.decl().list);
  return c == nullptr || (horizontal ? c->horizontalBar : c->verticalBar);
}

void QuorixList::chooseFont() {
  const ui::ControlState* c = list_.window().control(list_.decl().list);
  if (c == nullptr) return;
  pars_ = lookNow();
  ui::DialogRequest r;
  r.kind = ui::DialogKind::Font;
  r.font = fontOf(pars_, c->font);
  const ui::Answer a = list_.context().ui.dialog(r);
  if (!a.ok) return;
  list_.window().setFont(list_.decl().list, a.font);
  pars_ = lookNow();
}

std::string QuorixList::formatNow() {
  model_.ReadBack(controlColumns());
  return formatString(model_.groups());
}

void QuorixList::RefreshColumns(bool keepSortColumn) {
  if (!keepSortColumn) {
    qnos_ = 0;
    if (const Column* c = model_.at(sortColumn_)) qnos_ = c->qnos;
  }
  model_.ReadBack(controlColumns());
  const ui::ControlState* c = list_.window().control(list_.decl().list);
  const int scrolled = c ? c->scrolledColumns : 0;
  if (const int at = model_.Place(listWidth(), scrollBar(false) ? 1 : 0, scrolled, qnos_); at > 0)
    sortColumn_ = at;
}

void QuorixList::BuildFormatString() {
  model_.Renumber();
  slots_[currentSlot_].format = formatString(model_.groups());
  applyShown();
}

void QuorixList::SwitchFormatSlot(int control) {
  const ui::ControlState* c = list_.window().control(list_.decl().list);
  if (c == nullptr || c->hidden) return;
  slots_[currentSlot_].format = formatNow();
  for (std::size_t i = 0; i < slots_.size(); ++i)
    if (slots_[i].control == control) currentSlot_ = i;
  const auto groups = parseFormat(slots_[currentSlot_].format);
  if (groups && model_.ShowFormat(*groups)) applyGroups(*groups);
}

// --- events ---------------------------------------------------------------------------------

bool QuorixList::HandleEvent(const ui::Event& e) {
  const int list = list_.decl().list;
  switch (e.number) {
    case ui::EventOpenWindow:
      list_.window().post(EventRefreshColumns, list);
      return false;
    case ui::EventSized:
      if (settings_.resizeTakesDefault) CaptureDefaultPosition();
      RefreshColumns(true);
      return false;
    case ui::EventGainFocus:
      RefreshColumns(true);
      return false;
    case ui::EventNewSelection:
      // The list sorts again on a tab: a header order or the file order holds until the header
      // menu returns to the key sequence, so only then does the tab's own order count.
      if (e.control != 0 && e.control == list_.decl().sheet && (viewOrder_ || fileSeq_)) {
        RefreshSortOrder();
        return true;
      }
      if (e.control == list && cursorOn_) cursorColumn_ = e.column;
      return false;
    case ui::EventPreAlertKey:
    case ui::EventAlertKey:
      if (e.control != list) return false;
      return mouse(e);
    default:
      break;
  }
  if (e.number < ui::EventUser) return false;
  switch (e.number) {
    case EventHeaderPress:
      handleHeaderPress();
      return true;
    case EventHeaderRelease:
      handleHeaderRelease(false);
      return true;
    case EventCancelPress:
      cancelHeaderPress();
      return true;
    case EventRightPress:
      return true;
    case EventRightRelease:
      handleHeaderRightClick();
      return true;
    case EventRefreshWindow:
      RefreshSortOrder();
      return true;
    case EventDragMove:
      trackHeaderDrag();
      return true;
    case EventDropLeft:
    case EventDropRight:
      if (settings_.mask & 0x2000) dropMove(e.number == EventDropLeft);
      return true;
    case EventRestoreDefault:
      RestoreDefaultLayout();
      return true;
    case 1037:
    case 1038:
    case 1039:
    case 1040: {
      static const char* const kCodes[] = {"HJL", "HJR", "HJC", "HJD"};
      ApplyOptionCode(kCodes[e.number - 1037]);
      return true;
    }
    case 1041:
    case 1042:
    case 1043:
    case 1044: {
      static const char* const kCodes[] = {"FJL", "FJR", "FJC", "FJD"};
      ApplyOptionCode(kCodes[e.number - 1041]);
      return true;
    }
    case 1051:
    case 1052:
    case 1053:
    case 1054: {
      static const char* const kCodes[] = {"FXD", "ULI", "BDR", "RSZ"};
      ApplyOptionCode(kCodes[e.number - 1051]);
      return true;
    }
    case 1061:
      ApplyOptionCode("HSC");
      return true;
    case 1062:
      ApplyOptionCode("VSC");
      return true;
    case EventHideColumn:
      HideColumn();
      return true;
    case EventFitAll:
      FitAllColumns();
      return true;
    case EventSortColumn:
      if (const Column* c = model_.at(currentCol_); c && c->sortField != 0) {
        SortOnColumn();
        list_.window().post(EventRefreshWindow, list);
      }
      return true;
    case EventPrintPage:
      PrintList("Page");
      return true;
    case EventPrintView:
      PrintList("View");
      return true;
    case EventDesignList:
      RefreshColumns(false);
      DesignList();
      sortColumn_ = 0;
      RefreshColumns(true);
      if (viewOrder_) ShowSortIndicator();
      return true;
    case 1046:
    case 1047:
    case 1048: {
      static const char* const kCodes[] = {"WID", "HOS", "DOS"};
      EditAttribute(kCodes[e.number - 1046]);
      return true;
    }
    case 1050:
      EditHeaderText("HDR");
      return true;
    case 1055:
    case 1056:
    case 1057:
    case 1058: {
      static const char* const kCodes[] = {"XPS", "YPS", "BWI", "BHI"};
      EditAttribute(kCodes[e.number - 1055]);
      return true;
    }
    case 1059:
      chooseFont();
      return true;
    case 1060:
      EditAttribute("LHI");
      return true;
    case EventColumnColours:
      currentCol_ = press_.column;
      EditColumnColors();
      return true;
    case EventShowGraph:
      ShowGraph();
      return true;
    case EventExportCsv:
      ExportCsv();
      return true;
    case EventExportHtml:
      ExportHtml();
      return true;
    case EventFilterEqual:
    case EventFilterBelow:
    case EventFilterAbove:
    case EventFilterNotEqual:
    case EventFilterClear:
      filterByValue(e.number);
      return true;
    case EventFilterByValue:
      filterByAskedValue();
      return true;
    case EventFilterInclusive:
      ApplyOptionCode("EQL");
      return true;
    case EventRefreshColumns:
      RefreshColumns(true);
      return true;
    default:
      // Any other number of the enhancement changes nothing.
      return e.number >= EventHeaderPress && e.number <= EventRefreshColumns;
  }
}

void QuorixList::Closing() {
  ClearSortIndicator();
  ini::IniSettings* ini = list_.context().settings;
  if (!ini) return;
  slots_[currentSlot_].format = formatNow();
  SavedLayout l;
  for (const Slot& s : slots_) l.formats.push_back(s.format);
  l.origFormat = def_.origFormat;
  l.look = lookNow();
  const Column* sorted = viewOrder_ ? model_.at(sortColumn_) : nullptr;
  l.sortColumn = sorted ? sortColumn_ : 0;
  l.ascDesc = sorted ? sorted->ascDesc : 0;
  (void)writeLayout(*ini, settings_.section, settings_.control, l);
}

}  // namespace trv::listext
