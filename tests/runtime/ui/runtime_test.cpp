// Threads, nested windows, timers, message boxes, printing and ending the program.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "runtime/ui/ui_runtime.h"
#include "tests/runtime/ui/ui_fixture.h"

namespace trv::ui {
namespace {

using testing::Recorder;
using testing::UiFixture;

WindowDecl decl(std::string title, int timer = 0) {
  WindowDecl d;
  d.title = std::move(title);
  d.timerHundredths = timer;
  d.controls = {button("?OK", "&OK")};
  return d;
}

class Runtime : public UiFixture {
 protected:
  void closeFront() {
    Window* w = front();
    ASSERT_NE(w, nullptr);
    input(to(w, Input::Kind::Close));
  }
  std::vector<std::string> titles() {
    std::vector<std::string> out;
    EXPECT_TRUE(driver.inspect([&] {
      for (Window* w : rt.windows()) out.push_back(w->title());
    }));
    return out;
  }
};

TEST_F(Runtime, NestedWindowHoldsTheOuterTimerAndTicksDoNotPileUp) {
  Recorder outer, inner;
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(decl("Outer", 100));
    outer.loop(*w, [&](const Event& e) {
      if (e.number == EventAccepted) {
        auto m = rt.open(decl("Inner"));
        inner.loop(*m);
      }
    });
  }),
            1);
  ASSERT_TRUE(driver.advance(350));  // three ticks
  input(to(front(), Input::Kind::Press, 1));
  EXPECT_EQ(titles(), (std::vector<std::string>{"Outer", "Inner"}));
  ASSERT_TRUE(driver.advance(1000));  // ten periods while the inner window runs
  closeFront();
  ASSERT_TRUE(driver.advance(50));  // the outer window gets one tick for them
  closeFront();
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  std::vector<std::string> want{"515:0", "523:0", "523:0", "523:0", "1:1", "523:0", "513:0"};
  EXPECT_EQ(outer.seen, want);
  EXPECT_EQ(inner.seen, (std::vector<std::string>{"515:0", "513:0"}));
}

// A close or a press on a window behind another window of its thread is refused when it is
// made, with a beep; it never acts later, when the window in front has gone.
TEST_F(Runtime, InputToAWindowBehindItsThreadsInnerWindowIsRefusedAtOnce) {
  Recorder outer, inner;
  Window* outerWindow = nullptr;
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(decl("Outer"));
    outerWindow = w.get();
    outer.loop(*w, [&](const Event& e) {
      if (e.number == EventAccepted) {
        auto m = rt.open(decl("Inner"));
        inner.loop(*m);
      }
    });
  }),
            1);
  input(to(front(), Input::Kind::Press, 1));
  ASSERT_EQ(titles(), (std::vector<std::string>{"Outer", "Inner"}));
  (void)fe.takeBeeps();
  Input moved = to(outerWindow, Input::Kind::Place);
  moved.placement = {false, false, 5, 5, 300, 200};
  input(moved);  // a move is no action: it is kept
  input(to(outerWindow, Input::Kind::Close));
  input(to(outerWindow, Input::Kind::Press, 1));
  EXPECT_EQ(fe.takeBeeps(), 2);
  closeFront();
  EXPECT_EQ(titles(), (std::vector<std::string>{"Outer"}));  // no close was kept for it
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(outerWindow->placement().x, 5); }));
  closeFront();
  EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(outer.seen.back(), "513:0");
}

