#include "gui/desktop/window_view.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBoxLayout>
#include <QComboBox>
#include <QCursor>
#include <QGroupBox>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <algorithm>

#include "gui/desktop/image_loader.h"
#include "gui/desktop/input_filter.h"
#include "gui/desktop/model_window.h"
#include "gui/desktop/page_view.h"
#include "gui/desktop/qt_values.h"
#include "gui/desktop/standard_actions.h"
#include "gui/desktop/window_layout.h"

namespace trv::gui {

using ui::ControlKind;
using ui::ControlState;
using ui::Input;

namespace {

constexpr int kPlaceDelayMs = 150;
// How long after opening a window centred by us follows the sizes its procedure gives it.
constexpr int kSettleMs = 1000;
const QColor kWorkAreaGrey(0x80, 0x80, 0x80);

// Calls back when the watched widget changes size.
class ResizeWatch : public QObject {
 public:
  explicit ResizeWatch(std::function<void()> resized) : resized_(std::move(resized)) {}

 protected:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Resize) resized_();
    return false;
  }

 private:
  std::function<void()> resized_;
};

// Hands clicks on the watched widgets to the window; on a frame's work area, only those off its
// child windows.
class ClickWatch : public QObject {
 public:
  ClickWatch(std::function<bool(const QMouseEvent*)> click, QWidget* workArea)
      : click_(std::move(click)), workArea_(workArea) {}

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override {
    switch (e->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick: {
        auto* m = static_cast<QMouseEvent*>(e);
        if (obj == workArea_ && workArea_->childAt(m->position().toPoint())) return false;
        return click_(m);
      }
      default:
        return false;
    }
  }

 private:
  std::function<bool(const QMouseEvent*)> click_;
  QWidget* workArea_;
};

}  // namespace

// --- building ---

