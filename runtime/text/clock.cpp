#include "runtime/text/clock.h"

#include <chrono>
#include <ctime>

#include "runtime/text/date_time.h"

namespace trv::text {
namespace {

std::tm localNow(int* hundredths) {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  std::tm tm{};
  localtime_r(&t, &tm);
  if (hundredths) {
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    *hundredths = static_cast<int>(ms % 1000 / 10);
  }
  return tm;
}

}  // namespace

std::int32_t SystemClock::today() const {
  const std::tm tm = localNow(nullptr);
  return dateNumber(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday).value_or(0);
}

std::int32_t SystemClock::now() const {
  int cs = 0;
  const std::tm tm = localNow(&cs);
  return timeNumber(tm.tm_hour, tm.tm_min, tm.tm_sec > 59 ? 59 : tm.tm_sec, cs).value_or(1);
}

std::int64_t SystemClock::monotonicHundredths() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
             .count() /
         10;
}

ManualClock::ManualClock(std::int32_t date, std::int32_t time) {
  set(date, time);
}

void ManualClock::set(std::int32_t date, std::int32_t time) {
  moment_.store(static_cast<std::int64_t>(date) * kHundredthsPerDay + (time > 0 ? time - 1 : 0));
}

std::int32_t ManualClock::today() const {
  return static_cast<std::int32_t>(moment_.load() / kHundredthsPerDay);
}

std::int32_t ManualClock::now() const {
  return static_cast<std::int32_t>(moment_.load() % kHundredthsPerDay) + 1;
}

void ManualClock::advance(std::int64_t hundredths) {
  if (hundredths <= 0) return;
  moment_.fetch_add(hundredths);
  elapsed_.fetch_add(hundredths);
}

}  // namespace trv::text
