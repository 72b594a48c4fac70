#pragma once
// The font and background colours of a window's text box, kept in the window's own section of
// the configuration file under "TextColor" and "BgrColor" (the case form's history box, the notes
// window's text box). The two may never be the same colour, or the text could not be read.

#include <string_view>

#include "runtime/ui/control.h"

namespace trv::core {
class ProgramState;
}
namespace trv::ini {
class IniSettings;
}

namespace trv::cases {

struct BoxColours {
  int text = ui::kColorNone;  // kColorNone: the box's own colour
  int background = ui::kColorNone;
};

// The stored colours of `section`. A missing or unreadable value leaves the box's own colour;
// two equal stored colours are both left out.
[[nodiscard]] BoxColours storedBoxColours(const ini::IniSettings& ini, std::string_view section);

// Asks for a new text (or background) colour with the colour dialog. A colour equal to the other
// one is refused with its message (application title, exclamation icon, OK) and nothing is
// written; otherwise it goes into `colours` and the configuration file. True when it changed.
// Requires a program thread of the state's runtime.
bool chooseBoxColour(core::ProgramState& s, std::string_view section, bool forText,
                     BoxColours& colours);

}  // namespace trv::cases
