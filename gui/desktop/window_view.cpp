#include "gui/desktop/window_view.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSpinBox>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>

#include "gui/desktop/image_loader.h"
#include "gui/desktop/page_view.h"
#include "gui/desktop/qt_values.h"
#include "runtime/text/fixed_string.h"
#include "runtime/text/picture.h"

namespace trv::gui {

using ui::ControlKind;
using ui::ControlState;
using ui::Input;

// What the window widgets report; shared with the widgets so a widget outliving its view (it is
// deleted later) finds the hooks emptied rather than dangling.
struct WindowHooks {
  std::function<void()> close;
  std::function<void()> placed;
  std::function<void(bool)> active;
  std::function<bool(QKeyEvent*)> key;  // true when the key went to the model
  bool closing = false;
};

namespace {

constexpr int kPlaceDelayMs = 150;

// A window widget whose close box, moves, sizes and activation go to the model.
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

// A spin box that shows and reads its value through the control's picture.
class PictureSpin : public QSpinBox {
 public:
  std::string picture;

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

bool spans(ControlKind k) {
  switch (k) {
    case ControlKind::List:
    case ControlKind::Text:
    case ControlKind::Sheet:
    case ControlKind::Image:
    case ControlKind::Group:
    case ControlKind::Option:
    case ControlKind::Box:
    case ControlKind::Line:
    case ControlKind::Radio:
    case ControlKind::Progress:
      return true;
    default:
      return false;
  }
}

bool stretches(ControlKind k) {
  return k == ControlKind::List || k == ControlKind::Text || k == ControlKind::Sheet;
}

bool numericPicture(const std::string& p) {
  return !p.empty() && !text::isTextPicture(p);
}

// Digits are often wider than the average letter: a width in characters must hold digits too.
int charWidth(const QWidget* w) {
  const QFontMetrics& m = w->fontMetrics();
  return std::max({1, m.averageCharWidth(), m.horizontalAdvance(QLatin1Char('0'))});
}

// The column (from 1) whose right edge lies under x in the header, 0 when none. The grip is as
// wide as the one the header itself sizes columns with.
int dividerAt(const QHeaderView& header, int x) {
  const int grip =
      std::max(2, header.style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, &header));
  for (int i = 0; i < header.count(); ++i) {
    if (header.isSectionHidden(i)) continue;
    int edge = header.sectionViewportPosition(i) + header.sectionSize(i);
    if (std::abs(x - edge) <= grip) return i + 1;
  }
  return 0;
}

constexpr int kDefaultColumnChars = 10;
constexpr int kColumnPadding = 12;

int columnPixels(const QWidget* list, int chars) {
  return chars * charWidth(list) + kColumnPadding;
}
int charsForColumn(const QWidget* list, int pixels) {
  int w = charWidth(list);
  return std::max(1, (pixels - kColumnPadding + w / 2) / w);
}

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
  QString t = e->text();
  if (t.size() == 1 && t[0].isPrint() && !(mods & (ui::kCtrl | ui::kAlt)))
    return static_cast<int>(t[0].unicode());
  return std::nullopt;
}

}  // namespace

struct WindowView::Control {
  ControlState state;
  QWidget* widget = nullptr;
  bool dirty = false;     // typed into since the last accept
  bool pending = false;   // an accept was sent and the model has not shown the result yet
  std::vector<int> tabs;  // a sheet's tab controls, in order
};

struct WindowView::Container {
  QWidget* widget = nullptr;
  QGridLayout* grid = nullptr;
  QVBoxLayout* outer = nullptr;
  QHBoxLayout* buttons = nullptr;
  int nextRow = 0;
  int promptRow = -1;  // a prompt without a row waits for its control
  bool stretchy = false;
};

// Keys, focus and mouse on the window's controls, turned into model input.
class InputFilter : public QObject {
 public:
  explicit InputFilter(WindowView& view) : view_(view) {}

 protected:
  bool eventFilter(QObject* obj, QEvent* e) override;

 private:
  bool key(QObject* obj, int number, QKeyEvent* e);
  bool mouse(QObject* obj, int number, QMouseEvent* e);
  WindowView& view_;
};

bool InputFilter::eventFilter(QObject* obj, QEvent* e) {
  int number = view_.numberOf(obj);
  if (number == 0) return false;
  switch (e->type()) {
    case QEvent::FocusIn:
      if (!view_.applying_ && view_.modelFocus_ != number) {
        view_.modelFocus_ = number;
        view_.postControl(Input::Kind::Focus, number);
      }
      return false;
    case QEvent::FocusOut:
      view_.flush(number);
      return false;
    case QEvent::KeyPress:
      return key(obj, number, static_cast<QKeyEvent*>(e));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      return mouse(obj, number, static_cast<QMouseEvent*>(e));
    default:
      return false;
  }
}

