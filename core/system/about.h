#pragma once
// About: the program's title and a link to the maker's home page, on a thread of its own whose
// number the frame keeps in AboutThread. The window closes when another window is activated,
// except after its link was used (the page then opens on a thread of its own); log-out leaves
// it open.

namespace trv::core {

class ProgramState;

enum AboutControl : int {
  AboutIcon = 1,
  AboutTitle = 2,
  AboutLink = 12,
  AboutOk = 14,
};

// The maker's home page that the link opens.
inline constexpr const char* kMakerPage = "https://www.vorn-trovanel.example/";

void About(ProgramState& state);

// Registers "About", started on a thread of its own that fills AboutThread.
void registerAbout(ProgramState& state);

}  // namespace trv::core