// Work going on keeps its window in front of one it opened after it (a report's progress
// window over its preview): the raised window takes the input, the later one refuses it until
// the raised one closes and the later one's loop runs.
TEST_F(Runtime, ARaisedWindowTakesInputBeforeTheOneItsThreadOpenedAfterIt) {
  Recorder work, shown, other;
  Window* otherWindow = nullptr;
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(decl("Other"));
    otherWindow = w.get();
    other.loop(*w);
  }),
            1);
  ASSERT_TRUE(driver.waitIdle());
  std::optional<bool> raisedOther, raisedClosed;
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(decl("Work"));
    auto s = rt.open(decl("Shown"));
    raisedOther = rt.raise(*otherWindow);  // another thread's window
    EXPECT_TRUE(rt.raise(*w));
    work.loop(*w);
    shown.loop(*s);
    raisedClosed = rt.raise(*s);
  }),
            2);
  ASSERT_TRUE(driver.waitIdle());
  EXPECT_EQ(raisedOther, false);
  EXPECT_EQ(titles(), (std::vector<std::string>{"Other", "Shown", "Work"}));
  ASSERT_TRUE(driver.inspect([&] {
    std::vector<std::string> stack;
    for (Window* w : rt.threadWindows(2)) stack.push_back(w->title());
    EXPECT_EQ(stack, (std::vector<std::string>{"Shown", "Work"}));
  }));
  Window* shownWindow = nullptr;
  ASSERT_TRUE(driver.inspect([&] { shownWindow = rt.windows()[1]; }));
  (void)fe.takeBeeps();
  input(to(shownWindow, Input::Kind::Press, 1));
  EXPECT_EQ(fe.takeBeeps(), 1);
  input(to(front(), Input::Kind::Press, 1));
  EXPECT_EQ(work.seen.back(), "1:1");
  closeFront();  // Work
  EXPECT_EQ(titles(), (std::vector<std::string>{"Other", "Shown"}));
  input(to(shownWindow, Input::Kind::Press, 1));
  EXPECT_EQ(fe.takeBeeps(), 0);
  // The press refused before is not among them.
  EXPECT_EQ(shown.seen, (std::vector<std::string>{"515:0", "1:1"}));
  closeFront();
  ASSERT_TRUE(driver.waitIdle());
  EXPECT_EQ(raisedClosed, false);
  EXPECT_FALSE(rt.raise(*otherWindow));  // off a program thread
  closeFront();
  EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
}

TEST_F(Runtime, HeldTimerRestartsOnlyWhenTheLastHoldIsReleased) {
  Recorder rec;
  Window* frame = nullptr;
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(decl("Frame", 100));
    frame = w.get();
    rec.loop(*w);
  }),
            1);
  ASSERT_TRUE(driver.inspect([&] {
    frame->holdTimer();  // two forms stop the frame's timer
    frame->holdTimer();
  }));
  ASSERT_TRUE(driver.advance(500));
  ASSERT_TRUE(driver.inspect([&] { frame->releaseTimer(); }));
  ASSERT_TRUE(driver.advance(500));
  EXPECT_EQ(rec.seen, std::vector<std::string>{"515:0"});
  ASSERT_TRUE(driver.inspect([&] { frame->releaseTimer(); }));
  ASSERT_TRUE(driver.advance(250));
  EXPECT_EQ(rec.seen, (std::vector<std::string>{"515:0", "523:0", "523:0"}));
  closeFront();
}

TEST_F(Runtime, ThreadsTakeTurnsAndPostsReachTheInnermostWindow) {
  Recorder list, form, other;
  int listThread = rt.start([&] {
    auto w = rt.open(decl("List"));
    list.loop(*w, [&](const Event& e) {
      if (e.number == EventAccepted) {
        auto f = rt.open(decl("Form"));
        form.loop(*f);
      }
    });
  });
  int otherThread = rt.start([&] {
    auto w = rt.open(decl("Other"));
    other.loop(*w);
  });
  EXPECT_EQ(listThread, 1);
  EXPECT_EQ(otherThread, 2);
  ASSERT_TRUE(driver.waitIdle());
  Window* listWin = nullptr;
  ASSERT_TRUE(driver.inspect([&] { listWin = rt.threadWindows(1).front(); }));
  input(to(listWin, Input::Kind::Press, 1));
  EXPECT_EQ(titles(), (std::vector<std::string>{"List", "Other", "Form"}));

  ASSERT_TRUE(rt.postToThread(2, EventGainFocus));
  EXPECT_EQ(titles().back(), "Other");
  ASSERT_TRUE(rt.postToThread(1, EventCloseWindow));  // closes the form, then the list
  EXPECT_EQ(titles(), std::vector<std::string>{"Other"});
  EXPECT_EQ(form.seen, (std::vector<std::string>{"515:0", "513:0"}));
  EXPECT_EQ(list.seen.back(), "513:0");
  EXPECT_EQ(other.seen, (std::vector<std::string>{"515:0", "518:0"}));
  EXPECT_FALSE(rt.postToThread(1, EventGainFocus));  // thread 1 has ended
  closeFront();
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(rt.start([] {}), 1);  // numbers are reused
}

