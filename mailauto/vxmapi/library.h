#pragma once
// The library's module state, one per process: the runtime the host program joined, and the
// operations with the variables registered for them. The exports reach it through instance().
//
// Thread rules: every export runs through run(), which gives the calling thread the baton for
// the call: a program thread of the host's runtime already holds it; any other thread joins
// the runtime for the call and leaves after it. Without a runtime (before trvrt_host_begin,
// after trvrt_host_end) calls are kept apart by the library's own lock, and there is no
// session.

#include <atomic>
#include <memory>
#include <mutex>
#include <utility>

#include "mailauto/host/runtime_host.h"
#include "mailauto/vxmapi/vxmapi.h"
#include "runtime/mail/mail_dialogs.h"
#include "runtime/text/clock.h"

namespace trv::mailauto {

class Library {
 public:
  static Library& instance();
  ~Library();

  // --- host calls (pelmoxi.h) ---
  void hostBegin();
  int hostStart(void (*fn)(void*), void* arg);
  // A negative timeout waits without limit.
  int hostWaitEvent(int timeoutMs);
  // On thread 1, ends the runtime and joins every thread; on any other thread only starts the
  // close-down, which thread 1's own trvrt_host_end completes.
  void hostEnd();

  // Runs op(Vxmapi&) holding the baton, as the header says.
  template <class Op>
  decltype(auto) run(Op&& op) {
    for (;;) {
      if (RuntimeHost* live = live_.load(); live && ui::UiRuntime::current() == &live->runtime())
        return op(vxmapi_);
      std::unique_lock lock(mutex_);
      if (!host_) return op(vxmapi_);
      const std::shared_ptr<RuntimeHost> host = host_;
      lock.unlock();
      ui::UiRuntime& rt = host->runtime();
      if (rt.adopt() != 0) {
        struct Leave {
          ui::UiRuntime& rt;
          ~Leave() { rt.leave(); }
        } leave{rt};
        return op(vxmapi_);
      }
      // The runtime is ending: wait until it has, then go on without it.
      std::lock_guard wait(mutex_);
    }
  }

 private:
  Library();
  messaging::MessagingEnvironment environment();
  void endHost(std::chrono::milliseconds timeout);  // caller holds mutex_

  text::SystemClock clock_;
  std::unique_ptr<mail::MailDialogs> dialogs_;
  std::mutex mutex_;  // guards host_; held through hostEnd
  std::shared_ptr<RuntimeHost> host_;
  std::atomic<RuntimeHost*> live_{nullptr};  // host_ while it runs, read without the lock
  Vxmapi vxmapi_;
};

}  // namespace trv::mailauto
