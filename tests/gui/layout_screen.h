#pragma once
// The size of the layout test's screen.

#include <QSize>

namespace trv::gui::testing {

QSize layoutScreenSize();

}  // namespace trv::gui::testing
