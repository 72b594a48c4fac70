#include "runtime/ui/window.h"

#include <algorithm>

#include "runtime/text/charset.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/text/fixed_string.h"
#include "runtime/text/picture.h"
#include "runtime/ui/ui_runtime.h"

namespace trv::ui {
namespace {

bool numericPicture(const std::string& picture) {
  return !picture.empty() && !text::isTextPicture(picture);
}

// Controls that take free text.
bool keepsTypedText(const ControlState& c) {
  return (c.kind == ControlKind::Entry || c.kind == ControlKind::Combo ||
          c.kind == ControlKind::Text) &&
         !numericPicture(c.picture);
}

void flattenMenu(const std::vector<MenuItemDecl>& items, int parent, int& next,
                 std::vector<MenuItemState>& out) {
  for (const auto& d : items) {
    MenuItemState s;
    s.separator = d.text == "-";
    s.number = s.separator ? 0 : (d.number ? d.number : next++);
    s.equate = d.equate;
    s.text = d.text;
    s.parent = parent;
    s.submenu = !d.items.empty();
    s.hidden = d.hidden;
    s.disabled = d.disabled;
    s.checked = d.checked;
    s.standard = d.standard;
    s.tip = d.tip;
    out.push_back(s);
    if (s.submenu) flattenMenu(d.items, static_cast<int>(out.size()) - 1, next, out);
  }
}

}  // namespace

Window::Window(UiRuntime& rt, WindowId id, int thread, WindowDecl decl) : rt_(rt) {
  state_.id = id;
  state_.thread = thread;
  state_.title = std::move(decl.title);
  state_.kind = decl.kind;
  state_.icon = std::move(decl.icon);
  state_.resizable = decl.resizable;
  state_.atPointer = decl.atPointer;
  state_.timerHundredths = decl.timerHundredths;
  state_.status.resize(static_cast<std::size_t>(std::max(decl.statusZones, 0)));
  int position = 0;
  int highest = 0;
  for (auto& d : decl.controls) {
    ++position;
    ControlState c;
    c.number = d.number ? d.number : position;
    highest = std::max(highest, c.number);
    c.kind = d.kind;
    c.equate = d.equate;
    c.useName = d.use ? d.use->name : std::string();
    c.text = d.text;
    c.hidden = d.hidden;
    c.disabled = d.disabled;
    c.readOnly = d.readOnly;
    c.isDefault = d.isDefault;
    c.password = d.password;
    c.font = d.font;
    c.colour = d.colour;
    c.background = d.background;
    c.tip = d.tip;
    c.message = d.message;
    c.cursor = d.cursor;
    c.image = d.image;
    c.picture = d.picture;
    c.parent = d.parent;
    c.row = d.row;
    c.column = d.column;
    c.width = d.width;
    c.height = d.height;
    c.choices = d.choices;
    c.columns = d.columns;
    c.low = d.low;
    c.high = d.high;
    c.cellOf = d.cellOf;
    c.cellColumn = d.cellColumn;
    c.angle = d.angle;
    c.radioValue = d.kind == ControlKind::Radio
                       ? (d.value.empty() ? withoutAmpersand(d.text) : d.value)
                       : std::string();
    if (!numericPicture(d.picture)) {
      const int pictured = text::pictureWidth(d.picture);
      const int held = d.use ? d.use->width : 0;
      c.maxChars = pictured > 0 && held > 0 ? std::min(pictured, held) : std::max(pictured, held);
    }
    if (d.kind == ControlKind::Check) c.value = std::int64_t{0};
    if (d.kind == ControlKind::Entry && numericPicture(d.picture)) c.value = std::int64_t{0};
    controls_.push_back(std::move(c));
    uses_.push_back(Control{std::move(d.use)});
  }
  int next = highest + 1;
  flattenMenu(decl.menu, -1, next, state_.menu);
  // The first control that takes input has the focus until the procedure selects another, so
  // that nothing typed at once is lost; tab sheets and buttons only when there is nothing else.
  const ControlState* first = nullptr;
  for (const auto& c : controls_) {
    if (!takesFocus(c.kind) || c.hidden || c.disabled) continue;
    if (!first) first = &c;
    if (c.kind != ControlKind::Sheet && c.kind != ControlKind::Button) {
      first = &c;
      break;
    }
  }
  if (first) state_.focus = first->number;
}

Window::~Window() {
  close();
}

void Window::close() {
  if (!open_) return;
  open_ = false;
  rt_.detach(this);
  rt_.frontEnd().windowClosed(id());
}

void Window::post(int event, int control) {
  rt_.postEvent(id(), Event(event, control));
}

bool Window::accept(Event& event) {
  return acceptUntil(event, std::nullopt) == Waited::Event;
}

Window::Waited Window::acceptWithin(Event& event, std::chrono::milliseconds timeout) {
  return acceptUntil(event, std::chrono::steady_clock::now() + timeout);
}

Window::Waited Window::acceptUntil(Event& event,
                                   std::optional<std::chrono::steady_clock::time_point> deadline) {
  for (;;) {
    if (!open_) return Waited::Closed;
    if (!extra_.empty()) {
      event = extra_.front();
      extra_.pop_front();
      return Waited::Event;
    }
    Queued next;
    {
      std::unique_lock lock(rt_.m_);
      if (queue_.empty() && !rt_.ended_) {
        auto& rec = rt_.threads_[thread()];
        rec.state = UiRuntime::ThreadState::WaitingEvent;
        rec.waitingOn = this;
        rec.deadline = deadline;
        rt_.releaseLocked();
        rt_.acquireLocked(lock, thread());
        rec.waitingOn = nullptr;
        rec.deadline.reset();
      }
      if (rt_.ended_) {
        lock.unlock();
        close();
        return Waited::Closed;
      }
      if (queue_.empty()) {
        if (deadline && std::chrono::steady_clock::now() >= *deadline) return Waited::TimedOut;
        continue;
      }
      next = std::move(queue_.front());
      queue_.pop_front();
      if (auto* e = std::get_if<Event>(&next); e && e->number == EventTimer) timerPending_ = false;
    }
    if (auto* task = std::get_if<Task>(&next)) {
      (*task)();
      continue;
    }
    if (auto* e = std::get_if<Event>(&next)) {
      if (e->number == EventGainFocus) state_.active = true;
      if (e->number == EventLoseFocus) state_.active = false;
      event = *e;
      return Waited::Event;
    }
    if (translate(std::get<Input>(next), event)) return Waited::Event;
  }
}

bool Window::poll(Event& event) {
  for (;;) {
    if (!open_) return false;
    if (!extra_.empty()) {
      event = extra_.front();
      extra_.pop_front();
      return true;
    }
    Queued next;
    {
      std::lock_guard lock(rt_.m_);
      if (rt_.ended_ || queue_.empty() || std::holds_alternative<Task>(queue_.front()))
        return false;
      next = std::move(queue_.front());
      queue_.pop_front();
      if (auto* e = std::get_if<Event>(&next); e && e->number == EventTimer) timerPending_ = false;
    }
    if (auto* e = std::get_if<Event>(&next)) {
      if (e->number == EventGainFocus) state_.active = true;
      if (e->number == EventLoseFocus) state_.active = false;
      event = *e;
      return true;
    }
    if (translate(std::get<Input>(next), event)) return true;
  }
}

// --- controls ---

int Window::indexOf(int number) const {
  for (std::size_t i = 0; i < controls_.size(); ++i)
    if (controls_[i].number == number) return static_cast<int>(i);
  return -1;
}

const ControlState* Window::control(int number) const {
  int i = indexOf(number);
  return i < 0 ? nullptr : &controls_[static_cast<std::size_t>(i)];
}

ControlState* Window::find(int number) {
  int i = indexOf(number);
  return i < 0 ? nullptr : &controls_[static_cast<std::size_t>(i)];
}

const std::optional<UseVar>& Window::useOf(int number) const {
  static const std::optional<UseVar> none;
  int i = indexOf(number);
  return i < 0 ? none : uses_[static_cast<std::size_t>(i)].use;
}

std::string Window::text(int number) const {
  const auto* c = control(number);
  return c ? c->text : std::string();
}

Value Window::value(int number) const {
  const auto* c = control(number);
  return c ? c->value : Value{};
}

int Window::selected(int number) const {
  const auto* c = control(number);
  return c ? c->selected : 0;
}

void Window::changed(const ControlState& c) {
  if (open_) rt_.frontEnd().controlChanged(id(), c);
}

namespace {

// Keys that a front end keeps for itself unless the window asks for them: a click on the window
// itself (off its lists) is one of them.
bool passedOnRequest(int key) {
  const int plain = key & ~kModifierMask;
  return (key & (kCtrl | kAlt)) != 0 || plain == KeyPrintScreen ||
         (plain >= KeyMouseLeft && plain <= KeyMouseMove);
}

}  // namespace

void Window::alert(int key) {
  if (!alerts_.insert(key).second || !passedOnRequest(key)) return;
  state_.passedKeys.push_back(key);
  windowChanged();
}

void Window::unalert(int key) {
  if (alerts_.erase(key) == 0 || !passedOnRequest(key)) return;
  std::erase(state_.passedKeys, key);
  windowChanged();
}

void Window::windowChanged() {
  if (open_) rt_.frontEnd().windowChanged(state_);
}

void Window::applyValue(ControlState& c, const Value& v) {
  switch (c.kind) {
    case ControlKind::Check:
      c.value = std::int64_t{valueNumber(v) != 0 ? 1 : 0};
      return;
    case ControlKind::Option: {
      c.value = v;
      c.selected = 0;
      int position = 0;
      std::string want = valueText(v);
      for (const auto& r : controls_) {
        if (r.kind != ControlKind::Radio || r.parent != c.number) continue;
        ++position;
        if (text::equalNoCase(r.radioValue, want)) c.selected = position;
      }
      return;
    }
    case ControlKind::DropList: {
      c.value = v;
      std::string want = valueText(v);
      c.selected = 0;
      for (std::size_t i = 0; i < c.choices.size(); ++i)
        if (text::equalClipped(c.choices[i], want)) c.selected = static_cast<int>(i) + 1;
      c.text = c.selected ? c.choices[static_cast<std::size_t>(c.selected - 1)] : std::string();
      return;
    }
    case ControlKind::List:
    case ControlKind::Sheet:
      c.value = std::int64_t{valueNumber(v)};
      c.selected = static_cast<int>(valueNumber(v));
      return;
    case ControlKind::Progress:
      c.value = std::int64_t{valueNumber(v)};
      return;
    case ControlKind::Button:
    case ControlKind::Prompt:
    case ControlKind::Radio:
    case ControlKind::Tab:
    case ControlKind::Group:
    case ControlKind::Box:
    case ControlKind::Line:
    case ControlKind::Image:
      c.value = v;
      return;
    default:
      break;
  }
  if (numericPicture(c.picture)) {
    std::int64_t n = valueNumber(v);
    c.value = n;
    c.text = std::string(text::clip(text::formatPicture(c.picture, n)));
  } else {
    std::string t = valueText(v);
    if (c.maxChars > 0) t = text::firstCharacters(t, static_cast<std::size_t>(c.maxChars));
    c.value = t;
    c.text = std::string(text::clip(t));
  }
}

std::string Window::unstorable(int number) const {
  const ControlState* c = control(number);
  return c && keepsTypedText(*c) ? text::unstorableCharacters(c->text) : std::string();
}

void Window::setText(int number, std::string t) {
  if (auto* c = find(number)) {
    c->text = std::move(t);
    changed(*c);
  }
}

void Window::setValue(int number, Value v) {
  if (auto* c = find(number)) {
    applyValue(*c, v);
    changed(*c);
  }
}

void Window::setSelected(int number, int index) {
  auto* c = find(number);
  if (!c) return;
  if (c->kind == ControlKind::DropList || c->kind == ControlKind::Combo) {
    if (index >= 1 && index <= static_cast<int>(c->choices.size())) {
      c->selected = index;
      c->value = c->choices[static_cast<std::size_t>(index - 1)];
      c->text = valueText(c->value);
    } else {
      c->selected = 0;
    }
  } else if (c->kind == ControlKind::Option) {
    int position = 0;
    for (const auto& r : controls_)
      if (r.kind == ControlKind::Radio && r.parent == c->number && ++position == index)
        c->value = r.radioValue;
    c->selected = index;
  } else {
    c->selected = index;
    if (c->kind == ControlKind::List || c->kind == ControlKind::Sheet)
      c->value = std::int64_t{index};
  }
  changed(*c);
}

#define TRV_SETTER(NAME, TYPE, FIELD)     \
  void Window::NAME(int number, TYPE v) { \
    if (auto* c = find(number)) {         \
      c->FIELD = std::move(v);            \
      changed(*c);                        \
    }                                     \
  }
TRV_SETTER(setHidden, bool, hidden)
TRV_SETTER(setDisabled, bool, disabled)
TRV_SETTER(setReadOnly, bool, readOnly)
TRV_SETTER(setFont, Font, font)
TRV_SETTER(setTip, std::string, tip)
TRV_SETTER(setImage, std::string, image)
TRV_SETTER(setChoices, std::vector<std::string>, choices)
TRV_SETTER(setColumns, std::vector<ListColumn>, columns)
#undef TRV_SETTER

void Window::setRows(int number, std::vector<ListRow> rows) {
  if (auto* c = find(number)) {
    c->rows = std::move(rows);
    if (c->selected > static_cast<int>(c->rows.size()))
      c->selected = static_cast<int>(c->rows.size());
    changed(*c);
  }
}

void Window::setPlace(int number, int row, int column, int width, int height) {
  if (auto* c = find(number)) {
    c->row = std::max(0, row);
    c->column = std::max(0, column);
    c->width = std::max(0, width);
    c->height = std::max(0, height);
    changed(*c);
  }
}

void Window::setListLines(int number, int lineHeight, bool horizontalBar, bool verticalBar) {
  if (auto* c = find(number)) {
    c->lineHeight = std::clamp(lineHeight, 0, 255);
    c->horizontalBar = horizontalBar;
    c->verticalBar = verticalBar;
    changed(*c);
  }
}

void Window::setHeaderMarks(int number, int pressed, std::string dragged) {
  if (auto* c = find(number); c && (c->pressedHeader != pressed || c->dragHeader != dragged)) {
    c->pressedHeader = pressed;
    c->dragHeader = std::move(dragged);
    changed(*c);
  }
}

void Window::setListReach(int number, ListReach reach) {
  if (!reach.rowsInAll && !reach.scrollTo) {
    reach_.erase(number);
  } else if (find(number)) {
    reach_[number] = std::move(reach);
  }
}

const ListReach* Window::listReach(int number) const {
  auto it = reach_.find(number);
  return it == reach_.end() ? nullptr : &it->second;
}

void Window::setColours(int number, int colour, int background) {
  if (auto* c = find(number)) {
    c->colour = colour;
    c->background = background;
    changed(*c);
  }
}

void Window::select(int number) {
  ++selectCount_;
  if (!find(number)) return;
  state_.focus = number;
  windowChanged();
}

void Window::display(int number) {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (number != 0 && controls_[i].number != number) continue;
    const auto& use = uses_[i].use;
    if (!use || !use->get) continue;
    applyValue(controls_[i], use->get());
    changed(controls_[i]);
  }
}

