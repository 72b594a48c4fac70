#include "bench/window_wait.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPoke = ui::EventUser + 7;
constexpr int kStop = ui::EventUser + 8;

}  // namespace

double longestWindowWait(ui::UiRuntime& rt, const std::function<void()>& work) {
  std::atomic<ui::WindowId> window{0};
  std::atomic<bool> handled{false}, working{false}, done{false};
  std::atomic<Clock::rep> postedAt{0};
  std::atomic<Clock::rep> longest{0};
  std::atomic<Clock::rep> began{0};
  const int watcher = rt.start([&] {
    ui::WindowDecl decl;
    decl.title = "Watching";
    std::unique_ptr<ui::Window> w = rt.open(std::move(decl));
    if (!w) return;
    window = w->id();
    ui::Event e;
    while (w->accept(e)) {
      if (e.number == kStop) break;
      if (e.number != kPoke) continue;
      const Clock::rep waited = Clock::now().time_since_epoch().count() - postedAt.load();
      if (working && waited > longest.load()) {
        longest = waited;
        if (std::getenv("TRV_BENCH_WAITS"))
          std::fprintf(stderr, "wait %.1f ms from %.1f ms\n", waited / 1e6,
                       (postedAt.load() - began.load()) / 1e6);
      }
      handled = true;
    }
    w->close();
  });
  const int worker = watcher == 0 ? 0 : rt.start([&] {
    // The watcher's window is open before the work starts.
    while (window == 0 && !rt.ended()) (void)rt.yieldBaton();
    began = Clock::now().time_since_epoch().count();
    working = true;
    work();
    working = false;
    done = true;
  });
  if (worker == 0) return -1;
  std::thread poker([&] {
    while (window == 0 && !done) std::this_thread::sleep_for(std::chrono::microseconds(200));
    while (!done) {
      handled = false;
      postedAt = Clock::now().time_since_epoch().count();
      rt.postEvent(window.load(), ui::Event(kPoke));
      while (!handled && !done) std::this_thread::sleep_for(std::chrono::microseconds(100));
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    rt.postEvent(window.load(), ui::Event(kStop));
  });
  poker.join();
  (void)rt.waitFinished(std::chrono::minutes(30));
  return std::chrono::duration<double>(Clock::duration(longest.load())).count();
}

}  // namespace trv::bench
