// The progress window of the list's long operations.

#include "listext/progress_window.h"

#include <algorithm>

#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::listext {
namespace {

enum : int { kBar = 1, kCancel };

}  // namespace

int progressPercent(std::uint64_t done, std::uint64_t expected) {
  if (expected == 0) return 0;
  // More records than expected (the file grew meanwhile) show a full bar.
  if (done >= expected) return 100;
  // In floating point: done x 100 would overflow for the largest counts.
  return std::min(99, static_cast<int>(static_cast<long double>(done) * 100 / expected));
}

ProgressWindow::ProgressWindow(ui::UiRuntime& ui, std::uint64_t expected, bool cancellable)
    : expected_(expected) {
  ui::WindowDecl d;
  d.title = "Progress...";
  d.kind = ui::WindowKind::Modal;
  d.controls = {ui::progress("?Progress", 0, 100).withNumber(kBar).at(1, 1).size(30),
                ui::button("?Cancel", "Cancel").withNumber(kCancel).at(3, 12)};
  window_ = ui.open(std::move(d));
  // An operation that does not stop while it runs cannot answer the button.
  if (!cancellable) window_->setDisabled(kCancel, true);
}

ProgressWindow::~ProgressWindow() = default;

void ProgressWindow::Step() {
  const int p = progressPercent(++done_, expected_);
  if (p == percent_) return;
  percent_ = p;
  window_->setValue(kBar, static_cast<std::int64_t>(p));
}

bool ProgressWindow::cancelRequested() {
  bool cancel = false;
  ui::Event e;
  while (window_ && window_->poll(e))
    if (e.number == ui::EventCloseWindow || (e.number == ui::EventAccepted && e.control == kCancel))
      cancel = true;
  return cancel;
}

void ProgressWindow::SetTitle(const std::string& title) {
  window_->setTitle(title);
}

}  // namespace trv::listext
