#pragma once
// AppSplash: the small window that announces the program when the frame opens. It closes
// itself after five seconds, on a click or when it loses the focus; the frame closes it at the
// first menu command.

namespace trv::core {

class ProgramState;

// Control numbers of the splash window.
namespace splash {
enum Control : int { kTitle = 1, kLine = 2, kImage = 3, kMaker1 = 4, kMaker2 = 5 };
}  // namespace splash

// Runs the splash window on the calling thread (the frame starts it on a thread of its own).
void AppSplash(ProgramState& state);

}  // namespace trv::core