void Window::update(int number) {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (number != 0 && controls_[i].number != number) continue;
    // A hidden control holds what was last shown in it: it must not write that over a visible
    // control of the same field.
    if (number == 0 && controls_[i].hidden) continue;
    const auto& use = uses_[i].use;
    if (use && use->set) use->set(controls_[i].value);
  }
}

// --- the window ---

void Window::setTitle(std::string title) {
  state_.title = std::move(title);
  windowChanged();
}

void Window::setBusy(bool busy) {
  if (state_.busy == busy) return;
  state_.busy = busy;
  windowChanged();
}

void Window::setTimer(int hundredths) {
  {
    std::lock_guard lock(rt_.m_);
    state_.timerHundredths = std::max(hundredths, 0);
    timerDue_ = rt_.clock().monotonicHundredths() + state_.timerHundredths;
  }
  windowChanged();
}

void Window::holdTimer() {
  std::lock_guard lock(rt_.m_);
  ++timerHolds_;
}

void Window::releaseTimer() {
  std::lock_guard lock(rt_.m_);
  if (timerHolds_ == 0) return;
  if (--timerHolds_ == 0) timerDue_ = rt_.clock().monotonicHundredths() + state_.timerHundredths;
}

void Window::setPlacement(const Placement& placement) {
  state_.placement = placement;
  windowChanged();
}

