#pragma once
// Window: one open window of the model, with its controls, menus, status bar, timer and event
// loop. Created by UiRuntime::open on a program thread and owned by the window procedure that
// opened it; dropping it closes the window.
//
// All calls require the baton (any program thread, or the driver while it holds it), except
// that only the owning thread may run the event loop. Every change is sent to the front end as
// a copy. Calls naming a control number that the window does not have do nothing and return
// empty values.

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "runtime/ui/front_end.h"

namespace trv::ui {

class UiRuntime;

// How to reach the rows of a list that holds only a page of them (a browser over a data file):
// how many rows a user reaches by scrolling, and scrolling row `row` (from 1, of all of them)
// onto the page and choosing it, as the list's keys would, which answers its place on the page
// (from 1; 0 when there is no such row). Both run on the window's own thread.
struct ListReach {
  std::function<std::int64_t()> rowsInAll;
  std::function<int(std::int64_t row)> scrollTo;
};

class Window {
 public:
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  WindowId id() const { return state_.id; }
  int thread() const { return state_.thread; }
  WindowKind kind() const { return state_.kind; }
  bool isOpen() const { return open_; }

  // The event loop: waits for the next event (giving the baton away while it waits) and
  // returns it. False once the window is closed or the program ended; the loop then ends.
  // Tasks posted to the thread (UiRuntime::postTask) run inside this call, between events.
  bool accept(Event& event);
  // As accept, but waits at most timeout of real time for an event (a host program's wait).
  enum class Waited { Event, TimedOut, Closed };
  Waited acceptWithin(Event& event, std::chrono::milliseconds timeout);
  // Takes the next event when one is queued already, without waiting and without giving the
  // baton away: long work asks between its steps whether the user pressed Esc. False when none
  // is (a task posted to the thread stays queued for accept).
  bool poll(Event& event);
  // Closes the window: the loop's next accept returns false. Idempotent.
  void close();
  // Posts an event to this window's own queue (the program's own events, 1024 and up).
  void post(int event, int control = 0);

  // --- controls ---
  const std::vector<ControlState>& controls() const { return controls_; }
  const ControlState* control(int number) const;
  const std::optional<UseVar>& useOf(int number) const;
  std::string text(int number) const;
  // The characters of a text control's text that the records cannot hold ("中 文"), empty when
  // there are none. Such text is typed text the control keeps (accepting it gives
  // EventRejected and leaves the use variable as it was) until it is typed again or displayed.
  std::string unstorable(int number) const;
  Value value(int number) const;
  int selected(int number) const;
  void setText(int number, std::string text);
  // Sets the value and the text shown from it (through the control's picture), as display does.
  void setValue(int number, Value value);
  void setSelected(int number, int index);
  void setHidden(int number, bool hidden);
  void setDisabled(int number, bool disabled);
  void setReadOnly(int number, bool readOnly);
  void setFont(int number, Font font);
  void setColours(int number, int colour, int background);
  void setTip(int number, std::string tip);
  void setImage(int number, std::string file);
  void setChoices(int number, std::vector<std::string> choices);
  void setColumns(int number, std::vector<ListColumn> columns);
  void setRows(int number, std::vector<ListRow> rows);
  // Moves and sizes a control while the window is open: its layout row and column (from 1), its
  // width in characters and its height in lines (0: as its content needs). Negative values
  // count as 0.
  void setPlace(int number, int row, int column, int width, int height);
  // A list's line height (eighths of a line, 0 to 255; 0: as its font needs) and whether it
  // offers its horizontal and vertical scroll bars.
  void setListLines(int number, int lineHeight, bool horizontalBar, bool verticalBar);
  // Marks a list's header: `pressed` (from 1; 0 none) shows pressed, `dragged` is the text of a
  // header being dragged (empty: none).
  void setHeaderMarks(int number, int pressed, std::string dragged);
  // A list without a reach holds all its rows. The owner clears it (an empty ListReach) before
  // what it uses goes.
  void setListReach(int number, ListReach reach);
  const ListReach* listReach(int number) const;
  // Gives the control the focus (no event). selectCount() counts these calls, so a caller can
  // tell whether a handler moved the focus.
  void select(int number);
  int focus() const { return state_.focus; }
  int selectCount() const { return selectCount_; }
  // Copies use variables to their controls (number 0: every control).
  void display(int number = 0);
  // Copies control values to their use variables (number 0: every control that is not hidden).
  void update(int number = 0);

  // --- the window ---
  const WindowState& state() const { return state_; }
  const std::string& title() const { return state_.title; }
  void setTitle(std::string title);
  // The busy cursor over the window while long work runs on its thread.
  void setBusy(bool busy);
  int timer() const { return state_.timerHundredths; }
  // Timer period in hundredths of a second; 0 stops it. The first tick is one period away.
  void setTimer(int hundredths);
  // Holds the timer: no timer event while at least one hold is out. Several callers may hold it
  // at once (forms that stop the frame's timer); the last release restarts it one period ahead.
  void holdTimer();
  void releaseTimer();
  int timerHolds() const { return timerHolds_; }
  void setPlacement(const Placement& placement);
  // Iconizes the window or brings it back; nothing when it already is so.
  void setIconized(bool iconized);
  const Placement& placement() const { return state_.placement; }
  bool resizable() const { return state_.resizable; }
  // Keys that reach the procedure as pre-alert and alert key events instead of their default.
  void alert(int key);
  void unalert(int key);
  bool alerted(int key) const { return alerts_.count(key) != 0; }
  // Menu items by number; a menu item number that does not exist does nothing.
  const MenuItemState* menuItem(int number) const;
  void setMenuHidden(int number, bool hidden);
  void setMenuDisabled(int number, bool disabled);
  void setMenuChecked(int number, bool checked);
  // Status-bar zones from 1.
  std::string status(int zone) const;
  void setStatus(int zone, std::string text);

  WindowSnapshot snapshot() const;

 private:
  friend class UiRuntime;
  struct Control {
    std::optional<UseVar> use;
  };
  using Task = std::function<void()>;
  using Queued = std::variant<Event, Input, Task>;

  Window(UiRuntime& rt, WindowId id, int thread, WindowDecl decl);
  ControlState* find(int number);
  int indexOf(int number) const;
  void changed(const ControlState& c);
  void windowChanged();
  void applyValue(ControlState& c, const Value& v);
  bool translate(const Input& in, Event& out);
  bool press(ControlState& c, Event& out);
  Waited acceptUntil(Event& event, std::optional<std::chrono::steady_clock::time_point> deadline);
  bool acceptText(ControlState& c, const std::string& text, Event& out);
  bool key(int key, Event& out);
  int nextFocusable(int from, int step) const;

  UiRuntime& rt_;
  WindowState state_;
  std::vector<ControlState> controls_;
  std::vector<Control> uses_;
  std::set<int> alerts_;
  std::map<int, ListReach> reach_;
  bool open_ = true;
  int selectCount_ = 0;
  std::deque<Event> extra_;  // events that one input gave beyond its first (baton)
  // Guarded by the runtime's lock:
  std::deque<Queued> queue_;
  bool timerPending_ = false;
  int timerHolds_ = 0;
  std::int64_t timerDue_ = 0;
};

}  // namespace trv::ui
