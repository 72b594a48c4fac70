#pragma once
// Conversions between the window model's values and Qt's: colours (0x00BBGGRR, kColorNone for
// "the desktop's default"), fonts, and UTF-8 texts. Pure functions, no widgets.

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/ui/control.h"

namespace trv::gui {

inline QString qs(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string us(const QString& text) {
  return text.toUtf8().toStdString();
}

// A window's or message box's title: an empty one shows the program's name (the application
// name runDesktop sets), never the name of the executable.
QString titleText(std::string_view title);

// Nothing for kColorNone or any other negative value.
std::optional<QColor> toQColor(int colour);
int fromQColor(const QColor& colour);

// `base` with the model font's face, size, weight and slant laid over it (empty face and size 0
// keep the base's).
QFont toQFont(const ui::Font& font, const QFont& base);
ui::Font fromQFont(const QFont& font, int colour);

}  // namespace trv::gui
