// Which prompt labels which input control: the rule the desktop lays prompts out by and
// scenarios name controls by.

#include <gtest/gtest.h>

#include "runtime/ui/control_lookup.h"

namespace trv::ui {
namespace {

using K = ControlKind;

std::vector<std::pair<std::size_t, std::size_t>> pairs(std::vector<K> kinds) {
  std::vector<std::pair<std::size_t, std::size_t>> out;
  for (const PromptPair& p : pairPrompts(kinds)) out.emplace_back(p.prompt, p.control);
  return out;
}

TEST(PromptPairing, PromptsLabelTheInputControlsTheyPrecede) {
  struct Case {
    const char* what;
    std::vector<K> kinds;
    std::vector<std::pair<std::size_t, std::size_t>> want;
  } cases[] = {
      {"each prompt before its control",
       {K::Prompt, K::Entry, K::Prompt, K::Spin, K::Prompt, K::Text},
       {{0, 1}, {2, 3}, {4, 5}}},
      {"the sign-on window: a row of prompts, an image, then their controls",
       {K::Group, K::Prompt, K::Prompt, K::Image, K::Combo, K::Entry, K::Button},
       {{1, 4}, {2, 5}}},
      {"strings, boxes and lines between do not break the pairing",
       {K::Prompt, K::String, K::Box, K::Line, K::DropList},
       {{0, 4}}},
      {"a button, check box or list between breaks it",
       {K::Prompt, K::Button, K::Entry, K::Prompt, K::Check, K::Entry, K::Prompt, K::List,
        K::Entry},
       {}},
      {"a prompt after a labelled control starts a new row",
       {K::Prompt, K::Prompt, K::Entry, K::Prompt, K::Entry, K::Entry},
       {{0, 2}, {3, 4}}},
      {"a prompt before a shown value labels no input; the next prompt starts a new row",
       {K::Prompt, K::String, K::Prompt, K::Entry, K::Prompt, K::Image, K::Prompt, K::Combo},
       {{2, 3}, {6, 7}}},
      {"a row longer than its controls leaves the last prompts unpaired",
       {K::Prompt, K::Prompt, K::Prompt, K::Entry, K::Button, K::Entry},
       {{0, 3}}},
      {"controls with no prompt and prompts of nothing",
       {K::Entry, K::Prompt, K::Check, K::Prompt},
       {}},
  };
  for (const auto& c : cases) EXPECT_EQ(pairs(c.kinds), c.want) << c.what;
}

}  // namespace
}  // namespace trv::ui
