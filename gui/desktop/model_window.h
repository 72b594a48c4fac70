#pragma once
// The widget of a whole window (main window, work-area window or top-level window) whose close
// box, moves, sizes, activation and unclaimed keys go to the model. Qt main thread only.

#include <QCloseEvent>
#include <QEvent>
#include <QKeyEvent>
#include <functional>
#include <memory>

namespace trv::gui {

// What the window widget reports; shared with the widget so a widget outliving its view (it is
// deleted later) finds the hooks emptied rather than dangling.
struct WindowHooks {
  std::function<void()> close;
  std::function<void()> placed;
  std::function<void(bool)> active;
  std::function<bool(QKeyEvent*)> key;  // true when the key went to the model
  // True when the window keeps a key that would otherwise be a shortcut (the frame's menu
  // mnemonics): its own mnemonic or a key it asked for.
  std::function<bool(const QKeyEvent*)> keeps;
  bool closing = false;
};

template <class Base>
class ModelWindow : public Base {
 public:
  template <class... Args>
  explicit ModelWindow(std::shared_ptr<WindowHooks> hooks, Args&&... args)
      : Base(std::forward<Args>(args)...), hooks_(std::move(hooks)) {}

 protected:
  void closeEvent(QCloseEvent* e) override {
    if (hooks_->closing) {
      e->accept();
      return;
    }
    e->ignore();
    if (hooks_->close) hooks_->close();
  }
  void moveEvent(QMoveEvent* e) override {
    Base::moveEvent(e);
    if (hooks_->placed) hooks_->placed();
  }
  void resizeEvent(QResizeEvent* e) override {
    Base::resizeEvent(e);
    if (hooks_->placed) hooks_->placed();
  }
  bool event(QEvent* e) override {
    if (e->type() == QEvent::ShortcutOverride && hooks_->keeps &&
        hooks_->keeps(static_cast<QKeyEvent*>(e))) {
      e->accept();
      return true;
    }
    return Base::event(e);
  }
  // Keys that no control took (the window itself has the focus).
  void keyPressEvent(QKeyEvent* e) override {
    if (hooks_->key && hooks_->key(e)) return;
    Base::keyPressEvent(e);
  }
  void changeEvent(QEvent* e) override {
    Base::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && hooks_->placed) hooks_->placed();
    if (e->type() == QEvent::ActivationChange && hooks_->active)
      hooks_->active(this->isActiveWindow());
  }

 private:
  std::shared_ptr<WindowHooks> hooks_;
};

}  // namespace trv::gui
