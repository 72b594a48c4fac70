#pragma once
// Finding a window's controls the way a user or a scenario names them.

#include <string>
#include <string_view>
#include <vector>

namespace trv::ui {

class Window;

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
// entries, spins, combos, drop lists and texts by the text of the prompt just before them.
// Equates and use names compare without regard to letter case. Requires the baton.
std::vector<int> findControls(const Window& window, const ControlRef& ref);

// One line per control ("#3 ?OK button "&OK""), for failure reports. Requires the baton.
std::string describeControls(const Window& window);

}  // namespace trv::ui
