#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <algorithm>

#include "gui/desktop/control_kinds.h"
#include "gui/desktop/control_view.h"
#include "gui/desktop/qt_values.h"

namespace trv::gui {

using ui::ControlKind;

int charWidth(const QWidget* w) {
  // Digits are often wider than the average letter: a width in characters must hold digits too.
  const QFontMetrics& m = w->fontMetrics();
  return std::max({1, m.averageCharWidth(), m.horizontalAdvance(QLatin1Char('0'))});
}

void ControlAdapter::update(ControlView& view, const ui::ControlState& c, ControlHost& host) const {
  QWidget* w = view.widget;
  w->setVisible(!c.hidden);
  w->setEnabled(!c.disabled);
  w->setToolTip(qs(c.tip));
  if (c.cursor.empty()) {
    w->unsetCursor();
  } else if (const QImage pointer = host.image(c.cursor); pointer.isNull()) {
    w->setCursor(Qt::PointingHandCursor);
  } else {
    // The program's pointers point with the middle of their top edge (the hand's finger tip).
    const QPixmap p = QPixmap::fromImage(pointer.scaled(32, 32, Qt::KeepAspectRatio));
    w->setCursor(QCursor(p, p.width() / 2, 2));
  }
  w->setFont(toQFont(c.font, QApplication::font(w)));
  QPalette pal = QApplication::palette(w);
  int fg = c.colour >= 0 ? c.colour : c.font.colour;
  if (auto colour = toQColor(fg)) {
    pal.setColor(QPalette::WindowText, *colour);
    pal.setColor(QPalette::Text, *colour);
    pal.setColor(QPalette::ButtonText, *colour);
  }
  bool filled = false;
  if (auto colour = toQColor(c.background)) {
    pal.setColor(QPalette::Base, *colour);
    pal.setColor(QPalette::Window, *colour);
    pal.setColor(QPalette::Button, *colour);
    filled = true;
  }
  w->setPalette(pal);
  // Entries, texts and lists fill their own base; for the rest the window colour shows.
  if (c.kind != ControlKind::List && c.kind != ControlKind::Text && c.kind != ControlKind::Entry)
    w->setAutoFillBackground(filled);
  show(view, c, host);
}

bool ControlAdapter::sendsKey(const ControlView&, int key) const {
  int plain = key & ~ui::kModifierMask;
  return plain == ui::KeyEnter || plain == ui::KeyEsc ||
         (plain >= ui::KeyF1 && plain <= ui::KeyF12);
}

const ControlAdapter& adapterFor(const ui::ControlState& c) {
  return c.cellOf != 0 ? cellEditorAdapter() : adapterFor(c.kind);
}

const ControlAdapter& adapterFor(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button:
      return buttonAdapter();
    case ControlKind::Entry:
      return entryAdapter();
    case ControlKind::Text:
      return textAdapter();
    case ControlKind::String:
    case ControlKind::Prompt:
      return labelAdapter();
    case ControlKind::Check:
      return checkAdapter();
    case ControlKind::Option:
      return optionAdapter();
    case ControlKind::Radio:
      return radioAdapter();
    case ControlKind::DropList:
    case ControlKind::Combo:
      return choiceAdapter();
    case ControlKind::Spin:
      return spinAdapter();
    case ControlKind::List:
      return listAdapter();
    case ControlKind::Sheet:
      return sheetAdapter();
    case ControlKind::Tab:
      return tabAdapter();
    case ControlKind::Progress:
      return progressAdapter();
    case ControlKind::Image:
      return imageAdapter();
    case ControlKind::Group:
      return groupAdapter();
    case ControlKind::Box:
    case ControlKind::Line:
      return frameLineAdapter();
  }
  return labelAdapter();
}

}  // namespace trv::gui
