#include "runtime/ui/control_lookup.h"

#include <charconv>

#include "runtime/text/fixed_string.h"
#include "runtime/ui/window.h"

namespace trv::ui {

ControlRef parseControlRef(std::string_view token, bool quoted) {
  ControlRef ref;
  ref.name = std::string(token);
  if (quoted) return ref;
  if (token.size() > 1 && token[0] == '#') {
    int n = 0;
    auto [p, ec] = std::from_chars(token.data() + 1, token.data() + token.size(), n);
    if (ec == std::errc() && p == token.data() + token.size()) {
      ref.by = ControlRef::By::Number;
      ref.number = n;
    }
  } else if (token.size() > 1 && token[0] == '?') {
    ref.by = ControlRef::By::Equate;
  } else if (token.size() > 2 && token.front() == '{' && token.back() == '}') {
    ref.by = ControlRef::By::Use;
    ref.name = std::string(token.substr(1, token.size() - 2));
  }
  return ref;
}

namespace {

bool captioned(ControlKind k) {
  return k == ControlKind::Button || k == ControlKind::Check || k == ControlKind::Radio ||
         k == ControlKind::Tab;
}

// Controls that take no input sit between a row of prompts and its controls without breaking it.
bool keepsPairing(ControlKind k) {
  switch (k) {
    case ControlKind::Image:
    case ControlKind::String:
    case ControlKind::Group:
    case ControlKind::Box:
    case ControlKind::Line:
    case ControlKind::Progress:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool takesPrompt(ControlKind k) {
  return k == ControlKind::Entry || k == ControlKind::Spin || k == ControlKind::Combo ||
         k == ControlKind::DropList || k == ControlKind::Text;
}

std::vector<PromptPair> pairPrompts(std::span<const ControlKind> kinds) {
  std::vector<PromptPair> out;
  std::vector<std::size_t> row;  // the prompts of the current row
  std::size_t next = 0;          // the first of them still waiting for its control
  bool afterPrompt = false;      // the control before was a prompt: the row goes on
  auto dropRow = [&] {
    row.clear();
    next = 0;
  };
  for (std::size_t i = 0; i < kinds.size(); ++i) {
    const ControlKind k = kinds[i];
    if (k == ControlKind::Prompt) {
      if (!afterPrompt) dropRow();
      row.push_back(i);
      afterPrompt = true;
      continue;
    }
    afterPrompt = false;
    if (takesPrompt(k)) {
      if (next < row.size()) {
        out.push_back({row[next++], i});
      } else {
        dropRow();
      }
    } else if (!keepsPairing(k)) {
      dropRow();
    }
  }
  return out;
}

std::vector<int> findControls(const Window& window, const ControlRef& ref) {
  std::vector<int> out;
  const auto& cs = window.controls();
  switch (ref.by) {
    case ControlRef::By::Number:
      if (window.control(ref.number) || window.menuItem(ref.number)) out.push_back(ref.number);
      break;
    case ControlRef::By::Equate:
      for (const auto& c : cs)
        if (text::equalNoCase(c.equate, ref.name)) out.push_back(c.number);
      for (const auto& m : window.state().menu)
        if (!m.separator && text::equalNoCase(m.equate, ref.name)) out.push_back(m.number);
      break;
    case ControlRef::By::Use:
      for (const auto& c : cs)
        if (text::equalNoCase(c.useName, ref.name)) out.push_back(c.number);
      break;
    case ControlRef::By::Text: {
      std::string want = withoutAmpersand(ref.name);
      std::vector<ControlKind> kinds;
      kinds.reserve(cs.size());
      for (const auto& c : cs) kinds.push_back(c.kind);
      std::vector<const ControlState*> labelledBy(cs.size(), nullptr);
      for (const PromptPair& p : pairPrompts(kinds)) labelledBy[p.control] = &cs[p.prompt];
      for (std::size_t i = 0; i < cs.size(); ++i) {
        const auto& c = cs[i];
        if (captioned(c.kind) && withoutAmpersand(c.text) == want) out.push_back(c.number);
        if (labelledBy[i] && withoutAmpersand(labelledBy[i]->text) == want) out.push_back(c.number);
      }
      for (const auto& m : window.state().menu)
        if (!m.separator && withoutAmpersand(m.text) == want) out.push_back(m.number);
      break;
    }
  }
  return out;
}

std::string describeControls(const Window& window) {
  std::string out;
  for (const auto& c : window.controls()) {
    out += "    #" + std::to_string(c.number);
    if (!c.equate.empty()) out += " " + c.equate;
    out += std::string(" ") + kindName(c.kind);
    if (!c.useName.empty()) out += " {" + c.useName + "}";
    out += " \"" + c.text + "\"";
    if (c.hidden) out += " hidden";
    if (c.disabled) out += " disabled";
    out += "\n";
  }
  return out;
}

}  // namespace trv::ui
