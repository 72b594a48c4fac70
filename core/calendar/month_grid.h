#pragma once
// MonthGrid: the date picker's state while it is open, without any window.
//
// It holds the starting date (never changed), the shown month and year, and lays the shown
// month out over 37 day cells, 7 to a row from Sunday: position p (1 to 37) shows day
// p - firstColumn() when that is a day of the month. The starting date's day of the month is
// marked in every month that has it.
//
// Navigation wraps the month into the next or previous year and keeps the year within 1801 to
// 2099; a step that would leave that range is corrected and reported (rangeMessage), the month
// left as it is. A starting date outside the range is shown as it is until the first step.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trv::core {

inline constexpr int kCalendarCells = 37;
inline constexpr int kCalendarFirstYear = 1801;
inline constexpr int kCalendarLastYear = 2099;

// What a navigation step reports.
enum class YearBound { None, Lower, Upper };

// The text of the report, shown captioned kDateOutOfRange; empty for None.
std::string_view rangeMessage(YearBound bound);
inline constexpr std::string_view kDateOutOfRange = "Date Out Of Range";

// "January" ... "December"; empty outside 1 to 12.
std::string_view monthName(int month);

class MonthGrid {
 public:
  // Requires a valid date number (the window puts today in place of 0).
  explicit MonthGrid(std::int32_t startDate);

  std::int32_t startDate() const { return start_; }
  int month() const { return month_; }
  int year() const { return year_; }

  // "January 2024".
  std::string title() const;
  // 28, 29, 30 or 31.
  int monthLength() const;
  // Column of the first day: 0 Sunday to 6 Saturday.
  int firstColumn() const;
  // The day shown at position 1..37, or 0 for an empty cell (and any other position).
  int dayAt(int position) const;
  // The marked position, or 0 when the shown month is too short for the starting day.
  int markedPosition() const;

  // Keys: month - 1 (Left, Up), month + 1 (Right, Down), year - 1 (Page Up), year + 1 (Page Down).
  YearBound previousMonth() { return setMonth(month_ - 1); }
  YearBound nextMonth() { return setMonth(month_ + 1); }
  YearBound previousYear() { return setYear(year_ - 1); }
  YearBound nextYear() { return setYear(year_ + 1); }
  // The month field's new value: above 12 is January of the next year, below 1 December of the
  // previous one.
  YearBound setMonth(int month);
  // The year field's new value.
  YearBound setYear(int year);

  // The date of a day cell; nothing for an empty cell.
  std::optional<std::int32_t> choose(int position) const;

 private:
  YearBound checkRange();

  std::int32_t start_;
  int startDay_ = 1;
  int month_ = 1;
  int year_ = kCalendarFirstYear;
};

}  // namespace trv::core
