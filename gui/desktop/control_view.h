#pragma once
// What one window's control pieces share: the shown state of a control, the window services its
// widget adapter and the input filter use, and the adapter each control kind has.
//
// Everything here runs on the Qt main thread. A ControlHost is the window that owns the
// controls; adapters and the filter reach the model only through it.

#include <QImage>
#include <optional>
#include <string>
#include <vector>

#include "runtime/ui/front_end.h"

class QWidget;
class QObject;
class QKeyEvent;
class QMouseEvent;

namespace trv::gui {

// One control as the window shows it.
struct ControlView {
  ui::ControlState state;
  QWidget* widget = nullptr;
  bool dirty = false;     // typed into since the last accept
  bool pending = false;   // an accept was sent and the model has not shown the result yet
  std::vector<int> tabs;  // a sheet's tab controls, in order
};

// The window's side, for the adapters and the input filter.
class ControlHost {
 public:
  virtual ~ControlHost() = default;
  virtual ControlView* find(int number) = 0;
  // Control numbers in declaration order.
  virtual const std::vector<int>& order() const = 0;
  // True while model state is being shown: nothing the widgets signal then goes back.
  virtual bool applying() const = 0;
  virtual void beginApplying() = 0;
  virtual void endApplying() = 0;
  // Input for this window (its id is filled in).
  virtual void post(ui::Input in) = 0;
  // Press or focus of a control; nothing while applying.
  virtual void postControl(ui::Input::Kind kind, int number) = 0;
  // Sends a typed-into control's text as accepted.
  virtual void flush(int number) = 0;
  // The user put the focus on a control.
  virtual void focusIn(int number) = 0;
  // The receiver of the widgets' signal connections: gone with the window.
  virtual QObject* receiver() = 0;
  // An image of the model by name; null when there is none.
  virtual QImage image(const std::string& name) = 0;
  // `widget` holds the controls whose parent is `number` (a group, option or tab page).
  virtual void holdControls(int number, QWidget* widget) = 0;
  // True when the window asked for `key`, one that the desktop keeps for itself otherwise.
  virtual bool passes(int key) const = 0;
  // Whether the Alt+letter of `e` is the mnemonic of one of the window's controls or of its own
  // menu; with `run`, that control or menu acts as its mnemonic says.
  virtual bool mnemonic(const QKeyEvent* e, bool run) = 0;
  // A click on the window itself (its background, a control that takes no input): sent to the
  // model when the window asked for that mouse key; true when it was.
  virtual bool clickOnWindow(const QMouseEvent* e) = 0;
};

// Shows model state while alive: nothing the widgets signal goes back as input.
class Applying {
 public:
  explicit Applying(ControlHost& host) : host_(host) { host_.beginApplying(); }
  ~Applying() { host_.endApplying(); }
  Applying(const Applying&) = delete;
  Applying& operator=(const Applying&) = delete;

 private:
  ControlHost& host_;
};

// Creates and updates the widgets of one control kind.
class ControlAdapter {
 public:
  virtual ~ControlAdapter() = default;
  // A new widget for `c` inside `parent`, its signals connected to the host.
  virtual QWidget* create(const ui::ControlState& c, QWidget* parent, ControlHost& host) const = 0;
  // Whether the window's layout places the widget (a tab page goes into its sheet instead).
  virtual bool laidOut(const ui::ControlState&, ControlHost&) const { return true; }
  // Shows `c` in the widget: visibility, enabling, tip, font and colours, then the kind's own.
  virtual void update(ControlView& view, const ui::ControlState& c, ControlHost& host) const;
  // The text typed into the widget, for kinds that take typing.
  virtual std::optional<std::string> typed(const QWidget*) const { return std::nullopt; }
  // Whether a key pressed in the control goes to the model (else the widget handles it).
  virtual bool sendsKey(const ControlView& view, int key) const;
  // A mouse event on the widget or one of its parts; true when the widget must not see it.
  virtual bool mouse(ControlView&, QObject*, QMouseEvent*, ControlHost&) const { return false; }
  // The widget's parts that get input of their own (a list's header, a combo's entry).
  virtual std::vector<QObject*> parts(QWidget*) const { return {}; }

 protected:
  // The kind's own properties; update() calls it after the common ones.
  virtual void show(ControlView& view, const ui::ControlState& c, ControlHost& host) const = 0;
};

// The adapter of a kind; every kind has one.
const ControlAdapter& adapterFor(ui::ControlKind kind);
// The adapter of a control: its kind's, or the in-place cell editor's for an entry over a list.
const ControlAdapter& adapterFor(const ui::ControlState& control);

// Average width of a character for the widget's font, at least a digit's.
int charWidth(const QWidget* w);

}  // namespace trv::gui
