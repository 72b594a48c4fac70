#include "gui/desktop/page_view.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <algorithm>

#include "gui/pdf/pdf_renderer.h"
#include "runtime/report/page_model.h"

namespace trv::gui {
namespace {

constexpr int kMarginPx = 12;
constexpr int kShadowPx = 3;

QSizeF pageInches(const report::Document& d) {
  return {std::max(d.setup.width, 1) / 1000.0, std::max(d.setup.height, 1) / 1000.0};
}

}  // namespace

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
  const double pixelsPerInch =
      std::min(room.width() / inches.width(), room.height() / inches.height());
  const QSizeF size = inches * pixelsPerInch;
  const QRectF sheet(room.center() - QPointF(size.width() / 2, size.height() / 2), size);
  painter.fillRect(sheet.translated(kShadowPx, kShadowPx), Qt::black);
  painter.fillRect(sheet, Qt::white);
  if (page_ > pageCount()) return;

  // Drawn at the screen's own resolution and then scaled, so that type in points keeps its
  // size against the page as it has on paper.
  const double deviceDpi = logicalDpiY() > 0 ? logicalDpiY() : 96.0;
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  painter.setClipRect(sheet);
  painter.translate(sheet.topLeft());
  painter.scale(pixelsPerInch / deviceDpi, pixelsPerInch / deviceDpi);
  drawPage(painter, document_->pages[static_cast<std::size_t>(page_ - 1)], deviceDpi);
}

}  // namespace trv::gui