void Window::setIconized(bool iconized) {
  if (state_.placement.iconized == iconized) return;
  Placement p = state_.placement;
  p.iconized = iconized;
  setPlacement(p);
}

const MenuItemState* Window::menuItem(int number) const {
  for (const auto& m : state_.menu)
    if (!m.separator && m.number == number) return &m;
  return nullptr;
}

#define TRV_MENU_SETTER(NAME, FIELD)            \
  void Window::NAME(int number, bool v) {       \
    for (auto& m : state_.menu)                 \
      if (!m.separator && m.number == number) { \
        m.FIELD = v;                            \
        windowChanged();                        \
        return;                                 \
      }                                         \
  }
TRV_MENU_SETTER(setMenuHidden, hidden)
TRV_MENU_SETTER(setMenuDisabled, disabled)
TRV_MENU_SETTER(setMenuChecked, checked)
#undef TRV_MENU_SETTER

std::string Window::status(int zone) const {
  if (zone < 1 || zone > static_cast<int>(state_.status.size())) return {};
  return state_.status[static_cast<std::size_t>(zone - 1)];
}

void Window::setStatus(int zone, std::string t) {
  if (zone < 1) return;
  if (zone > static_cast<int>(state_.status.size()))
    state_.status.resize(static_cast<std::size_t>(zone));
  state_.status[static_cast<std::size_t>(zone - 1)] = std::move(t);
  windowChanged();
}

