// Input to a window: what the user does becomes the events and values the procedure sees.

#include "runtime/ui/window.h"

#include <gtest/gtest.h>

#include "runtime/text/date_time.h"
#include "runtime/ui/control_lookup.h"
#include "runtime/ui/use_var.h"
#include "tests/runtime/ui/ui_fixture.h"

namespace trv::ui {
namespace {

using testing::Recorder;
using testing::UiFixture;

class WindowInput : public UiFixture {
 protected:
  std::int32_t date = 0;
  std::string name = "Admin";
  std::int64_t flag = 0;
  std::string choice = "2";
  Recorder rec;
  std::unique_ptr<Window> w;
  WindowKind kind = WindowKind::Modal;

  void SetUp() override {
    ASSERT_NE(rt.start([this] {
      WindowDecl d;
      d.title = "Test";
      d.kind = kind;
      d.controls = {
          prompt("?P1", "&Name:"),                                 // 1
          entry("?Name", "@s10", useText("LOC:Name", name)),       // 2
          prompt("?P2", "Date:"),                                  // 3
          entry("?Date", "@d6", useNumber("LOC:Date", date)),      // 4
          check("?Flag", "&Flag", useNumber("LOC:Flag", flag)),    // 5
          option("?Opt", "Level", useText("LOC:Choice", choice)),  // 6
          radio("?R1", "One", "1").in(6),                          // 7
          radio("?R2", "Two", "2").in(6),                          // 8
          button("?OK", "&OK").asDefault(),                        // 9
          button("?Cancel", "Cancel"),                             // 10
          button("?Off", "Off").asDisabled(),                      // 11
      };
      w = rt.open(std::move(d));
      rec.loop(*w);
    }),
              0);
    ASSERT_TRUE(driver.waitIdle());
  }
  void TearDown() override {
    if (driver.inspect([&] {})) rt.post(to(w.get(), Input::Kind::Close));
    EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  }
  Input typed(int control, std::string text) {
    auto in = to(w.get(), Input::Kind::Accept, control);
    in.text = std::move(text);
    return in;
  }
};

TEST_F(WindowInput, OpensWithUseVariablesDisplayedAndFirstFocusable) {
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(w->text(2), "Admin");
    EXPECT_EQ(w->selected(6), 2);  // the radio whose value the variable holds
    EXPECT_EQ(w->focus(), 2);
  }));
  EXPECT_EQ(rec.seen, std::vector<std::string>{"515:0"});
}

TEST_F(WindowInput, TypedTextGoesThroughThePictureIntoTheUseVariable) {
  input(typed(4, "6/5/2002"));
  input(typed(2, "Bob"));
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(date, *text::dateNumber(2002, 5, 6));
    EXPECT_EQ(w->text(4), " 6/05/2002");
    EXPECT_EQ(name, "Bob");
  }));
  EXPECT_EQ(rec.seen, (std::vector<std::string>{"515:0", "1:4", "1:2"}));
}

TEST_F(WindowInput, RefusedInputBeepsAndChangesNothing) {
  fe.takeBeeps();
  struct Case {
    const char* what;
    Input in;
  } cases[] = {
      {"impossible date", typed(4, "31/2/2002")},
      {"disabled button", to(w.get(), Input::Kind::Press, 11)},
  };
  for (auto& c : cases) {
    input(c.in);
    EXPECT_EQ(fe.takeBeeps(), 1) << c.what;
  }
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(date, 0);
    EXPECT_EQ(name, "Admin");
  }));
  EXPECT_EQ(rec.seen, std::vector<std::string>{"515:0"});
}

TEST_F(WindowInput, TextTheRecordsCannotHoldStaysAsTypedAndIsRejected) {
  fe.takeBeeps();
  input(typed(2, "\xe2\x82\xac\xe4\xb8\xad"));  // "€中": the euro sign is in the set
  EXPECT_EQ(fe.takeBeeps(), 1);
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(name, "Admin");
    EXPECT_EQ(w->text(2), "\xe2\x82\xac\xe4\xb8\xad");
    EXPECT_EQ(w->unstorable(2), "\xe4\xb8\xad");
    EXPECT_EQ(w->focus(), 2);
  }));
  EXPECT_EQ(rec.seen, (std::vector<std::string>{"515:0", "3:2"}));
  input(typed(2, "Bob"));
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(name, "Bob");
    EXPECT_EQ(w->unstorable(2), "");
  }));
}

TEST_F(WindowInput, PressingCheckAndRadioUpdatesValueAndAcceptsTheGroup) {
  input(to(w.get(), Input::Kind::Press, 5));
  input(to(w.get(), Input::Kind::Press, 7));
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(choice, "1");
    EXPECT_EQ(w->selected(6), 1);
  }));
  EXPECT_EQ(rec.seen, (std::vector<std::string>{"515:0", "1:5", "1:6"}));
}

TEST_F(WindowInput, KeysActAsDefaultButtonCloseBoxTabAndAlerts) {
  ASSERT_TRUE(driver.inspect([&] { w->alert(KeyF2); }));
  auto key = [&](int k) {
    auto in = to(w.get(), Input::Kind::Key);
    in.key = k;
    return in;
  };
  input(key(KeyEnter));  // default button
  input(key(KeyTab));    // from ?Name to ?Date
  input(key(KeyF2));
  input(key(KeyEsc));
  EXPECT_EQ(rec.seen, (std::vector<std::string>{"515:0", "1:9", "257:4", "16:4", "15:4", "513:0"}));
}

class FrameInput : public WindowInput {
 protected:
  FrameInput() { kind = WindowKind::Frame; }
};

TEST_F(FrameInput, EscDoesNotCloseTheFrame) {
  auto esc = to(w.get(), Input::Kind::Key);
  esc.key = KeyEsc;
  input(esc);
  EXPECT_EQ(rec.seen, std::vector<std::string>{"515:0"});
}

TEST_F(WindowInput, ControlsAreFoundByNumberEquateUseAndText) {
  struct Case {
    const char* token;
    bool quoted;
    std::vector<int> want;
  } cases[] = {
      {"#4", false, {4}}, {"?ok", false, {9}}, {"{loc:date}", false, {4}},
      {"OK", true, {9}},  {"&OK", true, {9}},  {"Name:", true, {2}},
      {"Two", true, {8}}, {"#99", false, {}},  {"Nothing", true, {}},
  };
  ASSERT_TRUE(driver.inspect([&] {
    for (const auto& c : cases)
      EXPECT_EQ(findControls(*w, parseControlRef(c.token, c.quoted)), c.want) << c.token;
  }));
}

}  // namespace
}  // namespace trv::ui