WindowView::WindowView(const ui::WindowSnapshot& snapshot, QMdiArea* mdi, QWidget* owner,
                       Post poster, ImageResolver images)
    : state_(snapshot.window),
      post_(std::move(poster)),
      images_(std::move(images)),
      hooks_(std::make_shared<WindowHooks>()),
      guard_(std::make_unique<QObject>()) {
  filter_ = std::make_unique<InputFilter>(static_cast<ControlHost&>(*this),
                                          [this](QObject* widget) { return numberOf(widget); });
  hooks_->close = [this] {
    // While another window of its thread is in front, the close is refused at once, and that
    // window shows where the work waits.
    if (!inputEnabled_) {
      if (blocked_) blocked_();
      return;
    }
    Input in;
    in.kind = Input::Kind::Close;
    post(in);
  };
  hooks_->placed = [this] { placed(); };
  hooks_->active = [this](bool a) { activeChanged(a); };
  hooks_->key = [this](QKeyEvent* e) {
    auto k = modelKey(e);
    if (!k || !content_->isEnabled()) return false;
    int plain = *k & ~ui::kModifierMask;
    if (plain != ui::KeyEnter && plain != ui::KeyEsc && (plain < ui::KeyF1 || plain > ui::KeyF12) &&
        !passes(*k))
      return mnemonic(e, true);
    flushAll();
    Input in;
    in.kind = Input::Kind::Key;
    in.key = *k;
    post(in);
    return true;
  };
  hooks_->keeps = [this](const QKeyEvent* e) {
    auto k = modelKey(e);
    return (k && passes(*k)) || mnemonic(e, false);
  };

  content_ = new QWidget;
  switch (state_.kind) {
    case ui::WindowKind::Frame: {
      auto* main = new ModelWindow<QMainWindow>(hooks_);
      mdi_ = new QMdiArea(main);
      mdi_->setBackground(QBrush(kWorkAreaGrey));
      // A flurry of sizes (a drag, the first layout) fits the picture once, when it settles.
      wallpaperTimer_ = new QTimer(main);
      wallpaperTimer_->setSingleShot(true);
      QObject::connect(wallpaperTimer_, &QTimer::timeout, guard_.get(),
                       [this] { showWallpaper(); });
      wallpaperWatch_ = std::make_unique<ResizeWatch>([this] { wallpaperTimer_->start(0); });
      mdi_->viewport()->installEventFilter(wallpaperWatch_.get());
      mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
      mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
      auto* centre = new QWidget(main);
      auto* v = new QVBoxLayout(centre);
      v->setContentsMargins(0, 0, 0, 0);
      v->setSpacing(0);
      v->addWidget(content_);
      v->addWidget(mdi_, 1);
      main->setCentralWidget(centre);
      menuBar_ = main->menuBar();
      statusBar_ = main->statusBar();
      window_ = main;
      break;
    }
    case ui::WindowKind::Child:
      if (mdi) {
        auto* sub = new ModelWindow<QMdiSubWindow>(hooks_);
        sub->setWidget(content_);
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        mdi->addSubWindow(sub);
        QObject::connect(mdi, &QMdiArea::subWindowActivated, guard_.get(),
                         [this, sub](QMdiSubWindow* w) {
                           if (w == sub || active_) activeChanged(w == sub);
                         });
        window_ = sub;
        break;
      }
      [[fallthrough]];
    case ui::WindowKind::Modal:
    case ui::WindowKind::Progress: {
      auto* top = new ModelWindow<QWidget>(hooks_, owner, Qt::Dialog);
      auto* v = new QVBoxLayout(top);
      v->setContentsMargins(0, 0, 0, 0);
      v->addWidget(content_);
      if (state_.kind == ui::WindowKind::Progress)
        top->setWindowFlag(Qt::WindowCloseButtonHint, false);
      window_ = top;
      break;
    }
  }
  if (!state_.resizable && state_.kind != ui::WindowKind::Frame)
    window_->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
  window_->setWindowTitle(titleText(state_.title));
  QImage icon = image(state_.icon);
  // The frame's icon is the program's: the windows without one of their own show it too.
  if (!icon.isNull() && state_.kind == ui::WindowKind::Frame)
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(icon)));
  window_->setWindowIcon(icon.isNull() ? QApplication::windowIcon()
                                       : QIcon(QPixmap::fromImage(icon)));

  contentLayout_ = new QVBoxLayout(content_);
  if (state_.kind == ui::WindowKind::Frame) contentLayout_->setContentsMargins(4, 2, 4, 2);
  if (!menuBar_ && !state_.menu.empty()) {
    menuBar_ = new QMenuBar(content_);
    contentLayout_->setMenuBar(menuBar_);
  }
  build(snapshot);
  if (!statusBar_ && !state_.status.empty()) {
    statusBar_ = new QStatusBar(content_);
    statusBar_->setSizeGripEnabled(state_.resizable);
    contentLayout_->addWidget(statusBar_);
  }
  // A frame's own controls stand above its work area; the wallpaper is not one of them.
  if (state_.kind == ui::WindowKind::Frame &&
      std::all_of(controls_.begin(), controls_.end(),
                  [this](const auto& c) { return c.second->widget == mdi_; }))
    content_->hide();

  clickWatch_ = std::make_unique<ClickWatch>(
      [this](const QMouseEvent* e) { return clickOnWindow(e); }, mdi_ ? mdi_->viewport() : nullptr);
  content_->installEventFilter(clickWatch_.get());
  if (mdi_) mdi_->viewport()->installEventFilter(clickWatch_.get());
  if (statusBar_) statusBar_->installEventFilter(clickWatch_.get());

  placeTimer_ = new QTimer(window_);
  placeTimer_->setSingleShot(true);
  placeTimer_->setInterval(kPlaceDelayMs);
  QObject::connect(placeTimer_, &QTimer::timeout, guard_.get(), [this] {
    ui::Placement now = currentPlacement();
    if (now == reported_ || now == applied_) return;
    reported_ = now;
    Input in;
    in.kind = Input::Kind::Place;
    in.placement = now;
    post(in);
  });

  ++applying_;
  applyMenu(state_.menu);
  applyStatus(state_.status);
  for (const auto& c : snapshot.controls)
    if (auto* view = find(c.number)) applyControl(*view, c);
  --applying_;
}

WindowView::~WindowView() {
  hooks_->close = nullptr;
  hooks_->placed = nullptr;
  hooks_->active = nullptr;
  hooks_->key = nullptr;
  hooks_->keeps = nullptr;
  hooks_->closing = true;
  if (messageBar_) messageBar_->clearMessage();
  if (!window_) return;
  for (auto& [w, n] : owners_) w->removeEventFilter(filter_.get());
  if (mdi_ && wallpaperWatch_) mdi_->viewport()->removeEventFilter(wallpaperWatch_.get());
  if (clickWatch_) {
    content_->removeEventFilter(clickWatch_.get());
    if (mdi_) mdi_->viewport()->removeEventFilter(clickWatch_.get());
    if (statusBar_) statusBar_->removeEventFilter(clickWatch_.get());
  }
  // The widgets go later; nothing they signal on the way may reach this view.
  guard_.reset();
  placeTimer_->stop();
  if (wallpaperTimer_) wallpaperTimer_->stop();
  if (auto* sub = qobject_cast<QMdiSubWindow*>(window_.data())) {
    if (sub->mdiArea()) sub->mdiArea()->removeSubWindow(sub);
  }
  window_->hide();
  window_->deleteLater();
}

