#pragma once
// Main: the application frame. Opening proves that no other copy runs, finds and proves the
// database folder (falling back to the local one), checks that the system file belongs to this
// version, reads the system record, signs the user on and shows the menus the user's level
// allows, then runs the frame's event loop until the frame closes.
//
// The frame is split by role: start_up.h holds the checks made before the window opens,
// frame_commands.cpp the menu commands and the popup, main_frame.cpp the window's life, its
// timer and the sign-on.

#include <cstdint>
#include <memory>
#include <string>

#include "runtime/forms/window_controller.h"

namespace trv::platform {
class InstanceRegistration;
}
namespace trv::core::jobs {
class FrameJobs;
struct FrameState;
class JobMessages;
}  // namespace trv::core::jobs

namespace trv::core {

class ProgramState;

class MainFrame : public forms::WindowController {
 public:
  explicit MainFrame(ProgramState& state);
  ~MainFrame() override;

  data::Level Init() override;
  void OnOpen() override;
  data::Level Shutdown() override;
  data::Level HandleAccepted() override;
  data::Level HandleWindowEvent() override;
  data::Level HandleEvent() override;

  // Shows the sign-on window; a failed first sign-on ends the frame. True when signed on.
  bool SignOn();
  // Menus by the signed-on user's level.
  void ShowMenusForLevel();
  void UpdateClock();
  // The timer's work: tick count and rescan, the restart request, title and "&Message" by
  // level, the clock zones.
  void Tick();
  // --- commands (frame_commands.cpp) ---
  void LogOut();
  // Exit, with the administrator's confirmation on a server workstation.
  void Exit();

  // Frame state kept for the frame's life.
  bool signedOnMark = false;
  std::uint16_t userNumber = 0;
  std::int32_t logDays = 0;
  int queueSort = 0;
  int tickHundredths = 0;
  bool filesOpened = false;
  bool stopMark = false;
  bool loggedOut = false;
  int splashThread = 0;

 private:
  void writeLogonEntry();
  void restoreMenusAfterSignOn();
  void writeLogEntry(const char* action, const char* failureText);
  // --- commands (frame_commands.cpp) ---
  void runCommand(int menu);
  // The right-click popup of the frame's work area.
  void popup();
  void chooseListColour();
  void chooseWallpaper();
  // The rescan: the queues rebuilt (with the timed backup first and the scheduled deletion of
  // each closed case), then with `warnings` the overdue warnings.
  void rescan(bool warnings);
  // The jobs' view of the frame, brought up to date before each job call.
  jobs::FrameState& jobState();

  ProgramState& s_;
  std::unique_ptr<platform::InstanceRegistration> registration_;
  std::unique_ptr<jobs::JobMessages> jobMessages_;
  std::unique_ptr<jobs::FrameState> jobState_;
  std::unique_ptr<jobs::FrameJobs> jobs_;
};

// The procedure "Main": runs the frame on the calling thread until it closes.
void Main(ProgramState& state);

// Registers "Main", run on its caller's thread (the program's first).
void registerMain(ProgramState& state);

}  // namespace trv::core
