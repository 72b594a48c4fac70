#pragma once
// WindowView: one window of the model shown with Qt widgets, on the Qt main thread.
//
// It is built from a snapshot and kept up to date from the copies the model sends; it never
// reads a live model object. What the user does goes back as ui::Input through `post` (which
// must be thread-safe: it queues input for the window's program thread).
//
// Layout comes from the declaration alone (window_layout.h); each control kind's widget is made
// and kept up to date by its adapter (control_view.h); keys, focus and mouse go back through the
// input filter (input_filter.h).
//
// Kinds: a frame is a main window with its menu bar, status bar and a work area that holds the
// child windows (the frame's image control is the work area's wallpaper); a child window goes
// into that area when there is a frame; modal and progress windows stand above their owner.
// Positions and sizes are in the desktop's logical pixels; a placement with no size keeps the
// window's natural size, and a restored position is kept on a visible screen.

#include <QElapsedTimer>
#include <QImage>
#include <QMargins>
#include <QPointer>
#include <QRect>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "gui/desktop/control_view.h"
#include "runtime/ui/front_end.h"

class QWidget;
class QMdiArea;
class QAction;
class QMenuBar;
class QStatusBar;
class QBoxLayout;
class QTimer;
class QObject;

namespace trv::report {
struct Document;
}

namespace trv::gui {

struct WindowHooks;
class InputFilter;
class PageView;
class WindowLayout;

class WindowView final : private ControlHost {
 public:
  using Post = std::function<void(ui::Input)>;
  // Resolves an image name of the model to a file (relative names, the program's own images).
  using ImageResolver = std::function<std::string(const std::string&)>;

  // mdi: the frame's work area for a child window (null: a window of its own). owner: the
  // window a modal or progress window stands above (may be null).
  WindowView(const ui::WindowSnapshot& snapshot, QMdiArea* mdi, QWidget* owner, Post post,
             ImageResolver images);
  ~WindowView() override;
  WindowView(const WindowView&) = delete;
  WindowView& operator=(const WindowView&) = delete;

  void show();
  void apply(const ui::WindowState& state);
  void apply(const ui::ControlState& control);
  // While another window of the same program thread is in front of this one, its input is off;
  // a close then calls `blocked` (the desktop shows the window in front) instead of closing.
  void setInputEnabled(bool enabled);
  void onBlockedClose(std::function<void()> blocked) { blocked_ = std::move(blocked); }
  // The menu's standard actions go to `run` (the desktop carries them out).
  void onStandardAction(std::function<void(ui::StandardAction)> run) { standard_ = std::move(run); }
  // Restores the window when it is iconized, raises it and gives it the keyboard focus.
  void bringToFront();
  // The model refused input (it beeps and leaves the control as it was): a field whose typed
  // text was sent shows the model's value again.
  void refused();
  // A report preview: the window's body below its controls shows the document's pages, from
  // page 1 (a later document takes the place of the one shown, at the page shown); showPage
  // turns to `page` (from 1). Without pages, showPage does nothing.
  void showPages(std::shared_ptr<const report::Document> document);
  void showPage(int page);

  ui::WindowId id() const { return state_.id; }
  const ui::WindowState& state() const { return state_; }
  // The window as the desktop shows it (main window, work-area window or top-level window).
  QWidget* window() const { return window_; }
  // The widget showing a control; null for a number the window does not have.
  QWidget* controlWidget(int number) const;
  // The frame's work area; null for other kinds.
  QMdiArea* mdiArea() const { return mdi_; }
  // Whether the window stands in the frame's work area.
  bool inWorkArea() const;
  // Whether the window is the one in front, with the keyboard.
  bool isActive() const { return active_; }
  // The pages of a report preview; null until the window shows a document.
  PageView* pageView() const { return pageView_; }