void WindowView::show() {
  if (!window_) return;
  if (state_.placement.width <= 0 || state_.placement.height <= 0) {
    if (state_.kind == ui::WindowKind::Frame) {
      if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        window_->resize(area.width() * 3 / 4, area.height() * 3 / 4);
      }
    } else {
      window_->adjustSize();
      // It opens inside the screen or the work area, as far as its controls allow.
      const QRect area = roomAt(window_->geometry().topLeft());
      if (!area.isEmpty())
        window_->resize(window_->size().boundedTo(area.size()).expandedTo(leastSize()));
    }
  }
  // A window that is not resizable keeps the size its controls need, also when they change.
  if (!state_.resizable && window_->layout() && !qobject_cast<QMdiSubWindow*>(window_.data())) {
    window_->layout()->setSizeConstraint(QLayout::SetFixedSize);
    window_->layout()->activate();  // its size now, so that it is centred as it will show
  }
  applyPlacement(state_.placement);
  const ui::Placement& p = state_.placement;
  if (state_.atPointer && p.x == 0 && p.y == 0 && p.width <= 0) {
    QRect g = window_->geometry();
    const auto* sub = qobject_cast<QMdiSubWindow*>(window_.data());
    g.moveTopLeft(sub && sub->mdiArea() ? sub->mdiArea()->viewport()->mapFromGlobal(QCursor::pos())
                                        : QCursor::pos());
    g = keptVisible(g);
    if (g != window_->geometry()) window_->setGeometry(g);
  }
  if (state_.placement.maximized)
    window_->showMaximized();
  else if (state_.placement.iconized)
    window_->showMinimized();
  else
    window_->show();
  auto* sub = qobject_cast<QMdiSubWindow*>(window_.data());
  if (sub) {
    // Placed by the work area when it has no position of its own: keep it inside.
    QRect g = keptVisible(window_->geometry());
    if (g != window_->geometry()) window_->setGeometry(g);
    if (sub->mdiArea()) sub->mdiArea()->setActiveSubWindow(sub);
  } else {
    if (state_.kind != ui::WindowKind::Frame && !state_.atPointer && p.x == 0 && p.y == 0 &&
        !p.maximized && !p.iconized)
      shownCentred_.start();
    window_->raise();
  }
  window_->activateWindow();
  focusModelControl();
}

namespace {

// The procedure puts the focus on a field to have it typed over (a proposed name, a value to
// correct): its text is selected, as when the user tabs into it.
QLineEdit* typedInto(QWidget* w) {
  if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->lineEdit();
  return qobject_cast<QLineEdit*>(w);
}

void focusForTyping(QWidget* w) {
  w->setFocus(Qt::OtherFocusReason);
  if (QLineEdit* e = typedInto(w); e && !e->isReadOnly()) e->selectAll();
}

}  // namespace

void WindowView::focusModelControl() {
  ControlView* c = find(state_.focus);
  if (!c || !c->widget->isEnabled()) return;
  ++applying_;
  modelFocus_ = state_.focus;
  focusForTyping(c->widget);
  --applying_;
}

void WindowView::build(const ui::WindowSnapshot& snapshot) {
  layout_ = std::make_unique<WindowLayout>(content_, contentLayout_);
  layout_->plan(snapshot.controls);
  for (const auto& c : snapshot.controls) {
    if (state_.kind == ui::WindowKind::Frame && c.kind == ControlKind::Image) {
      // The frame's picture is the wallpaper of its work area.
      auto view = std::make_unique<ControlView>();
      view->state = c;
      view->widget = mdi_;
      controls_[c.number] = std::move(view);
      continue;
    }
    const ControlAdapter& adapter = adapterFor(c);
    QWidget* w = adapter.create(c, layout_->containerWidget(c.parent), *this);
    auto view = std::make_unique<ControlView>();
    view->state = c;
    view->widget = w;
    controls_[c.number] = std::move(view);
    order_.push_back(c.number);
    owners_[w] = c.number;
    w->installEventFilter(filter_.get());
    for (QObject* part : adapter.parts(w)) {
      owners_[part] = c.number;
      part->installEventFilter(filter_.get());
    }
    if (adapter.laidOut(c, *this)) layout_->place(c, w);
  }
  layout_->finish();
  // A prompt's mnemonic moves the focus to the control it labels, or else to the control right
  // after it.
  QLabel* prompt = nullptr;
  for (const auto& c : snapshot.controls) {
    ControlView* view = find(c.number);
    if (!view) continue;
    if (prompt && takesFocus(c.kind) && !prompt->buddy()) prompt->setBuddy(view->widget);
    prompt = nullptr;
    if (c.kind != ControlKind::Prompt) continue;
    auto* label = static_cast<QLabel*>(view->widget);
    if (auto to = layout_->labels().find(c.number); to != layout_->labels().end()) {
      if (ControlView* labelled = find(to->second)) label->setBuddy(labelled->widget);
    } else {
      prompt = label;
    }
  }
}

