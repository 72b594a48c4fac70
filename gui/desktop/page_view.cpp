#include "gui/desktop/page_view.h"

#include <QBoxLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <algorithm>
#include <array>

#include "gui/pdf/pdf_renderer.h"
#include "runtime/report/page_model.h"

namespace trv::gui {
namespace {

constexpr int kMarginPx = 12;
constexpr int kShadowPx = 3;

QSizeF pageInches(const report::Document& d) {
  return {std::max(d.setup.width, 1) / 1000.0, std::max(d.setup.height, 1) / 1000.0};
}

constexpr std::array kScales = {0.25, 0.33, 0.5, 0.67, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};

// A scroll area as large as the page it holds asks to be.
class PageArea final : public QScrollArea {
 public:
  explicit PageArea(QWidget* parent) : QScrollArea(parent) {}
  QSize sizeHint() const override {
    const QWidget* w = widget();
    const int frame = 2 * frameWidth();
    return w ? w->sizeHint() + QSize(frame, frame) : QScrollArea::sizeHint();
  }
  QSize minimumSizeHint() const override {
    const QWidget* w = widget();
    return w ? w->minimumSizeHint() : QScrollArea::minimumSizeHint();
  }

 protected:
  void resizeEvent(QResizeEvent* e) override {
    QScrollArea::resizeEvent(e);
    if (auto* view = dynamic_cast<PageView*>(widget())) view->fitInto(viewport()->size());
  }
};

}  // namespace

QWidget* makePagePane(PageView* view, QWidget* parent) {
  auto* pane = new QWidget(parent);
  auto* column = new QVBoxLayout(pane);
  column->setContentsMargins(0, 0, 0, 0);
  auto* zooms = new QHBoxLayout;
  auto add = [&](const char* text, void (PageView::*act)()) {
    auto* b = new QPushButton(QString::fromLatin1(text), pane);
    b->setFocusPolicy(Qt::NoFocus);  // the window's own controls keep the keyboard
    QObject::connect(b, &QPushButton::clicked, view, [view, act] { (view->*act)(); });
    zooms->addWidget(b);
  };
  add("Fit Page", &PageView::fitPage);
  add("Fit Width", &PageView::fitWidth);
  add("Zoom In", &PageView::zoomIn);
  add("Zoom Out", &PageView::zoomOut);
  zooms->addStretch(1);
  column->addLayout(zooms);
  auto* area = new PageArea(pane);
  area->setWidget(view);
  area->setAlignment(Qt::AlignCenter);
  view->area_ = area;
  column->addWidget(area, 1);
  return pane;
}

PageView::PageView(std::shared_ptr<const report::Document> document, QWidget* parent)
    : QWidget(parent), document_(std::move(document)) {
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

int PageView::pageCount() const {
  return static_cast<int>(document_->pages.size());
}

void PageView::setDocument(std::shared_ptr<const report::Document> document) {
  if (!document) return;
  document_ = std::move(document);
  page_ = std::clamp(page_, 1, std::max(pageCount(), 1));
  update();
}

void PageView::setPage(int page) {
  page = std::clamp(page, 1, std::max(pageCount(), 1));
  if (page == page_) return;
  page_ = page;
  update();
}

double PageView::screenDpi() const {
  return logicalDpiY() > 0 ? logicalDpiY() : 96.0;
}

double PageView::fittedPixelsPerInch(QSizeF room) const {
  const QSizeF inches = pageInches(*document_);
  room -= QSizeF(2 * kMarginPx, 2 * kMarginPx);
  if (room.width() <= 0 || room.height() <= 0) return 1;
  return zoom_ == Zoom::FitWidth
             ? room.width() / inches.width()
             : std::min(room.width() / inches.width(), room.height() / inches.height());
}

double PageView::scale() const {
  return fittedPixelsPerInch(QSizeF(size())) / screenDpi();
}

void PageView::fitPage() {
  zoom_ = Zoom::FitPage;
  refit();
}

void PageView::fitWidth() {
  zoom_ = Zoom::FitWidth;
  refit();
}

void PageView::zoomIn() {
  const double now = scale();
  for (double s : kScales)
    if (s > now + 0.01) return zoomTo(s);
  zoomTo(kScales.back());
}

void PageView::zoomOut() {
  const double now = scale();
  for (auto it = kScales.rbegin(); it != kScales.rend(); ++it)
    if (*it < now - 0.01) return zoomTo(*it);
  zoomTo(kScales.front());
}

void PageView::zoomTo(double s) {
  zoom_ = Zoom::Scaled;
  scale_ = s;
  refit();
}

void PageView::refit() {
  if (area_) fitInto(area_->viewport()->size());
  update();
}

void PageView::fitInto(QSize room) {
  const QSizeF inches = pageInches(*document_);
  const QSize margins(2 * kMarginPx, 2 * kMarginPx);
  switch (zoom_) {
    case Zoom::FitPage:
      resize(room);
      break;
    case Zoom::FitWidth: {
      const double ppi = fittedPixelsPerInch(QSizeF(room));
      resize(room.width(),
             std::max(room.height(), static_cast<int>(inches.height() * ppi) + margins.height()));
      // A scroll bar that now shows takes width from the room: fit once more inside it.
      if (area_ && area_->viewport()->width() < room.width()) {
        const QSize inner = area_->viewport()->size();
        const double ppi2 = fittedPixelsPerInch(QSizeF(inner));
        resize(inner.width(), static_cast<int>(inches.height() * ppi2) + margins.height());
      }
      break;
    }
    case Zoom::Scaled: {
      const double ppi = scale_ * screenDpi();
      resize(
          QSize(static_cast<int>(inches.width() * ppi), static_cast<int>(inches.height() * ppi)) +
          margins);
      break;
    }
  }
}

QSize PageView::sizeHint() const {
  int height = 600;
  if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen())
    height = s->availableGeometry().height() * 4 / 5;
  const QSizeF inches = pageInches(*document_);
  const int width = static_cast<int>(height * inches.width() / inches.height());
  return {width + 2 * kMarginPx, height + 2 * kMarginPx};
}

QSize PageView::minimumSizeHint() const {
  return {120, 160};
}

void PageView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Dark));
  const QSizeF inches = pageInches(*document_);
  const QRectF room = QRectF(rect()).adjusted(kMarginPx, kMarginPx, -kMarginPx, -kMarginPx);
  if (room.width() <= 0 || room.height() <= 0) return;
  const double pixelsPerInch = fittedPixelsPerInch(QSizeF(rect().size()));
  const QSizeF size = inches * pixelsPerInch;
  const QRectF sheet(room.center() - QPointF(size.width() / 2, size.height() / 2), size);
  painter.fillRect(sheet.translated(kShadowPx, kShadowPx), Qt::black);
  painter.fillRect(sheet, Qt::white);
  if (page_ > pageCount()) return;

  // Drawn at the screen's own resolution and then scaled, so that type in points keeps its
  // size against the page as it has on paper.
  const double deviceDpi = screenDpi();
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setClipRect(sheet);
  painter.translate(sheet.topLeft());
  painter.scale(pixelsPerInch / deviceDpi, pixelsPerInch / deviceDpi);
  drawPage(painter, document_->pages[static_cast<std::size_t>(page_ - 1)], deviceDpi);
}

}  // namespace trv::gui
