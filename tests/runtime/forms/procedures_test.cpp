// Starting registered procedures as their registration says, and reading their arguments.

#include "runtime/forms/procedures.h"

#include <gtest/gtest.h>

#include "tests/runtime/forms/form_fixture.h"

namespace trv::forms {
namespace {

TEST(ProcedureArgs, ReadsBlankSeparatedNumbersFromTheLeft) {
  struct Case {
    const char* arg;
    std::optional<int> kind;
    std::optional<std::uint32_t> caseNr;
    bool done;  // nothing but blanks after the two
  } cases[] = {
      {"", std::nullopt, std::nullopt, true},
      {"4", 4, std::nullopt, true},
      {"4 12", 4, 12u, true},
      {"  4   12  ", 4, 12u, true},
      {"4 12 1", 4, 12u, false},
      {"4x 12", 4, std::nullopt, false},  // reading stops at the x
      {"x", std::nullopt, std::nullopt, false},
      {"4 -12", 4, std::nullopt, false},           // no sign for an unsigned number
      {"-4 99999999999", -4, std::nullopt, true},  // too large: passed over, not read as 0
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arg);
    ProcedureArgs args(c.arg);
    EXPECT_EQ(args.next<int>(), c.kind);
    EXPECT_EQ(args.next<std::uint32_t>(), c.caseNr);
    EXPECT_EQ(args.done(), c.done);
  }
}

class StartingProcedures : public testing::FormFixture {
 protected:
  // The windows still open end before what they write to goes.
  ~StartingProcedures() override {
    rt.endProgram();
    EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  }
  // A procedure whose window stays open until closed; it records the argument it was given.
  ProcedureEntry::Body window(const char* title) {
    return [this, title](std::string_view arg) {
      args.emplace_back(arg);
      ui::WindowDecl d;
      d.title = title;
      auto w = rt.open(d);
      ui::Event e;
      while (w->accept(e))
        if (e.number == ui::EventCloseWindow) w->close();
    };
  }
  // Starts the entry from a program thread, as the frame's menu does.
  void start(const ProcedureEntry& entry, std::string arg = {}) {
    ASSERT_NE(rt.start([this, entry, arg] { startProcedure(ctx, entry, arg); }), 0);
    ASSERT_TRUE(driver.waitIdle());
  }
  int windowCount() {
    std::size_t n = 0;
    EXPECT_TRUE(driver.inspect([&] { n = rt.windows().size(); }));
    return static_cast<int>(n);
  }
  std::vector<std::string> args;
};

TEST_F(StartingProcedures, OwnThreadFillsItsSlotAndARunningOneComesToTheFront) {
  const ProcedureEntry overview =
      onOwnThread(window("Overview"), "OverviewThread", WhenRunning::ToFront);
  start(overview, "1");
  const int running = globals.slot("OverviewThread");
  ASSERT_NE(running, 0);
  ASSERT_NE(front(), nullptr);
  EXPECT_EQ(front()->thread(), running);

  start(onCallersThread(window("Other")));
  EXPECT_EQ(front()->title(), "Other");
  start(overview, "2");  // not a second overview: the running one comes forward
  EXPECT_EQ(windowCount(), 2);
  EXPECT_EQ(front()->title(), "Overview");
  EXPECT_EQ(args, (std::vector<std::string>{"1", ""}));

  // Without ToFront every start opens another window.
  const ProcedureEntry about = onOwnThread(window("About"), "AboutThread");
  start(about);
  start(about);
  EXPECT_EQ(windowCount(), 4);
  EXPECT_EQ(globals.slot("AboutThread"), front()->thread());
}

TEST_F(StartingProcedures, OnTheCallersThreadTheStarterWaitsForTheWindow) {
  bool returned = false;
  ASSERT_NE(rt.start([&] {
    startProcedure(ctx, onCallersThread(window("Form")), "7");
    returned = true;
  }),
            0);
  ASSERT_TRUE(driver.waitIdle());
  EXPECT_FALSE(returned);
  const int thread = front()->thread();
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(rt.threads(), std::vector<int>{thread}); }));
  input(to(front(), ui::Input::Kind::Close));
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_TRUE(returned);
  EXPECT_EQ(args, std::vector<std::string>{"7"});
}

}  // namespace
}  // namespace trv::forms
