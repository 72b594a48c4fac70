#pragma once
// Finding a window's controls the way a user or a scenario names them.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/ui/control.h"

namespace trv::ui {

class Window;

// Which prompt labels which input control, from the controls' kinds in declaration order.
//
// A prompt labels the input control (entry, text, spin, combo, drop list) declared right after
// it. Prompts declared one right after another form a row; the k-th prompt of the row labels
// the k-th input control that follows (the sign-on window's prompts "Name" and "Password", an
// image, then the name combo and the password entry). Controls that take no input (images,
// strings, groups, boxes, lines, progress bars) between a row and its controls do not break the
// pairing; any other control (a button, check box, list, tab ...) does. A prompt that follows
// anything but a prompt starts a new row, and the prompts of the old row still waiting label
// nothing (a prompt before a string, such as a label of a shown value, labels no input). The
// desktop lays each prompt out beside its control; scenarios name an input control by its
// prompt's text.
struct PromptPair {
  std::size_t prompt = 0;  // positions in the sequence given, from 0
  std::size_t control = 0;
};
std::vector<PromptPair> pairPrompts(std::span<const ControlKind> kinds);

// Whether a control of this kind is labelled by a prompt.
bool takesPrompt(ControlKind kind);

struct ControlRef {
  enum class By { Number, Equate, Use, Text };
  By by = By::Text;
  std::string name;
  int number = 0;
};

// "#19" by number, "?OK" by equate, "{IDE:Name}" by use variable; anything else (and any quoted
// token) by text. A malformed "#..." reads as text.
ControlRef parseControlRef(std::string_view token, bool quoted);

// The numbers of the controls (and menu items) that the reference names: by text, buttons,
// check boxes, radio buttons, tabs and menu items by their text with or without "&", and
// entries, spins, combos, drop lists and texts by the text of the prompt that labels them
// (pairPrompts).
// Equates and use names compare without regard to letter case. Requires the baton.
std::vector<int> findControls(const Window& window, const ControlRef& ref);

// One line per control ("#3 ?OK button "&OK""), for failure reports. Requires the baton.
std::string describeControls(const Window& window);

}  // namespace trv::ui