TEST_F(Runtime, AThreadAwaitingTheOthersGoesOnOnlyOnceTheyHaveEnded) {
  Recorder frame, list;
  std::vector<std::string> order;
  ASSERT_EQ(rt.start([&] {
    {
      auto w = rt.open(decl("Frame"));
      frame.loop(*w, [&](const Event& e) {
        if (e.number == EventAccepted)
          (void)rt.start([&] {
            auto l = rt.open(decl("List"));
            list.loop(*l);
            order.push_back("list closed");
          });
      });
    }
    for (int t : rt.threads())
      if (t != UiRuntime::currentThread()) (void)rt.postToThread(t, EventCloseWindow);
    rt.awaitOtherThreads();
    order.push_back("frame went on");
  }),
            1);
  ASSERT_TRUE(driver.waitIdle());
  Window* frameWin = nullptr;
  ASSERT_TRUE(driver.inspect([&] { frameWin = rt.threadWindows(1).front(); }));
  input(to(frameWin, Input::Kind::Press, 1));
  EXPECT_EQ(titles(), (std::vector<std::string>{"Frame", "List"}));
  input(to(frameWin, Input::Kind::Close));
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(order, (std::vector<std::string>{"list closed", "frame went on"}));
}

TEST_F(Runtime, MessageBoxWaitsForTheAnswerAndEndingTheProgramUnwinds) {
  std::vector<int> answers;
  bool loopEnded = false;
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(decl("Main"));
    MessageRequest q{"Sure?", "Caption", Icon::Question, {"&Yes", "&No"}, 2};
    answers.push_back(rt.message(q));
    answers.push_back(rt.message(q));  // the program ends while this one is shown
    Event e;
    while (w->accept(e)) {
    }
    loopEnded = true;
    answers.push_back(rt.message(q));  // after the end: not shown
  }),
            1);
  ASSERT_TRUE(driver.waitIdle());
  auto m = driver.message();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->second.caption, "Caption");
  EXPECT_FALSE(driver.answerMessage("Maybe"));
  ASSERT_TRUE(driver.answerMessage("No"));
  ASSERT_TRUE(driver.waitIdle());
  ASSERT_TRUE(driver.message());
  rt.endProgram();
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_TRUE(loopEnded);
  EXPECT_EQ(answers, (std::vector<int>{2, 0, 0}));
  EXPECT_EQ(rt.start([] {}), 0);
}

TEST_F(Runtime, TaskRunsOnTheThreadInsideItsInnermostLoop) {
  Recorder frame;
  int ranOn = 0;
  std::string title;
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(decl("Frame"));
    frame.loop(*w);
  }),
            1);
  ASSERT_TRUE(driver.waitIdle());
  ASSERT_TRUE(rt.postTask(1, [&] {
    ranOn = UiRuntime::currentThread();
    auto form = rt.open(decl("Form"));
    Recorder r;
    r.loop(*form);
  }));
  EXPECT_EQ(titles(), (std::vector<std::string>{"Frame", "Form"}));
  closeFront();
  EXPECT_EQ(titles(), std::vector<std::string>{"Frame"});
  EXPECT_EQ(ranOn, 1);
  EXPECT_FALSE(rt.postTask(7, [] {}));
  closeFront();
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(frame.seen, (std::vector<std::string>{"515:0", "513:0"}));
}

