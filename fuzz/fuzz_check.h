#pragma once
// What the fuzz targets share: the input as text, and a check that stops the run when a
// property that must hold does not.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace trv::fuzz {

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The input cut in two at the first `separator` (all of it and nothing when there is none).
inline std::pair<std::string_view, std::string_view> splitAt(std::string_view in, char separator) {
  const auto at = in.find(separator);
  if (at == std::string_view::npos) return {in, {}};
  return {in.substr(0, at), in.substr(at + 1)};
}

// Up to 8 bytes of `in` as a little-endian number.
inline std::uint64_t numberFrom(std::string_view in) {
  std::uint64_t n = 0;
  for (std::size_t i = 0; i < in.size() && i < 8; ++i)
    n |= std::uint64_t(static_cast<unsigned char>(in[i])) << (8 * i);
  return n;
}

}  // namespace trv::fuzz

#define TRV_FUZZ_CHECK(condition)                                                           \
  do {                                                                                      \
    if (!(condition)) {                                                                     \
      std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                         \
    }                                                                                       \
  } while (false)
