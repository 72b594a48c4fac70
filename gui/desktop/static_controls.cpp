// Controls that show and hold rather than take input: texts and prompts, images, progress
// bars, boxes and lines, groups, and the sheets of tabs.

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabBar>
#include <QTabWidget>
#include <QTransform>
#include <algorithm>

#include "gui/desktop/control_kinds.h"
#include "gui/desktop/qt_values.h"

namespace trv::gui {
namespace {

using ui::ControlKind;
using ui::ControlState;
using ui::Input;

// A label whose text may stand turned (a graph's vertical legend): drawn rotated about its
// centre, and as large as the turned text needs.
class TurnedLabel final : public QLabel {
 public:
  using QLabel::QLabel;
  int angle() const { return angle_; }
  void setAngle(int tenths) {
    if (tenths == angle_) return;
    angle_ = tenths;
    updateGeometry();
    update();
  }
  QSize sizeHint() const override { return turned(QLabel::sizeHint()); }
  QSize minimumSizeHint() const override { return turned(QLabel::minimumSizeHint()); }

 protected:
  void paintEvent(QPaintEvent* e) override {
    if (angle_ == 0) {
      QLabel::paintEvent(e);
      return;
    }
    QPainter p(this);
    p.setPen(palette().color(foregroundRole()));
    p.setFont(font());
    const QSize flat = QLabel::sizeHint();
    p.translate(width() / 2.0, height() / 2.0);
    p.rotate(-angle_ / 10.0);  // the model turns anticlockwise, Qt clockwise
    p.drawText(QRectF(-flat.width() / 2.0, -flat.height() / 2.0, flat.width(), flat.height()),
               Qt::AlignCenter, text());
  }

 private:
  QSize turned(QSize flat) const {
    if (angle_ == 0) return flat;
    return QTransform().rotate(angle_ / 10.0).mapRect(QRect(QPoint(), flat)).size();
  }
  int angle_ = 0;
};

class LabelAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost&) const override {
    auto* l = new TurnedLabel(parent);
    l->setTextFormat(Qt::PlainText);
    if (c.kind == ControlKind::String) l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
  }

 protected:
  // A prompt keeps its "&": the label shows the mnemonic that moves to its control. A string
  // shows what it holds, often data ("Smith & Sons"): an "&" there is text.
  void show(ControlView& view, const ControlState& c, ControlHost&) const override {
    auto* l = static_cast<TurnedLabel*>(view.widget);
    l->setText(qs(c.text));
    l->setTextFormat(Qt::PlainText);
    l->setAngle(c.kind == ControlKind::String ? c.angle : 0);
  }
};

class ImageAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState&, QWidget* parent, ControlHost&) const override {
    auto* l = new QLabel(parent);
    l->setAlignment(Qt::AlignCenter);
    return l;
  }

 protected:
  void show(ControlView& view, const ControlState& c, ControlHost& host) const override {
    auto* l = static_cast<QLabel*>(view.widget);
    QImage img = c.image.empty() ? QImage() : host.image(c.image);
    if (!img.isNull() && (c.width > 0 || c.height > 0)) {
      int wpx = c.width > 0 ? c.width * charWidth(l) : img.width();
      int hpx = c.height > 0 ? c.height * l->fontMetrics().lineSpacing() : img.height();
      img = img.scaled(wpx, hpx, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    l->setPixmap(QPixmap::fromImage(img));
  }
};

class ProgressAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState&, QWidget* parent, ControlHost&) const override {
    auto* p = new QProgressBar(parent);
    p->setTextVisible(true);
    return p;
  }

 protected:
  void show(ControlView& view, const ControlState& c, ControlHost&) const override {
    auto* p = static_cast<QProgressBar*>(view.widget);
    std::int64_t low = c.low, high = c.high > c.low ? c.high : c.low + 100;
    p->setRange(static_cast<int>(low), static_cast<int>(high));
    p->setValue(static_cast<int>(std::clamp(ui::valueNumber(c.value), low, high)));
  }
};

class GroupAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost& host) const override {
    auto* g = new QGroupBox(parent);
    host.holdControls(c.number, g);
    return g;
  }

 protected:
  void show(ControlView& view, const ControlState& c, ControlHost&) const override {
    static_cast<QGroupBox*>(view.widget)->setTitle(qs(c.text));
  }
};

class FrameLineAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost&) const override {
    auto* f = new QFrame(parent);
    if (c.kind == ControlKind::Box) {
      f->setFrameShape(QFrame::Box);
      f->setMinimumHeight(c.height > 0 ? c.height * f->fontMetrics().lineSpacing() : 8);
    } else {
      f->setFrameShape(QFrame::HLine);
      f->setFrameShadow(QFrame::Sunken);
    }
    return f;
  }

 protected:
  void show(ControlView&, const ControlState&, ControlHost&) const override {}
};

