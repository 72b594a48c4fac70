#pragma once
// The headless front end and its driver: how tests and the scenario runner see and work the
// program, deterministically, as a user at the screen would.
//
// HeadlessFrontEnd records what a desktop would show beyond the windows themselves (message
// boxes, dialogs, popup menus and print requests waiting for an answer, beeps, help and shell
// requests). The
// driver waits for the program to be idle before every look or action; it reads the live
// window model while it holds the baton, so what it sees is exactly what the program set.

#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "runtime/ui/front_end.h"
#include "runtime/ui/ui_runtime.h"

namespace trv::text {
class ManualClock;
}

namespace trv::ui {

class HeadlessFrontEnd final : public FrontEnd {
 public:
  struct Pending {
    RequestId id = 0;
    WindowId owner = 0;
    Request request;
  };

  void windowOpened(const WindowSnapshot&) override {}
  void windowChanged(const WindowState&) override {}
  void controlChanged(WindowId, const ControlState&) override {}
  void windowClosed(WindowId) override {}
  void request(RequestId id, WindowId owner, const Request& request) override;
  void beep() override;
  void help(const std::string& file, const std::string& topic) override;
  // Recorded, and answered from the settings below (done, unless a test says otherwise).
  std::optional<ServiceResult> shellOpen(RequestId id, const std::string& target) override;
  std::optional<ServiceResult> copyWindowImage(RequestId id, WindowId window) override;
  void bringToFront(WindowId window) override;
  void programEnded() override;

  // Requests not yet answered, oldest first.
  std::vector<Pending> pending() const;
  void forget(RequestId id);
  // Beeps since the last call.
  int takeBeeps();
  std::vector<std::string> helpTopics() const;
  std::vector<std::string> shellOpens() const;
  // The windows whose image was copied, in order.
  std::vector<WindowId> windowCopies() const;
  // How many times a window was brought to the front of every other (a second start).
  int broughtToFront() const;
  void setShellOpenResult(ServiceResult result);
  void setCopyResult(ServiceResult result);
  bool ended() const;

 private:
  mutable std::mutex m_;
  std::vector<Pending> pending_;
  int beeps_ = 0;
  std::vector<std::string> help_;
  std::vector<std::string> shell_;
  std::vector<WindowId> copies_;
  int raised_ = 0;
  ServiceResult shellResult_{true, 0, {}};
  ServiceResult copyResult_{true, 0, {}};
  bool ended_ = false;
};

class HeadlessDriver {
 public:
  static constexpr std::chrono::milliseconds kIdleTimeout{10000};

  // clock may be null when the program runs on another clock; advance then fails.
  HeadlessDriver(UiRuntime& runtime, HeadlessFrontEnd& frontEnd, text::ManualClock* clock);

  UiRuntime& runtime() { return rt_; }
  HeadlessFrontEnd& frontEnd() { return fe_; }

  // Waits until idle, then runs look with the baton held. False when not idle in time.
  [[nodiscard]] bool inspect(const std::function<void()>& look);
  [[nodiscard]] bool waitIdle();

  // The message box now shown, if any (the oldest).
  std::optional<std::pair<RequestId, MessageRequest>> message() const;
  std::optional<std::pair<RequestId, DialogRequest>> dialog() const;
  std::optional<std::pair<RequestId, PopupRequest>> popup() const;
  std::optional<std::pair<RequestId, PrintRequest>> print() const;
  // Presses the message box's button by its text, with or without "&". False when no box is
  // shown or it has no such button.
  [[nodiscard]] bool answerMessage(std::string_view button);
  [[nodiscard]] bool answerDialog(Answer answer);
  // Chooses a popup item by its text; an empty text dismisses the menu.
  [[nodiscard]] bool answerPopup(std::string_view item);
  // Ends the print request now shown as printed, cancelled or failed (headless runs print
  // nothing: the result is what the program is told). False when none is shown.
  [[nodiscard]] bool answerPrint(PrintResult result);

  // Moves the clock on in steps of the next due timer, firing timers and waiting for idle after
  // each, so every timer fires as often as it would in that time. False when not idle in time or
  // there is no manual clock.
  [[nodiscard]] bool advance(std::int64_t hundredths);

  // The window stack (front last) with every control, and the request now shown: for failure
  // reports. Waits for idle first (best effort).
  std::string describe();

 private:
  UiRuntime& rt_;
  HeadlessFrontEnd& fe_;
  text::ManualClock* clock_;
};

}  // namespace trv::ui
