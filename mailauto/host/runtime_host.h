#pragma once
// The runtime of a host program: a program that is not built on the runtime (a C program that
// loads the library) joins it, its own thread becoming thread 1.
//
// There is no desktop: windows are shown to nobody, and a message box or dialog is answered
// as cancelled at once. Each host thread (thread 1 and every thread started here) has a
// window of its own that receives the events posted to the thread; waitEvent() hands them out.
//
// Thread rules: as UiRuntime's. begin() and end() are called by the host's own thread.

#include <chrono>
#include <functional>
#include <memory>

#include "runtime/text/clock.h"
#include "runtime/ui/ui_runtime.h"

namespace trv::mailauto {

class RuntimeHost {
 public:
  RuntimeHost();
  ~RuntimeHost();
  RuntimeHost(const RuntimeHost&) = delete;
  RuntimeHost& operator=(const RuntimeHost&) = delete;

  ui::UiRuntime& runtime() { return *runtime_; }

  // The calling thread becomes thread 1 with its window. False when it could not (the runtime
  // already has threads, or the caller already is a program thread).
  [[nodiscard]] bool begin();
  // Starts body on a new program thread with a window of its own; its number, 0 once ending.
  [[nodiscard]] int start(std::function<void()> body);
  // The next event of the calling thread's window, giving the baton up while waiting: its
  // number, 0 when none came within timeout, ui::EventCloseDown once the program is ending
  // (and at once on a thread that has no window of its own here).
  int waitEvent(std::chrono::milliseconds timeout);
  // Ends the program: every thread's waits end and each thread unwinds. Called by thread 1,
  // the host's thread also gives the baton up for good, and the call returns once every
  // program thread has finished (true), or false when they have not within timeout.
  bool end(std::chrono::milliseconds timeout);

 private:
  class NoDesktop;
  text::SystemClock clock_;
  std::unique_ptr<NoDesktop> desktop_;
  std::unique_ptr<ui::UiRuntime> runtime_;
};

}  // namespace trv::mailauto
