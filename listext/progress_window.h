#pragma once
// The "Progress..." window of a long list operation (export, print, graph): a bar of the share of
// the records done. It is shown while the operation runs on the list's thread and gone when the
// object is. The share never divides by zero nor passes 100.

#include <cstdint>
#include <memory>
#include <string>

namespace trv::ui {
class UiRuntime;
class Window;
}  // namespace trv::ui

namespace trv::listext {

// The whole percentage of `done` records of `expected`: 0 when none are expected, at most 100.
int progressPercent(std::uint64_t done, std::uint64_t expected);

class ProgressWindow {
 public:
  // A cancellable window takes "Cancel" and Esc (see cancelRequested); another shows "Cancel"
  // disabled.
  ProgressWindow(ui::UiRuntime& ui, std::uint64_t expected, bool cancellable = false);
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  // One more record done.
  void Step();
  void SetTitle(const std::string& title);
  // Whether the user pressed Esc or "Cancel" since the last call (the window's other input is
  // dropped: nothing else of it answers while the operation runs).
  bool cancelRequested();
  int percent() const { return percent_; }

 private:
  std::unique_ptr<ui::Window> window_;
  std::uint64_t expected_;
  std::uint64_t done_ = 0;
  int percent_ = 0;
};

}  // namespace trv::listext
