#pragma once
// Date numbers and time numbers, the units every record and window of the system uses.
//
// A date number counts whole days: 4 is 1 January 1801 and 2994626 is 31 December 9999; values
// outside that range are no date and show as blanks. A time number is hundredths of a second
// since midnight plus 1 (1 is 0:00:00.00, 8640000 is 23:59:59.99); 0 is no time. All functions
// are pure and thread-safe.

#include <cstdint>
#include <optional>

namespace trv::text {

inline constexpr std::int32_t kFirstDateNumber = 4;       // 1 January 1801
inline constexpr std::int32_t kLastDateNumber = 2994626;  // 31 December 9999
inline constexpr std::int32_t kLastTimeNumber = 8640000;  // 23:59:59.99
inline constexpr std::int32_t kHundredthsPerDay = 8640000;
inline constexpr std::int32_t kHundredthsPerHour = 360000;
inline constexpr std::int32_t kHundredthsPerMinute = 6000;

struct CivilDate {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;    // 1..31
  friend bool operator==(const CivilDate&, const CivilDate&) = default;
};

struct ClockTime {
  int hours = 0;
  int minutes = 0;
  int seconds = 0;
  int hundredths = 0;
  friend bool operator==(const ClockTime&, const ClockTime&) = default;
};

bool isValidDateNumber(std::int32_t date);
bool isValidTimeNumber(std::int32_t time);
bool isLeapYear(int year);
int daysInMonth(int year, int month);  // 0 for a month outside 1..12

// The date number of a calendar day, or nothing when the day does not exist or lies outside
// 1801..9999.
std::optional<std::int32_t> dateNumber(int year, int month, int day);
std::optional<std::int32_t> dateNumber(const CivilDate& d);
// The calendar day of a date number, or nothing outside the valid range.
std::optional<CivilDate> civilDate(std::int32_t date);

// 0 Sunday .. 6 Saturday: the date number modulo 7.
int weekday(std::int32_t date);
// "Sunday" .. "Saturday".
const char* weekdayName(std::int32_t date);

// The time number of a clock time (no range check beyond the parts themselves: 0..23 hours,
// 0..59 minutes and seconds, 0..99 hundredths), or nothing when a part is out of range.
std::optional<std::int32_t> timeNumber(int hours, int minutes, int seconds = 0, int hundredths = 0);
// The clock time of a valid time number, or nothing for 0 or an invalid one.
std::optional<ClockTime> clockTime(std::int32_t time);

// The full year that a two-digit year stands for: the one year ending in those digits that lies
// between 80 years before and 19 years after currentYear.
int expandTwoDigitYear(int twoDigits, int currentYear);

}  // namespace trv::text