WindowSnapshot Window::snapshot() const {
  return WindowSnapshot{state_, controls_};
}

// --- input ---

int Window::nextFocusable(int from, int step) const {
  int n = static_cast<int>(controls_.size());
  if (n == 0) return 0;
  int start = indexOf(from);
  if (start < 0) start = step > 0 ? n - 1 : 0;
  for (int k = 1; k <= n; ++k) {
    const auto& c = controls_[static_cast<std::size_t>(((start + step * k) % n + n) % n)];
    // An entry that takes no input is passed over.
    const bool shows = c.kind == ControlKind::Entry && c.readOnly;
    if (takesFocus(c.kind) && !c.hidden && !c.disabled && !shows) return c.number;
  }
  return 0;
}

bool Window::press(ControlState& c, Event& out) {
  if (c.hidden || c.disabled) {
    rt_.beep();
    return false;
  }
  out = Event(EventAccepted, c.number);
  switch (c.kind) {
    case ControlKind::Button:
      break;
    case ControlKind::Check:
      c.value = std::int64_t{valueNumber(c.value) ? 0 : 1};
      changed(c);
      update(c.number);
      break;
    case ControlKind::Radio: {
      ControlState* opt = find(c.parent);
      if (!opt || opt->kind != ControlKind::Option || opt->disabled) return false;
      applyValue(*opt, c.radioValue);
      changed(*opt);
      update(opt->number);
      out.control = opt->number;
      break;
    }
    case ControlKind::Tab: {
      ControlState* sh = find(c.parent);
      if (!sh) return false;
      int position = 0;
      for (const auto& t : controls_)
        if (t.kind == ControlKind::Tab && t.parent == sh->number) {
          ++position;
          if (t.number == c.number) break;
        }
      applyValue(*sh, std::int64_t{position});
      changed(*sh);
      out = Event(EventNewSelection, sh->number);
      break;
    }
    default:
      return false;
  }
  return true;
}

