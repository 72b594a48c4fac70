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

// Whether every byte is plain ASCII: such text reads the same in Windows-1252 and in UTF-8.
bool isAscii(std::string_view s);

// Windows-1252 to UTF-8. The five undefined bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the
// C1 control code points of the same value, so the conversion is lossless and reversible.
std::string toUtf8(std::string_view cp1252);

// UTF-8 to Windows-1252. A character the set cannot hold, and a malformed UTF-8 sequence,
// become "?": this never fails. Use fromUtf8Strict where such text must be refused instead.
std::string fromUtf8(std::string_view utf8);

// As fromUtf8, but returns nothing when any character cannot be held (or the input is not
// valid UTF-8), so that input can be refused rather than stored changed.
std::optional<std::string> fromUtf8Strict(std::string_view utf8);

// The first `chars` characters of a UTF-8 text (a malformed byte counts as one character), so
// that a cut never splits a character.
std::string firstCharacters(std::string_view utf8, std::size_t chars);
// How many characters a UTF-8 text holds, counted as firstCharacters counts them.
std::size_t characterCount(std::string_view utf8);

// The characters of a UTF-8 text that Windows-1252 cannot hold, each once, in the order they
// first appear, separated by blanks ("中 文"); empty when every one can be held. A malformed
// sequence is shown as U+FFFD.
std::string unstorableCharacters(std::string_view utf8);

}  // namespace trv::text
