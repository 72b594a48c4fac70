#include "core/calendar/month_grid.h"

#include "runtime/text/date_time.h"

namespace trv::core {

namespace {
constexpr std::string_view kMonths[] = {"January",   "February", "March",    "April",
                                        "May",       "June",     "July",     "August",
                                        "September", "October",  "November", "December"};
}  // namespace

std::string_view rangeMessage(YearBound bound) {
  switch (bound) {
    case YearBound::Lower:
      return "You cannot use the calendar for\r\ndates before the year 1801";
    case YearBound::Upper:
      return "You cannot use the calendar for\r\ndates after the year 2099";
    case YearBound::None:
      break;
  }
  return {};
}

std::string_view monthName(int month) {
  return month >= 1 && month <= 12 ? kMonths[month - 1] : std::string_view();
}

MonthGrid::MonthGrid(std::int32_t startDate) : start_(startDate) {
  if (auto c = text::civilDate(startDate)) {
    startDay_ = c->day;
    month_ = c->month;
    year_ = c->year;
  }
}

std::string MonthGrid::title() const {
  return std::string(monthName(month_)) + " " + std::to_string(year_);
}

int MonthGrid::monthLength() const {
  return text::daysInMonth(year_, month_);
}

int MonthGrid::firstColumn() const {
  // Date number 4, 1 January 1801, is a Thursday: the remainder by 7 is the weekday.
  const auto first = text::dateNumber(year_, month_, 1);
  return first ? static_cast<int>(*first % 7) : 0;
}

int MonthGrid::dayAt(int position) const {
  if (position < 1 || position > kCalendarCells) return 0;
  const int day = position - firstColumn();
  return day >= 1 && day <= monthLength() ? day : 0;
}

int MonthGrid::markedPosition() const {
  return startDay_ <= monthLength() ? startDay_ + firstColumn() : 0;
}

YearBound MonthGrid::setMonth(int month) {
  if (month > 12) {
    month_ = 1;
    ++year_;
  } else if (month < 1) {
    month_ = 12;
    --year_;
  } else {
    month_ = month;
  }
  return checkRange();
}

YearBound MonthGrid::setYear(int year) {
  year_ = year;
  return checkRange();
}

YearBound MonthGrid::checkRange() {
  if (year_ < kCalendarFirstYear) {
    year_ = kCalendarFirstYear;
    return YearBound::Lower;
  }
  if (year_ > kCalendarLastYear) {
    year_ = kCalendarLastYear;
    return YearBound::Upper;
  }
  return YearBound::None;
}

std::optional<std::int32_t> MonthGrid::choose(int position) const {
  const int day = dayAt(position);
  if (day == 0) return std::nullopt;
  return text::dateNumber(year_, month_, day);
}

}  // namespace trv::core
