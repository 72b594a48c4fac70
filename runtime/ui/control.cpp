#include "runtime/ui/control.h"

#include <charconv>

namespace trv::ui {

std::string valueText(const Value& v) {
  if (const auto* n = std::get_if<std::int64_t>(&v)) return std::to_string(*n);
  return std::get<std::string>(v);
}

std::int64_t valueNumber(const Value& v) {
  if (const auto* n = std::get_if<std::int64_t>(&v)) return *n;
  const std::string& s = std::get<std::string>(v);
  std::size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return 0;
  std::int64_t out = 0;
  auto [p, ec] = std::from_chars(s.data() + b, s.data() + s.size(), out);
  return ec == std::errc() ? out : 0;
}

bool takesFocus(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button:
    case ControlKind::Entry:
    case ControlKind::Text:
    case ControlKind::Check:
    case ControlKind::Option:
    case ControlKind::DropList:
    case ControlKind::Combo:
    case ControlKind::Spin:
    case ControlKind::List:
    case ControlKind::Sheet:
      return true;
    default:
      return false;
  }
}

const char* kindName(ControlKind kind) {
  switch (kind) {
    case ControlKind::Button:
      return "button";
    case ControlKind::Entry:
      return "entry";
    case ControlKind::Text:
      return "text";
    case ControlKind::String:
      return "string";
    case ControlKind::Prompt:
      return "prompt";
    case ControlKind::Check:
      return "check";
    case ControlKind::Option:
      return "option";
    case ControlKind::Radio:
      return "radio";
    case ControlKind::DropList:
      return "droplist";
    case ControlKind::Combo:
      return "combo";
    case ControlKind::Spin:
      return "spin";
    case ControlKind::List:
      return "list";
    case ControlKind::Sheet:
      return "sheet";
    case ControlKind::Tab:
      return "tab";
    case ControlKind::Progress:
      return "progress";
    case ControlKind::Image:
      return "image";
    case ControlKind::Group:
      return "group";
    case ControlKind::Box:
      return "box";
    case ControlKind::Line:
      return "line";
  }
  return "?";
}

namespace {
ControlDecl make(ControlKind kind, std::string equate, std::string text = {}) {
  ControlDecl d;
  d.kind = kind;
  d.equate = std::move(equate);
  d.text = std::move(text);
  return d;
}
}  // namespace

ControlDecl button(std::string equate, std::string text) {
  return make(ControlKind::Button, std::move(equate), std::move(text));
}
ControlDecl entry(std::string equate, std::string picture, std::optional<UseVar> use) {
  auto d = make(ControlKind::Entry, std::move(equate));
  d.picture = std::move(picture);
  d.use = std::move(use);
  return d;
}
ControlDecl textBox(std::string equate, std::optional<UseVar> use) {
  auto d = make(ControlKind::Text, std::move(equate));
  d.use = std::move(use);
  return d;
}
ControlDecl string(std::string equate, std::string text) {
  return make(ControlKind::String, std::move(equate), std::move(text));
}
ControlDecl prompt(std::string equate, std::string text) {
  return make(ControlKind::Prompt, std::move(equate), std::move(text));
}
ControlDecl check(std::string equate, std::string text, std::optional<UseVar> use) {
  auto d = make(ControlKind::Check, std::move(equate), std::move(text));
  d.use = std::move(use);
  return d;
}
ControlDecl option(std::string equate, std::string text, std::optional<UseVar> use) {
  auto d = make(ControlKind::Option, std::move(equate), std::move(text));
  d.use = std::move(use);
  return d;
}
ControlDecl radio(std::string equate, std::string text, std::string value) {
  auto d = make(ControlKind::Radio, std::move(equate), std::move(text));
  d.value = std::move(value);
  return d;
}
ControlDecl dropList(std::string equate, std::vector<std::string> choices,
                     std::optional<UseVar> use) {
  auto d = make(ControlKind::DropList, std::move(equate));
  d.choices = std::move(choices);
  d.use = std::move(use);
  return d;
}
ControlDecl combo(std::string equate, std::string picture, std::optional<UseVar> use) {
  auto d = make(ControlKind::Combo, std::move(equate));
  d.picture = std::move(picture);
  d.use = std::move(use);
  return d;
}
ControlDecl spin(std::string equate, std::string picture, std::int64_t low, std::int64_t high,
                 std::optional<UseVar> use) {
  auto d = make(ControlKind::Spin, std::move(equate));
  d.picture = std::move(picture);
  d.low = low;
  d.high = high;
  d.use = std::move(use);
  return d;
}
char headerJustification(const ListColumn& column) {
  if (column.headerJustify != 0) return column.headerJustify;
  return column.rightAligned ? 'R' : 'L';
}

char dataJustification(const ListColumn& column) {
  if (column.dataJustify != 0) return column.dataJustify;
  return column.rightAligned ? 'R' : 'L';
}

ControlDecl list(std::string equate, std::vector<ListColumn> columns) {
  auto d = make(ControlKind::List, std::move(equate));
  d.columns = std::move(columns);
  return d;
}
ControlDecl cellEditor(std::string equate, int list, int column, std::string picture,
                       std::optional<UseVar> use) {
  auto d = entry(std::move(equate), std::move(picture), std::move(use));
  d.cellOf = list;
  d.cellColumn = column;
  d.hidden = true;
  return d;
}
ControlDecl sheet(std::string equate) {
  return make(ControlKind::Sheet, std::move(equate));
}
ControlDecl tab(std::string equate, std::string text) {
  return make(ControlKind::Tab, std::move(equate), std::move(text));
}
ControlDecl progress(std::string equate, std::int64_t low, std::int64_t high) {
  auto d = make(ControlKind::Progress, std::move(equate));
  d.low = low;
  d.high = high;
  return d;
}
ControlDecl image(std::string equate, std::string file) {
  auto d = make(ControlKind::Image, std::move(equate));
  d.image = std::move(file);
  return d;
}
ControlDecl group(std::string equate, std::string text) {
  return make(ControlKind::Group, std::move(equate), std::move(text));
}
ControlDecl box(std::string equate) {
  return make(ControlKind::Box, std::move(equate));
}
ControlDecl line(std::string equate) {
  return make(ControlKind::Line, std::move(equate));
}

}  // namespace trv::ui
