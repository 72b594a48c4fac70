#include "tests/scenarios/scenario.h"

#include <charconv>

#include "runtime/text/date_time.h"

namespace trv::scenario {
namespace {

bool number(std::string_view s, int& out) {
  auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && p == s.data() + s.size() && !s.empty();
}

}  // namespace

Parsed parseScenario(std::string_view text) {
  Parsed out;
  int lineNo = 0;
  std::size_t at = 0;
  while (at <= text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos || line[first] == '#') {
      if (end == text.size()) break;
      continue;
    }
    Step step;
    step.line = lineNo;
    step.source = std::string(line.substr(first));
    std::size_t i = first;
    while (i < line.size()) {
      if (line[i] == ' ' || line[i] == '\t') {
        ++i;
        continue;
      }
      Token tok;
      if (line[i] == '"') {
        tok.quoted = true;
        ++i;
        bool closed = false;
        while (i < line.size()) {
          char c = line[i++];
          if (c == '"') {
            closed = true;
            break;
          }
          tok.raw += c;
          if (c == '\\' && i < line.size()) {
            char e = line[i++];
            tok.raw += e;
            switch (e) {
              case 'n':
                tok.text += '\n';
                break;
              case 'r':
                tok.text += '\r';
                break;
              case 't':
                tok.text += '\t';
                break;
              case '"':
                tok.text += '"';
                break;
              case '\\':
                tok.text += '\\';
                break;
              case '/':  // a slash inside a menu item's text
                tok.text += '/';
                break;
              default:
                out.error = "line " + std::to_string(lineNo) + ": unknown escape \\" + e;
                return out;
            }
            continue;
          }
          tok.text += c;
        }
        if (!closed) {
          out.error = "line " + std::to_string(lineNo) + ": unclosed quote";
          return out;
        }
      } else {
        // A bare word; KEY="value" keeps its quoted part inside the word.
        bool inQuote = false;
        while (i < line.size() && (inQuote || (line[i] != ' ' && line[i] != '\t'))) {
          if (line[i] == '"') inQuote = !inQuote;
          tok.text += line[i++];
        }
        tok.raw = tok.text;
      }
      step.tokens.push_back(std::move(tok));
    }
    out.steps.push_back(std::move(step));
    if (end == text.size()) break;
  }
  return out;
}

std::vector<std::string> menuPath(const Token& token) {
  std::vector<std::string> out(1);
  const std::string& r = token.quoted ? token.raw : token.text;
  for (std::size_t i = 0; i < r.size(); ++i) {
    if (r[i] == '/') {
      out.emplace_back();
    } else if (r[i] == '\\' && i + 1 < r.size()) {
      const char e = r[++i];
      out.back() += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
    } else {
      out.back() += r[i];
    }
  }
  return out;
}

std::optional<std::string> resolveValue(const Token& token) {
  std::string_view s = token.text;
  if (token.quoted) return token.text;
  if (s.starts_with("d:")) {
    s.remove_prefix(2);
    int y = 0, m = 0, d = 0;
    if (s.size() != 10 || s[4] != '-' || s[7] != '-' || !number(s.substr(0, 4), y) ||
        !number(s.substr(5, 2), m) || !number(s.substr(8, 2), d))
      return std::nullopt;
    auto n = text::dateNumber(y, m, d);
    if (!n) return std::nullopt;
    return std::to_string(*n);
  }
  if (s.starts_with("t:")) {
    s.remove_prefix(2);
    // The hour has one digit or two; minutes and seconds two.
    const std::size_t colon = s.find(':');
    if (colon != 1 && colon != 2) return std::nullopt;
    const std::string_view rest = s.substr(colon + 1);
    int h = 0, mi = 0, se = 0;
    if (!number(s.substr(0, colon), h) || (rest.size() != 2 && rest.size() != 5) ||
        !number(rest.substr(0, 2), mi))
      return std::nullopt;
    if (rest.size() == 5 && (rest[2] != ':' || !number(rest.substr(3, 2), se))) return std::nullopt;
    auto n = text::timeNumber(h, mi, se);
    if (!n) return std::nullopt;
    return std::to_string(*n);
  }
  return token.text;
}

}  // namespace trv::scenario
