#pragma once
// The records' 8-bit character set (Windows-1252) and its edges.
//
// Every text inside a record is Windows-1252 so that field widths, cuts and case folding stay
// exact; conversion to and from UTF-8 happens only where text leaves or enters the program (the
// screen, mail, files written for other programs). All functions are pure and thread-safe.

#include <optional>
#include <string>
#include <string_view>

namespace trv::text {

// Case folding in Windows-1252: ASCII letters and the accented letters of the upper half
// (including the pairs S/s caron, Z/z caron, OE/oe and Y diaeresis).
char upper1252(char c);
char lower1252(char c);
std::string upper1252(std::string_view s);

// Windows-1252 to UTF-8. The five undefined bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the
// C1 control code points of the same value, so the conversion is lossless and reversible.
std::string toUtf8(std::string_view cp1252);

// UTF-8 to Windows-1252. A character the set cannot hold, and a malformed UTF-8 sequence,
// become "?": this never fails. Use fromUtf8Strict where such text must be refused instead.
std::string fromUtf8(std::string_view utf8);

// As fromUtf8, but returns nothing when any character cannot be held (or the input is not
// valid UTF-8), so that input can be refused rather than stored changed.
std::optional<std::string> fromUtf8Strict(std::string_view utf8);

}  // namespace trv::text