bool Window::acceptText(ControlState& c, const std::string& typed, Event& out) {
  if (c.hidden || c.disabled || c.readOnly) {
    rt_.beep();
    return false;
  }
  // Typed text ends up in 8-bit record fields. What they cannot hold never reaches the use
  // variable; a text control keeps it as typed, so that nothing vanishes, and the procedure is
  // told.
  if (!text::fromUtf8Strict(typed)) {
    if (keepsTypedText(c)) {
      c.text = c.maxChars > 0 ? text::firstCharacters(typed, static_cast<std::size_t>(c.maxChars))
                              : typed;
      changed(c);
      select(c.number);
      out = Event(EventRejected, c.number);
    }
    rt_.beep();
    return keepsTypedText(c);
  }
  switch (c.kind) {
    case ControlKind::Entry:
    case ControlKind::Combo:
    case ControlKind::Spin:
    case ControlKind::Text:
      if (numericPicture(c.picture)) {
        auto civil = text::civilDate(rt_.clock().today());
        auto n = text::deformatPicture(c.picture, typed, civil ? civil->year : 2000);
        if (!n || (c.kind == ControlKind::Spin && c.high > c.low && (*n < c.low || *n > c.high))) {
          rt_.beep();
          select(c.number);
          return false;
        }
        applyValue(c, *n);
      } else {
        applyValue(c, typed);
      }
      break;
    case ControlKind::DropList: {
      auto it = std::find_if(c.choices.begin(), c.choices.end(),
                             [&](const std::string& s) { return text::equalClipped(s, typed); });
      if (it == c.choices.end()) {
        rt_.beep();
        return false;
      }
      applyValue(c, *it);
      break;
    }
    default:
      return false;
  }
  if (c.kind == ControlKind::Combo) {
    c.selected = 0;
    for (std::size_t i = 0; i < c.choices.size(); ++i)
      if (text::equalClipped(c.choices[i], c.text)) c.selected = static_cast<int>(i) + 1;
  }
  changed(c);
  update(c.number);
  // A value typed into a drop list, combo or spin is also a new selection, as choosing an item
  // or stepping the spin is.
  if (c.kind == ControlKind::DropList || c.kind == ControlKind::Combo ||
      c.kind == ControlKind::Spin) {
    out = Event(EventNewSelection, c.number);
    extra_.push_back(Event(EventAccepted, c.number));
    return true;
  }
  out = Event(EventAccepted, c.number);
  return true;
}