void WindowView::showWallpaper() {
  if (!mdi_) return;
  const QSize area = mdi_->viewport()->size();
  if (wallpaper_.isNull() || area.isEmpty()) {
    mdi_->setBackground(QBrush(kWorkAreaGrey));
    return;
  }
  if (mdi_->background().texture().size() == area && wallpaperShown_ == wallpaper_.cacheKey())
    return;
  wallpaperShown_ = wallpaper_.cacheKey();
  // The picture fills the work area, its middle shown when the proportions differ.
  QImage fitted = wallpaper_.scaled(area, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
  QPixmap shown(area);
  QPainter p(&shown);
  p.drawImage(QPoint((area.width() - fitted.width()) / 2, (area.height() - fitted.height()) / 2),
              fitted);
  p.end();
  mdi_->setBackground(QBrush(shown));
}

namespace {

// Whether `text` marks the letter of Alt+letter `e` with its "&".
bool marks(const QString& text, const QKeyEvent* e) {
  const Qt::KeyboardModifiers held = e->modifiers() & (Qt::ControlModifier | Qt::AltModifier |
                                                       Qt::MetaModifier | Qt::ShiftModifier);
  if (held != Qt::AltModifier) return false;
  const QKeySequence m = QKeySequence::mnemonic(text);
  return !m.isEmpty() && m[0].key() == static_cast<Qt::Key>(e->key());
}

bool usable(const QWidget* w) {
  return w && w->isVisible() && w->isEnabled();
}

}  // namespace

bool WindowView::mnemonic(const QKeyEvent* e, bool run) {
  if (!window_ || !content_->isEnabled()) return false;
  // The controls in declaration order, then the window's own menu (a frame's menu bar is Qt's).
  for (int number : order_) {
    ControlView* c = find(number);
    QWidget* w = c ? c->widget : nullptr;
    if (!usable(w)) continue;
    QWidget* to = nullptr;
    std::function<void()> act;
    if (auto* b = qobject_cast<QAbstractButton*>(w); b && marks(b->text(), e)) {
      act = [b] {
        // The field left behind is accepted first, as a click would.
        if (b->focusPolicy() != Qt::NoFocus) b->setFocus(Qt::ShortcutFocusReason);
        b->click();
      };
    } else if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy() && marks(l->text(), e)) {
      to = l->buddy();
    } else if (auto* g = qobject_cast<QGroupBox*>(w); g && marks(g->title(), e)) {
      for (int inner : order_)
        if (ControlView* ic = find(inner); !to && ic && takesFocus(ic->state.kind) &&
                                           g->isAncestorOf(ic->widget) && usable(ic->widget) &&
                                           ic->widget->focusPolicy() != Qt::NoFocus)
          to = ic->widget;
    } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
      for (int i = 0; i < tabs->count() && !act; ++i)
        if (tabs->isTabEnabled(i) && tabs->isTabVisible(i) && marks(tabs->tabText(i), e))
          act = [tabs, i] { tabs->setCurrentIndex(i); };
    }
    if (to && !usable(to)) to = nullptr;
    if (!to && !act) continue;
    if (run) {
      if (to) to->setFocus(Qt::ShortcutFocusReason);
      if (act) act();
    }
    return true;
  }
  if (menuBar_ && state_.kind != ui::WindowKind::Frame) {
    for (QAction* a : menuBar_->actions()) {
      if (!a->isVisible() || !a->isEnabled() || !marks(a->text(), e)) continue;
      if (run) {
        if (a->menu())
          menuBar_->setActiveAction(a);
        else
          a->trigger();
      }
      return true;
    }
  }
  return false;
}

