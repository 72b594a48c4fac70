#pragma once
// The injectable clock: every piece of the program takes today's date and the time from a Clock
// passed in, never from the system directly, so that tests and scenarios run at a set moment.

#include <atomic>
#include <cstdint>

namespace trv::text {

class Clock {
 public:
  virtual ~Clock() = default;
  // Today's date number on this workstation.
  virtual std::int32_t today() const = 0;
  // Now's time number on this workstation (1..8640000).
  virtual std::int32_t now() const = 0;
  // A count of hundredths of a second that never goes backwards; timers run on it.
  virtual std::int64_t monotonicHundredths() const = 0;
};

// The workstation's own clock: local date and time, steady time for timers.
class SystemClock final : public Clock {
 public:
  std::int32_t today() const override;
  std::int32_t now() const override;
  std::int64_t monotonicHundredths() const override;
};

// A clock that moves only when told to. Thread-safe: one thread may advance it while others
// read it.
class ManualClock final : public Clock {
 public:
  ManualClock(std::int32_t date, std::int32_t time);

  std::int32_t today() const override;
  std::int32_t now() const override;
  std::int64_t monotonicHundredths() const override { return elapsed_.load(); }

  // Sets the date and time; the monotonic count is unaffected.
  void set(std::int32_t date, std::int32_t time);
  // Moves date, time and the monotonic count on by the given hundredths (not negative).
  void advance(std::int64_t hundredths);

 private:
  std::atomic<std::int64_t> moment_;  // date number * hundredths per day + (time - 1)
  std::atomic<std::int64_t> elapsed_{0};
};

}  // namespace trv::text
