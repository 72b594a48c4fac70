#include "gui/pdf/pdf_renderer.h"

#include <QFont>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <cstdlib>
#include <memory>
#include <optional>

namespace trv::gui {
namespace {

constexpr int kResolution = 600;

double toDots(int thousandths, double dpi) {
  return thousandths * dpi / 1000.0;
}

QRectF toRect(const report::Rect& r, double dpi) {
  return {toDots(r.x, dpi), toDots(r.y, dpi), toDots(r.width, dpi), toDots(r.height, dpi)};
}

QFont toFont(const report::FontSpec& spec) {
  QFont f(QString::fromStdString(spec.face));
  f.setPointSize(spec.points);
  f.setBold(spec.bold);
  f.setItalic(spec.italic);
  f.setUnderline(spec.underline);
  return f;
}

QString toQString(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QColor toColour(std::uint32_t bgr) {
  return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

Qt::Alignment toAlign(report::Align a) {
  switch (a) {
    case report::Align::kCenter:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case report::Align::kRight:
      return Qt::AlignRight | Qt::AlignVCenter;
    case report::Align::kLeft:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

}  // namespace

void drawPage(QPainter& painter, const report::Page& page, double dpi) {
  // Most items are in the font of the item before: it is set only when it changes.
  std::optional<report::FontSpec> font;
  auto useFont = [&](const report::FontSpec& spec) {
    if (font && *font == spec) return;
    painter.setFont(toFont(spec));
    font = spec;
  };
  for (const report::ItemView item : page.items) {
    switch (item.kind()) {
      case report::ItemKind::kText:
        useFont(item.font());
        painter.setPen(Qt::black);
        painter.drawText(toRect(item.box(), dpi), toAlign(item.align()) | Qt::TextSingleLine,
                         toQString(item.text()));
        break;
      case report::ItemKind::kLine: {
        const report::LineItem l = item.line();
        QPen pen(Qt::black);
        pen.setWidthF(toDots(l.thickness, dpi));
        painter.setPen(pen);
        painter.drawLine(QPointF(toDots(l.x1, dpi), toDots(l.y1, dpi)),
                         QPointF(toDots(l.x2, dpi), toDots(l.y2, dpi)));
        break;
      }
      case report::ItemKind::kBox:
        painter.setPen(toColour(item.colour()));
        if (item.filled()) {
          painter.fillRect(toRect(item.box(), dpi), toColour(item.colour()));
        } else {
          painter.setBrush(Qt::NoBrush);
          painter.drawRect(toRect(item.box(), dpi));
        }
        break;
      case report::ItemKind::kCheck: {
        const QRectF area = toRect(item.box(), dpi);
        const double side = std::min(area.height(), toDots(140, dpi));
        const QRectF square(area.left(), area.center().y() - side / 2, side, side);
        painter.setPen(Qt::black);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(square);
        if (item.checked()) {
          painter.drawLine(square.topLeft(), square.bottomRight());
          painter.drawLine(square.topRight(), square.bottomLeft());
        }
        useFont(item.font());
        painter.drawText(area.adjusted(side * 1.5, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         toQString(item.text()));
        break;
      }
    }
  }
}

bool PdfRenderer::writePdf(const report::Document& document, const std::filesystem::path& file,
                           std::string* error) {
  if (!QGuiApplication::instance()) {
    if (error) *error = "no desktop session to draw the report with";
    return false;
  }
  QPdfWriter writer(QString::fromStdString(file.string()));
  writer.setResolution(kResolution);
  writer.setTitle(QString::fromStdString(document.title));
  writer.setCreator("Vorn Trovanel 1.2");
  const QSizeF size(document.setup.width / 1000.0, document.setup.height / 1000.0);
  writer.setPageSize(QPageSize(size, QPageSize::Inch));
  writer.setPageMargins(QMarginsF(0, 0, 0, 0));
  QPainter painter;
  if (!painter.begin(&writer)) {
    if (error) *error = "cannot write " + file.string();
    return false;
  }
  for (std::size_t i = 0; i < document.pages.size(); ++i) {
    if (i > 0) writer.newPage();
    drawPage(painter, document.pages[i], kResolution);
  }
  if (!painter.end()) {
    if (error) *error = "cannot finish " + file.string();
    return false;
  }
  return true;
}

void ensureGuiApplication() {
  if (QGuiApplication::instance()) return;
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  static int argc = 1;
  static char name[] = "trvnel";
  static char* argv[] = {name, nullptr};
  static auto* app = new QGuiApplication(argc, argv);  // lives for the process
  (void)app;
}

}  // namespace trv::gui
