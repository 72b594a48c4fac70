#include "runtime/automation/path.h"

namespace trv::automation {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool isNameStart(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool isNameChar(char c) {
  return isNameStart(c) || (c >= '0' && c <= '9');
}

std::string unquoted(std::string_view s) {
  if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return std::string(s);
}

// Length of "Name" + blanks + "=" at the start of s, or 0.
std::size_t namePrefix(std::string_view s, std::string* name) {
  std::size_t i = 0;
  if (i >= s.size() || !isNameStart(s[i])) return 0;
  while (i < s.size() && isNameChar(s[i])) ++i;
  std::size_t end = i;
  while (i < s.size() && isBlank(s[i])) ++i;
  if (i >= s.size() || s[i] != '=') return 0;
  if (name) *name = std::string(s.substr(0, end));
  return i + 1;
}

// One argument as written: "Name=value" or a bare value, trimmed, outer quotes removed.
Argument argumentOf(std::string_view piece) {
  piece = trimmed(piece);
  Argument a;
  if (std::size_t n = namePrefix(piece, &a.name); n > 0) piece = trimmed(piece.substr(n));
  a.value = unquoted(piece);
  return a;
}

}  // namespace

std::string referenceText(std::uint64_t number) {
  return "@" + std::to_string(number);
}

PathReader::PathReader(std::string_view text) : text_(trimmed(text)) {}

std::optional<std::uint64_t> PathReader::reference() {
  if (started_ || text_.empty() || text_.front() != '@') return std::nullopt;
  std::size_t i = 1;
  std::uint64_t number = 0;
  while (i < text_.size() && text_[i] >= '0' && text_[i] <= '9' && i < 19)
    number = number * 10 + static_cast<std::uint64_t>(text_[i++] - '0');
  if (i == 1 || (i < text_.size() && text_[i] != '.')) return std::nullopt;
  pos_ = i;
  started_ = true;
  return number;
}

std::optional<Segment> PathReader::next(
    const std::function<MemberShape(std::string_view)>& shapeOf) {
  if (atEnd()) return std::nullopt;
  if (started_) {
    if (text_[pos_] != '.') return std::nullopt;
    ++pos_;
  }
  started_ = true;
  const std::size_t start = pos_;
  if (pos_ >= text_.size() || !isNameStart(text_[pos_])) return std::nullopt;
  while (pos_ < text_.size() && isNameChar(text_[pos_])) ++pos_;
  Segment out;
  out.member = std::string(text_.substr(start, pos_ - start));
  if (pos_ >= text_.size() || text_[pos_] != '(') return out;
  ++pos_;
  out.called = true;
  const MemberShape shape = shapeOf ? shapeOf(out.member) : MemberShape{};
  const bool ok =
      shape.style == ArgumentStyle::List ? readList(out) : readToLastParenthesis(shape, out);
  if (!ok) return std::nullopt;
  return out;
}

bool PathReader::readList(Segment& out) {
  int depth = 0;
  bool quoted = false;
  std::size_t pieceStart = pos_;
  std::vector<std::string_view> pieces;
  for (; pos_ < text_.size(); ++pos_) {
    const char c = text_[pos_];
    if (quoted) {
      if (c == '"') quoted = false;
    } else if (c == '"') {
      quoted = true;
    } else if (c == '(') {
      ++depth;
    } else if (c == ')' && depth > 0) {
      --depth;
    } else if (c == ')' || (c == ',' && depth == 0)) {
      pieces.push_back(text_.substr(pieceStart, pos_ - pieceStart));
      pieceStart = pos_ + 1;
      if (c == ')') {
        ++pos_;
        // "()" holds no argument at all.
        if (!(pieces.size() == 1 && trimmed(pieces.front()).empty()))
          for (std::string_view p : pieces) out.args.push_back(argumentOf(p));
        return true;
      }
    }
  }
  return false;  // no closing parenthesis
}

bool PathReader::readToLastParenthesis(const MemberShape& shape, Segment& out) {
  const std::size_t close = text_.rfind(')');
  if (close == std::string_view::npos || close < pos_) return false;
  const std::string_view inside = text_.substr(pos_, close - pos_);
  pos_ = close + 1;
  if (shape.style == ArgumentStyle::WholeText) {
    const std::string_view t = trimmed(inside);
    out.args.push_back(Argument{
        {},
        t.size() >= 2 && t.front() == '"' && t.back() == '"' ? unquoted(t) : std::string(inside)});
    return true;
  }
  // Named: a comma starts a new argument only before one of the parameter names.
  auto startsNamed = [&](std::string_view rest) {
    std::string name;
    if (namePrefix(trimmed(rest), &name) == 0) return false;
    for (const std::string& n : shape.names)
      if (sameName(n, name)) return true;
    return false;
  };
  if (trimmed(inside).empty()) return true;
  std::size_t pieceStart = 0;
  for (std::size_t i = 0; i < inside.size(); ++i) {
    if (inside[i] == ',' && startsNamed(inside.substr(i + 1))) {
      out.args.push_back(argumentOf(inside.substr(pieceStart, i - pieceStart)));
      pieceStart = i + 1;
    }
  }
  out.args.push_back(argumentOf(inside.substr(pieceStart)));
  return true;
}

}  // namespace trv::automation
