// The options a window declares instead of coding them: instance limits, holding the frame's
// timer, restoring on gain focus, the help button, and the program's message boxes.

#include <gtest/gtest.h>

#include <algorithm>

#include "runtime/forms/program_message.h"
#include "runtime/forms/window_controller.h"
#include "tests/runtime/forms/form_fixture.h"

namespace trv::forms {
namespace {

enum : int { kHelp = 1, kClose = 2 };

struct Options {
  std::string slot;
  int limit = 1;
  bool holdFrameTimer = false;
  bool restoreOnFocus = false;
};

// A window with nothing but its options, a Help and a Close button.
class OptionsWindow final : public WindowController {
 public:
  OptionsWindow(FormContext& c, const Options& o) : WindowController(c, "Options", decl()) {
    SINGLESLOT = o.slot;
    INSTANCELIMIT = o.limit;
    HOLDFRAMETIMER = o.holdFrameTimer;
    RESTOREONFOCUS = o.restoreOnFocus;
    AddHelpButton(kHelp, "Using Options");
    AddCloseButton(kClose);
  }
  static ui::WindowDecl decl() {
    ui::WindowDecl d;
    d.title = "Options";
    d.controls = {ui::button("?Help", "&Help").withNumber(kHelp),
                  ui::button("?Close", "&Close").withNumber(kClose)};
    return d;
  }
};

class ControllerOptions : public testing::FormFixture {
 protected:
  // The windows still open end before what they write to goes.
  ~ControllerOptions() override {
    rt.endProgram();
    EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  }
  // Runs the window on a new thread with the request; its response lands in `responses`.
  int open(const Options& o, int request = RequestChange) {
    const int t = rt.start([this, o, request] {
      globals.NextRequest = request;
      OptionsWindow w(ctx, o);
      responses.push_back(w.Run());
    });
    EXPECT_TRUE(driver.waitIdle());
    return t;
  }
  int windowCount() {
    std::size_t n = 0;
    EXPECT_TRUE(driver.inspect([&] { n = rt.windows().size(); }));
    return static_cast<int>(n);
  }
  // Presses Close on the window of thread t.
  void closeOn(int t) {
    ui::Window* w = nullptr;
    ASSERT_TRUE(driver.inspect([&] { w = rt.threadWindows(t).back(); }));
    input(to(w, ui::Input::Kind::Press, kClose));
  }
  std::vector<int> responses;
};

TEST_F(ControllerOptions, InstanceLimitCountsTheRunningWindowsUnderTheSlot) {
  const Options two{"UpdateThingThread", 2};
  const int first = open(two);
  const int second = open(two);
  EXPECT_EQ(globals.slot("UpdateThingThread"), second);  // the one opened last
  EXPECT_EQ(globals.instances("UpdateThingThread"), 2);

  // A third is refused, and the one opened last comes to the front.
  ASSERT_TRUE(driver.inspect([&] { rt.postToThread(first, ui::EventGainFocus); }));
  open(two);
  EXPECT_EQ(responses, std::vector<int>{ResponseCancelled});
  EXPECT_EQ(windowCount(), 2);
  EXPECT_EQ(front()->thread(), second);

  // A select is neither refused nor counted.
  const int picker = open(two, RequestSelect);
  EXPECT_EQ(windowCount(), 3);
  closeOn(picker);
  EXPECT_EQ(globals.instances("UpdateThingThread"), 2);

  // The slot empties only when the last counted window closes.
  closeOn(second);
  EXPECT_EQ(globals.instances("UpdateThingThread"), 1);
  EXPECT_NE(globals.slot("UpdateThingThread"), 0);
  closeOn(first);
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(globals.slot("UpdateThingThread"), 0);
  EXPECT_EQ(globals.instances("UpdateThingThread"), 0);
}

TEST_F(ControllerOptions, TheLastWindowHoldingTheFrameTimerRestartsIt) {
  ui::testing::Recorder frame;
  ASSERT_NE(rt.start([&] {
    ui::WindowDecl d;
    d.title = "Frame";
    d.kind = ui::WindowKind::Frame;
    d.timerHundredths = 100;
    auto w = rt.open(d);
    frame.loop(*w);
  }),
            0);
  ASSERT_TRUE(driver.waitIdle());
  const auto ticks = [&] { return std::count(frame.seen.begin(), frame.seen.end(), "523:0"); };
  const Options holding{"", 1, true};
  const int first = open(holding);
  const int second = open(holding);
  open({});  // holds nothing
  ASSERT_TRUE(driver.advance(500));
  EXPECT_EQ(ticks(), 0);
  closeOn(first);
  ASSERT_TRUE(driver.advance(500));
  EXPECT_EQ(ticks(), 0);
  closeOn(second);
  ASSERT_TRUE(driver.advance(250));
  EXPECT_EQ(ticks(), 2);  // one period after the release, then every period
  rt.endProgram();
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
}

TEST_F(ControllerOptions, GainFocusBringsBackAnIconizedWindowThatAsksForIt) {
  for (bool restore : {false, true}) {
    SCOPED_TRACE(restore);
    const int t = open({"", 1, false, restore});
    auto place = to(front(), ui::Input::Kind::Place);
    place.placement = ui::Placement{true, false, 10, 10, 200, 100};
    input(place);
    ASSERT_TRUE(driver.inspect([&] { rt.postToThread(t, ui::EventGainFocus); }));
    ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(rt.front()->placement().iconized, !restore); }));
    closeOn(t);
  }
}

TEST_F(ControllerOptions, HelpButtonOpensItsTopic) {
  rt.setHelpFile("Things.hlp");
  const int t = open({});
  input(to(front(), ui::Input::Kind::Press, kHelp));
  EXPECT_EQ(fe.helpTopics(), std::vector<std::string>{"Things.hlp#Using Options"});
  EXPECT_EQ(windowCount(), 1);
  closeOn(t);
}

TEST_F(ControllerOptions, ProgramMessagesCarryTheProgramsCaptionUnlessToldNot) {
  const std::string title = "Vorn Trovanel 1.2";
  ctx.caption = &title;
  int answer = -1;
  ASSERT_NE(rt.start([&] {
    tell(ctx, "Saved", ui::Icon::Information);
    tell(ctx, "driver text", ui::Icon::None, Caption::None);
    answer = ask(ctx, "Go ahead?", ui::Icon::Exclamation, {"&Yes", "&No"}, 2);
  }),
            0);
  struct Want {
    const char* text;
    const char* caption;
    ui::Icon icon;
    const char* press;
  } boxes[] = {{"Saved", "Vorn Trovanel 1.2", ui::Icon::Information, "OK"},
               {"driver text", "", ui::Icon::None, "OK"},
               {"Go ahead?", "Vorn Trovanel 1.2", ui::Icon::Exclamation, "No"}};
  for (const Want& w : boxes) {
    ASSERT_TRUE(driver.waitIdle());
    auto m = driver.message();
    ASSERT_TRUE(m.has_value()) << w.text;
    EXPECT_EQ(m->second.text, w.text);
    EXPECT_EQ(m->second.caption, w.caption);
    EXPECT_EQ(m->second.icon, w.icon);
    ASSERT_TRUE(driver.answerMessage(w.press));
  }
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(answer, 2);
}

}  // namespace
}  // namespace trv::forms
