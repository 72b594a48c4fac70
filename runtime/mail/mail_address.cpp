#include "runtime/mail/mail_address.h"

#include <algorithm>

namespace trv::mail {
namespace {

char lowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isAtomChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  if (u <= 0x20 || u >= 0x7F) return false;
  switch (c) {
    case '<':
    case '>':
    case '(':
    case ')':
    case '[':
    case ']':
    case ',':
    case ';':
    case ':':
    case '\\':
    case '"':
    case '@':
      return false;
    default:
      return true;
  }
}

bool isValidLocalPart(std::string_view s) {
  if (s.empty() || s.size() > 64 || s.front() == '.' || s.back() == '.') return false;
  if (s.find("..") != std::string_view::npos) return false;
  return std::all_of(s.begin(), s.end(), isAtomChar);
}

bool isValidDomain(std::string_view s) {
  if (s.empty() || s.size() > 253) return false;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = s.find('.', start);
    const std::string_view label =
        s.substr(start, dot == std::string_view::npos ? s.npos : dot - start);
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
      return false;
    for (char c : label) {
      const bool ok =
          (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
      if (!ok) return false;
    }
    if (dot == std::string_view::npos) return true;
    start = dot + 1;
  }
}

}  // namespace

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

bool equalAsciiNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lowerAscii(x) == lowerAscii(y);
         });
}

bool isValidAddress(std::string_view text) {
  if (text.size() > 254 || text.empty() || text.front() == '-') return false;
  const std::size_t at = text.rfind('@');
  if (at == std::string_view::npos) return false;
  return isValidLocalPart(text.substr(0, at)) && isValidDomain(text.substr(at + 1));
}

std::optional<MailAddress> parseAddress(std::string_view text) {
  text = trimmed(text);
  if (text.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
  if (text.size() >= 5 && equalAsciiNoCase(text.substr(0, 5), "SMTP:"))
    text = trimmed(text.substr(5));

  const std::size_t open = text.rfind('<');
  if (open == std::string_view::npos) {
    if (!isValidAddress(text)) return std::nullopt;
    return MailAddress{{}, std::string(text)};
  }
  if (text.back() != '>') return std::nullopt;
  const std::string_view address = text.substr(open + 1, text.size() - open - 2);
  if (!isValidAddress(address)) return std::nullopt;
  std::string_view name = trimmed(text.substr(0, open));
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
    name = name.substr(1, name.size() - 2);
  if (name.find_first_of("<>\"") != std::string_view::npos) return std::nullopt;
  return MailAddress{std::string(trimmed(name)), std::string(address)};
}

}  // namespace trv::mail
