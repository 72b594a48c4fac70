#include "listext/format_string.h"

#include <cctype>

namespace trv::listext {
namespace {

bool isJustify(char c) {
  return c == 'L' || c == 'R' || c == 'C' || c == 'D';
}

bool isDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The first `n` characters of a UTF-8 text.
std::string firstChars(std::string_view s, std::size_t n) {
  std::size_t i = 0;
  for (std::size_t count = 0; i < s.size() && count < n; ++count) {
    ++i;
    while (i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80) ++i;
  }
  return std::string(s.substr(0, i));
}

std::string without(std::string_view s, char c) {
  std::string out;
  for (char ch : s)
    if (ch != c) out += ch;
  return out;
}

void appendColour(std::string& out, int c) {
  if (c != -1) out += std::to_string(c);
}

class Reader {
 public:
  explicit Reader(std::string_view t) : t_(t) {}
  bool done() const { return i_ >= t_.size(); }
  char peek() const { return done() ? '\0' : t_[i_]; }
  char take() { return t_[i_++]; }
  // Digits as a number (at most 9 of them); nothing when there are none.
  std::optional<int> number() {
    const std::size_t start = i_;
    int v = 0;
    while (!done() && isDigit(peek()) && i_ - start < 9) v = v * 10 + (take() - '0');
    if (i_ == start || (!done() && isDigit(peek()))) return std::nullopt;
    return v;
  }
  // The text up to the next `end` (which is consumed); nothing when there is none.
  std::optional<std::string_view> upTo(char end) {
    const std::size_t at = t_.find(end, i_);
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view s = t_.substr(i_, at - i_);
    i_ = at + 1;
    return s;
  }
  // An optional "(n)" after a justification letter.
  bool indent(int* out) {
    if (peek() != '(') return true;
    take();
    auto n = number();
    // Indents are kept in a byte.
    if (!n || *n > 255 || done() || take() != ')') return false;
    *out = *n;
    return true;
  }

 private:
  std::string_view t_;
  std::size_t i_ = 0;
};

// "a,b,c,d" colours, each empty for -1.
bool colours(std::string_view s, FormatColumn& c) {
  int* slots[] = {&c.nfg, &c.nbg, &c.sfg, &c.sbg};
  std::size_t k = 0;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= s.size(); ++i) {
    if (i < s.size() && s[i] != ',') continue;
    if (k == 4) return false;
    const std::string_view part = s.substr(start, i - start);
    if (!part.empty()) {
      int v = 0;
      bool negative = false;
      std::size_t j = 0;
      if (part[0] == '-') negative = true, j = 1;
      if (j == part.size() || part.size() - j > 9) return false;
      for (; j < part.size(); ++j) {
        if (!isDigit(part[j])) return false;
        v = v * 10 + (part[j] - '0');
      }
      *slots[k] = negative ? -v : v;
    }
    ++k;
    start = i + 1;
  }
  return true;
}

}  // namespace

std::string formatGroup(const FormatColumn& c, bool withField) {
  std::string g = std::to_string(c.widthDlu);
  g += c.dataJustify;
  if (c.dataIndent != 0) g += "(" + std::to_string(c.dataIndent) + ")";
  if (c.colours) g += '*';
  if (c.icon) g += 'I';
  if (c.fixed) g += 'F';
  if (c.underline) g += '_';
  if (c.resizable) g += 'M';
  if (c.border) g += '|';
  g += '~' + firstChars(without(c.header, '~'), kMaxFormatHeader) + '~';
  g += c.headerJustify;
  if (c.headerIndent != 0) g += "(" + std::to_string(c.headerIndent) + ")";
  const std::string picture = c.picture.empty() ? "@S20" : '@' + without(c.picture, '@');
  g += picture + '@';
  if (withField) g += '#' + std::to_string(c.field) + '#';
  if (c.nfg != -1 || c.nbg != -1 || c.sfg != -1 || c.sbg != -1) {
    g += "E(";
    appendColour(g, c.nfg);
    g += ',';
    appendColour(g, c.nbg);
    g += ',';
    appendColour(g, c.sfg);
    g += ',';
    appendColour(g, c.sbg);
    g += ')';
  }
  return g;
}

std::string formatString(const std::vector<FormatColumn>& columns, bool withField) {
  std::string out;
  for (const FormatColumn& c : columns) {
    const std::string g = formatGroup(c, withField);
    // Only whole groups: a cut group would spoil the whole format.
    if (out.size() + g.size() > kMaxFormatLength) break;
    out += g;
  }
  return out;
}

std::optional<std::vector<FormatColumn>> parseFormat(std::string_view text) {
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (text.empty() || text.size() > kMaxFormatLength) return std::nullopt;
  std::vector<FormatColumn> out;
  Reader r(text);
  int next = 1;  // the field of a group without "#n#"
  while (!r.done()) {
    FormatColumn c;
    auto width = r.number();
    if (!width || r.done() || !isJustify(r.peek())) return std::nullopt;
    c.widthDlu = *width;
    c.dataJustify = r.take();
    if (!r.indent(&c.dataIndent)) return std::nullopt;
    bool headerJustifyGiven = false;
    while (!r.done() && !isDigit(r.peek())) {
      const char ch = r.take();
      switch (ch) {
        case '*':
          c.colours = true;
          break;
        case 'I':
        case 'J':
          c.icon = true;
          break;
        case 'F':
          c.fixed = true;
          break;
        case '_':
          c.underline = true;
          break;
        case 'M':
          c.resizable = true;
          break;
        case '|':
          c.border = true;
          break;
        case '?':
        case 'Y':
        case '/':
        case '[':
        case ']':
          break;
        case '~': {
          auto h = r.upTo('~');
          if (!h) return std::nullopt;
          c.header = std::string(*h);
          if (isJustify(r.peek())) {
            c.headerJustify = r.take();
            headerJustifyGiven = true;
            if (!r.indent(&c.headerIndent)) return std::nullopt;
          }
          break;
        }
        case '@': {
          auto p = r.upTo('@');
          if (!p) return std::nullopt;
          c.picture = '@' + std::string(*p);
          break;
        }
        case '#': {
          auto n = r.upTo('#');
          if (!n || n->empty() || n->size() > 9) return std::nullopt;
          int v = 0;
          for (char d : *n) {
            if (!isDigit(d)) return std::nullopt;
            v = v * 10 + (d - '0');
          }
          c.field = v;
          c.fieldGiven = true;
          break;
        }
        case 'E': {
          if (r.peek() != '(') return std::nullopt;
          r.take();
          auto e = r.upTo(')');
          if (!e || !colours(*e, c)) return std::nullopt;
          break;
        }
        case 'S':
        case 'Z':
        case '(':
          if (ch != '(' && (r.done() || r.take() != '(')) return std::nullopt;
          if (!r.upTo(')')) return std::nullopt;
          break;
        case 'T':
          if (!r.upTo(']')) return std::nullopt;
          break;
        case 'L':
        case 'R':
        case 'C':
        case 'D': {
          int ignored = 0;
          if (!r.indent(&ignored)) return std::nullopt;
          break;
        }
        default:
          return std::nullopt;
      }
    }
    if (!headerJustifyGiven) {
      c.headerJustify = c.dataJustify;
      c.headerIndent = c.dataIndent;
    }
    if (!c.fieldGiven) c.field = next;
    next = c.field + 1 + (c.colours ? 4 : 0) + (c.icon ? 1 : 0);
    out.push_back(std::move(c));
  }
  return out;
}

}  // namespace trv::listext
