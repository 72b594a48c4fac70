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
// it. Where several prompts come in a row and then their input controls (the sign-on window's
// "Name" and "Password", an image, the name combo and the password entry), the k-th prompt of
// the row labels the k-th input control that follows. Controls that take no input (images,
// strings, groups, boxes, lines, progress bars) between them do not break the pairing; any
// other control (a button, check box, list, tab ...) does, and so does a prompt that follows an
// input control: it starts a new row. A prompt whose row runs out of input controls labels
// nothing. The desktop lays each prompt out beside its control; scenarios name an input control
// by its prompt's text.
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
