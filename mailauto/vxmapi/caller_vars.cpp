#include "mailauto/vxmapi/caller_vars.h"

#include <cstring>

namespace trv::mailauto {

std::string fieldText(const char* field, std::size_t size) {
  if (!field) return {};
  const void* end = std::memchr(field, '\0', size);
  return std::string(field, end ? static_cast<const char*>(end) - field : size);
}

std::string TextVar::get() const {
  return fieldText(buffer_, size_);
}

void TextVar::put(std::string_view text) const {
  if (!buffer_) return;
  const std::size_t n = std::min<std::size_t>(text.size(), size_ - 1);
  std::memcpy(buffer_, text.data(), n);
  buffer_[n] = '\0';
}

std::string_view withoutTrailingBlanks(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  return text;
}

std::int64_t leadingNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::int64_t n = 0;
  for (int digits = 0; i < text.size() && text[i] >= '0' && text[i] <= '9' && digits < 18;
       ++i, ++digits)
    n = n * 10 + (text[i] - '0');
  return negative ? -n : n;
}

}  // namespace trv::mailauto
