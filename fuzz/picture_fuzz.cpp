// Display pictures with typed text and with numbers, and date and time numbers.
// Input: a picture, a line feed, then the text; the text's first bytes also give a number.

#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "runtime/text/date_time.h"
#include "runtime/text/picture.h"

using namespace trv::text;

namespace {

void datesAndTimes(std::int64_t n) {
  const auto date = static_cast<std::int32_t>(n);
  if (const auto d = civilDate(date)) {
    TRV_FUZZ_CHECK(dateNumber(*d) == date);
    const std::string shown = formatPicture("@D6", date);
    TRV_FUZZ_CHECK(deformatPicture("@D6", shown, 2002) == date);
  }
  if (const auto t = clockTime(date)) {
    TRV_FUZZ_CHECK(timeNumber(t->hours, t->minutes, t->seconds, t->hundredths) == date);
    const auto wholeSeconds = timeNumber(t->hours, t->minutes, t->seconds);
    TRV_FUZZ_CHECK(deformatPicture("@T4", formatPicture("@T4", date), 2002) == wholeSeconds);
  }
  const int currentYear = 1801 + static_cast<int>((static_cast<std::uint64_t>(n) >> 32) % 8199);
  const int twoDigits = static_cast<int>(static_cast<std::uint64_t>(n) % 100);
  const int year = expandTwoDigitYear(twoDigits, currentYear);
  TRV_FUZZ_CHECK(year % 100 == twoDigits && year >= currentYear - 80 && year <= currentYear + 19);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto [picture, text] = trv::fuzz::splitAt(trv::fuzz::asText(data, size), '\n');
  const auto number = static_cast<std::int64_t>(trv::fuzz::numberFrom(text));

  const int width = pictureWidth(picture);
  TRV_FUZZ_CHECK(width >= 0);
  const std::string fromText = formatPicture(picture, text);
  const std::string fromNumber = formatPicture(picture, number);
  if (width > 0) {
    TRV_FUZZ_CHECK(fromText.size() == std::size_t(width));
    TRV_FUZZ_CHECK(fromNumber.size() == std::size_t(width));
  }
  (void)isTextPicture(picture);

  const int currentYear = 1801 + static_cast<int>(size % 8199);
  if (const auto v = deformatPicture(picture, text, currentYear)) (void)formatPicture(picture, *v);
  datesAndTimes(number);
  return 0;
}
