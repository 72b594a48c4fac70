#include "runtime/text/date_time.h"

namespace trv::text {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
constexpr std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

constexpr CivilDate civilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

constexpr std::int64_t kEpochShift = daysFromCivil(1801, 1, 1) - kFirstDateNumber;
static_assert(daysFromCivil(9999, 12, 31) - kEpochShift == kLastDateNumber);

}  // namespace

bool isValidDateNumber(std::int32_t date) {
  return date >= kFirstDateNumber && date <= kLastDateNumber;
}

bool isValidTimeNumber(std::int32_t time) {
  return time >= 1 && time <= kLastTimeNumber;
}

bool isLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

std::optional<std::int32_t> dateNumber(int year, int month, int day) {
  if (year < 1801 || year > 9999 || day < 1 || day > daysInMonth(year, month)) return std::nullopt;
  return static_cast<std::int32_t>(
      daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochShift);
}

std::optional<std::int32_t> dateNumber(const CivilDate& d) {
  return dateNumber(d.year, d.month, d.day);
}

std::optional<CivilDate> civilDate(std::int32_t date) {
  if (!isValidDateNumber(date)) return std::nullopt;
  return civilFromDays(date + kEpochShift);
}

int weekday(std::int32_t date) {
  return ((date % 7) + 7) % 7;
}

const char* weekdayName(std::int32_t date) {
  static constexpr const char* kNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};
  return kNames[weekday(date)];
}

std::optional<std::int32_t> timeNumber(int hours, int minutes, int seconds, int hundredths) {
  if (hours < 0 || hours > 23 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59 ||
      hundredths < 0 || hundredths > 99)
    return std::nullopt;
  return hours * kHundredthsPerHour + minutes * kHundredthsPerMinute + seconds * 100 + hundredths +
         1;
}

std::optional<ClockTime> clockTime(std::int32_t time) {
  if (!isValidTimeNumber(time)) return std::nullopt;
  const std::int32_t h = time - 1;
  return ClockTime{h / kHundredthsPerHour, h / kHundredthsPerMinute % 60, h / 100 % 60, h % 100};
}

int expandTwoDigitYear(int twoDigits, int currentYear) {
  const int lowest = currentYear - 80;
  int year = lowest - ((lowest % 100) + 100) % 100 + twoDigits;
  if (year < lowest) year += 100;
  return year;
}

}  // namespace trv::text
