// Controls that are pressed: buttons, check boxes, and the radio buttons of an option.

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>

#include "gui/desktop/control_kinds.h"
#include "gui/desktop/qt_values.h"

namespace trv::gui {
namespace {

using ui::ControlKind;
using ui::ControlState;
using ui::Input;

constexpr int kPictureButton = 24;  // pixels of a button's picture when it has no text

// Check boxes and radio buttons change only when the model says so.
class ModelCheck : public QCheckBox {
 public:
  using QCheckBox::QCheckBox;

 protected:
  void nextCheckState() override {}
};

class ModelRadio : public QRadioButton {
 public:
  using QRadioButton::QRadioButton;

 protected:
  void nextCheckState() override {}
};

// The position (from 1) of radio `number` among the radios of option `option`, 0 when none.
int radioPosition(ControlHost& host, int option, int number) {
  int position = 0;
  for (int n : host.order()) {
    ControlView* r = host.find(n);
    if (!r || r->state.kind != ControlKind::Radio || r->state.parent != option) continue;
    ++position;
    if (n == number) return position;
  }
  return 0;
}

class ButtonAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost& host) const override {
    auto* b = new QPushButton(parent);
    b->setAutoDefault(false);
    b->setDefault(c.isDefault);
    int number = c.number;
    QObject::connect(b, &QPushButton::clicked, host.receiver(),
                     [&host, number] { host.postControl(Input::Kind::Press, number); });
    return b;
  }

 protected:
  void show(ControlView& view, const ControlState& c, ControlHost& host) const override {
    auto* b = static_cast<QPushButton*>(view.widget);
    b->setDefault(c.isDefault);
    QImage img = c.image.empty() ? QImage() : host.image(c.image);
    b->setIcon(img.isNull() ? QIcon() : QIcon(QPixmap::fromImage(img)));
    if (c.text.empty() && !img.isNull()) b->setIconSize(QSize(kPictureButton, kPictureButton));
    // A picture button whose picture is missing says what it does, never shows a blank face.
    QString text = qs(c.text);
    if (text.isEmpty() && img.isNull() && !c.image.empty())
      text = qs(!c.tip.empty() ? c.tip : c.equate.substr(c.equate.rfind('?') + 1));
    b->setText(text);
  }
};

class CheckAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost& host) const override {
    auto* b = new ModelCheck(parent);
    int number = c.number;
    QObject::connect(b, &QCheckBox::clicked, host.receiver(),
                     [&host, number] { host.postControl(Input::Kind::Press, number); });
    return b;
  }

 protected:
  void show(ControlView& view, const ControlState& c, ControlHost&) const override {
    auto* b = static_cast<QCheckBox*>(view.widget);
    b->setText(qs(c.text));
    b->setChecked(ui::valueNumber(c.value) != 0);
  }
};

class OptionAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost& host) const override {
    auto* g = new QGroupBox(parent);
    g->setFocusPolicy(Qt::TabFocus);
    host.holdControls(c.number, g);
    return g;
  }

 protected:
  void show(ControlView& view, const ControlState& c, ControlHost& host) const override {
    static_cast<QGroupBox*>(view.widget)->setTitle(qs(c.text));
    // Radios follow the option's choice, counted in declaration order.
    for (int n : host.order()) {
      ControlView* r = host.find(n);
      if (!r || r->state.kind != ControlKind::Radio || r->state.parent != c.number) continue;
      QSignalBlocker rb(r->widget);
      static_cast<QRadioButton*>(r->widget)->setChecked(radioPosition(host, c.number, n) ==
                                                        c.selected);
    }
  }
};

class RadioAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost& host) const override {
    auto* r = new ModelRadio(parent);
    r->setAutoExclusive(false);
    int number = c.number;
    QObject::connect(r, &QRadioButton::clicked, host.receiver(),
                     [&host, number] { host.postControl(Input::Kind::Press, number); });
    return r;
  }

 protected:
  void show(ControlView& view, const ControlState& c, ControlHost& host) const override {
    auto* r = static_cast<QRadioButton*>(view.widget);
    r->setText(qs(c.text));
    bool on = false;
    if (ControlView* opt = host.find(c.parent)) {
      int position = radioPosition(host, c.parent, c.number);
      on = position > 0 && position == opt->state.selected;
    }
    r->setChecked(on);
  }
};

}  // namespace

const ControlAdapter& buttonAdapter() {
  static const ButtonAdapter a;
  return a;
}
const ControlAdapter& checkAdapter() {
  static const CheckAdapter a;
  return a;
}
const ControlAdapter& optionAdapter() {
  static const OptionAdapter a;
  return a;
}
const ControlAdapter& radioAdapter() {
  static const RadioAdapter a;
  return a;
}

}  // namespace trv::gui
