#pragma once
// Calendar: the date picker, a small modal window that shows one month as a grid of day cells
// and returns the date the user clicks.
//
// It runs on the calling program thread with an event loop of its own and blocks only that
// thread's windows. It keeps no window position and reads or writes no setting or file.
//
// The window: captions "Month" and "Year", the day names "Su" to "Sa", the month and year spin
// fields, three frames, then the 37 day cells and their 37 labels. Its title is the shown
// month, a blank and the year. A day cell's value is its bevel: 1 sunken (the starting day),
// 0 none; a label's text is its day number or empty.
//
// Keys: Left and Up show the previous month, Right and Down the next, Page Up and Page Down
// the previous and next year; the spin fields move month and year too. A year leaving 1801 to
// 2099 is put back and reported in a message box captioned "Date Out Of Range"; the picker
// stays open.

#include <cstdint>

namespace trv::ui {
class UiRuntime;
}

namespace trv::core {

// Control numbers of the picker's window.
inline constexpr int kCalendarMonthField = 10;
inline constexpr int kCalendarYearField = 11;
// Day cell and label of position 1..37.
constexpr int calendarCell(int position) {
  return 14 + position;
}
constexpr int calendarLabel(int position) {
  return 14 + 37 + position;
}

// Shows the picker from `date` (0: today, by the runtime's clock) and returns the clicked date.
// Esc, the right mouse button and any other way of closing the window return the starting
// date. Requires a program thread holding the baton; elsewhere (or once the program ended) it
// returns the starting date without a window.
[[nodiscard]] std::int32_t Calendar(ui::UiRuntime& rt, std::int32_t date = 0);

}  // namespace trv::core
