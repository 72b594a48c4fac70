#include "core/calendar/calendar.h"

#include <memory>
#include <string>

#include "core/calendar/month_grid.h"
#include "runtime/text/clock.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {

namespace {

constexpr const char* kDayNames[] = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
constexpr int kNavigationKeys[] = {ui::KeyLeft, ui::KeyUp,   ui::KeyRight,     ui::KeyDown,
                                   ui::KeyPgUp, ui::KeyPgDn, ui::KeyMouseRight};

ui::WindowDecl declaration() {
  ui::WindowDecl d;
  d.kind = ui::WindowKind::Modal;
  int n = 0;
  // Every control is numbered in declaration order and drawn in the picker's one font.
  auto numbered = [&n](ui::ControlDecl c) {
    return c.withNumber(++n).withFont(ui::Font{"MS Sans Serif", 8});
  };
  // The day names head columns 1-7 in row 1 and the weeks fill rows 2-7 below them; the month
  // and year frames sit right of the grid in column 8, each caption above its spin field.
  d.controls.push_back(numbered(ui::string("?Month", "Month").at(2, 8)));
  d.controls.push_back(numbered(ui::string("?Year", "Year").at(5, 8)));
  for (int c = 0; c < 7; ++c)
    d.controls.push_back(
        numbered(ui::string("?Day" + std::to_string(c), kDayNames[c]).at(1, c + 1)));
  d.controls.push_back(numbered(ui::spin("?Month:Field", "@n-6", 0, 0).at(3, 8)));
  d.controls.push_back(numbered(ui::spin("?Year:Field", "@n-6", 0, 0).at(6, 8)));
  d.controls.push_back(numbered(ui::box("?DayBand").at(1, 1)));
  d.controls.push_back(numbered(ui::box("?MonthFrame").at(2, 8)));
  d.controls.push_back(numbered(ui::box("?YearFrame").at(5, 8)));
  for (int p = 1; p <= kCalendarCells; ++p)
    d.controls.push_back(numbered(ui::button("?Cell" + std::to_string(p), "")
                                      .at((p - 1) / 7 + 2, (p - 1) % 7 + 1)
                                      .size(2, 1)));
  for (int p = 1; p <= kCalendarCells; ++p)
    d.controls.push_back(numbered(
        ui::string("?Label" + std::to_string(p), "").at((p - 1) / 7 + 2, (p - 1) % 7 + 1)));
  return d;
}

// The redraw sequence after a step: range report, title, mark, grid.
void redraw(ui::UiRuntime& rt, ui::Window& w, const MonthGrid& grid, YearBound bound) {
  if (bound != YearBound::None) {
    rt.message(std::string(rangeMessage(bound)), std::string(kDateOutOfRange));
  }
  w.setTitle(grid.title());
  w.setValue(kCalendarMonthField, std::int64_t{grid.month()});
  w.setValue(kCalendarYearField, std::int64_t{grid.year()});
  const int marked = grid.markedPosition();
  for (int p = 1; p <= kCalendarCells; ++p) {
    const int day = grid.dayAt(p);
    w.setText(calendarLabel(p), day ? std::to_string(day) : std::string());
    w.setValue(calendarCell(p), std::int64_t{p == marked ? 1 : 0});
  }
}

YearBound stepByKey(MonthGrid& grid, int key) {
  switch (key) {
    case ui::KeyLeft:
    case ui::KeyUp:
      return grid.previousMonth();
    case ui::KeyRight:
    case ui::KeyDown:
      return grid.nextMonth();
    case ui::KeyPgUp:
      return grid.previousYear();
    default:
      return grid.nextYear();
  }
}

}  // namespace

std::int32_t Calendar(ui::UiRuntime& rt, std::int32_t date) {
  const std::int32_t start = date != 0 ? date : rt.clock().today();
  std::unique_ptr<ui::Window> w = rt.open(declaration());
  if (!w) return start;
  MonthGrid grid(start);
  for (int key : kNavigationKeys) w->alert(key);

  std::int32_t result = start;
  ui::Event e;
  while (w->accept(e)) {
    switch (e.number) {
      case ui::EventOpenWindow:
        redraw(rt, *w, grid, YearBound::None);  // the year is not checked at open
        break;
      case ui::EventAlertKey:
        if (e.key == ui::KeyMouseRight) {
          w->close();
          break;
        }
        redraw(rt, *w, grid, stepByKey(grid, e.key));
        break;
      case ui::EventCloseWindow:
        w->close();
        break;
      case ui::EventAccepted:
        if (e.control == kCalendarMonthField) {
          const auto v = static_cast<int>(ui::valueNumber(w->value(kCalendarMonthField)));
          redraw(rt, *w, grid, grid.setMonth(v));
        } else if (e.control == kCalendarYearField) {
          const auto v = static_cast<int>(ui::valueNumber(w->value(kCalendarYearField)));
          redraw(rt, *w, grid, grid.setYear(v));
        } else if (e.control >= calendarCell(1) && e.control <= calendarCell(kCalendarCells)) {
          if (auto chosen = grid.choose(e.control - calendarCell(1) + 1)) {
            result = *chosen;
            w->close();
          }
        }
        break;
      default:
        break;
    }
  }
  return result;
}

}  // namespace trv::core
