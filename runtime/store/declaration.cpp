#include "runtime/store/declaration.h"

#include <cctype>

namespace trv::store {
namespace {

char lowerAscii(char c) {
  return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string lowered(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = lowerAscii(c);
  return out;
}

bool isNumeric(FieldType t) {
  return t != FieldType::String && t != FieldType::CString;
}

std::uint32_t naturalWidth(FieldType t) {
  switch (t) {
    case FieldType::Byte:
      return 1;
    case FieldType::UShort:
      return 2;
    case FieldType::Long:
    case FieldType::ULong:
      return 4;
    default:
      return 0;
  }
}

const char* typeName(FieldType t) {
  switch (t) {
    case FieldType::Byte:
      return "BYTE";
    case FieldType::UShort:
      return "USHORT";
    case FieldType::Long:
      return "LONG";
    case FieldType::ULong:
      return "ULONG";
    case FieldType::String:
      return "STRING";
    case FieldType::CString:
      return "CSTRING";
  }
  return "?";
}

template <typename T>
int findByName(const std::vector<T>& items, std::string_view name) {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (sameName(items[i].name, name)) return static_cast<int>(i);
  return -1;
}

}  // namespace

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

int FileDecl::findField(std::string_view n) const {
  return findByName(fields, n);
}
int FileDecl::findKey(std::string_view n) const {
  return findByName(keys, n);
}
int FileDecl::findMemo(std::string_view n) const {
  return findByName(memos, n);
}

int FileDecl::autoNumberKey() const {
  for (std::size_t i = 0; i < keys.size(); ++i)
    if (keys[i].autoNumber) return static_cast<int>(i);
  return -1;
}

std::string checkDeclaration(const FileDecl& d) {
  if (d.name.empty()) return "file without a name";
  if (d.recordSize == 0) return d.name + ": record size 0";
  for (const FieldDecl& f : d.fields) {
    const std::uint32_t w = naturalWidth(f.type);
    if (w != 0 && f.width != w) return f.name + ": width does not fit its type";
    if (f.width == 0 || f.offset + f.width > d.recordSize) return f.name + ": outside the record";
  }
  int autoKeys = 0;
  for (const KeyDecl& k : d.keys) {
    if (k.components.empty()) return k.name + ": key without components";
    for (std::size_t c : k.components)
      if (c >= d.fields.size()) return k.name + ": component is no field";
    if (k.autoNumber) {
      ++autoKeys;
      if (k.components.size() != 1 || !isNumeric(d.fields[k.components[0]].type) ||
          d.fields[k.components[0]].type == FieldType::Long)
        return k.name + ": an auto-numbered key must be one unsigned number";
      if (!k.unique) return k.name + ": an auto-numbered key must be unique";
    }
  }
  if (autoKeys > 1) return d.name + ": more than one auto-numbered key";
  return {};
}

std::string layoutText(const FileDecl& d) {
  std::string s = "record " + std::to_string(d.recordSize) + "\n";
  for (const FieldDecl& f : d.fields)
    s += "field " + lowered(f.name) + " " + typeName(f.type) + " " + std::to_string(f.offset) +
         " " + std::to_string(f.width) + "\n";
  for (const KeyDecl& k : d.keys) {
    s += "key " + lowered(k.name) + (k.unique ? " unique" : " dup") + (k.autoNumber ? " auto" : "");
    for (std::size_t c : k.components) s += " " + std::to_string(c);
    s += "\n";
  }
  for (const MemoDecl& m : d.memos)
    s += "memo " + lowered(m.name) + " " + std::to_string(m.maxLength) + "\n";
  return s;
}

}  // namespace trv::store
