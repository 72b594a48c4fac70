#pragma once
// Mail addresses as the mail system accepts them: plain "local@domain" addresses of printable
// ASCII, optionally written as "Name <local@domain>" or with an "SMTP:" prefix.
//
// Pure functions, thread-safe. Anything that could break out of a header or a command line
// (line breaks, angle brackets, blanks, a leading "-") is refused, never repaired.

#include <optional>
#include <string>
#include <string_view>

namespace trv::mail {

struct MailAddress {
  std::string name;     // may be empty
  std::string address;  // "local@domain"
  friend bool operator==(const MailAddress&, const MailAddress&) = default;
};

// True when text is one acceptable bare address.
bool isValidAddress(std::string_view text);

// Reads "local@domain", "SMTP:local@domain", "<local@domain>" or "Name <local@domain>"
// (blanks around the parts ignored, the name may be in double quotes). Nothing when the text
// holds no acceptable address.
std::optional<MailAddress> parseAddress(std::string_view text);

// The text without blanks, tabs and line breaks at either end.
std::string_view trimmed(std::string_view text);

// Equal without regard to ASCII letter case.
bool equalAsciiNoCase(std::string_view a, std::string_view b);

}  // namespace trv::mail
