#pragma once
// The case list's and the assignment window's own message boxes: the program's title as
// caption, one OK button or the buttons given. Texts are Windows-1252 (as record fields and the
// signed-on user's name hold them); the box shows them converted.

#include <string>
#include <string_view>
#include <vector>

#include "runtime/ui/front_end.h"

namespace trv::core {
class ProgramState;
}

namespace trv::cases {

// A box with OK. Returns when it is closed.
void tell(core::ProgramState& state, std::string_view text, ui::Icon icon);

// A box with `buttons`; returns the position of the button pressed (from 1), 0 when the program
// ended.
int ask(core::ProgramState& state, std::string_view text, ui::Icon icon,
        std::vector<std::string> buttons, int defaultButton);

}  // namespace trv::cases
