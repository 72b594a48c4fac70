#include "runtime/text/charset.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace trv::text {
namespace {

// Code points of bytes 0x80..0x9F; the undefined five keep their own value.
constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98-9F
};

char32_t codePointOf(unsigned char b) {
  if (b >= 0x80 && b <= 0x9F) return kHighControls[b - 0x80];
  return b;
}

std::optional<unsigned char> byteOf(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
  for (std::size_t i = 0; i < kHighControls.size(); ++i)
    if (kHighControls[i] == cp) return static_cast<unsigned char>(0x80 + i);
  return std::nullopt;
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; advances i. Returns nothing for a malformed sequence
// (i then moves past the offending byte only).
std::optional<char32_t> decodeUtf8(std::string_view s, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(s[i++]);
  if (lead < 0x80) return lead;
  int extra;
  char32_t cp;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1, cp = lead & 0x1F;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2, cp = lead & 0x0F;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3, cp = lead & 0x07;
  } else {
    return std::nullopt;
  }
  for (int k = 0; k < extra; ++k) {
    if (i >= s.size()) return std::nullopt;
    const auto c = static_cast<unsigned char>(s[i]);
    if ((c & 0xC0) != 0x80) return std::nullopt;
    cp = (cp << 6) | (c & 0x3F);
    ++i;
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
  return cp;
}

template <bool kStrict>
std::optional<std::string> convertFromUtf8(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto cp = decodeUtf8(utf8, i);
    const auto b = cp ? byteOf(*cp) : std::nullopt;
    if (b) {
      out += static_cast<char>(*b);
    } else if constexpr (kStrict) {
      return std::nullopt;
    } else {
      out += '?';
    }
  }
  return out;
}

}  // namespace

char upper1252(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
  if (b >= 0xE0 && b <= 0xFE && b != 0xF7) return static_cast<char>(b - 32);
  switch (b) {
    case 0x9A:
      return static_cast<char>(0x8A);  // s caron
    case 0x9C:
      return static_cast<char>(0x8C);  // oe
    case 0x9E:
      return static_cast<char>(0x8E);  // z caron
    case 0xFF:
      return static_cast<char>(0x9F);  // y diaeresis
    default:
      return c;
  }
}

char lower1252(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'A' && b <= 'Z') return static_cast<char>(b + 32);
  if (b >= 0xC0 && b <= 0xDE && b != 0xD7) return static_cast<char>(b + 32);
  switch (b) {
    case 0x8A:
      return static_cast<char>(0x9A);
    case 0x8C:
      return static_cast<char>(0x9C);
    case 0x8E:
      return static_cast<char>(0x9E);
    case 0x9F:
      return static_cast<char>(0xFF);
    default:
      return c;
  }
}

std::string upper1252(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = upper1252(c);
  return out;
}

bool isAscii(std::string_view s) {
  // Eight bytes at a time: record texts are long and mostly ASCII.
  std::size_t at = 0;
  std::uint64_t high = 0;
  for (; at + 8 <= s.size(); at += 8) {
    std::uint64_t w;
    std::memcpy(&w, s.data() + at, sizeof w);
    high |= w;
  }
  for (; at < s.size(); ++at) high |= static_cast<unsigned char>(s[at]);
  return (high & 0x8080808080808080ull) == 0;
}

std::string toUtf8(std::string_view cp1252) {
  // Plain ASCII (most record text) is the same in UTF-8: copied at once.
  std::size_t ascii = 0;
  while (ascii < cp1252.size() && static_cast<unsigned char>(cp1252[ascii]) < 0x80) ++ascii;
  if (ascii == cp1252.size()) return std::string(cp1252);
  std::string out;
  out.reserve(cp1252.size() + cp1252.size() / 4);
  out.append(cp1252.substr(0, ascii));
  for (char c : cp1252.substr(ascii)) appendUtf8(out, codePointOf(static_cast<unsigned char>(c)));
  return out;
}

std::string fromUtf8(std::string_view utf8) {
  return *convertFromUtf8<false>(utf8);
}

std::optional<std::string> fromUtf8Strict(std::string_view utf8) {
  return convertFromUtf8<true>(utf8);
}

std::string firstCharacters(std::string_view utf8, std::size_t chars) {
  std::size_t i = 0;
  for (std::size_t n = 0; n < chars && i < utf8.size(); ++n) (void)decodeUtf8(utf8, i);
  return std::string(utf8.substr(0, i));
}

std::size_t characterCount(std::string_view utf8) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < utf8.size(); ++n) (void)decodeUtf8(utf8, i);
  return n;
}

std::string unstorableCharacters(std::string_view utf8) {
  std::u32string seen;
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto cp = decodeUtf8(utf8, i);
    if (cp && byteOf(*cp)) continue;
    const char32_t shown = cp ? *cp : U'\uFFFD';
    if (seen.find(shown) != std::u32string::npos) continue;
    seen += shown;
    if (!out.empty()) out += ' ';
    appendUtf8(out, shown);
  }
  return out;
}

}  // namespace trv::text
