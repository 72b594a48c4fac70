#include "mailauto/host/runtime_host.h"

#include "runtime/ui/window.h"

namespace trv::mailauto {
namespace {

// The window of the host thread running here, which receives its events.
thread_local std::unique_ptr<ui::Window> tlsHostWindow;

ui::WindowDecl hostWindow() {
  ui::WindowDecl d;
  d.title = "Host";
  return d;
}

// Opens the calling thread's window and takes its open-window event, so that the host sees
// only what is posted to it.
void openHostWindow(ui::UiRuntime& rt) {
  tlsHostWindow = rt.open(hostWindow());
  ui::Event e;
  if (tlsHostWindow) (void)tlsHostWindow->acceptWithin(e, std::chrono::milliseconds(0));
}

}  // namespace

class RuntimeHost::NoDesktop final : public ui::FrontEnd {
 public:
  void bind(ui::UiRuntime* rt) { rt_ = rt; }
  void windowOpened(const ui::WindowSnapshot&) override {}
  void windowChanged(const ui::WindowState&) override {}
  void controlChanged(ui::WindowId, const ui::ControlState&) override {}
  void windowClosed(ui::WindowId) override {}
  // Nobody can answer: cancelled at once.
  void request(ui::RequestId id, ui::WindowId, const ui::Request&) override {
    if (rt_) rt_->answer(id, ui::Answer{});
  }
  void beep() override {}
  void help(const std::string&, const std::string&) override {}
  std::optional<ui::ServiceResult> shellOpen(ui::RequestId, const std::string&) override {
    return ui::ServiceResult{false, 0, "no desktop"};
  }
  std::optional<ui::ServiceResult> copyWindowImage(ui::RequestId, ui::WindowId) override {
    return ui::ServiceResult{false, 0, "no desktop"};
  }
  void programEnded() override {}

 private:
  ui::UiRuntime* rt_ = nullptr;
};

RuntimeHost::RuntimeHost()
    : desktop_(std::make_unique<NoDesktop>()),
      runtime_(std::make_unique<ui::UiRuntime>(clock_, *desktop_)) {
  desktop_->bind(runtime_.get());
}

RuntimeHost::~RuntimeHost() {
  runtime_->endProgram();
  runtime_.reset();  // joins every program thread
}

bool RuntimeHost::begin() {
  if (!runtime_->threads().empty() || runtime_->adopt() != 1) return false;
  openHostWindow(*runtime_);
  return true;
}

int RuntimeHost::start(std::function<void()> body) {
  ui::UiRuntime& rt = *runtime_;
  return rt.start([&rt, body = std::move(body)] {
    openHostWindow(rt);
    body();
    tlsHostWindow.reset();
  });
}

int RuntimeHost::waitEvent(std::chrono::milliseconds timeout) {
  if (!tlsHostWindow || ui::UiRuntime::current() != runtime_.get()) return ui::EventCloseDown;
  ui::Event e;
  switch (tlsHostWindow->acceptWithin(e, timeout)) {
    case ui::Window::Waited::Event:
      return e.number;
    case ui::Window::Waited::TimedOut:
      return 0;
    case ui::Window::Waited::Closed:
      break;
  }
  return ui::EventCloseDown;
}

bool RuntimeHost::end(std::chrono::milliseconds timeout) {
  ui::UiRuntime& rt = *runtime_;
  rt.endProgram();
  if (ui::UiRuntime::current() == &rt) {
    if (ui::UiRuntime::currentThread() != 1) return false;  // cannot wait for itself
    tlsHostWindow.reset();
    rt.leave();
  }
  return rt.waitFinished(timeout);
}

}  // namespace trv::mailauto
