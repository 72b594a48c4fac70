#include "gui/desktop/input_filter.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace trv::gui {

using ui::Input;

std::optional<int> modelKey(const QKeyEvent* e) {
  int mods = 0;
  if (e->modifiers() & Qt::ControlModifier) mods |= ui::kCtrl;
  if (e->modifiers() & Qt::ShiftModifier) mods |= ui::kShift;
  if (e->modifiers() & Qt::AltModifier) mods |= ui::kAlt;
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return ui::KeyEnter | mods;
    case Qt::Key_Escape:
      return ui::KeyEsc | mods;
    case Qt::Key_Insert:
      return ui::KeyInsert | mods;
    case Qt::Key_Delete:
      return ui::KeyDelete | mods;
    case Qt::Key_Up:
      return ui::KeyUp | mods;
    case Qt::Key_Down:
      return ui::KeyDown | mods;
    case Qt::Key_Left:
      return ui::KeyLeft | mods;
    case Qt::Key_Right:
      return ui::KeyRight | mods;
    case Qt::Key_Print:
      return ui::KeyPrintScreen | mods;
    case Qt::Key_PageUp:
      return ui::KeyPgUp | mods;
    case Qt::Key_PageDown:
      return ui::KeyPgDn | mods;
    case Qt::Key_Home:
      return ui::KeyHome | mods;
    case Qt::Key_End:
      return ui::KeyEnd | mods;
    default:
      break;
  }
  if (e->key() >= Qt::Key_F1 && e->key() <= Qt::Key_F12)
    return (ui::KeyF1 + (e->key() - Qt::Key_F1)) | mods;
  // A character held with Ctrl or Alt is named by its key, as the model names it ("Alt+1").
  if ((mods & (ui::kCtrl | ui::kAlt)) != 0) {
    if (e->key() > ' ' && e->key() < 0x7f)
      return static_cast<int>(QChar(e->key()).toLower().unicode()) | mods;
    return std::nullopt;
  }
  QString t = e->text();
  if (t.size() == 1 && t[0].isPrint()) return static_cast<int>(t[0].unicode());
  return std::nullopt;
}

bool InputFilter::eventFilter(QObject* obj, QEvent* e) {
  int number = numberOf_(obj);
  if (number == 0) return false;
  switch (e->type()) {
    case QEvent::FocusIn:
      host_.focusIn(number);
      return false;
    case QEvent::FocusOut:
      host_.flush(number);
      return false;
    case QEvent::ShortcutOverride: {
      // The window's own mnemonics and the keys it asked for come before the frame's menu.
      auto* k = static_cast<QKeyEvent*>(e);
      const auto code = modelKey(k);
      if (!(code && host_.passes(*code)) && !host_.mnemonic(k, false)) return false;
      e->accept();
      return true;
    }
    case QEvent::KeyPress:
      return key(number, static_cast<QKeyEvent*>(e));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove: {
      ControlView* c = host_.find(number);
      if (!c) return false;
      auto* m = static_cast<QMouseEvent*>(e);
      if (adapterFor(c->state).mouse(*c, obj, m, host_)) return true;
      // A text, picture or frame is part of the window's face: a click on it is on the window.
      return !takesFocus(c->state.kind) && c->state.kind != ui::ControlKind::Sheet &&
             c->state.kind != ui::ControlKind::Tab && host_.clickOnWindow(m);
    }
    default:
      return false;
  }
}

bool InputFilter::key(int number, QKeyEvent* e) {
  auto k = modelKey(e);
  if (!k) return false;
  ControlView* c = host_.find(number);
  if (!c) return false;
  if (!adapterFor(c->state).sendsKey(*c, *k) && !host_.passes(*k)) {
    if (host_.mnemonic(e, true)) return true;
    // An Alt+letter that no mnemonic takes is not typing: a field would take the letter.
    const Qt::KeyboardModifiers mods = e->modifiers();
    if ((mods & Qt::AltModifier) && !(mods & Qt::ControlModifier) && !e->text().isEmpty() &&
        e->text()[0].isPrint()) {
      QApplication::beep();
      return true;
    }
    return false;
  }
  host_.flush(number);
  Input in;
  in.kind = Input::Kind::Key;
  in.control = number;
  in.key = *k;
  host_.post(in);
  return true;
}

}  // namespace trv::gui
