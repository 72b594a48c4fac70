#include "runtime/text/picture.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <vector>

#include "runtime/text/date_time.h"

namespace trv::text {
namespace {

using Kind = detail::PictureKind;
using Picture = detail::PictureParts;

char lowerAscii(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

Picture parse(std::string_view p) {
  Picture pic;
  if (!p.empty() && p.front() == '@') p.remove_prefix(1);
  if (p.empty()) return pic;
  const char k = lowerAscii(p.front());
  if (k == 'p') {
    pic.kind = Kind::kPattern;
    std::string_view body = p.substr(1);
    if (!body.empty() && lowerAscii(body.back()) == 'p') body.remove_suffix(1);
    if (!body.empty() && (body.back() == 'b' || body.back() == 'B')) {
      pic.blankZero = true;
      body.remove_suffix(1);
    }
    pic.pattern = std::string(body);
    pic.width = static_cast<int>(pic.pattern.size());
    return pic;
  }
  std::string_view rest = p.substr(1);
  if (!rest.empty() && lowerAscii(rest.back()) == 'b') {
    pic.blankZero = true;
    rest.remove_suffix(1);
  }
  if (k == 'n') {
    pic.kind = Kind::kNumber;
    if (!rest.empty() && rest.front() == '-') pic.sign = true, rest.remove_prefix(1);
    if (!rest.empty() && (rest.front() == '0' || rest.front() == '_' || rest.front() == '*')) {
      pic.fill = rest.front() == '_' ? ' ' : rest.front();
      rest.remove_prefix(1);
    }
  }
  // A width beyond what any field holds is taken as the widest: it never overflows and never
  // asks for gigabytes of blanks.
  int n = 0;
  std::size_t i = 0;
  while (i < rest.size() && std::isdigit(static_cast<unsigned char>(rest[i])))
    n = std::min(n * 10 + (rest[i++] - '0'), kMaxPictureWidth);
  switch (k) {
    case 'd':
      pic.kind = Kind::kDate;
      pic.style = n == 5 ? 5 : 6;
      pic.width = pic.style == 5 ? 8 : 10;
      break;
    case 't':
      pic.kind = Kind::kTime;
      pic.style = n == 1 ? 1 : 4;
      pic.width = pic.style == 1 ? 5 : 8;
      break;
    case 'n':
      pic.width = n;
      break;
    default:
      pic.kind = Kind::kText;
      pic.width = n;
      break;
  }
  return pic;
}

std::string blanks(int width) {
  return std::string(static_cast<std::size_t>(width), ' ');
}

std::string padRight(std::string s, int width) {
  if (width > 0 && static_cast<int>(s.size()) < width) s.append(width - s.size(), ' ');
  return s;
}

// Writes v's last two digits at `out`, a blank for a leading zero when asked.
void putTwoDigits(char* out, int v, bool blankLead) {
  out[0] = blankLead && v < 10 ? ' ' : static_cast<char>('0' + v / 10 % 10);
  out[1] = static_cast<char>('0' + v % 10);
}

std::string formatDate(const Picture& pic, std::int64_t value) {
  // A number beyond 32 bits is no date (it must not wrap round to one).
  const bool inRange = value >= kFirstDateNumber && value <= kLastDateNumber;
  const auto d = inRange ? civilDate(static_cast<std::int32_t>(value)) : std::nullopt;
  if (!d || (pic.blankZero && value == 0)) return blanks(pic.width);
  char buf[8];
  putTwoDigits(buf, d->day, true);
  buf[2] = '/';
  putTwoDigits(buf + 3, d->month, false);
  buf[5] = '/';
  if (pic.style == 5) {
    putTwoDigits(buf + 6, d->year % 100, false);
    return std::string(buf, 8);
  }
  char y[8];
  std::snprintf(y, sizeof y, "%04d", d->year);
  return std::string(buf, 6) + y;
}

std::string formatTime(const Picture& pic, std::int64_t value) {
  if (value == 0 && pic.blankZero) return blanks(pic.width);
  if (value < 0 || value > kLastTimeNumber) return blanks(pic.width);
  const std::int64_t h = value > 0 ? value - 1 : 0;
  char buf[8];
  putTwoDigits(buf, static_cast<int>(h / kHundredthsPerHour), true);
  buf[2] = ':';
  putTwoDigits(buf + 3, static_cast<int>(h / kHundredthsPerMinute % 60), false);
  if (pic.style != 4) return std::string(buf, 5);
  buf[5] = ':';
  putTwoDigits(buf + 6, static_cast<int>(h / 100 % 60), false);
  return std::string(buf, 8);
}

// The decimal digits of the value's magnitude; the smallest 64-bit number has no positive
// counterpart, so the magnitude is taken unsigned.
std::string magnitudeDigits(std::int64_t value) {
  const auto u = static_cast<std::uint64_t>(value);
  return std::to_string(value < 0 ? ~u + 1 : u);
}

std::string formatNumber(const Picture& pic, std::int64_t value) {
  if (value == 0 && pic.blankZero) return blanks(pic.width);
  const bool negative = value < 0;
  const auto u = static_cast<std::uint64_t>(value);
  char digits[24];
  const std::size_t count = static_cast<std::size_t>(
      std::to_chars(digits, digits + sizeof digits, negative ? ~u + 1 : u).ptr - digits);
  std::string out;
  const std::size_t need = count + (negative ? 1 : 0);
  const std::size_t width = pic.width > 0 ? static_cast<std::size_t>(pic.width) : need;
  if (need > width) return std::string(width, '#');
  out.reserve(width);
  if (pic.fill == ' ') out.append(width - need, ' ');
  if (negative) out.push_back('-');
  if (pic.fill != ' ') out.append(width - need, pic.fill);
  out.append(digits, count);
  return out;
}

std::string formatPattern(const Picture& pic, std::int64_t value) {
  if (value == 0 && pic.blankZero) return blanks(pic.width);
  const std::string digits = magnitudeDigits(value);
  std::string out = pic.pattern;
  // Fill digit positions from the right.
  int di = static_cast<int>(digits.size()) - 1;
  for (int i = static_cast<int>(out.size()) - 1; i >= 0; --i) {
    const char c = out[i];
    if (c != '<' && c != '#') continue;
    if (di >= 0) {
      out[i] = digits[di--];
    } else {
      out[i] = c == '#' ? '0' : ' ';
    }
  }
  return out;
}

std::optional<std::int64_t> parseInteger(std::string_view s) {
  std::string cleaned;
  for (char c : s)
    if (c != ' ' && c != ',') cleaned += c;
  if (cleaned.empty()) return 0;
  std::int64_t v = 0;
  const char* first = cleaned.data();
  const char* last = first + cleaned.size();
  if (*first == '+') ++first;
  const auto [ptr, ec] = std::from_chars(first, last, v);
  if (ec != std::errc() || ptr != last) return std::nullopt;
  return v;
}

// A run of digits in typed text.
struct NumberRun {
  int value = 0;
  int digits = 0;  // leading zeros included, counted up to 3
};

// Splits typed text into runs of digits at "/", "-", ".", ":" and blanks. Nothing when the text
// holds any other character or a number far beyond any part of a date or time.
std::optional<std::vector<NumberRun>> numberRuns(std::string_view s) {
  constexpr int kTooLarge = 100000000;  // one digit more still fits an int
  std::vector<NumberRun> runs;
  bool inRun = false;
  for (char c : s) {
    if (std::isdigit(static_cast<unsigned char>(c))) {
      if (!inRun) runs.emplace_back(), inRun = true;
      NumberRun& run = runs.back();
      if (run.value >= kTooLarge) return std::nullopt;
      run.value = run.value * 10 + (c - '0');
      if (run.digits < 3) ++run.digits;  // only "two digits or more" matters
    } else if (c == '/' || c == '-' || c == '.' || c == ':' || c == ' ') {
      inRun = false;
    } else {
      return std::nullopt;
    }
  }
  return runs;
}

std::string formatValue(const Picture& pic, std::string_view picture, std::int64_t value) {
  switch (pic.kind) {
    case Kind::kDate:
      return formatDate(pic, value);
    case Kind::kTime:
      return formatTime(pic, value);
    case Kind::kNumber:
      return formatNumber(pic, value);
    case Kind::kPattern:
      return formatPattern(pic, value);
    case Kind::kText:
      break;
  }
  return formatPicture(picture, std::string_view(std::to_string(value)));
}

bool isBlank(std::string_view s) {
  for (char c : s)
    if (c != ' ') return false;
  return true;
}

}  // namespace

std::string formatPicture(std::string_view picture, std::int64_t value) {
  return formatValue(parse(picture), picture, value);
}

ParsedPicture::ParsedPicture(std::string_view picture)
    : picture_(picture), parts_(parse(picture)) {}

std::string ParsedPicture::format(std::int64_t value) const {
  return formatValue(parts_, picture_, value);
}

std::string formatPicture(std::string_view picture, std::string_view text) {
  const Picture pic = parse(picture);
  if (pic.kind != Kind::kText) return formatPicture(picture, parseInteger(text).value_or(0));
  if (pic.width <= 0) return std::string(text);
  return padRight(std::string(text.substr(0, static_cast<std::size_t>(pic.width))), pic.width);
}

std::optional<std::int64_t> deformatPicture(std::string_view picture, std::string_view text,
                                            int currentYear) {
  const Picture pic = parse(picture);
  if (isBlank(text)) return 0;
  switch (pic.kind) {
    case Kind::kDate: {
      const auto runs = numberRuns(text);
      if (!runs || runs->size() != 3) return std::nullopt;
      const NumberRun& y = (*runs)[2];
      const int year = y.digits <= 2 ? expandTwoDigitYear(y.value, currentYear) : y.value;
      const auto d = dateNumber(year, (*runs)[1].value, (*runs)[0].value);
      if (!d) return std::nullopt;
      return *d;
    }
    case Kind::kTime: {
      const auto runs = numberRuns(text);
      if (!runs || runs->empty() || runs->size() > 3) return std::nullopt;
      const auto part = [&](std::size_t i) { return i < runs->size() ? (*runs)[i].value : 0; };
      const auto t = timeNumber(part(0), part(1), part(2));
      if (!t) return std::nullopt;
      return *t;
    }
    case Kind::kNumber:
    case Kind::kPattern:
    case Kind::kText: {
      const auto v = parseInteger(text);
      if (!v) return std::nullopt;
      if (pic.kind == Kind::kNumber && !pic.sign && *v < 0) return std::nullopt;
      return v;
    }
  }
  return std::nullopt;
}

int pictureWidth(std::string_view picture) {
  return parse(picture).width;
}

bool isTextPicture(std::string_view picture) {
  return parse(picture).kind == Kind::kText;
}

}  // namespace trv::text
