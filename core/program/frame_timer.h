#pragma once
// The main frame's one-second timer, which the case, client and product forms stop while they
// are open. Several forms may hold it at once: the timer runs again when the last one lets go.

namespace trv::core {

class ProgramState;

void holdFrameTimer(ProgramState& state);
void releaseFrameTimer(ProgramState& state);

}  // namespace trv::core
