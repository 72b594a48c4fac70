#pragma once
// Fixed-width text fields of the packed records.
//
// FixedString<N> is the system's STRING(N): exactly N bytes, blank-padded. CString<N> is
// CSTRING(N): text ended by a zero byte within N bytes, so at most N-1 characters, the rest
// zero-filled. Both have alignment 1 and no padding, so they sit at their stated offsets inside a
// `#pragma pack(1)` record; both are trivially copyable, so a record is its bytes. Assignment cuts
// at the width and never overruns. Comparisons ignore trailing blanks. Text is Windows-1252.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <type_traits>

#include "runtime/text/charset.h"

namespace trv::text {

// The text without trailing blanks (and without trailing zero bytes, which files written by
// other programs may leave in a STRING field).
constexpr std::string_view clip(std::string_view s) {
  std::size_t n = s.size();
  // Eight bytes at a time while they are all blanks or zeros: a field's padding is often most
  // of it. A byte is one of the two when it has no bit but 0x20.
  if (!std::is_constant_evaluated()) {
    while (n >= 8) {
      std::uint64_t w;
      std::memcpy(&w, s.data() + n - 8, sizeof w);
      if ((w & ~0x2020202020202020ull) != 0) break;
      n -= 8;
    }
  }
  while (n > 0 && (s[n - 1] == ' ' || s[n - 1] == '\0')) --n;
  return s.substr(0, n);
}

// Equal when equal after clipping both.
constexpr bool equalClipped(std::string_view a, std::string_view b) {
  return clip(a) == clip(b);
}

// Equal without regard to letter case (Windows-1252), after clipping both.
inline bool equalNoCase(std::string_view a, std::string_view b) {
  a = clip(a);
  b = clip(b);
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upper1252(a[i]) != upper1252(b[i])) return false;
  return true;
}

template <std::size_t N>
class FixedString {
  static_assert(N > 0);

 public:
  static constexpr std::size_t kWidth = N;

  FixedString() { clear(); }
  FixedString(std::string_view s) { assign(s); }  // NOLINT: fields take text by assignment
  FixedString& operator=(std::string_view s) {
    assign(s);
    return *this;
  }

  void clear() { std::memset(bytes_, ' ', N); }
  // Copies at most N bytes of s and pads the rest with blanks.
  void assign(std::string_view s) {
    const std::size_t n = std::min(s.size(), N);
    if (n != 0) std::memcpy(bytes_, s.data(), n);  // an empty view may have no data at all
    std::memset(bytes_ + n, ' ', N - n);
  }

  // All N bytes, padding included.
  std::string_view raw() const { return {bytes_, N}; }
  // The text without trailing blanks.
  std::string_view view() const { return clip(raw()); }
  std::string str() const { return std::string(view()); }
  bool blank() const { return view().empty(); }

  char* data() { return bytes_; }
  const char* data() const { return bytes_; }

  friend bool operator==(const FixedString& a, std::string_view b) { return a.view() == clip(b); }
  template <std::size_t M>
  friend bool operator==(const FixedString& a, const FixedString<M>& b) {
    return a.view() == b.view();
  }

 private:
  char bytes_[N];
};

template <std::size_t N>
class CString {
  static_assert(N > 1);

 public:
  static constexpr std::size_t kWidth = N;
  static constexpr std::size_t kMaxLength = N - 1;

  CString() { clear(); }
  CString(std::string_view s) { assign(s); }  // NOLINT: fields take text by assignment
  CString& operator=(std::string_view s) {
    assign(s);
    return *this;
  }

  void clear() { std::memset(bytes_, 0, N); }
  // Copies at most N-1 bytes of s (up to an embedded zero byte) and zero-fills the rest.
  void assign(std::string_view s) {
    s = s.substr(0, std::min(s.find('\0'), kMaxLength));
    if (!s.empty()) std::memcpy(bytes_, s.data(), s.size());
    std::memset(bytes_ + s.size(), 0, N - s.size());
  }

  // The text up to its zero byte (or all N bytes of a record written without one).
  std::string_view raw() const { return {bytes_, strnlen(bytes_, N)}; }
  // The text without trailing blanks.
  std::string_view view() const { return clip(raw()); }
  std::string str() const { return std::string(view()); }
  bool blank() const { return view().empty(); }

  char* data() { return bytes_; }
  const char* data() const { return bytes_; }

  friend bool operator==(const CString& a, std::string_view b) { return a.view() == clip(b); }

 private:
  char bytes_[N];
};

}  // namespace trv::text
