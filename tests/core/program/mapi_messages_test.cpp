#include "core/program/mapi_messages.h"

#include <gtest/gtest.h>

namespace trv::core {
namespace {

TEST(MapiMessages, LogonAndLogoffResultsHaveTheirOwnTexts) {
  struct Case {
    std::uint32_t result;
    std::optional<std::string> logon, logoff;
  };
  const Case cases[] = {
      {0, std::nullopt, std::nullopt},
      {2, "MS-Mail Unspecified error(s) occurred while signing in.", "Ms-Mail Error:2"},
      {5, "MS-Mail Insufficient Memory to proceed.", "MS-Mail Insufficient memory to proceed."},
      {8, "MS-Mail Too Many Sessions.", "Ms-Mail Error:8"},
      {3, "Some odd MS-Mail Error !?:00003", "Ms-Mail Error:3"},
      {19, "Some odd MS-Mail Error !?:00019", std::nullopt},
      {26, "Some odd MS-Mail Error !?:00026", "Ms-Mail Error:26"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(logonResultText(c.result), c.logon) << c.result;
    EXPECT_EQ(logoffResultText(c.result), c.logoff) << c.result;
  }
}

}  // namespace
}  // namespace trv::core