TEST_F(Runtime, PopupReturnsTheChosenItemNumber) {
  int chosen = -1;
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(decl("Main"));
    chosen = rt.popup("&Insert|-|&Change|~&Delete");
  }),
            1);
  ASSERT_TRUE(driver.waitIdle());
  EXPECT_FALSE(driver.answerPopup("Delete"));  // disabled
  ASSERT_TRUE(driver.answerPopup("Change"));
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(chosen, 2);
}

TEST_F(Runtime, FileDialogMovesTheCurrentFolder) {
  Answer got;
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(decl("Main"));
    got = rt.dialog(DialogRequest{DialogKind::FileOpen, "Import", "*.csv", "VKT.csv", 0, {}});
  }),
            1);
  ASSERT_TRUE(driver.waitIdle());
  ASSERT_TRUE(driver.answerDialog(Answer{0, true, "/tmp/in/VKT.csv", 0, {}}));
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_TRUE(got.ok);
  EXPECT_EQ(rt.currentFolder(), "/tmp/in");
}

TEST_F(Runtime, PrintWaitsWithoutTheBatonAndReturnsHowItWent) {
  using Outcome = PrintResult::Outcome;
  struct Case {
    std::optional<PrintResult> answer;  // none: the program ends while it is shown
    Outcome want;
    std::string detail;
  };
  const std::vector<Case> cases = {
      {PrintResult{Outcome::Printed, "lp0"}, Outcome::Printed, "lp0"},
      {PrintResult{Outcome::Failed, "out of paper"}, Outcome::Failed, "out of paper"},
      {PrintResult{Outcome::Cancelled, ""}, Outcome::Cancelled, ""},
      {std::nullopt, Outcome::Cancelled, ""},
  };
  std::vector<PrintResult> got;
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(decl("Report Preview"));
    for (std::size_t i = 0; i < cases.size(); ++i)
      got.push_back(rt.print(PrintRequest{"All cases", 3, 40 + i}));
  }),
            1);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(driver.waitIdle());
    auto shown = driver.print();
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->second.job, 40 + i);
    EXPECT_EQ(shown->second.pages, 3);
    // The printing thread holds no baton meanwhile: another thread runs to its end.
    bool otherRan = false;
    ASSERT_NE(rt.start([&] { otherRan = true; }), 0);
    ASSERT_TRUE(driver.waitIdle());
    EXPECT_TRUE(otherRan);
    EXPECT_TRUE(driver.print());
    if (cases[i].answer)
      ASSERT_TRUE(driver.answerPrint(*cases[i].answer));
    else
      rt.endProgram();
  }
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  ASSERT_EQ(got.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    EXPECT_EQ(got[i].outcome, cases[i].want) << i;
    EXPECT_EQ(got[i].detail, cases[i].detail) << i;
  }
  EXPECT_FALSE(driver.answerPrint({}));  // nothing shown any more
}

