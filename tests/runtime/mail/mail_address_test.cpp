#include "runtime/mail/mail_address.h"

#include <gtest/gtest.h>

namespace trv::mail {
namespace {

TEST(MailAddress, ReadsTheAcceptedForms) {
  struct Case {
    const char* text;
    MailAddress expected;
  };
  const Case cases[] = {
      {"jan@example.com", {"", "jan@example.com"}},
      {"  SMTP:jan@example.com ", {"", "jan@example.com"}},
      {"smtp:jan@example.com", {"", "jan@example.com"}},
      {"<jan@example.com>", {"", "jan@example.com"}},
      {"Jan de Vries <jan.de.vries@mail.example.nl>",
       {"Jan de Vries", "jan.de.vries@mail.example.nl"}},
      {"\"Vries, Jan\" <jan+desk@example.com>", {"Vries, Jan", "jan+desk@example.com"}},
  };
  for (const Case& c : cases) {
    const auto parsed = parseAddress(c.text);
    ASSERT_TRUE(parsed) << c.text;
    EXPECT_EQ(*parsed, c.expected) << c.text;
  }
}

TEST(MailAddress, RefusesWhatCouldBreakAHeaderOrACommandLine) {
  const char* const bad[] = {
      "",
      "jan",
      "jan@",
      "@example.com",
      "jan@example..com",
      "jan@-example.com",
      "jan doe@example.com",
      "jan@example.com\r\nBcc: victim@example.com",
      "-oQ/tmp@example.com",
      "Jan <jan@example.com",
      "Jan <not an address>",
      "j\xC3\xA4n@example.com",
      "jan..x@example.com",
  };
  for (const char* text : bad) EXPECT_FALSE(parseAddress(text)) << text;
}

}  // namespace
}  // namespace trv::mail
