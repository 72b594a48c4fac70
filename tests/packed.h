#pragma once
// Reading a field of a packed record into a test assertion: the assertion macros bind their
// arguments to references, which a misaligned packed field cannot give, so take a copy first.

namespace trv::testing {

template <typename T>
constexpr T packed(T value) {
  return value;
}

}  // namespace trv::testing
