#pragma once
// Display pictures: how a value is shown in a control, a list cell, a report or a text file,
// and how typed text is read back.
//
// Pictures are case-insensitive and may start with "@":
//   D5   day/month/two-digit year, 8 characters      " 6/05/02"
//   D6   day/month/year, 10 characters                " 6/05/2002"
//   T1   hours:minutes, 5 characters                  " 9:05"
//   T4   hours:minutes:seconds, 8 characters          " 9:05:30"   (T7 shows the same)
//   N..  numbers: an optional "-" (sign allowed), a fill ("0" leading zeros, "_" or none leading
//        blanks, "*" asterisks), the width: N06 "000042", N_6 "    42"
//   S..  text of that many characters: S20
//   P..P a pattern: "<" a digit or a blank in place of a leading zero, "#" a digit, anything
//        else as it stands: "pPage <<<#p"
// A trailing "B" shows zero as blanks. A day or an hour below 10 shows a blank in place of the
// leading zero; months, minutes and seconds keep theirs. A date outside the date range shows as
// blanks; time 0 shows as 0:00 unless the picture blanks zero. A number too wide for its picture
// shows as "#" characters. Output is blank-padded to the picture's width. A width beyond
// kMaxPictureWidth counts as that width.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace trv::text {

// The widest picture: more than any field or memo of a record holds.
inline constexpr int kMaxPictureWidth = 65535;

// Formats a number (a date number, a time number or a plain number) with the picture. With a
// text picture (S) the number's decimal text is formatted as text.
std::string formatPicture(std::string_view picture, std::int64_t value);

// Formats text with the picture: S pictures cut or pad it to the width; number, date and time
// pictures read it as a number first (text that is no number formats as 0).
std::string formatPicture(std::string_view picture, std::string_view text);

// Reads typed text back with a number, date or time picture. Blank text reads as 0. Returns
// nothing when the text is not a value of that picture (an impossible date, 25:00, letters in a
// number). currentYear places two-digit years (80 years back, 19 ahead).
std::optional<std::int64_t> deformatPicture(std::string_view picture, std::string_view text,
                                            int currentYear);

// The number of characters the picture shows (0 when it has no fixed width).
int pictureWidth(std::string_view picture);

// True for S pictures (and an empty picture, which shows text as it is).
bool isTextPicture(std::string_view picture);

namespace detail {
enum class PictureKind : std::uint8_t { kText, kDate, kTime, kNumber, kPattern };
struct PictureParts {
  PictureKind kind = PictureKind::kText;
  int width = 0;      // characters shown
  int style = 0;      // D5, D6, T1, T4 ...
  char fill = ' ';    // numbers: '0', ' ' or '*'
  bool sign = false;  // numbers: a minus sign is allowed
  bool blankZero = false;
  std::string pattern;  // P pictures, without the P markers
};
}  // namespace detail

// A picture read once, to format many values with (formatPicture reads its picture each time).
class ParsedPicture {
 public:
  explicit ParsedPicture(std::string_view picture);
  // As formatPicture(picture, value).
  std::string format(std::int64_t value) const;

 private:
  std::string picture_;
  detail::PictureParts parts_;
};

}  // namespace trv::text
