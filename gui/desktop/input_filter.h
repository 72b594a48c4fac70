#pragma once
// Keys, focus and mouse on a window's controls, turned into model input. Qt main thread only.

#include <QObject>
#include <functional>
#include <optional>

#include "gui/desktop/control_view.h"

class QKeyEvent;

namespace trv::gui {

// The model's key code (with its Ctrl, Shift and Alt bits) for a key the model knows; nothing
// for the rest (they stay with the widget).
std::optional<int> modelKey(const QKeyEvent* e);

// Installed on every control widget (and its parts) of one window; `numberOf` names the control
// a widget belongs to (0: none).
class InputFilter : public QObject {
 public:
  using NumberOf = std::function<int(QObject*)>;
  InputFilter(ControlHost& host, NumberOf numberOf) : host_(host), numberOf_(std::move(numberOf)) {}

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override;

 private:
  bool key(int number, QKeyEvent* e);
  ControlHost& host_;
  NumberOf numberOf_;
};

}  // namespace trv::gui
