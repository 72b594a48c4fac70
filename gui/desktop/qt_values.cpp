#include "gui/desktop/qt_values.h"

#include <QCoreApplication>

namespace trv::gui {

QString titleText(std::string_view title) {
  return title.empty() ? QCoreApplication::applicationName() : qs(title);
}

std::optional<QColor> toQColor(int colour) {
  if (colour < 0) return std::nullopt;
  return QColor(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

int fromQColor(const QColor& colour) {
  return colour.red() | (colour.green() << 8) | (colour.blue() << 16);
}

QFont toQFont(const ui::Font& font, const QFont& base) {
  QFont f = base;
  if (!font.face.empty()) f.setFamily(qs(font.face));
  if (font.size > 0) f.setPointSize(font.size);
  f.setBold(font.bold);
  f.setItalic(font.italic);
  return f;
}

ui::Font fromQFont(const QFont& font, int colour) {
  ui::Font f;
  f.face = us(font.family());
  f.size = font.pointSize() > 0 ? font.pointSize() : 0;
  f.bold = font.bold();
  f.italic = font.italic();
  f.colour = colour;
  return f;
}

}  // namespace trv::gui
