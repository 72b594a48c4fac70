#include "mailauto/vxmapi/library.h"

#include <vector>

#include "mailauto/vxmapi/test_address_answers.h"
#include "runtime/platform/folders.h"

namespace trv::mailauto {

Library& Library::instance() {
  static Library library;
  return library;
}

Library::Library() : vxmapi_([this] { return environment(); }) {}

Library::~Library() {
  // A host that never ended (the program left without trvrt_host_end): end it now, unless its
  // threads do not finish, which the process's end will then stop.
  std::lock_guard lock(mutex_);
  if (host_) endHost(std::chrono::seconds(10));
}

messaging::MessagingEnvironment Library::environment() {
  if (!dialogs_) dialogs_ = TestAddressAnswers::fromEnvironment();
  messaging::MessagingEnvironment env;
  env.configFolder = platform::configFolder();
  env.clock = &clock_;
  env.dialogs = dialogs_.get();
  return env;
}

void Library::hostBegin() {
  std::lock_guard lock(mutex_);
  if (host_) return;
  auto host = std::make_shared<RuntimeHost>();
  if (!host->begin()) return;
  host_ = std::move(host);
  live_ = host_.get();
}

int Library::hostStart(void (*fn)(void*), void* arg) {
  if (!fn) return 0;
  std::shared_ptr<RuntimeHost> host;
  if (RuntimeHost* live = live_.load(); live && ui::UiRuntime::current() == &live->runtime())
    return live->start([fn, arg] { fn(arg); });
  {
    std::lock_guard lock(mutex_);
    host = host_;
  }
  return host ? host->start([fn, arg] { fn(arg); }) : 0;
}

int Library::hostWaitEvent(int timeoutMs) {
  RuntimeHost* live = live_.load();
  if (!live || ui::UiRuntime::current() != &live->runtime()) return ui::EventCloseDown;
  const auto timeout = timeoutMs < 0 ? std::chrono::milliseconds(std::chrono::hours(24 * 365))
                                     : std::chrono::milliseconds(timeoutMs);
  return live->waitEvent(timeout);
}

void Library::hostEnd() {
  if (RuntimeHost* live = live_.load(); live && (ui::UiRuntime::current() != &live->runtime() ||
                                                 ui::UiRuntime::currentThread() != 1)) {
    live->runtime().endProgram();  // thread 1, the host's own, completes the end
    return;
  }
  std::lock_guard lock(mutex_);
  if (host_) endHost(std::chrono::hours(24 * 365));
}

void Library::endHost(std::chrono::milliseconds timeout) {
  const bool finished = host_->end(timeout);
  live_ = nullptr;
  if (finished) {
    host_.reset();
  } else {
    // Threads that do not unwind still use it: it stays, deliberately, for the rest of the
    // process (never destroyed, so that no exit handler waits for them).
    static auto* const stuck = new std::vector<std::shared_ptr<RuntimeHost>>;
    stuck->push_back(std::move(host_));
  }
}

}  // namespace trv::mailauto
