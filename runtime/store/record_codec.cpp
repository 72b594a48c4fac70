#include "runtime/store/record_codec.h"

#include <charconv>
#include <cstring>

#include "runtime/text/charset.h"
#include "runtime/text/fixed_string.h"

namespace trv::store {
namespace {

std::uint64_t readLittle(const char* p, std::uint32_t width) {
  std::uint64_t v = 0;
  for (std::uint32_t i = width; i-- > 0;) v = (v << 8) | static_cast<unsigned char>(p[i]);
  return v;
}

void writeLittle(char* p, std::uint32_t width, std::uint64_t v) {
  for (std::uint32_t i = 0; i < width; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xff);
}

std::string_view textOf(const FieldDecl& f, const char* record) {
  std::string_view raw(record + f.offset, f.width);
  if (f.type == FieldType::CString) raw = raw.substr(0, strnlen(raw.data(), raw.size()));
  return text::clip(raw);
}

}  // namespace

std::int64_t readNumber(const FieldDecl& f, const char* record) {
  const char* p = record + f.offset;
  switch (f.type) {
    case FieldType::Byte:
    case FieldType::UShort:
    case FieldType::ULong:
      return static_cast<std::int64_t>(readLittle(p, f.width));
    case FieldType::Long:
      return static_cast<std::int32_t>(readLittle(p, 4));
    default:
      return 0;
  }
}

bool writeNumber(const FieldDecl& f, char* record, std::int64_t value) {
  std::int64_t lo = 0, hi = 0;
  switch (f.type) {
    case FieldType::Byte:
      hi = 0xff;
      break;
    case FieldType::UShort:
      hi = 0xffff;
      break;
    case FieldType::ULong:
      hi = 0xffffffffLL;
      break;
    case FieldType::Long:
      lo = INT32_MIN;
      hi = INT32_MAX;
      break;
    default:
      return false;
  }
  if (value < lo || value > hi) return false;
  writeLittle(record + f.offset, f.width, static_cast<std::uint64_t>(value));
  return true;
}

std::string numberImage(FieldType type, std::int64_t value) {
  std::uint32_t width = 4;
  std::uint64_t bits = static_cast<std::uint64_t>(value);
  if (type == FieldType::Byte) width = 1;
  if (type == FieldType::UShort) width = 2;
  if (type == FieldType::Long) bits = static_cast<std::uint32_t>(value) ^ 0x80000000u;
  std::string out(width, '\0');
  for (std::uint32_t i = 0; i < width; ++i)
    out[width - 1 - i] = static_cast<char>((bits >> (8 * i)) & 0xff);
  return out;
}

std::optional<std::string> keyImage(const FileDecl& decl, const KeyDecl& key, const char* record) {
  std::string image;
  bool any = false;
  for (std::size_t c : key.components) {
    const FieldDecl& f = decl.fields[c];
    if (f.type == FieldType::String || f.type == FieldType::CString) {
      const std::string_view t = textOf(f, record);
      any = any || !t.empty();
      // Zero and one are escaped so that the terminator sorts a shorter text first.
      for (char ch : t) {
        const char u = text::upper1252(ch);
        if (u == '\0' || u == '\1') {
          image += '\1';
          image += static_cast<char>(u + 1);
        } else {
          image += u;
        }
      }
      image += '\0';
    } else {
      const std::int64_t v = readNumber(f, record);
      any = any || v != 0;
      image += numberImage(f.type, v);
    }
  }
  if (!any) return std::nullopt;
  return image;
}

std::string fieldText(const FieldDecl& f, const char* record) {
  if (f.type == FieldType::String || f.type == FieldType::CString)
    return std::string(textOf(f, record));
  return std::to_string(readNumber(f, record));
}

SetResult setFieldText(const FieldDecl& f, char* record, std::string_view s) {
  char* p = record + f.offset;
  if (f.type == FieldType::String) {
    if (s.size() > f.width) return SetResult::TooLong;
    std::memcpy(p, s.data(), s.size());
    std::memset(p + s.size(), ' ', f.width - s.size());
    return SetResult::Ok;
  }
  if (f.type == FieldType::CString) {
    if (s.size() >= f.width || s.find('\0') != std::string_view::npos) return SetResult::TooLong;
    std::memcpy(p, s.data(), s.size());
    std::memset(p + s.size(), 0, f.width - s.size());
    return SetResult::Ok;
  }
  std::int64_t v = 0;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  if (first != last && *first == '+') ++first;
  auto [end, ec] = std::from_chars(first, last, v);
  if (first == last || ec == std::errc::invalid_argument || end != last)
    return SetResult::NotANumber;
  if (ec == std::errc::result_out_of_range || !writeNumber(f, record, v))
    return SetResult::OutOfRange;
  return SetResult::Ok;
}

}  // namespace trv::store
