#include "runtime/view/example_query.h"

#include <charconv>

#include "runtime/store/record_codec.h"
#include "runtime/text/charset.h"
#include "runtime/text/fixed_string.h"

namespace trv::view {
namespace {

enum class Side { kLower, kUpper, kMiddle };

struct Limit {
  Side side = Side::kMiddle;
  bool inclusive = false;
  bool notEqual = false;
  bool contains = false;
  bool noCase = false;
  std::string value;
};

Limit parseLimit(Side side, std::string_view text) {
  Limit l;
  l.side = side;
  for (bool more = true; more && !text.empty();) {
    switch (text.front()) {
      case '=':
        l.inclusive = true;
        break;
      case '~':
        l.notEqual = true;
        break;
      case '*':
        l.contains = true;
        break;
      case '^':
        l.noCase = true;
        break;
      default:
        more = false;
        continue;
    }
    text.remove_prefix(1);
  }
  l.value = std::string(text::clip(text));
  return l;
}

bool isNumeric(store::FieldType t) {
  return t != store::FieldType::String && t != store::FieldType::CString;
}

std::optional<long long> number(std::string_view s) {
  long long v = 0;
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  const auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || p != s.data() + s.size()) return std::nullopt;
  return v;
}

// <0, 0, >0 as the field's value compares with the limit's.
int compare(const store::FieldDecl& f, const char* record, const Limit& l) {
  if (isNumeric(f.type)) {
    const long long a = store::readNumber(f, record);
    const long long b = number(l.value).value_or(0);
    return a < b ? -1 : a > b ? 1 : 0;
  }
  std::string a = store::fieldText(f, record);
  std::string b = l.value;
  if (l.noCase) {
    a = text::upper1252(a);
    b = text::upper1252(b);
  }
  return a.compare(b) < 0 ? -1 : a.compare(b) > 0 ? 1 : 0;
}

bool keeps(const store::FieldDecl& f, const char* record, const Limit& l) {
  if (l.contains) {
    std::string a = store::fieldText(f, record);
    std::string b = l.value;
    if (l.noCase) {
      a = text::upper1252(a);
      b = text::upper1252(b);
    }
    return a.find(b) != std::string::npos;
  }
  const int c = compare(f, record, l);
  switch (l.side) {
    case Side::kLower:
      return l.inclusive ? c >= 0 : c > 0;
    case Side::kUpper:
      return l.inclusive ? c <= 0 : c < 0;
    case Side::kMiddle:
      return l.notEqual ? c != 0 : c == 0;
  }
  return true;
}

}  // namespace

ExampleQuery::Field* ExampleQuery::find(const std::string& name) {
  for (Field& f : fields_)
    if (store::sameName(f.name, name)) return &f;
  return nullptr;
}

bool ExampleQuery::AddQueryField(const std::string& name, const std::string& title,
                                 const std::string&, bool, bool) {
  const int index = decl_.findField(name);
  if (index < 0) return false;
  if (Field* f = find(name)) {
    f->title = title;
    return true;
  }
  fields_.push_back({name, index, title, {}, {}, {}});
  return true;
}

bool ExampleQuery::SetFieldLimits(const std::string& name, const std::string& lower,
                                  const std::string& upper, const std::string& equal,
                                  bool keepLower, bool keepUpper, bool keepEqual) {
  Field* f = find(name);
  if (!f) return false;
  if (!keepLower) f->lower = lower;
  if (!keepUpper) f->upper = upper;
  if (!keepEqual) f->equal = equal;
  return true;
}

void ExampleQuery::ClearLimits() {
  for (Field& f : fields_) f.lower.clear(), f.upper.clear(), f.equal.clear();
}

bool ExampleQuery::hasLimits() const {
  for (const Field& f : fields_)
    if (!f.lower.empty() || !f.upper.empty() || !f.equal.empty()) return true;
  return false;
}

Predicate ExampleQuery::BuildFilter() const {
  struct Test {
    int field;
    Limit limit;
  };
  std::vector<Test> tests;
  for (const Field& f : fields_) {
    if (!f.lower.empty()) tests.push_back({f.index, parseLimit(Side::kLower, f.lower)});
    if (!f.upper.empty()) tests.push_back({f.index, parseLimit(Side::kUpper, f.upper)});
    if (!f.equal.empty()) tests.push_back({f.index, parseLimit(Side::kMiddle, f.equal)});
  }
  if (tests.empty()) return {};
  const store::FileDecl* decl = &decl_;
  return [decl, tests](const store::RecordBuffer& r) {
    for (const Test& t : tests)
      if (!keeps(decl->fields[static_cast<std::size_t>(t.field)], r.record.data(), t.limit))
        return false;
    return true;
  };
}

}  // namespace trv::view
