// Reading scenario files and their values.

#include "tests/scenarios/scenario.h"

#include <gtest/gtest.h>

#include "runtime/text/date_time.h"

namespace trv::scenario {
namespace {

TEST(ScenarioFile, SplitsStepsIntoWordsAndQuotedValues) {
  Parsed p = parseScenario(
      "# a comment\n\ncall ChangeCases change 12\r\n"
      "  expect message \"Line one\\r\\nsaid \\\"hi\\\"\\\\\"\n"
      "insert CLI:SName=\"ACME Ltd\" CLI:PriorityFix=1\n");
  ASSERT_EQ(p.error, "");
  ASSERT_EQ(p.steps.size(), 3u);
  EXPECT_EQ(p.steps[0].line, 3);
  EXPECT_EQ(p.steps[0].tokens.size(), 4u);
  EXPECT_EQ(p.steps[1].tokens[2].text, "Line one\r\nsaid \"hi\"\\");
  EXPECT_TRUE(p.steps[1].tokens[2].quoted);
  EXPECT_EQ(p.steps[2].tokens[1].text, "CLI:SName=\"ACME Ltd\"");
}

TEST(ScenarioFile, MalformedLinesNameTheirLine) {
  EXPECT_EQ(parseScenario("press OK\npress \"OK\n").error, "line 2: unclosed quote");
  EXPECT_EQ(parseScenario("type #2 \"a\\q\"").error, "line 1: unknown escape \\q");
}

TEST(ScenarioFile, MenuPathsSplitAtSlashesButNotAtBackslashSlash) {
  Parsed p = parseScenario("menu \"&HouseHold/&Pass\\/Signature\" File/Exit\n");
  ASSERT_EQ(p.error, "");
  EXPECT_EQ(p.steps[0].tokens[1].text, "&HouseHold/&Pass/Signature");
  EXPECT_EQ(menuPath(p.steps[0].tokens[1]),
            (std::vector<std::string>{"&HouseHold", "&Pass/Signature"}));
  EXPECT_EQ(menuPath(p.steps[0].tokens[2]), (std::vector<std::string>{"File", "Exit"}));
}

TEST(ScenarioValues, DatesAndTimesBecomeTheirNumbers) {
  struct Case {
    const char* text;
    std::optional<std::string> want;
  } cases[] = {
      {"d:2002-05-06", std::to_string(*text::dateNumber(2002, 5, 6))},
      {"t:10:00", "3600001"},
      {"t:10:00:30", "3603001"},
      {"t:9:07", std::to_string(*text::timeNumber(9, 7))},
      {"t:09:07", std::to_string(*text::timeNumber(9, 7))},
      {"t:2:00:05", std::to_string(*text::timeNumber(2, 0, 5))},
      {"t:9:7", std::nullopt},
      {"t:123:00", std::nullopt},
      {"t::00", std::nullopt},
      {"d:2002-02-30", std::nullopt},
      {"t:25:00", std::nullopt},
      {"d:2002-5-6", std::nullopt},
      {"plain", "plain"},
  };
  for (const auto& c : cases) EXPECT_EQ(resolveValue({c.text, false}), c.want) << c.text;
  EXPECT_EQ(resolveValue({"d:2002-05-06", true}), "d:2002-05-06");  // quoted stays text
}

}  // namespace
}  // namespace trv::scenario