bool WindowView::clickOnWindow(const QMouseEvent* e) {
  int key = ui::KeyNone;
  if (e->button() == Qt::LeftButton)
    key = e->type() == QEvent::MouseButtonDblClick ? ui::KeyMouseLeft2
          : e->type() == QEvent::MouseButtonPress  ? ui::KeyMouseLeft
                                                   : ui::KeyMouseLeftUp;
  else if (e->button() == Qt::RightButton)
    key = e->type() == QEvent::MouseButtonRelease ? ui::KeyMouseRightUp : ui::KeyMouseRight;
  // A window behind another of its thread has the runtime refuse it, with a beep.
  if (key == ui::KeyNone || applying_ || !passes(key)) return false;
  Input in;
  in.kind = Input::Kind::Mouse;
  in.key = key;
  post(in);
  return true;
}

bool WindowView::inWorkArea() const {
  return qobject_cast<QMdiSubWindow*>(window_.data()) != nullptr;
}

bool WindowView::passes(int key) const {
  return std::find(state_.passedKeys.begin(), state_.passedKeys.end(), key) !=
         state_.passedKeys.end();
}

void WindowView::holdControls(int number, QWidget* widget) {
  layout_->addContainer(number, widget);
}

QImage WindowView::image(const std::string& name) {
  return images_ && !name.empty() ? loadImage(images_(name), nullptr) : QImage();
}

// --- showing model state ---

ControlView* WindowView::find(int number) {
  auto it = controls_.find(number);
  return it == controls_.end() ? nullptr : it->second.get();
}

QWidget* WindowView::controlWidget(int number) const {
  auto it = controls_.find(number);
  return it == controls_.end() ? nullptr : it->second->widget;
}

int WindowView::numberOf(QObject* widget) const {
  auto it = owners_.find(widget);
  return it == owners_.end() ? 0 : it->second;
}

void WindowView::apply(const ControlState& c) {
  // A window whose widgets went with the window they stood in (the frame's work area at the
  // program's end) shows nothing more, while its procedure closes it in its own way.
  if (!window_) return;
  if (ControlView* view = find(c.number)) {
    ++applying_;
    applyControl(*view, c);
    --applying_;
  }
}

void WindowView::applyControl(ControlView& view, const ControlState& c) {
  // A control moved at run time takes its new place.
  const bool moved = view.state.row != c.row || view.state.column != c.column;
  // A value the procedure puts into the field being typed in is proposed: selected, so that
  // typing replaces it.
  QLineEdit* typing = typedInto(view.widget);
  const bool proposed = typing && (typing->hasFocus() || view.widget->hasFocus()) && !view.dirty &&
                        view.state.text != c.text && !c.readOnly;
  view.state = c;
  if (moved && layout_ && view.widget != mdi_) layout_->replace(c, view.widget);
  view.dirty = false;
  view.pending = false;
  QSignalBlocker block(view.widget);
  if (c.kind == ControlKind::Image && view.widget == mdi_) {
    wallpaper_ = image(c.image);
    showWallpaper();
    return;
  }
  adapterFor(c).update(view, c, *this);
  if (proposed) typing->selectAll();
}

void WindowView::apply(const ui::WindowState& s) {
  if (!window_) return;
  ++applying_;
  if (s.title != state_.title) window_->setWindowTitle(titleText(s.title));
  if (s.busy != state_.busy) {
    if (s.busy) {
      window_->setCursor(Qt::BusyCursor);
    } else {
      window_->unsetCursor();
    }
  }
  applyMenu(s.menu);
  applyStatus(s.status);
  if (s.placement != applied_ && s.placement != reported_) applyPlacement(s.placement);
  if (s.focus != modelFocus_) {
    modelFocus_ = s.focus;
    if (ControlView* c = find(s.focus)) focusForTyping(c->widget);
  }
  state_ = s;
  --applying_;
}