// A tab bar whose captions are bold where their tab's font is (the tab's data).
class WeightedTabBar final : public QTabBar {
 public:
  using QTabBar::QTabBar;

 protected:
  QSize tabSizeHint(int index) const override {
    QSize s = QTabBar::tabSizeHint(index);
    if (bold(index)) {
      QFont f = font();
      f.setBold(true);
      s.rwidth() += QFontMetrics(f).horizontalAdvance(tabText(index)) -
                    fontMetrics().horizontalAdvance(tabText(index));
    }
    return s;
  }
  void paintEvent(QPaintEvent*) override {
    QStylePainter p(this);
    for (int i = 0; i < count(); ++i) {
      if (!isTabVisible(i)) continue;
      QStyleOptionTab tab;
      initStyleOption(&tab, i);
      p.drawControl(QStyle::CE_TabBarTabShape, tab);
      QFont f = font();
      f.setBold(bold(i));
      p.setFont(f);
      p.drawControl(QStyle::CE_TabBarTabLabel, tab);
    }
  }

 private:
  bool bold(int index) const { return tabData(index).toBool(); }
};

class SheetTabs final : public QTabWidget {
 public:
  explicit SheetTabs(QWidget* parent) : QTabWidget(parent) { setTabBar(new WeightedTabBar(this)); }
};

class SheetAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost& host) const override {
    QTabWidget* tabs = new SheetTabs(parent);
    int number = c.number;
    QObject::connect(
        tabs, &QTabWidget::currentChanged, host.receiver(), [&host, number](int index) {
          ControlView* v = host.find(number);
          if (host.applying() || !v || index < 0 || index >= static_cast<int>(v->tabs.size()))
            return;
          host.postControl(Input::Kind::Press, v->tabs[static_cast<std::size_t>(index)]);
        });
    return tabs;
  }

 protected:
  void show(ControlView& view, const ControlState& c, ControlHost&) const override {
    auto* tabs = static_cast<QTabWidget*>(view.widget);
    if (c.selected >= 1 && c.selected <= tabs->count()) tabs->setCurrentIndex(c.selected - 1);
  }
};

// A tab is a page of its sheet; one outside a sheet stands as a plain container.
class TabAdapter final : public ControlAdapter {
 public:
  QWidget* create(const ControlState& c, QWidget* parent, ControlHost& host) const override {
    auto* page = new QWidget;
    host.holdControls(c.number, page);
    if (ControlView* sheet = sheetOf(c, host)) {
      Applying applying(host);
      static_cast<QTabWidget*>(sheet->widget)->addTab(page, qs(c.text));
      sheet->tabs.push_back(c.number);
    } else {
      page->setParent(parent);
    }
    return page;
  }
  bool laidOut(const ControlState& c, ControlHost& host) const override {
    return sheetOf(c, host) == nullptr;
  }
  // The tab's text, visibility and enabling belong to its sheet's tab bar.
  void update(ControlView& view, const ControlState& c, ControlHost& host) const override {
    ControlView* sheet = sheetOf(c, host);
    if (!sheet) {
      ControlAdapter::update(view, c, host);
      return;
    }
    auto* tabs = static_cast<QTabWidget*>(sheet->widget);
    int index = tabs->indexOf(view.widget);
    if (index < 0) return;
    // The caption's weight first: setting the text lays the tabs out again.
    tabs->tabBar()->setTabData(index, c.font.bold);
    tabs->setTabText(index, qs(c.text));
    tabs->setTabVisible(index, !c.hidden);
    tabs->setTabEnabled(index, !c.disabled);
    tabs->setTabToolTip(index, qs(c.tip));
  }

 protected:
  void show(ControlView&, const ControlState&, ControlHost&) const override {}

 private:
  static ControlView* sheetOf(const ControlState& c, ControlHost& host) {
    ControlView* sheet = host.find(c.parent);
    return sheet && sheet->state.kind == ControlKind::Sheet ? sheet : nullptr;
  }
};

}  // namespace

const ControlAdapter& labelAdapter() {
  static const LabelAdapter a;
  return a;
}
const ControlAdapter& imageAdapter() {
  static const ImageAdapter a;
  return a;
}
const ControlAdapter& progressAdapter() {
  static const ProgressAdapter a;
  return a;
}
const ControlAdapter& groupAdapter() {
  static const GroupAdapter a;
  return a;
}
const ControlAdapter& frameLineAdapter() {
  static const FrameLineAdapter a;
  return a;
}
const ControlAdapter& sheetAdapter() {
  static const SheetAdapter a;
  return a;
}
const ControlAdapter& tabAdapter() {
  static const TabAdapter a;
  return a;
}

}  // namespace trv::gui
