// Controls that take typing: entries, text boxes, spin boxes, drop lists and combos.

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <limits>

#include "gui/desktop/control_kinds.h"
#include "gui/desktop/qt_values.h"
#include "runtime/text/fixed_string.h"
#include "runtime/text/picture.h"

namespace trv::gui {
namespace {

using ui::ControlState;
using ui::Input;

constexpr int kWidestFieldChars = 60;
constexpr int kEntryPadding = 12;
constexpr int kChoicePadding = 32;  // the drop button beside the text

bool numericPicture(const std::string& p) {
  return !p.empty() && !text::isTextPicture(p);
}

// A spin box that shows and reads its value through the control's picture.
class PictureSpin : public QSpinBox {
 public:
  std::string picture;
  QLineEdit* edit() const { return lineEdit(); }

 protected:
  QString textFromValue(int value) const override {
    if (picture.empty()) return QSpinBox::textFromValue(value);
    return qs(text::clip(text::formatPicture(picture, std::int64_t{value})));
  }
  int valueFromText(const QString& t) const override {
    if (picture.empty()) return QSpinBox::valueFromText(t);
    auto n = text::deformatPicture(picture, us(t), 2000);
    return n ? static_cast<int>(*n) : value();
  }
  QValidator::State validate(QString&, int&) const override { return QValidator::Acceptable; }
};

// A text box that opens with its declared lines and shrinks to a few of them.
class ModelText : public QPlainTextEdit {
 public:
  using QPlainTextEdit::QPlainTextEdit;
  int preferredHeight = 0;

  QSize sizeHint() const override {
    QSize s = QPlainTextEdit::sizeHint();
    if (preferredHeight > 0) s.setHeight(preferredHeight);
    return s;
  }
};
constexpr int kFewestTextLines = 8;

class EntryAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost& host) const override {
    auto* e = new QLineEdit(parent);
    if (c.password) e->setEchoMode(QLineEdit::Password);
    int width = text::pictureWidth(c.picture);
    // A paste longer than the field is cut here, where it shows, not later on the way to it.
    if (c.maxChars > 0) e->setMaxLength(c.maxChars);
    if (numericPicture(c.picture) &&
        (c.picture.size() > 1 && (c.picture[1] == 'n' || c.picture[1] == 'N')))
      e->setAlignment(Qt::AlignRight);
    // As wide as the picture's characters; a very long field takes the room there is and
    // scrolls.
    int chars = std::max(c.width > 0 ? c.width : (width > 0 ? width + 1 : 20), 4);
    if (chars <= kWidestFieldChars) {
      e->setFixedWidth(chars * charWidth(e) + kEntryPadding);
    } else {
      e->setMinimumWidth(kWidestFieldChars * charWidth(e) + kEntryPadding);
      e->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }
    int number = c.number;
    QObject::connect(e, &QLineEdit::textEdited, host.receiver(), [&host, number] {
      if (auto* v = host.find(number)) v->dirty = true;
    });
    return e;
  }
  std::optional<std::string> typed(const QWidget* w) const override {
    return us(static_cast<const QLineEdit*>(w)->text());
  }

 protected:
  void show(ControlView& view, const ControlState& c, ControlHost&) const override {
    auto* e = static_cast<QLineEdit*>(view.widget);
    if (e->text() != qs(c.text)) e->setText(qs(c.text));
    e->setReadOnly(c.readOnly);
    e->setEchoMode(c.password ? QLineEdit::Password : QLineEdit::Normal);
    // An entry that takes no input looks so and is passed over by Tab; a click still reaches it,
    // to copy from it.
    e->setFocusPolicy(c.readOnly ? Qt::ClickFocus : Qt::StrongFocus);
    if (c.readOnly && c.background == ui::kColorNone) {
      QPalette pal = e->palette();
      pal.setColor(QPalette::Base, pal.color(QPalette::Window));
      e->setPalette(pal);
    }
  }
};

class TextAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost& host) const override {
    auto* t = new ModelText(parent);
    t->setTabChangesFocus(true);
    int lines = c.height > 0 ? c.height : 4;
    if (c.height > 0) t->preferredHeight = lines * t->fontMetrics().lineSpacing() + 12;
    t->setMinimumHeight(std::min(lines, kFewestTextLines) * t->fontMetrics().lineSpacing() + 12);
    if (c.width > 0) t->setMinimumWidth(c.width * charWidth(t) + 16);
    int number = c.number;
    const int most = c.maxChars;
    QObject::connect(t, &QPlainTextEdit::textChanged, host.receiver(), [&host, number, t, most] {
      if (host.applying()) return;
      if (auto* v = host.find(number)) v->dirty = true;
      // What goes past the field's room is cut where it was typed or pasted, in sight.
      const int surplus = most > 0 ? t->document()->characterCount() - 1 - most : 0;
      if (surplus > 0) {
        QTextCursor cursor = t->textCursor();
        cursor.movePosition(QTextCursor::Left, QTextCursor::KeepAnchor, surplus);
        cursor.removeSelectedText();
      }
    });
    return t;
  }
  std::optional<std::string> typed(const QWidget* w) const override {
    return us(static_cast<const QPlainTextEdit*>(w)->toPlainText());
  }
  // Enter in a text box is a new line; Ctrl+Enter still goes to the window.
  bool sendsKey(const ControlView& view, int key) const override {
    if ((key & ~ui::kModifierMask) == ui::KeyEnter) return (key & ui::kCtrl) != 0;
    return ControlAdapter::sendsKey(view, key);
  }

 protected:
  void show(ControlView& view, const ControlState& c, ControlHost&) const override {
    auto* t = static_cast<QPlainTextEdit*>(view.widget);
    if (t->toPlainText() != qs(c.text)) t->setPlainText(qs(c.text));
    t->setReadOnly(c.readOnly);
  }
};

class SpinAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost& host) const override {
    auto* s = new PictureSpin;
    s->setParent(parent);
    s->picture = c.picture;
    s->setKeyboardTracking(false);
    int chars = c.width > 0 ? c.width : std::max(6, text::pictureWidth(c.picture) + 1);
    s->setFixedWidth(chars * charWidth(s) + 30);
    int number = c.number;
    // Typing is held until the spin is left or a key or click acts (ControlHost::flush), as in
    // an entry; a step of the arrows goes at once.
    QObject::connect(s->edit(), &QLineEdit::textEdited, host.receiver(), [&host, number] {
      if (auto* v = host.find(number); v && !host.applying()) v->dirty = true;
    });
    QObject::connect(s, &QSpinBox::valueChanged, host.receiver(), [&host, number, s] {
      if (host.applying()) return;
      ControlView* v = host.find(number);
      if (v && v->dirty) {
        host.flush(number);
        return;
      }
      if (v && v->pending) return;  // the typed text, sent already
      Input in;
      in.kind = Input::Kind::Accept;
      in.control = number;
      in.text = us(s->text());
      host.post(in);
    });
    return s;
  }
  std::optional<std::string> typed(const QWidget* w) const override {
    return us(static_cast<const PictureSpin*>(w)->text());
  }

 protected:
  void show(ControlView& view, const ControlState& c, ControlHost&) const override {
    auto* s = static_cast<PictureSpin*>(view.widget);
    s->picture = c.picture;
    if (c.high > c.low)
      s->setRange(static_cast<int>(c.low), static_cast<int>(c.high));
    else
      s->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
    s->setValue(static_cast<int>(ui::valueNumber(c.value)));
    s->setReadOnly(c.readOnly);
  }
};

class ChoiceAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost& host) const override {
    auto* cb = new QComboBox(parent);
    cb->setEditable(c.kind == ui::ControlKind::Combo);
    cb->setInsertPolicy(QComboBox::NoInsert);
    // As wide as its declared or picture characters, else as its longest choice.
    int chars = c.width > 0 ? c.width : text::pictureWidth(c.picture);
    if (chars > 0) {
      cb->setFixedWidth(std::min(chars, kWidestFieldChars) * charWidth(cb) + kChoicePadding);
    } else {
      cb->setSizeAdjustPolicy(QComboBox::AdjustToContents);
      cb->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    int number = c.number;
    QObject::connect(cb, &QComboBox::activated, host.receiver(), [&host, number](int index) {
      if (host.applying()) return;
      if (auto* v = host.find(number)) v->dirty = false;
      Input in;
      in.kind = Input::Kind::Select;
      in.control = number;
      in.row = index + 1;
      host.post(in);
    });
    if (cb->lineEdit() && c.maxChars > 0) cb->lineEdit()->setMaxLength(c.maxChars);
    if (cb->lineEdit())
      QObject::connect(cb->lineEdit(), &QLineEdit::textEdited, host.receiver(), [&host, number] {
        if (auto* v = host.find(number)) v->dirty = true;
      });
    return cb;
  }
  std::optional<std::string> typed(const QWidget* w) const override {
    return us(static_cast<const QComboBox*>(w)->currentText());
  }
  std::vector<QObject*> parts(QWidget* w) const override {
    auto* cb = static_cast<QComboBox*>(w);
    if (cb->lineEdit()) return {cb->lineEdit()};
    return {};
  }

 protected:
  void show(ControlView& view, const ControlState& c, ControlHost&) const override {
    auto* cb = static_cast<QComboBox*>(view.widget);
    QStringList items;
    for (const auto& s : c.choices) items << qs(s);
    QStringList now;
    for (int i = 0; i < cb->count(); ++i) now << cb->itemText(i);
    if (now != items) {
      cb->clear();
      cb->addItems(items);
    }
    cb->setCurrentIndex(c.selected - 1);
    if (cb->isEditable()) {
      cb->setEditText(qs(c.text));
      cb->lineEdit()->setReadOnly(c.readOnly);
    }
  }
};

}  // namespace

const ControlAdapter& entryAdapter() {
  static const EntryAdapter a;
  return a;
}
const ControlAdapter& textAdapter() {
  static const TextAdapter a;
  return a;
}
const ControlAdapter& spinAdapter() {
  static const SpinAdapter a;
  return a;
}
const ControlAdapter& choiceAdapter() {
  static const ChoiceAdapter a;
  return a;
}

}  // namespace trv::gui