void WindowView::applyMenu(const std::vector<ui::MenuItemState>& menu) {
  if (!menuBar_) return;
  std::string signature;
  for (const auto& m : menu)
    signature += std::to_string(m.number) + "/" + std::to_string(m.parent) + "/" + m.text + "/" +
                 m.tip + "/" + (m.hidden ? "h" : "") + (m.disabled ? "d" : "") +
                 (m.checked ? "c" : "") + "\n";
  if (signature == menuSignature_) return;
  menuSignature_ = signature;
  menuBar_->clear();
  menuActions_.clear();
  std::vector<QMenu*> menus(menu.size(), nullptr);
  for (std::size_t i = 0; i < menu.size(); ++i) {
    const auto& m = menu[i];
    QMenu* into = m.parent >= 0 && static_cast<std::size_t>(m.parent) < menus.size()
                      ? menus[static_cast<std::size_t>(m.parent)]
                      : nullptr;
    QAction* action = nullptr;
    if (m.separator) {
      // A separator hidden with the items around it (a level's menu) goes with them.
      if (into) into->addSeparator()->setVisible(!m.hidden);
      continue;
    }
    if (m.submenu) {
      QMenu* sub = into ? into->addMenu(qs(m.text)) : menuBar_->addMenu(qs(m.text));
      menus[i] = sub;
      action = sub->menuAction();
    } else if (m.standard != ui::StandardAction::None) {
      // The window layer's own: carried out here, and open while the procedure is busy.
      action = into ? into->addAction(qs(m.text)) : menuBar_->addAction(qs(m.text));
      const ui::StandardAction standard = m.standard;
      QObject::connect(action, &QAction::triggered, guard_.get(), [this, standard] {
        if (standard_) standard_(standard);
      });
      const bool arranges = standard == ui::StandardAction::Tile ||
                            standard == ui::StandardAction::Cascade ||
                            standard == ui::StandardAction::ArrangeIcons;
      if (into && arranges && mdi_ && !into->property("trv-lists-windows").toBool()) {
        into->setProperty("trv-lists-windows", true);
        QObject::connect(into, &QMenu::aboutToShow, guard_.get(),
                         [this, into] { StandardActions::listWindows(into, mdi_); });
      }
    } else {
      action = into ? into->addAction(qs(m.text)) : menuBar_->addAction(qs(m.text));
      int number = m.number;
      QObject::connect(action, &QAction::triggered, guard_.get(),
                       [this, number] { postControl(Input::Kind::Press, number); });
      action->setCheckable(m.checked);
      action->setChecked(m.checked);
    }
    action->setVisible(!m.hidden);
    action->setStatusTip(qs(m.tip));
    menuActions_.push_back({action, m});
  }
  enableMenu();
}

void WindowView::enableMenu() {
  // While another window of the thread is in front, the procedure's own items wait; the
  // standard ones and the menus that hold them stay open.
  for (auto& [action, m] : menuActions_)
    action->setEnabled(!m.disabled &&
                       (inputEnabled_ || m.submenu || m.standard != ui::StandardAction::None));
}

void WindowView::applyStatus(const std::vector<std::string>& status) {
  if (!statusBar_) return;
  auto labels = statusBar_->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
  for (std::size_t i = labels.size(); i < status.size(); ++i) {
    auto* l = new QLabel(statusBar_);
    l->setTextFormat(Qt::PlainText);
    statusBar_->addWidget(l, i == 0 ? 1 : 0);
    labels.push_back(l);
  }
  for (std::size_t i = 0; i < static_cast<std::size_t>(labels.size()); ++i)
    labels[static_cast<qsizetype>(i)]->setText(i < status.size() ? qs(status[i]) : QString());
}

QSize WindowView::leastSize() const {
  return window_->minimumSizeHint().expandedTo(window_->minimumSize());
}

QSize WindowView::fittedSize(QSize asked) const {
  // A size too small for the controls becomes the size they ask for, and one too large (kept
  // from a larger screen) what the screen or the work area holds, as far as the controls allow.
  QSize least = leastSize();
  QRect area = roomAt(window_->geometry().topLeft());
  if (asked.width() >= least.width() && asked.height() >= least.height())
    return area.isEmpty() ? asked : asked.boundedTo(area.size()).expandedTo(least);
  QSize want = window_->sizeHint().expandedTo(least).expandedTo(asked);
  if (!area.isEmpty()) want = want.boundedTo(area.size()).expandedTo(least);
  return want;
}

void WindowView::applyPlacement(const ui::Placement& p) {
  applied_ = p;
  // Positions are the client area's (inside the window manager's frame) both ways, so that a
  // saved position comes back exactly; a size is never smaller than the controls need.
  QRect g = window_->geometry();
  if (p.width > 0 && p.height > 0) g.setSize(fittedSize(QSize(p.width, p.height)));
  const bool topLevel = window_->isWindow();
  // A top-level window's client area never stands at 0,0 below a title bar: that is no position.
  if (p.x != 0 || p.y != 0 || (p.width > 0 && !topLevel))
    g.moveTopLeft(QPoint(p.x, p.y));
  else if (topLevel && state_.kind != ui::WindowKind::Frame && !window_->isVisible())
    g.moveTopLeft(centredPosition(g.size()));
  g = keptVisible(g);
  if (g != window_->geometry()) window_->setGeometry(g);
  if (window_->isVisible()) {
    if (p.maximized && !window_->isMaximized())
      window_->showMaximized();
    else if (p.iconized && !window_->isMinimized())
      window_->showMinimized();
    else if (!p.maximized && !p.iconized && (window_->isMaximized() || window_->isMinimized()))
      window_->showNormal();
  }
}

