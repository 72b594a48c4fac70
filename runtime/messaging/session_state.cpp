#include "runtime/messaging/session_state.h"

#include "runtime/text/charset.h"

namespace trv::messaging::detail {

std::string outText(std::string_view utf8) {
  std::string out = text::fromUtf8(utf8);
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

std::string outLines(std::string_view utf8) {
  std::string crlf;
  crlf.reserve(utf8.size() + utf8.size() / 32);
  for (char c : utf8) {
    if (c == '\n')
      crlf += "\r\n";
    else if (c != '\r')
      crlf += c;
  }
  return text::fromUtf8(crlf);
}

std::optional<std::int64_t> numberOf(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return negative ? -n : n;
}

}  // namespace trv::messaging::detail
