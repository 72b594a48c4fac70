#pragma once
// Use variables for the common kinds of program data. The referenced object must outlive the
// window that uses it. Record fields keep Windows-1252 text; the control shows UTF-8, and text
// that the field's charset cannot hold never reaches the field (the window refuses it at input).

#include <charconv>
#include <cstdint>
#include <string>
#include <type_traits>

#include "runtime/text/charset.h"
#include "runtime/text/fixed_string.h"
#include "runtime/ui/control.h"

namespace trv::ui {

// A UTF-8 program variable.
inline UseVar useText(std::string name, std::string& var) {
  return {std::move(name), [&var] { return Value(var); },
          [&var](const Value& v) { var = valueText(v); }};
}

// A whole-number variable or record field (BYTE, SHORT, USHORT, LONG, ULONG).
template <typename Int>
requires std::is_integral_v<Int> UseVar useNumber(std::string name, Int& var) {
  return {std::move(name), [&var] { return Value(static_cast<std::int64_t>(var)); },
          [&var](const Value& v) { var = static_cast<Int>(valueNumber(v)); }};
}

// A STRING(N) record field in Windows-1252; shown without trailing blanks.
template <std::size_t N>
UseVar useField(std::string name, text::FixedString<N>& field) {
  return {std::move(name), [&field] { return Value(text::toUtf8(field.view())); },
          [&field](const Value& v) { field = text::fromUtf8(valueText(v)); }, static_cast<int>(N)};
}

}  // namespace trv::ui