QRect WindowView::availableArea(QPoint at) const {
  if (auto* sub = qobject_cast<QMdiSubWindow*>(window_.data()))
    return sub->mdiArea() ? sub->mdiArea()->viewport()->rect() : QRect();
  // A position on a screen that is gone comes back onto the nearest one.
  QScreen* screen = QGuiApplication::screenAt(at);
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry() : QRect();
}

QMargins WindowView::frameMargins() const {
  if (qobject_cast<QMdiSubWindow*>(window_.data())) return {};
  auto margins = [](const QWidget* w) {
    const QRect g = w->geometry();
    const QRect f = w->frameGeometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                    f.bottom() - g.bottom());
  };
  if (window_->isVisible()) return margins(window_);
  // Not shown yet: the window manager's frame is as another window's.
  for (const QWidget* other :
       {window_->parentWidget() ? window_->parentWidget()->window() : nullptr,
        QApplication::activeWindow()})
    if (other && other->isVisible() && other->isWindow()) return margins(other);
  const int title = window_->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window_);
  return QMargins(0, title, 0, 0);
}

QRect WindowView::roomAt(QPoint at) const {
  // The client area's room: the screen less the window's frame.
  return availableArea(at).marginsRemoved(frameMargins());
}

QPoint WindowView::centredPosition(QSize size) const {
  QRect over;
  if (QWidget* owner = window_->parentWidget(); owner && owner->window()->isVisible())
    over = owner->window()->geometry();
  else
    over = roomAt(window_->geometry().topLeft());
  QRect g(QPoint(), size);
  g.moveCenter(over.center());
  return g.topLeft();
}

QRect WindowView::keptVisible(QRect g) const {
  // A work-area window stays inside the work area, a window on the screen with its frame, as
  // far as it fits.
  QRect area = roomAt(g.topLeft());
  if (area.isEmpty()) return g;
  g.moveLeft(std::clamp(g.left(), area.left(), std::max(area.left(), area.right() - g.width())));
  g.moveTop(std::clamp(g.top(), area.top(), std::max(area.top(), area.bottom() - g.height())));
  return g;
}

ui::Placement WindowView::currentPlacement() const {
  ui::Placement p;
  p.maximized = window_->isMaximized();
  p.iconized = window_->isMinimized();
  QRect g = window_->normalGeometry().isValid() && (p.maximized || p.iconized)
                ? window_->normalGeometry()
                : window_->geometry();
  p.x = g.x();
  p.y = g.y();
  p.width = g.width();
  p.height = g.height();
  p.shownWidth = window_->width();
  p.shownHeight = window_->height();
  return p;
}

void WindowView::placed() {
  if (applying_ || !window_ || !window_->isVisible()) return;
  // A window of fixed size changes its size by itself when controls show or hide: it stays on
  // the screen, and one centred at opening is centred again while its procedure sets it up.
  if (!state_.resizable && window_->isWindow() && state_.kind != ui::WindowKind::Frame &&
      window_->size() != fixedSize_) {
    const bool changed = fixedSize_.isValid();
    const bool settling = shownCentred_.isValid() && shownCentred_.elapsed() < kSettleMs;
    fixedSize_ = window_->size();
    QRect g = window_->geometry();
    if (settling) g.moveTopLeft(centredPosition(g.size()));
    g = keptVisible(g);
    if ((changed || settling) && g != window_->geometry()) window_->setGeometry(g);
  }
  placeTimer_->start();
}

void WindowView::activeChanged(bool active) {
  if (active == active_) return;
  active_ = active;
  // A window that comes to the front types into the control the model has selected.
  if (active) {
    QWidget* has = QApplication::focusWidget();
    if (!has || has == window_ || !window_->isAncestorOf(has)) focusModelControl();
  }
  Input in;
  in.kind = active ? Input::Kind::Activate : Input::Kind::Deactivate;
  post(in);
}

