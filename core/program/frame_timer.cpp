#include "core/program/frame_timer.h"

#include "core/program/program_state.h"
#include "runtime/ui/window.h"

namespace trv::core {

void holdFrameTimer(ProgramState& s) {
  ++s.frameTimerHolds;
  if (s.FrameWindow) s.FrameWindow->setTimer(0);
}

void releaseFrameTimer(ProgramState& s) {
  if (s.frameTimerHolds > 0) --s.frameTimerHolds;
  // The last form to close restarts it: a form still open keeps it stopped.
  if (s.frameTimerHolds == 0 && s.FrameWindow) s.FrameWindow->setTimer(100);
}

}  // namespace trv::core
