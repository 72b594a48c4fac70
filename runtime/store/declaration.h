#pragma once
// File declarations: what the store needs to know of a data file.
//
// A declaration names the file, describes its packed record (fields with type, offset and
// width), its keys (components, unique or duplicates, auto-number, registered description) and
// its memos. The store keeps a canonical text of the layout inside each file and refuses a file
// whose stored layout differs (InvalidRecordDeclaration). Declarations are plain values; build
// them once and share them read-only between threads.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trv::store {

enum class FieldType : std::uint8_t {
  Byte,     // 8-bit unsigned
  UShort,   // 16-bit unsigned, little-endian
  Long,     // 32-bit signed, little-endian
  ULong,    // 32-bit unsigned, little-endian
  String,   // exactly `width` bytes, blank-padded
  CString,  // zero-ended within `width` bytes
};

struct FieldDecl {
  std::string name;  // as the system spells it: "CLI:SName"
  FieldType type = FieldType::Byte;
  std::uint32_t offset = 0;
  std::uint32_t width = 1;
};

struct KeyDecl {
  std::string name;                     // "CLI:SNameKey"
  std::string description;              // shown by the duplicate-key message
  std::vector<std::size_t> components;  // field indexes, all ascending
  bool unique = false;
  bool primary = false;
  bool autoNumber = false;  // one numeric component; an added record with 0 there gets max+1
};

struct MemoDecl {
  std::string name;  // "SER:History"
  std::uint32_t maxLength = 0;
};

struct FileDecl {
  std::string name;  // "Sercase"
  std::string prefix;
  std::uint32_t recordSize = 0;
  std::vector<FieldDecl> fields;
  std::vector<KeyDecl> keys;
  std::vector<MemoDecl> memos;
  bool createWhenMissing = true;

  // Index of the field, key or memo of that name (letter case ignored), or -1.
  int findField(std::string_view fieldName) const;
  int findKey(std::string_view keyName) const;
  int findMemo(std::string_view memoName) const;
  // Index of the auto-numbered key, or -1.
  int autoNumberKey() const;
};

// Empty when the declaration is sound, else what is wrong with it (a field outside the record,
// a key without components, an auto-numbered key that is not one numeric field ...).
std::string checkDeclaration(const FileDecl& decl);

// The canonical text of the stored layout: record size, fields, keys and memos (names compared
// without regard to case; descriptions are not part of the layout).
std::string layoutText(const FileDecl& decl);

// Letter-case-blind comparison of names (ASCII).
bool sameName(std::string_view a, std::string_view b);

}  // namespace trv::store