void WindowView::bringToFront() {
  if (!window_) return;
  // The window it stands in or above (the frame) comes back first when it was iconized.
  if (QWidget* under = window_->parentWidget(); under && under->window()->isMinimized())
    under->window()->showNormal();
  if (window_->isMinimized()) {
    if (state_.placement.maximized)
      window_->showMaximized();
    else
      window_->showNormal();
  }
  if (auto* sub = qobject_cast<QMdiSubWindow*>(window_.data())) {
    if (sub->mdiArea()) {
      sub->mdiArea()->setActiveSubWindow(sub);
      // The frame may become active only later: the focus it then gives back must be here, not
      // where it went while this window was disabled under another.
      focusModelControl();
      sub->mdiArea()->window()->raise();
      sub->mdiArea()->window()->activateWindow();
    }
  } else {
    window_->raise();
    window_->activateWindow();
  }
}

void WindowView::setInputEnabled(bool enabled) {
  inputEnabled_ = enabled;
  if (!window_) return;
  // A frame's work area holds other threads' windows: only its own parts go quiet.
  enableMenu();
  content_->setEnabled(enabled);
}

void WindowView::refused() {
  if (!window_) return;
  for (auto& [n, c] : controls_)
    if (c->pending) apply(ControlState(c->state));
}

void WindowView::showPages(std::shared_ptr<const report::Document> document) {
  if (!window_ || !document) return;
  if (pageView_) {
    // The same window's report, grown whole since its first pages: the view stays as it is.
    pageView_->setDocument(std::move(document));
    return;
  }
  pageView_ = new PageView(std::move(document));
  QWidget* pane = makePagePane(pageView_, content_);
  // Below the window's own controls, taking what room the window has.
  const int below = contentLayout_->indexOf(layout_->root()) + 1;
  contentLayout_->setStretchFactor(layout_->root(), 0);
  contentLayout_->insertWidget(below, pane, 1);
  pane->show();
  // A window opened without a size of its own grows to show the page, inside the screen.
  if (applied_.width <= 0 || applied_.height <= 0) {
    window_->resize(window_->sizeHint().expandedTo(leastSize()));
    const QRect area = roomAt(window_->geometry().topLeft());
    if (!area.isEmpty()) {
      window_->resize(window_->size().boundedTo(area.size()).expandedTo(leastSize()));
      const QRect g = keptVisible(window_->geometry());
      if (g != window_->geometry()) window_->setGeometry(g);
    }
  }
}

void WindowView::showPage(int page) {
  if (window_ && pageView_) pageView_->setPage(page);
}

// --- input ---

void WindowView::flush(int number) {
  if (!window_) return;
  ControlView* c = find(number);
  if (!c || !c->dirty) return;
  auto text = adapterFor(c->state).typed(c->widget);
  if (!text) return;
  c->dirty = false;
  c->pending = true;
  Input in;
  in.kind = Input::Kind::Accept;
  in.control = number;
  in.text = std::move(*text);
  post(in);
}

void WindowView::showControlMessage(int number) {
  const ControlView* c = find(number);
  const std::string message = c ? c->state.message : std::string();
  if (message.empty()) {
    if (messageBar_) messageBar_->clearMessage();
    messageBar_ = nullptr;
    return;
  }
  QStatusBar* bar = statusBar_;
  if (!bar) {
    for (QWidget* top : QApplication::topLevelWidgets())
      if (auto* main = qobject_cast<QMainWindow*>(top); main && main->isVisible()) {
        bar = main->statusBar();
        break;
      }
  }
  if (!bar) return;
  if (messageBar_ && messageBar_ != bar) messageBar_->clearMessage();
  messageBar_ = bar;
  bar->showMessage(qs(message));
}

void WindowView::focusIn(int number) {
  showControlMessage(number);
  if (applying_ || modelFocus_ == number) return;
  modelFocus_ = number;
  postControl(Input::Kind::Focus, number);
}

void WindowView::post(Input in) {
  in.window = id();
  if (post_) post_(std::move(in));
}

void WindowView::flushAll() {
  for (int n : order_) flush(n);
}

void WindowView::postControl(Input::Kind kind, int number) {
  if (applying_) return;
  // What was typed reaches the model before the button or menu item acts on it.
  if (kind == Input::Kind::Press) flushAll();
  Input in;
  in.kind = kind;
  in.control = number;
  // The radios of an option take the focus for it.
  if (kind == Input::Kind::Focus)
    if (ControlView* c = find(number); c && c->state.kind == ControlKind::Radio)
      in.control = c->state.parent;
  post(in);
}

}  // namespace trv::gui
