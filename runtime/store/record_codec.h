#pragma once
// Reading and writing single fields of a packed record, and the key images built from them.
//
// Numbers are little-endian in the record. A key image is the byte string whose plain byte
// order (memcmp) is the key's order: text upper-cased (Windows-1252) with trailing blanks
// dropped, so letter case and trailing blanks never matter; signed numbers with the sign bit
// flipped and unsigned ones big-endian. A record whose key fields are all blank or zero has no
// image for that key (std::nullopt) and is left out of it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/store/declaration.h"

namespace trv::store {

// The numeric value of a numeric field (0 for a text field).
std::int64_t readNumber(const FieldDecl& field, const char* record);
// Writes a numeric field; false (record unchanged) when value does not fit the field's type.
bool writeNumber(const FieldDecl& field, char* record, std::int64_t value);

std::optional<std::string> keyImage(const FileDecl& decl, const KeyDecl& key, const char* record);
// The image of one numeric value as a key component of that field's type.
std::string numberImage(FieldType type, std::int64_t value);

enum class SetResult { Ok, NotANumber, OutOfRange, TooLong };

// A field as text: numbers in decimal, text without trailing blanks (Windows-1252 bytes).
std::string fieldText(const FieldDecl& field, const char* record);
// Sets a field from text: numbers must be decimal and fit; text longer than the field is
// refused with TooLong, leaving the record unchanged.
SetResult setFieldText(const FieldDecl& field, char* record, std::string_view text);

}  // namespace trv::store