// Long work that yields between its steps lets the other threads' windows answer in between;
// two such works take turns; once the program ends, a yield says to stop.
TEST_F(Runtime, YieldingWorkLetsOtherThreadsRunBetweenSteps) {
  std::vector<std::string> log;
  auto work = [&](const std::string& who, int steps) {
    for (int i = 0; i < steps; ++i) {
      log.push_back(who + std::to_string(i));
      if (!rt.yieldBaton()) {
        log.push_back(who + " stopped");
        return;
      }
    }
  };
  Recorder first, second;
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(decl("First"));
    first.loop(*w, [&](const Event& e) {
      if (e.number != EventAccepted) return;
      if (e.control == 2) rt.endProgram();  // say, another thread ends the program meanwhile
      work("a", 3);
    });
  }),
            1);
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(decl("Second"));
    second.loop(*w, [&](const Event& e) {
      if (e.number != EventAccepted) return;
      if (e.control == 1)
        log.push_back("b answers");
      else
        work("b", 2);
    });
  }),
            2);
  ASSERT_TRUE(driver.waitIdle());
  Window *one = nullptr, *two = nullptr;
  ASSERT_TRUE(driver.inspect([&] {
    one = rt.threadWindows(1).front();
    two = rt.threadWindows(2).front();
  }));
  // Both inputs arrive together: thread 1 goes first and yields to thread 2 after each step.
  ASSERT_TRUE(driver.inspect([&] {
    rt.post(to(one, Input::Kind::Press, 1));
    rt.post(to(two, Input::Kind::Press, 1));
  }));
  ASSERT_TRUE(driver.waitIdle());
  EXPECT_EQ(log, (std::vector<std::string>{"a0", "b answers", "a1", "a2"}));

  log.clear();
  ASSERT_TRUE(driver.inspect([&] {
    two->post(EventAccepted, 2);  // long work on thread 2 too
    rt.post(to(one, Input::Kind::Press, 1));
  }));
  ASSERT_TRUE(driver.waitIdle());
  EXPECT_EQ(log, (std::vector<std::string>{"a0", "b0", "a1", "b1", "a2"}));

  // Work that yields after the program has ended is told to stop.
  log.clear();
  ASSERT_TRUE(driver.inspect([&] { one->post(EventAccepted, 2); }));
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(log, (std::vector<std::string>{"a0", "a stopped"}));
}

// Work run without the baton lets the other threads' windows answer while it runs, and the
// program is not idle until it is over and its thread has the baton back.
TEST_F(Runtime, WorkWithoutTheBatonLetsOtherThreadsRunMeanwhile) {
  std::vector<std::string> log;  // written only by the thread holding the baton
  std::atomic<bool> answered{false}, release{false};
  const auto waitFor = [](const std::atomic<bool>& flag) {
    for (int i = 0; i < 5000 && !flag; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return flag.load();
  };
  Recorder first, second;
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(decl("First"));
    first.loop(*w, [&](const Event& e) {
      if (e.number != EventAccepted) return;
      bool sawAnswer = false;
      rt.withoutBaton([&] { sawAnswer = e.control == 1 ? waitFor(answered) : waitFor(release); });
      log.push_back(sawAnswer ? "a done" : "a timed out");
    });
  }),
            1);
  ASSERT_EQ(rt.start([&] {
    auto w = rt.open(decl("Second"));
    second.loop(*w, [&](const Event& e) {
      if (e.number != EventAccepted) return;
      log.push_back("b answers");
      answered = true;
    });
  }),
            2);
  ASSERT_TRUE(driver.waitIdle());
  Window *one = nullptr, *two = nullptr;
  ASSERT_TRUE(driver.inspect([&] {
    one = rt.threadWindows(1).front();
    two = rt.threadWindows(2).front();
  }));
  // Thread 1 goes first; thread 2 answers while thread 1's work waits for that answer.
  ASSERT_TRUE(driver.inspect([&] {
    rt.post(to(one, Input::Kind::Press, 1));
    rt.post(to(two, Input::Kind::Press, 1));
  }));
  ASSERT_TRUE(driver.waitIdle());
  EXPECT_EQ(log, (std::vector<std::string>{"b answers", "a done"}));

  // Work still running keeps the program from being idle.
  log.clear();
  ASSERT_TRUE(driver.inspect([&] { one->post(EventAccepted, 2); }));
  EXPECT_FALSE(rt.holdWhenIdle(std::chrono::milliseconds(200)).has_value());
  release = true;
  ASSERT_TRUE(driver.waitIdle());
  EXPECT_EQ(log, (std::vector<std::string>{"a done"}));
}

}  // namespace
}  // namespace trv::ui