 private:
  // ControlHost
  ControlView* find(int number) override;
  const std::vector<int>& order() const override { return order_; }
  bool applying() const override { return applying_ > 0; }
  void beginApplying() override { ++applying_; }
  void endApplying() override { --applying_; }
  void post(ui::Input in) override;
  void postControl(ui::Input::Kind kind, int number) override;
  void flush(int number) override;  // posts an edited field's text as accepted
  // Posts every edited field's text, before a key or press of the window acts.
  void flushAll();
  void focusIn(int number) override;
  QObject* receiver() override { return guard_.get(); }
  QImage image(const std::string& name) override;
  void holdControls(int number, QWidget* widget) override;
  bool passes(int key) const override;
  bool mnemonic(const QKeyEvent* e, bool run) override;
  bool clickOnWindow(const QMouseEvent* e) override;

  void build(const ui::WindowSnapshot& snapshot);
  void applyControl(ControlView& view, const ui::ControlState& c);
  void applyMenu(const std::vector<ui::MenuItemState>& menu);
  void enableMenu();
  void applyStatus(const std::vector<std::string>& status);
  void applyPlacement(const ui::Placement& placement);
  QSize fittedSize(QSize asked) const;
  QSize leastSize() const;
  QRect availableArea(QPoint at) const;
  // The window manager's frame around a top-level window (none in the work area).
  QMargins frameMargins() const;
  // Where the window's client area may lie near `at`: the available area less the frame.
  QRect roomAt(QPoint at) const;
  QRect keptVisible(QRect geometry) const;
  // A top-level window without a position of its own: centred on the window that opened it, or
  // on the screen.
  QPoint centredPosition(QSize size) const;
  ui::Placement currentPlacement() const;
  void placed();
  // The frame's wallpaper, fitted to its work area.
  void showWallpaper();
  // Gives the keyboard focus to the control the model has selected.
  void focusModelControl();
  // Shows the message of the control that took the focus in this window's status bar, or the
  // frame's when it has none; a control without one clears what another put there.
  void showControlMessage(int number);
  void activeChanged(bool active);
  int numberOf(QObject* widget) const;

  ui::WindowState state_;
  Post post_;
  ImageResolver images_;
  std::shared_ptr<WindowHooks> hooks_;
  // The receiver of every connection to the widgets: gone with the view, so that widgets deleted
  // later signal nothing to it.
  std::unique_ptr<QObject> guard_;
  QPointer<QWidget> window_;
  QWidget* content_ = nullptr;
  QMdiArea* mdi_ = nullptr;
  QMenuBar* menuBar_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  QBoxLayout* contentLayout_ = nullptr;
  PageView* pageView_ = nullptr;
  QTimer* placeTimer_ = nullptr;
  std::unique_ptr<InputFilter> filter_;
  std::unique_ptr<QObject> wallpaperWatch_;
  std::unique_ptr<QObject> clickWatch_;  // clicks on the window's background
  QImage wallpaper_;
  qint64 wallpaperShown_ = 0;  // the picture fitted last (its cache key)
  QTimer* wallpaperTimer_ = nullptr;
  std::unique_ptr<WindowLayout> layout_;
  std::map<int, std::unique_ptr<ControlView>> controls_;
  std::vector<int> order_;          // control numbers in declaration order
  std::map<QObject*, int> owners_;  // widget (and its parts) -> control
  std::string menuSignature_;
  ui::Placement applied_;
  QSize fixedSize_;             // a fixed-size top-level window's size when last placed
  QElapsedTimer shownCentred_;  // since it was shown centred, without a position of its own
  ui::Placement reported_;
  bool placedOnce_ = false;
  int applying_ = 0;  // > 0 while model state is being shown: no input goes back
  int modelFocus_ = 0;
  QPointer<QStatusBar> messageBar_;  // where the focused control's message stands, if anywhere
  bool active_ = false;
  bool inputEnabled_ = true;
  std::function<void()> blocked_;
  std::function<void(ui::StandardAction)> standard_;
  std::vector<std::pair<QAction*, ui::MenuItemState>> menuActions_;
};

}  // namespace trv::gui