bool InputFilter::key(QObject*, int number, QKeyEvent* e) {
  auto k = modelKey(e);
  if (!k) return false;
  WindowView::Control* c = view_.find(number);
  if (!c) return false;
  ControlKind kind = c->state.kind;
  int plain = *k & ~ui::kModifierMask;
  bool sendIt = false;
  if (plain == ui::KeyEnter) {
    // Enter in a text box is a new line; Ctrl+Enter still goes to the window.
    sendIt = kind != ControlKind::Text || (*k & ui::kCtrl);
  } else if (plain == ui::KeyEsc || (plain >= ui::KeyF1 && plain <= ui::KeyF12)) {
    sendIt = true;
  } else if (kind == ControlKind::List) {
    auto* tree = static_cast<QTreeWidget*>(c->widget);
    int row = tree->currentIndex().isValid() ? tree->currentIndex().row() : -1;
    int last = tree->topLevelItemCount() - 1;
    // The list shows one page of its view: moving past either end asks the model for more.
    sendIt = plain == ui::KeyInsert || plain == ui::KeyDelete || plain == ui::KeyPgUp ||
             plain == ui::KeyPgDn || plain == ui::KeyHome || plain == ui::KeyEnd ||
             (plain == ui::KeyUp && row <= 0) || (plain == ui::KeyDown && row >= last) ||
             plain < ui::kKeySpecial;
  }
  if (!sendIt) return false;
  view_.flush(number);
  Input in;
  in.kind = Input::Kind::Key;
  in.window = view_.id();
  in.control = number;
  in.key = *k;
  view_.post(in);
  return true;
}

bool InputFilter::mouse(QObject* obj, int number, QMouseEvent* e) {
  WindowView::Control* c = view_.find(number);
  if (!c || c->state.kind != ControlKind::List) return false;
  auto* tree = static_cast<QTreeWidget*>(c->widget);
  bool onHeader = obj == tree->header() || obj == tree->header()->viewport();
  bool onRows = obj == tree->viewport();
  if (!onHeader && !onRows) return false;
  int key = ui::KeyNone;
  if (e->type() == QEvent::MouseMove) {
    // Only a drag on the header is worth the traffic: the list enhancement follows it.
    if (onHeader && (e->buttons() & Qt::LeftButton)) key = ui::KeyMouseMove;
  } else if (e->button() == Qt::RightButton) {
    key = e->type() == QEvent::MouseButtonRelease ? ui::KeyMouseRightUp : ui::KeyMouseRight;
  } else if (e->button() == Qt::LeftButton && e->type() == QEvent::MouseButtonDblClick) {
    key = ui::KeyMouseLeft2;
  } else if (e->button() == Qt::LeftButton && onHeader) {
    key = e->type() == QEvent::MouseButtonPress ? ui::KeyMouseLeft : ui::KeyMouseLeftUp;
  }
  if (key == ui::KeyNone) return false;
  Input in;
  in.kind = Input::Kind::Mouse;
  in.window = view_.id();
  in.control = number;
  in.key = key;
  QPoint p = e->position().toPoint();
  if (onHeader) {
    QHeaderView* header = tree->header();
    int divider = dividerAt(*header, p.x());
    in.zone = divider > 0 ? ui::ListZone::Divider : ui::ListZone::Header;
    in.column = divider > 0 ? divider : header->logicalIndexAt(p) + 1;
    // A drag that sized columns ends here: the widths go first, so that the procedure reads
    // them back when the release reaches it.
    if (key == ui::KeyMouseLeftUp) view_.postColumnWidths(number);
  } else {
    QModelIndex at = tree->indexAt(p);
    in.zone = at.isValid() ? ui::ListZone::Cell : ui::ListZone::Below;
    in.row = at.isValid() ? at.row() + 1 : 0;
    in.column = tree->header()->logicalIndexAt(p.x() + tree->header()->offset()) + 1;
    if (at.isValid() && key != ui::KeyMouseRightUp) {
      // The row under the mouse is shown chosen at once; the model confirms it.
      ++view_.applying_;
      tree->setCurrentIndex(at);
      --view_.applying_;
    }
  }
  view_.flush(number);
  view_.post(in);
  // Double clicks and right clicks are the model's to act on; presses, drags and releases on the
  // header still size its columns.
  return key != ui::KeyMouseLeft && key != ui::KeyMouseLeftUp && key != ui::KeyMouseMove;
}

// --- building ---