bool Window::key(int k, Event& out) {
  int target = state_.focus;
  if (alerted(k)) {
    out = Event(EventPreAlertKey, target, k);
    extra_.push_back(Event(EventAlertKey, target, k));
    return true;
  }
  ControlState* c = find(target);
  switch (k) {
    case KeyEsc:
      // The frame ends the program: one Esc too many after closing its windows must not do that.
      if (state_.kind == WindowKind::Frame) return false;
      out = Event(EventCloseWindow, 0, k);
      return true;
    case KeyEnter: {
      if (c && c->kind == ControlKind::Button) return press(*c, out);
      for (auto& b : controls_)
        if (b.kind == ControlKind::Button && b.isDefault) return press(b, out);
      return false;
    }
    case KeyTab:
    case KeyTab | kShift: {
      int n = nextFocusable(target, k == KeyTab ? 1 : -1);
      if (n == 0) return false;
      select(n);
      out = Event(EventSelected, n, k);
      return true;
    }
    case ' ':
      if (c && (c->kind == ControlKind::Button || c->kind == ControlKind::Check))
        return press(*c, out);
      return false;
    default:
      return false;
  }
}

bool Window::translate(const Input& in, Event& out) {
  using K = Input::Kind;
  switch (in.kind) {
    case K::Press: {
      if (const MenuItemState* m = menuItem(in.control)) {
        if (m->hidden || m->disabled || m->submenu) return false;
        if (m->standard != StandardAction::None) return false;  // the front end's to do
        out = Event(EventAccepted, m->number);
        return true;
      }
      ControlState* c = find(in.control);
      return c && press(*c, out);
    }
    case K::Focus: {
      ControlState* c = find(in.control);
      if (!c || c->hidden || c->disabled || !takesFocus(c->kind)) return false;
      select(c->number);
      out = Event(EventSelected, c->number);
      return true;
    }
    case K::Accept: {
      ControlState* c = find(in.control);
      return c && acceptText(*c, in.text, out);
    }
    case K::Select: {
      ControlState* c = find(in.control);
      if (!c || c->hidden || c->disabled) return false;
      if (c->kind == ControlKind::List) {
        if (in.row < 1 || in.row > static_cast<int>(c->rows.size())) return false;
        setSelected(c->number, in.row);
        update(c->number);
        out = Event(EventNewSelection, c->number);
        out.row = in.row;
        out.column = in.column;
        out.zone = ListZone::Cell;
        return true;
      }
      if (c->kind == ControlKind::DropList || c->kind == ControlKind::Combo) {
        if (in.row < 1 || in.row > static_cast<int>(c->choices.size())) return false;
        setSelected(c->number, in.row);
        update(c->number);
        out = Event(EventNewSelection, c->number);
        out.row = in.row;
        extra_.push_back(Event(EventAccepted, c->number));
        return true;
      }
      return false;
    }
    case K::Key:
      return key(in.key, out);
    case K::Mouse: {
      if (in.control == 0) {
        // A click on the window itself (a frame's work area) reaches the procedure only as an
        // alert key it asked for.
        if (!alerted(in.key)) return false;
        out = Event(EventPreAlertKey, 0, in.key);
        extra_.push_back(Event(EventAlertKey, 0, in.key));
        return true;
      }
      ControlState* c = find(in.control);
      if (!c || c->hidden || c->disabled || c->kind != ControlKind::List) return false;
      Event hit(0, c->number, in.key);
      hit.row = in.row;
      hit.column = in.column;
      hit.zone = in.zone;
      // Releasing the left button or moving over a row is no choice of it.
      bool chooses = in.key != KeyMouseLeftUp && in.key != KeyMouseMove;
      if (chooses && in.zone == ListZone::Cell && in.row >= 1 &&
          in.row <= static_cast<int>(c->rows.size()) && c->selected != in.row) {
        setSelected(c->number, in.row);
        update(c->number);
        hit.number = EventNewSelection;
        extra_.push_back(hit);
      }
      if (chooses) select(c->number);
      Event act = hit;
      if (alerted(in.key)) {
        act.number = EventPreAlertKey;
        extra_.push_back(act);
        act.number = EventAlertKey;
        extra_.push_back(act);
      } else if (in.key == KeyMouseLeft2 && in.zone == ListZone::Cell) {
        act.number = EventAccepted;
        extra_.push_back(act);
      }
      if (extra_.empty()) return false;
      out = extra_.front();
      extra_.pop_front();
      return true;
    }
    case K::ColumnWidth: {
      // The width is kept for the procedure to read back when the drag ends; the release that
      // follows is the event.
      ControlState* c = find(in.control);
      if (!c || c->kind != ControlKind::List || in.column < 1 ||
          in.column > static_cast<int>(c->columns.size()) || in.width < 1)
        return false;
      auto& col = c->columns[static_cast<std::size_t>(in.column - 1)];
      if (col.width != in.width) {
        col.width = in.width;
        update(c->number);
      }
      return false;
    }
    case K::Scroll: {
      // Where the list stands sideways is the procedure's to read when it needs it; no event.
      ControlState* c = find(in.control);
      if (!c || c->kind != ControlKind::List || in.column < 0 ||
          in.column > static_cast<int>(c->columns.size()) || c->scrolledColumns == in.column)
        return false;
      c->scrolledColumns = in.column;
      changed(*c);
      return false;
    }
    case K::Close:
      out = Event(EventCloseWindow);
      return true;
    case K::Activate: {
      {
        std::lock_guard lock(rt_.m_);
        rt_.toFrontLocked(this);
      }
      state_.active = true;
      out = Event(EventGainFocus);
      return true;
    }
    case K::Deactivate:
      state_.active = false;
      out = Event(EventLoseFocus);
      return true;
    case K::Place: {
      bool sized = in.placement.width != state_.placement.width ||
                   in.placement.height != state_.placement.height ||
                   in.placement.maximized != state_.placement.maximized ||
                   in.placement.shownWidth != state_.placement.shownWidth ||
                   in.placement.shownHeight != state_.placement.shownHeight;
      state_.placement = in.placement;
      if (!sized) return false;
      out = Event(EventSized);
      return true;
    }
  }
  return false;
}

}  // namespace trv::ui
