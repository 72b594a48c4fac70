#pragma once
// Scenario files: one step per line, words and double-quoted values.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trv::scenario {

struct Token {
  std::string text;      // unquoted, escapes resolved
  bool quoted = false;   // written in double quotes
  std::string raw = {};  // as written between the quotes, escapes kept
};

struct Step {
  int line = 0;
  std::string source;  // the line as written
  std::vector<Token> tokens;
};

// Splits a file into steps; blank lines and lines starting with "#" are skipped. An unclosed
// quote or an unknown escape gives an error naming the line.
struct Parsed {
  std::vector<Step> steps;
  std::string error;
};
Parsed parseScenario(std::string_view text);

// The item texts of a menu path ("S&ystem/&Users"): split at each "/", where "\/" is a slash
// inside an item's text.
std::vector<std::string> menuPath(const Token& token);

// Values: "d:2002-05-06" a date number, "t:10:00" / "t:10:00:30" / "t:9:07" a time number, anything
// else as it stands. Nothing for a malformed d: or t: value.
std::optional<std::string> resolveValue(const Token& token);

}  // namespace trv::scenario