WindowView::WindowView(const ui::WindowSnapshot& snapshot, QMdiArea* mdi, QWidget* owner,
                       Post poster, ImageResolver images)
    : state_(snapshot.window),
      post_(std::move(poster)),
      images_(std::move(images)),
      hooks_(std::make_shared<WindowHooks>()),
      guard_(std::make_unique<QObject>()) {
  filter_ = std::make_unique<InputFilter>(*this);
  hooks_->close = [this] {
    Input in;
    in.kind = Input::Kind::Close;
    in.window = id();
    post(in);
  };
  hooks_->placed = [this] { placed(); };
  hooks_->active = [this](bool a) { activeChanged(a); };
  hooks_->key = [this](QKeyEvent* e) {
    auto k = modelKey(e);
    if (!k || !content_->isEnabled()) return false;
    int plain = *k & ~ui::kModifierMask;
    if (plain != ui::KeyEnter && plain != ui::KeyEsc && (plain < ui::KeyF1 || plain > ui::KeyF12))
      return false;
    Input in;
    in.kind = Input::Kind::Key;
    in.window = id();
    in.key = *k;
    post(in);
    return true;
  };

  content_ = new QWidget;
  switch (state_.kind) {
    case ui::WindowKind::Frame: {
      auto* main = new ModelWindow<QMainWindow>(hooks_);
      mdi_ = new QMdiArea(main);
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
  window_->setWindowTitle(qs(state_.title));
  window_->setWindowIcon(QIcon(QStringLiteral(":/trv/images/trvnel.png")));

  contentLayout_ = new QVBoxLayout(content_);
  if (state_.kind == ui::WindowKind::Frame) contentLayout_->setContentsMargins(4, 2, 4, 2);
  if (!menuBar_ && !state_.menu.empty()) {
    menuBar_ = new QMenuBar(content_);
    contentLayout_->setMenuBar(menuBar_);
  }
  build(snapshot, content_);
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

  placeTimer_ = new QTimer(window_);
  placeTimer_->setSingleShot(true);
  placeTimer_->setInterval(kPlaceDelayMs);
  QObject::connect(placeTimer_, &QTimer::timeout, guard_.get(), [this] {
    ui::Placement now = currentPlacement();
    if (now == reported_ || now == applied_) return;
    reported_ = now;
    Input in;
    in.kind = Input::Kind::Place;
    in.window = id();
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
  hooks_->closing = true;
  if (!window_) return;
  for (auto& [w, n] : owners_) w->removeEventFilter(filter_.get());
  // The widgets go later; nothing they signal on the way may reach this view.
  guard_.reset();
  placeTimer_->stop();
  if (auto* sub = qobject_cast<QMdiSubWindow*>(window_.data())) {
    if (sub->mdiArea()) sub->mdiArea()->removeSubWindow(sub);
  }
  window_->hide();
  window_->deleteLater();
}

void WindowView::show() {
  if (state_.placement.width <= 0 || state_.placement.height <= 0) {
    if (state_.kind == ui::WindowKind::Frame) {
      if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        window_->resize(area.width() * 3 / 4, area.height() * 3 / 4);
      }
    } else {
      window_->adjustSize();
    }
  }
  // A window that is not resizable keeps the size its controls need, also when they change.
  if (!state_.resizable && window_->layout() && !qobject_cast<QMdiSubWindow*>(window_.data()))
    window_->layout()->setSizeConstraint(QLayout::SetFixedSize);
  applyPlacement(state_.placement);
  if (state_.placement.maximized)
    window_->showMaximized();
  else if (state_.placement.iconized)
    window_->showMinimized();
  else
    window_->show();
  if (state_.kind != ui::WindowKind::Child || !qobject_cast<QMdiSubWindow*>(window_.data()))
    window_->raise();
  window_->activateWindow();
  if (auto* c = find(state_.focus)) {
    ++applying_;
    modelFocus_ = state_.focus;
    c->widget->setFocus(Qt::OtherFocusReason);
    --applying_;
  }
}

void WindowView::build(const ui::WindowSnapshot& snapshot, QWidget* content) {
  auto root = std::make_unique<Container>();
  root->widget = content;
  root->outer = new QVBoxLayout;
  root->grid = new QGridLayout;
  root->outer->addLayout(root->grid);
  contentLayout_->addLayout(root->outer, 1);
  containers_[0] = std::move(root);
  for (const auto& c : snapshot.controls) {
    if (state_.kind == ui::WindowKind::Frame && c.kind == ControlKind::Image) {
      // The frame's picture is the wallpaper of its work area.
      auto view = std::make_unique<Control>();
      view->state = c;
      view->widget = mdi_;
      controls_[c.number] = std::move(view);
      continue;
    }
    Container& box = containerOf(c.parent);
    QWidget* w = create(c, box);
    auto view = std::make_unique<Control>();
    view->state = c;
    view->widget = w;
    controls_[c.number] = std::move(view);
    order_.push_back(c.number);
    owners_[w] = c.number;
    w->installEventFilter(filter_.get());
    if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->lineEdit()) {
      owners_[combo->lineEdit()] = c.number;
      combo->lineEdit()->installEventFilter(filter_.get());
    }
    if (auto* tree = qobject_cast<QTreeWidget*>(w)) {
      for (QObject* part :
           {static_cast<QObject*>(tree->viewport()), static_cast<QObject*>(tree->header()),
            static_cast<QObject*>(tree->header()->viewport())}) {
        owners_[part] = c.number;
        part->installEventFilter(filter_.get());
      }
    }
    if (c.kind != ControlKind::Tab) place(c, w, box);
  }
  for (auto& [n, box] : containers_) {
    if (!box->grid) continue;
    box->grid->setColumnStretch(2, 1);
    if (!box->stretchy) box->grid->setRowStretch(box->nextRow, 1);
  }
  // Prompts name the control after them: their mnemonic moves the focus there.
  QLabel* prompt = nullptr;
  for (const auto& c : snapshot.controls) {
    Control* view = find(c.number);
    if (!view) continue;
    if (prompt && takesFocus(c.kind)) prompt->setBuddy(view->widget);
    prompt = c.kind == ControlKind::Prompt ? static_cast<QLabel*>(view->widget) : nullptr;
  }
}

WindowView::Container& WindowView::containerOf(int parent) {
  auto it = containers_.find(parent);
  return it == containers_.end() ? *containers_[0] : *it->second;
}

QWidget* WindowView::create(const ControlState& c, Container& box) {
  QWidget* parent = box.widget;
  int number = c.number;
  auto press = [this, number] { postControl(Input::Kind::Press, number); };
  auto makeContainer = [&](QWidget* w) {
    auto inner = std::make_unique<Container>();
    inner->widget = w;
    inner->outer = new QVBoxLayout(w);
    inner->grid = new QGridLayout;
    inner->outer->addLayout(inner->grid);
    containers_[number] = std::move(inner);
  };
  switch (c.kind) {
    case ControlKind::Button: {
      auto* b = new QPushButton(parent);
      b->setAutoDefault(false);
      b->setDefault(c.isDefault);
      QObject::connect(b, &QPushButton::clicked, guard_.get(), press);
      return b;
    }
    case ControlKind::Entry: {
      auto* e = new QLineEdit(parent);
      if (c.password) e->setEchoMode(QLineEdit::Password);
      int width = text::pictureWidth(c.picture);
      if (!numericPicture(c.picture) && width > 0) e->setMaxLength(width);
      if (numericPicture(c.picture) &&
          (c.picture.size() > 1 && (c.picture[1] == 'n' || c.picture[1] == 'N')))
        e->setAlignment(Qt::AlignRight);
      int chars = c.width > 0 ? c.width : std::clamp(width > 0 ? width + 1 : 20, 4, 60);
      e->setMinimumWidth(chars * charWidth(e) + 12);
      QObject::connect(e, &QLineEdit::textEdited, guard_.get(), [this, number] {
        if (auto* v = find(number)) v->dirty = true;
      });
      return e;
    }
    case ControlKind::Text: {
      auto* t = new QPlainTextEdit(parent);
      t->setTabChangesFocus(true);
      int lines = c.height > 0 ? c.height : 4;
      t->setMinimumHeight(lines * t->fontMetrics().lineSpacing() + 12);
      if (c.width > 0) t->setMinimumWidth(c.width * charWidth(t) + 16);
      QObject::connect(t, &QPlainTextEdit::textChanged, guard_.get(), [this, number] {
        if (auto* v = find(number); v && !applying_) v->dirty = true;
      });
      return t;
    }
    case ControlKind::String:
    case ControlKind::Prompt: {
      auto* l = new QLabel(parent);
      l->setTextFormat(Qt::PlainText);
      if (c.kind == ControlKind::String) l->setTextInteractionFlags(Qt::TextSelectableByMouse);
      return l;
    }
    case ControlKind::Check: {
      auto* b = new ModelCheck(parent);
      QObject::connect(b, &QCheckBox::clicked, guard_.get(), press);
      return b;
    }
    case ControlKind::Option:
    case ControlKind::Group: {
      auto* g = new QGroupBox(parent);
      makeContainer(g);
      if (c.kind == ControlKind::Option) g->setFocusPolicy(Qt::TabFocus);
      return g;
    }
    case ControlKind::Radio: {
      auto* r = new ModelRadio(parent);
      r->setAutoExclusive(false);
      QObject::connect(r, &QRadioButton::clicked, guard_.get(), press);
      return r;
    }
    case ControlKind::DropList:
    case ControlKind::Combo: {
      auto* cb = new QComboBox(parent);
      cb->setEditable(c.kind == ControlKind::Combo);
      cb->setInsertPolicy(QComboBox::NoInsert);
      if (c.width > 0) cb->setMinimumWidth(c.width * charWidth(cb) + 32);
      QObject::connect(cb, &QComboBox::activated, guard_.get(), [this, number](int index) {
        if (applying_) return;
        if (auto* v = find(number)) v->dirty = false;
        Input in;
        in.kind = Input::Kind::Select;
        in.window = id();
        in.control = number;
        in.row = index + 1;
        post(in);
      });
      if (cb->lineEdit())
        QObject::connect(cb->lineEdit(), &QLineEdit::textEdited, guard_.get(), [this, number] {
          if (auto* v = find(number)) v->dirty = true;
        });
      return cb;
    }
    case ControlKind::Spin: {
      auto* s = new PictureSpin;
      s->setParent(parent);
      s->picture = c.picture;
      s->setKeyboardTracking(false);
      int chars = c.width > 0 ? c.width : std::max(6, text::pictureWidth(c.picture) + 1);
      s->setMinimumWidth(chars * charWidth(s) + 30);
      QObject::connect(s, &QSpinBox::valueChanged, guard_.get(), [this, number, s] {
        if (applying_) return;
        Input in;
        in.kind = Input::Kind::Accept;
        in.window = id();
        in.control = number;
        in.text = us(s->text());
        post(in);
      });
      return s;
    }
    case ControlKind::List: {
      auto* t = new QTreeWidget(parent);
      t->setRootIsDecorated(false);
      t->setUniformRowHeights(true);
      t->setAllColumnsShowFocus(true);
      t->setSelectionMode(QAbstractItemView::SingleSelection);
      t->setSelectionBehavior(QAbstractItemView::SelectRows);
      t->header()->setSectionsMovable(false);
      t->header()->setSectionsClickable(true);
      t->header()->setStretchLastSection(true);
      int lines = c.height > 0 ? c.height : 8;
      t->setMinimumHeight(lines * (t->fontMetrics().height() + 4) +
                          t->header()->sizeHint().height());
      QObject::connect(t, &QTreeWidget::currentItemChanged, guard_.get(), [this, number, t] {
        if (applying_) return;
        int row = t->currentIndex().isValid() ? t->currentIndex().row() + 1 : 0;
        Control* v = find(number);
        if (row == 0 || !v || v->state.selected == row) return;
        Input in;
        in.kind = Input::Kind::Select;
        in.window = id();
        in.control = number;
        in.row = row;
        in.column = t->currentIndex().column() + 1;
        post(in);
      });
      return t;
    }
    case ControlKind::Sheet: {
      auto* tabs = new QTabWidget(parent);
      QObject::connect(tabs, &QTabWidget::currentChanged, guard_.get(), [this, number](int index) {
        Control* v = find(number);
        if (applying_ || !v || index < 0 || index >= static_cast<int>(v->tabs.size())) return;
        postControl(Input::Kind::Press, v->tabs[static_cast<std::size_t>(index)]);
      });
      return tabs;
    }
    case ControlKind::Tab: {
      auto* page = new QWidget;
      makeContainer(page);
      if (Control* sheet = find(c.parent); sheet && sheet->state.kind == ControlKind::Sheet) {
        ++applying_;
        static_cast<QTabWidget*>(sheet->widget)->addTab(page, qs(c.text));
        --applying_;
        sheet->tabs.push_back(number);
      } else {
        page->setParent(parent);
        place(c, page, box);
      }
      return page;
    }
    case ControlKind::Progress: {
      auto* p = new QProgressBar(parent);
      p->setTextVisible(true);
      return p;
    }
    case ControlKind::Image: {
      auto* l = new QLabel(parent);
      l->setAlignment(Qt::AlignCenter);
      return l;
    }
    case ControlKind::Box: {
      auto* f = new QFrame(parent);
      f->setFrameShape(QFrame::Box);
      f->setMinimumHeight(c.height > 0 ? c.height * f->fontMetrics().lineSpacing() : 8);
      return f;
    }
    case ControlKind::Line: {
      auto* f = new QFrame(parent);
      f->setFrameShape(QFrame::HLine);
      f->setFrameShadow(QFrame::Sunken);
      return f;
    }
  }
  return new QWidget(parent);
}

void WindowView::place(const ControlState& c, QWidget* w, Container& box) {
  if (c.kind == ControlKind::Button && c.row == 0) {
    if (!box.buttons) {
      box.buttons = new QHBoxLayout;
      box.buttons->addStretch(1);
      box.outer->addLayout(box.buttons);
    }
    box.buttons->addWidget(w);
    box.promptRow = -1;
    return;
  }
  int row = 0;
  int column = 0;
  if (c.row > 0) {
    row = c.row;
    column = std::max(c.column, 1);
    box.promptRow = c.kind == ControlKind::Prompt ? -2 : -1;
  } else if (box.promptRow >= 0 && c.kind != ControlKind::Prompt) {
    row = box.promptRow;
    column = 2;
    box.promptRow = -1;
  } else {
    row = box.nextRow;
    column = c.kind == ControlKind::Prompt || spans(c.kind) ? 1 : 2;
    box.promptRow = c.kind == ControlKind::Prompt ? row : -1;
  }
  box.nextRow = std::max(box.nextRow, row + 1);
  bool wide = spans(c.kind) && column == 1;
  Qt::Alignment align =
      c.kind == ControlKind::Prompt ? Qt::AlignLeft | Qt::AlignVCenter : Qt::Alignment();
  box.grid->addWidget(w, row, column, 1, wide ? -1 : 1, align);
  if (stretches(c.kind) || (c.kind == ControlKind::Group && c.height > 0)) {
    box.grid->setRowStretch(row, 1);
    box.stretchy = true;
  }
}

// --- showing model state ---

WindowView::Control* WindowView::find(int number) {
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
  if (Control* view = find(c.number)) {
    ++applying_;
    applyControl(*view, c);
    --applying_;
  }
}

void WindowView::applyControl(Control& view, const ControlState& c) {
  view.state = c;
  view.dirty = false;
  view.pending = false;
  QWidget* w = view.widget;
  QSignalBlocker block(w);

  if (c.kind == ControlKind::Image && w == mdi_) {
    QImage img = images_ && !c.image.empty() ? loadImage(images_(c.image), nullptr) : QImage();
    mdi_->setBackground(img.isNull() ? QBrush(QColor(0x80, 0x80, 0x80)) : QBrush(img));
    return;
  }

  if (c.kind == ControlKind::Tab) {
    if (Control* sheet = find(c.parent); sheet && sheet->state.kind == ControlKind::Sheet) {
      auto* tabs = static_cast<QTabWidget*>(sheet->widget);
      int index = tabs->indexOf(w);
      if (index >= 0) {
        tabs->setTabText(index, qs(c.text));
        tabs->setTabVisible(index, !c.hidden);
        tabs->setTabEnabled(index, !c.disabled);
        tabs->setTabToolTip(index, qs(c.tip));
      }
      return;
    }
  }

  w->setVisible(!c.hidden);
  w->setEnabled(!c.disabled);
  w->setToolTip(qs(c.tip));
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
  if (c.kind != ControlKind::List && c.kind != ControlKind::Text && c.kind != ControlKind::Entry)
    w->setAutoFillBackground(filled);

  switch (c.kind) {
    case ControlKind::Button: {
      auto* b = static_cast<QPushButton*>(w);
      b->setText(qs(c.text));
      b->setDefault(c.isDefault);
      if (!c.image.empty() && images_) {
        QImage img = loadImage(images_(c.image), nullptr);
        b->setIcon(img.isNull() ? QIcon() : QIcon(QPixmap::fromImage(img)));
      }
      break;
    }
    case ControlKind::Entry: {
      auto* e = static_cast<QLineEdit*>(w);
      if (e->text() != qs(c.text)) e->setText(qs(c.text));
      e->setReadOnly(c.readOnly);
      e->setEchoMode(c.password ? QLineEdit::Password : QLineEdit::Normal);
      break;
    }
    case ControlKind::Text: {
      auto* t = static_cast<QPlainTextEdit*>(w);
      if (t->toPlainText() != qs(c.text)) t->setPlainText(qs(c.text));
      t->setReadOnly(c.readOnly);
      break;
    }
    case ControlKind::String:
    case ControlKind::Prompt:
      static_cast<QLabel*>(w)->setText(
          qs(c.kind == ControlKind::String ? ui::withoutAmpersand(c.text) : c.text));
      if (c.kind == ControlKind::Prompt) static_cast<QLabel*>(w)->setTextFormat(Qt::PlainText);
      break;
    case ControlKind::Check: {
      auto* b = static_cast<QCheckBox*>(w);
      b->setText(qs(c.text));
      b->setChecked(ui::valueNumber(c.value) != 0);
      break;
    }
    case ControlKind::Option: {
      static_cast<QGroupBox*>(w)->setTitle(qs(c.text));
      // Radios follow the option's choice, counted in declaration order.
      int position = 0;
      for (int n : order_) {
        Control* r = find(n);
        if (!r || r->state.kind != ControlKind::Radio || r->state.parent != c.number) continue;
        ++position;
        QSignalBlocker rb(r->widget);
        static_cast<QRadioButton*>(r->widget)->setChecked(position == c.selected);
      }
      break;
    }
    case ControlKind::Radio: {
      auto* r = static_cast<QRadioButton*>(w);
      r->setText(qs(c.text));
      int position = 0;
      bool on = false;
      if (Control* opt = find(c.parent)) {
        for (int n : order_) {
          Control* other = find(n);
          if (!other || other->state.kind != ControlKind::Radio || other->state.parent != c.parent)
            continue;
          ++position;
          if (n == c.number) on = position == opt->state.selected;
        }
      }
      r->setChecked(on);
      break;
    }
    case ControlKind::DropList:
    case ControlKind::Combo: {
      auto* cb = static_cast<QComboBox*>(w);
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
      break;
    }
    case ControlKind::Spin: {
      auto* s = static_cast<PictureSpin*>(w);
      s->picture = c.picture;
      if (c.high > c.low)
        s->setRange(static_cast<int>(c.low), static_cast<int>(c.high));
      else
        s->setRange(std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
      s->setValue(static_cast<int>(ui::valueNumber(c.value)));
      s->setReadOnly(c.readOnly);
      break;
    }
    case ControlKind::List: {
      auto* t = static_cast<QTreeWidget*>(w);
      QStringList headers;
      for (const auto& col : c.columns) headers << qs(col.header);
      if (t->columnCount() != static_cast<int>(c.columns.size()) ||
          t->headerItem()->text(0) != (headers.isEmpty() ? QString() : headers[0])) {
        t->setColumnCount(static_cast<int>(c.columns.size()));
        t->setHeaderLabels(headers);
      }
      int total = 0;
      for (std::size_t i = 0; i < c.columns.size(); ++i) {
        int chars = c.columns[i].width > 0 ? c.columns[i].width : kDefaultColumnChars;
        total += columnPixels(t, chars);
        if (i + 1 < c.columns.size())
          t->setColumnWidth(static_cast<int>(i), columnPixels(t, chars));
        t->headerItem()->setTextAlignment(
            static_cast<int>(i), c.columns[i].rightAligned ? Qt::AlignRight : Qt::AlignLeft);
      }
      t->setMinimumWidth(std::min(total + 4, 100 * charWidth(t)));
      t->clear();
      QList<QTreeWidgetItem*> items;
      for (const auto& row : c.rows) {
        auto* item = new QTreeWidgetItem;
        for (std::size_t i = 0; i < row.cells.size(); ++i) {
          item->setText(static_cast<int>(i), qs(row.cells[i]));
          if (i < c.columns.size() && c.columns[i].rightAligned)
            item->setTextAlignment(static_cast<int>(i), Qt::AlignRight | Qt::AlignVCenter);
          if (auto fgc = toQColor(row.colour)) item->setForeground(static_cast<int>(i), *fgc);
          if (auto bgc = toQColor(row.background)) item->setBackground(static_cast<int>(i), *bgc);
        }
        items << item;
      }
      t->addTopLevelItems(items);
      if (c.selected >= 1 && c.selected <= t->topLevelItemCount()) {
        t->setCurrentItem(t->topLevelItem(c.selected - 1));
        t->scrollToItem(t->currentItem());
      }
      break;
    }
    case ControlKind::Sheet: {
      auto* tabs = static_cast<QTabWidget*>(w);
      if (c.selected >= 1 && c.selected <= tabs->count()) tabs->setCurrentIndex(c.selected - 1);
      break;
    }
    case ControlKind::Tab:
      break;
    case ControlKind::Progress: {
      auto* p = static_cast<QProgressBar*>(w);
      std::int64_t low = c.low, high = c.high > c.low ? c.high : c.low + 100;
      p->setRange(static_cast<int>(low), static_cast<int>(high));
      p->setValue(static_cast<int>(std::clamp(ui::valueNumber(c.value), low, high)));
      break;
    }
    case ControlKind::Image: {
      auto* l = static_cast<QLabel*>(w);
      QImage img = images_ && !c.image.empty() ? loadImage(images_(c.image), nullptr) : QImage();
      if (!img.isNull() && (c.width > 0 || c.height > 0)) {
        int wpx = c.width > 0 ? c.width * charWidth(l) : img.width();
        int hpx = c.height > 0 ? c.height * l->fontMetrics().lineSpacing() : img.height();
        img = img.scaled(wpx, hpx, Qt::KeepAspectRatio, Qt::SmoothTransformation);
      }
      l->setPixmap(QPixmap::fromImage(img));
      break;
    }
    case ControlKind::Group:
      static_cast<QGroupBox*>(w)->setTitle(qs(c.text));
      break;
    case ControlKind::Box:
    case ControlKind::Line:
      break;
  }
}

void WindowView::postColumnWidths(int number) {
  Control* c = find(number);
  if (!c || c->state.kind != ControlKind::List) return;
  auto* tree = static_cast<QTreeWidget*>(c->widget);
  const auto& columns = c->state.columns;
  // The last column stretches with the list: its width is the window's, not the user's.
  for (std::size_t i = 0; i + 1 < columns.size(); ++i) {
    int chars = charsForColumn(tree, tree->columnWidth(static_cast<int>(i)));
    if (chars == (columns[i].width > 0 ? columns[i].width : kDefaultColumnChars)) continue;
    Input in;
    in.kind = Input::Kind::ColumnWidth;
    in.window = id();
    in.control = number;
    in.column = static_cast<int>(i) + 1;
    in.width = chars;
    post(in);
  }
}

void WindowView::apply(const ui::WindowState& s) {
  ++applying_;
  if (s.title != state_.title) window_->setWindowTitle(qs(s.title));
  applyMenu(s.menu);
  applyStatus(s.status);
  if (s.placement != applied_ && s.placement != reported_) applyPlacement(s.placement);
  if (s.focus != modelFocus_) {
    modelFocus_ = s.focus;
    if (Control* c = find(s.focus)) c->widget->setFocus(Qt::OtherFocusReason);
  }
  state_ = s;
  --applying_;
}

void WindowView::applyMenu(const std::vector<ui::MenuItemState>& menu) {
  if (!menuBar_) return;
  std::string signature;
  for (const auto& m : menu)
    signature += std::to_string(m.number) + "/" + std::to_string(m.parent) + "/" + m.text + "/" +
                 (m.hidden ? "h" : "") + (m.disabled ? "d" : "") + (m.checked ? "c" : "") + "\n";
  if (signature == menuSignature_) return;
  menuSignature_ = signature;
  menuBar_->clear();
  std::vector<QMenu*> menus(menu.size(), nullptr);
  for (std::size_t i = 0; i < menu.size(); ++i) {
    const auto& m = menu[i];
    QMenu* into = m.parent >= 0 && static_cast<std::size_t>(m.parent) < menus.size()
                      ? menus[static_cast<std::size_t>(m.parent)]
                      : nullptr;
    QAction* action = nullptr;
    if (m.separator) {
      if (into) into->addSeparator();
      continue;
    }
    if (m.submenu) {
      QMenu* sub = into ? into->addMenu(qs(m.text)) : menuBar_->addMenu(qs(m.text));
      menus[i] = sub;
      action = sub->menuAction();
    } else {
      action = into ? into->addAction(qs(m.text)) : menuBar_->addAction(qs(m.text));
      int number = m.number;
      QObject::connect(action, &QAction::triggered, guard_.get(),
                       [this, number] { postControl(Input::Kind::Press, number); });
      action->setCheckable(m.checked);
      action->setChecked(m.checked);
    }
    action->setVisible(!m.hidden);
    action->setEnabled(!m.disabled);
  }
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

void WindowView::applyPlacement(const ui::Placement& p) {
  applied_ = p;
  if (p.width > 0 && p.height > 0) window_->resize(p.width, p.height);
  if (p.x != 0 || p.y != 0 || p.width > 0) {
    QPoint at(p.x, p.y);
    if (!qobject_cast<QMdiSubWindow*>(window_.data())) {
      // A position saved on a screen that is gone comes back onto the nearest one.
      QScreen* screen = QGuiApplication::screenAt(at);
      if (!screen) screen = QGuiApplication::primaryScreen();
      if (screen) {
        QRect area = screen->availableGeometry();
        QSize size = window_->size();
        at.setX(
            std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
        at.setY(
            std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
      }
    }
    window_->move(at);
  }
  if (window_->isVisible()) {
    if (p.maximized && !window_->isMaximized())
      window_->showMaximized();
    else if (p.iconized && !window_->isMinimized())
      window_->showMinimized();
    else if (!p.maximized && !p.iconized && (window_->isMaximized() || window_->isMinimized()))
      window_->showNormal();
  }
}

ui::Placement WindowView::currentPlacement() const {
  ui::Placement p;
  p.maximized = window_->isMaximized();
  p.iconized = window_->isMinimized();
  QRect g = window_->normalGeometry().isValid() && (p.maximized || p.iconized)
                ? window_->normalGeometry()
                : QRect(window_->pos(), window_->size());
  p.x = g.x();
  p.y = g.y();
  p.width = g.width();
  p.height = g.height();
  return p;
}

void WindowView::placed() {
  if (applying_ || !window_ || !window_->isVisible()) return;
  placeTimer_->start();
}

void WindowView::activeChanged(bool active) {
  if (active == active_) return;
  active_ = active;
  Input in;
  in.kind = active ? Input::Kind::Activate : Input::Kind::Deactivate;
  in.window = id();
  post(in);
}

void WindowView::setInputEnabled(bool enabled) {
  if (!window_) return;
  if (state_.kind == ui::WindowKind::Frame) {
    // The frame's work area holds other threads' windows: only its own parts go quiet.
    if (menuBar_) menuBar_->setEnabled(enabled);
    content_->setEnabled(enabled);
  } else {
    content_->setEnabled(enabled);
  }
}

void WindowView::refused() {
  for (auto& [n, c] : controls_)
    if (c->pending) apply(ControlState(c->state));
}

void WindowView::showPages(std::shared_ptr<const report::Document> document) {
  if (!window_ || !document) return;
  if (pageView_) {
    contentLayout_->removeWidget(pageView_);
    pageView_->deleteLater();
  }
  pageView_ = new PageView(std::move(document), content_);
  // Below the window's own controls, taking what room the window has.
  const int below = contentLayout_->indexOf(containers_[0]->outer) + 1;
  contentLayout_->setStretchFactor(containers_[0]->outer, 0);
  contentLayout_->insertWidget(below, pageView_, 1);
  pageView_->show();
  // A window opened without a size of its own grows to show the page.
  if (applied_.width <= 0 || applied_.height <= 0) window_->adjustSize();
}

void WindowView::showPage(int page) {
  if (pageView_) pageView_->setPage(page);
}

// --- input ---

void WindowView::flush(int number) {
  Control* c = find(number);
  if (!c || !c->dirty) return;
  c->dirty = false;
  c->pending = true;
  Input in;
  in.kind = Input::Kind::Accept;
  in.window = id();
  in.control = number;
  if (auto* e = qobject_cast<QLineEdit*>(c->widget))
    in.text = us(e->text());
  else if (auto* t = qobject_cast<QPlainTextEdit*>(c->widget))
    in.text = us(t->toPlainText());
  else if (auto* cb = qobject_cast<QComboBox*>(c->widget))
    in.text = us(cb->currentText());
  else
    return;
  post(in);
}

void WindowView::post(Input in) {
  if (post_) post_(std::move(in));
}

void WindowView::postControl(Input::Kind kind, int number) {
  if (applying_) return;
  Input in;
  in.kind = kind;
  in.window = id();
  in.control = number;
  // The radios of an option take the focus for it.
  if (kind == Input::Kind::Focus)
    if (Control* c = find(number); c && c->state.kind == ControlKind::Radio)
      in.control = c->state.parent;
  post(in);
}

}  // namespace trv::gui
