// A thread the runtime did not start joins it (a host program's own thread), waits for events
// with a time limit and leaves again.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"
#include "tests/runtime/ui/ui_fixture.h"

namespace trv::ui {
namespace {

using namespace std::chrono_literals;
using testing::UiFixture;

using HostThread = UiFixture;

WindowDecl titled(std::string title) {
  WindowDecl d;
  d.title = std::move(title);
  return d;
}

TEST_F(HostThread, AdoptedThreadTakesTurnsWithStartedThreadsAndLeaves) {
  ASSERT_EQ(rt.adopt(), 1);
  EXPECT_EQ(UiRuntime::currentThread(), 1);
  EXPECT_EQ(UiRuntime::current(), &rt);
  EXPECT_EQ(rt.adopt(), 0);  // already a program thread

  auto host = rt.open(titled("Host"));
  ASSERT_NE(host, nullptr);
  Event e;
  ASSERT_EQ(host->acceptWithin(e, 1s), Window::Waited::Event);
  EXPECT_EQ(e.number, EventOpenWindow);

  std::atomic<bool> ran{false};
  const WindowId hostId = host->id();
  ASSERT_EQ(rt.start([&] {
    ran = true;  // runs only while the host waits
    rt.postEvent(hostId, Event(1401));
  }),
            2);
  EXPECT_FALSE(ran);
  ASSERT_EQ(host->acceptWithin(e, 5s), Window::Waited::Event);
  EXPECT_TRUE(ran);
  EXPECT_EQ(e.number, 1401);

  const auto before = std::chrono::steady_clock::now();
  EXPECT_EQ(host->acceptWithin(e, 50ms), Window::Waited::TimedOut);
  EXPECT_GE(std::chrono::steady_clock::now() - before, 50ms);
  EXPECT_EQ(UiRuntime::currentThread(), 1);  // holds the baton again

  host.reset();
  rt.leave();
  EXPECT_EQ(UiRuntime::currentThread(), 0);
  EXPECT_TRUE(rt.waitFinished(5s));
  EXPECT_TRUE(driver.waitIdle());
}

TEST_F(HostThread, TimedWaiterDoesNotTakeTheBatonFromARunningThread) {
  std::atomic<bool> busy{false};
  std::atomic<bool> release{false};
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(titled("Waiter"));
    Event e;
    (void)w->acceptWithin(e, 10ms);  // the open-window event
    EXPECT_EQ(w->acceptWithin(e, 10ms), Window::Waited::TimedOut);
    EXPECT_FALSE(busy);  // thread 2 gave the baton back before this one went on
  }),
            1);
  ASSERT_EQ(rt.start([&] {
    busy = true;
    while (!release) std::this_thread::sleep_for(1ms);  // holds the baton past the deadline
    busy = false;
  }),
            2);
  std::this_thread::sleep_for(50ms);
  release = true;
  EXPECT_TRUE(rt.waitFinished(5s));
}

TEST_F(HostThread, EndingTheProgramRefusesAdoptionAndEndsTimedWaits) {
  std::atomic<int> waited{-1};
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(titled("Waiter"));
    Event e;
    (void)w->acceptWithin(e, 10ms);
    waited = static_cast<int>(w->acceptWithin(e, 60s));
  }),
            1);
  ASSERT_TRUE(driver.waitIdle());
  rt.endProgram();
  EXPECT_TRUE(rt.waitFinished(5s));
  EXPECT_EQ(waited, static_cast<int>(Window::Waited::Closed));
  EXPECT_EQ(rt.adopt(), 0);
  EXPECT_EQ(UiRuntime::currentThread(), 0);
}

}  // namespace
}  // namespace trv::ui
