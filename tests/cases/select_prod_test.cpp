#include "cases/products/select_prod.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/data/database_tool.h"
#include "core/data/records.h"
#include "core/program/program_state.h"
#include "runtime/list/list_browser.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/text/fixed_string.h"
#include "runtime/ui/headless.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::cases {
namespace {

using ::testing::ElementsAre;

using enum productpick::Control;

// A name longer than the 30 characters the list shows.
const std::string kLongName = "Printers, plotters and label writers of the branch";  // 50

// What the pick list left behind on its thread once it returned.
struct Outcome {
  int response = 0;
  std::string id, name;
};

// A program state over a starter database with four products, a configuration file of its
// own, and the pick list run on a program thread as the case form runs it.
class SelectProdTest : public ::testing::Test {
 protected:
  SelectProdTest()
      : folder_(std::filesystem::temp_directory_path() /
                ("trv_selectprod_" + std::to_string(::getpid()) + "_" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_ / "db");
    EXPECT_TRUE(core::createStarterDatabase(db()).ok);
    for (const auto& [id, name] : {std::pair{"P3", "banana"}, std::pair{"P1", "Cherry"},
                                   std::pair{"P4", kLongName.c_str()}, std::pair{"P2", "Apple"}})
      EXPECT_TRUE(core::insertRecord(db(), {{"SLA:IDProduct", id}, {"SLA:Product", name}}).ok);
    state_.AppMessages.Init();
    state_.AppSettings.Init(folder_, "trvnel12.ini");
    state_.dictionary.setUp(state_.AppMessages);
    state_.DatabaseFolder = db();
    state_.dictionary.setNames(db());
    registerSelectProd(state_);
  }
  ~SelectProdTest() override {
    rt_.endProgram();
    EXPECT_TRUE(rt_.waitFinished(std::chrono::seconds(10)));
    state_.dictionary.release();
    std::error_code ec;
    std::filesystem::remove_all(folder_, ec);
  }

  std::string db() const { return (folder_ / "db").string(); }

  // Starts the list through the registry with `request`; the outcome is read on its thread.
  void open(int request = forms::RequestSelect) {
    const forms::ProcedureEntry* e = state_.procedures.find("SelectProd");
    ASSERT_NE(e, nullptr);
    ASSERT_FALSE(e->ownThread);
    auto body = e->body;
    ASSERT_NE(rt_.start([this, body, request] {
      state_.globals.NextRequest = request;
      body({});
      Outcome o;
      o.response = state_.globals.LastResponse;
      const auto& r = state_.dictionary.SlaAccess->record<core::SlaRecord>();
      o.id = r.IDProduct.str();
      o.name = r.Product.str();
      outcome_ = o;
    }),
              0);
    ASSERT_TRUE(driver_.waitIdle());
    ASSERT_NE(window(), nullptr) << driver_.describe();
  }

  ui::Window* window() {
    ui::Window* w = nullptr;
    EXPECT_TRUE(driver_.inspect([&] { w = rt_.front(); }));
    return w;
  }
  ui::ControlState control(int n) {
    ui::ControlState c;
    EXPECT_TRUE(driver_.inspect([&] { c = *rt_.front()->control(n); }));
    return c;
  }
  std::vector<std::string> column(std::size_t col) {
    std::vector<std::string> out;
    for (const ui::ListRow& r : control(kList).rows) out.push_back(r.cells[col]);
    return out;
  }
  void send(ui::Input::Kind kind, int controlNumber = 0, int key = ui::KeyNone, int row = 0) {
    ui::Input in;
    in.kind = kind;
    in.window = window()->id();
    in.control = controlNumber;
    in.key = key;
    in.row = row;
    in.zone = ui::ListZone::Cell;
    rt_.post(in);
    ASSERT_TRUE(driver_.waitIdle());
  }
  void typeOnList(char c) {
    send(ui::Input::Kind::Focus, kList);
    send(ui::Input::Kind::Key, 0, c);
  }
  // Waits for the list to return and gives what it left.
  Outcome finished() {
    EXPECT_TRUE(driver_.waitIdle());
    EXPECT_TRUE(outcome_.has_value()) << driver_.describe();
    return outcome_.value_or(Outcome{});
  }

  std::filesystem::path folder_;
  text::ManualClock clock_{*text::dateNumber(2026, 12, 10), *text::timeNumber(12, 0)};
  ui::HeadlessFrontEnd fe_;
  ui::UiRuntime rt_{clock_, fe_};
  ui::HeadlessDriver driver_{rt_, fe_, &clock_};
  core::ProgramState state_{
      core::ProgramEnvironment{clock_, rt_, nullptr, {}, {}, nullptr, nullptr}};
  std::optional<Outcome> outcome_;
};

TEST(PickListColour, MissingOrZeroGivesItsOwnDefault) {
  EXPECT_EQ(pickListColour(0), 12567173);
  EXPECT_NE(pickListColour(0), list::listColour(0));
  EXPECT_EQ(pickListColour(8421504), 8421504);
}

TEST_F(SelectProdTest, BackgroundFromConfigAtOpenAndFromListColorAtGainFocus) {
  struct Case {
    const char* configured;  // nullptr: no key
    int shown;
  } cases[] = {{nullptr, 12567173}, {"0", 12567173}, {"16777215", 16777215}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.configured ? c.configured : "missing");
    if (c.configured) {
      ASSERT_TRUE(state_.AppSettings.WriteValue("Config", "Color", c.configured));
    }
    outcome_.reset();
    open();
    EXPECT_EQ(control(kList).background, c.shown);
    EXPECT_EQ(state_.ListColor, c.shown);
    send(ui::Input::Kind::Close);
    finished();
  }
  // The frame changes the colour while the list is behind another program.
  open();
  send(ui::Input::Kind::Deactivate);
  ASSERT_TRUE(driver_.inspect([&] { state_.ListColor = 255; }));
  send(ui::Input::Kind::Activate);
  EXPECT_EQ(control(kList).background, 255);
}

TEST_F(SelectProdTest, OpensInProductIdOrderAndShowsThirtyCharactersOfTheName) {
  open();
  EXPECT_EQ(window()->title(), "Select Product");
  EXPECT_THAT(column(0), ElementsAre("P1", "P2", "P3", "P4"));
  EXPECT_EQ(column(1)[3], kLongName.substr(0, 30));
  EXPECT_EQ(control(kList).tip, "Browsing Records");
  EXPECT_FALSE(control(kSelect).hidden);

  // The chosen product reaches the buffer whole.
  send(ui::Input::Kind::Select, kList, ui::KeyNone, 4);
  send(ui::Input::Kind::Press, kSelect);
  const Outcome o = finished();
  EXPECT_EQ(o.response, forms::ResponseCompleted);
  EXPECT_EQ(o.id, "P4");
  EXPECT_EQ(o.name, kLongName);
}

TEST_F(SelectProdTest, StepLocatorFollowsTheTabIgnoringCase) {
  open();
  send(ui::Input::Kind::Press, kTabName);
  EXPECT_THAT(column(1), ElementsAre("Apple", "banana", "Cherry", kLongName.substr(0, 30)));
  typeOnList('B');
  EXPECT_EQ(control(kList).selected, 2);
  typeOnList('c');
  EXPECT_EQ(control(kList).selected, 3);

  send(ui::Input::Kind::Press, kTabId);
  EXPECT_THAT(column(0), ElementsAre("P1", "P2", "P3", "P4"));
  typeOnList('p');
  EXPECT_EQ(control(kList).selected, 1);

  // A double-click chooses the row as Select does.
  send(ui::Input::Kind::Mouse, kList, ui::KeyMouseLeft2, 3);
  const Outcome o = finished();
  EXPECT_EQ(o.response, forms::ResponseCompleted);
  EXPECT_EQ(o.id, "P3");
  EXPECT_EQ(o.name, "banana");
}

TEST_F(SelectProdTest, CloseButtonAndCloseBoxCancel) {
  struct Case {
    const char* what;
    ui::Input::Kind kind;
    int control;
  } cases[] = {{"Close", ui::Input::Kind::Press, kClose}, {"close box", ui::Input::Kind::Close, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    outcome_.reset();
    open();
    send(ui::Input::Kind::Select, kList, ui::KeyNone, 2);
    send(c.kind, c.control);
    const Outcome o = finished();
    EXPECT_EQ(o.response, forms::ResponseCancelled);
    EXPECT_EQ(o.id, "");
  }
  // The position is kept for the next opening.
  EXPECT_TRUE(state_.AppSettings.RestoreWindowPosition("SelectProd", true).has_value());
}

TEST_F(SelectProdTest, SelectIsHiddenUnlessSelecting) {
  open(0);
  EXPECT_TRUE(control(kSelect).hidden);
  send(ui::Input::Kind::Mouse, kList, ui::KeyMouseLeft2, 1);
  EXPECT_EQ(window()->title(), "Select Product");  // nothing to change: the list stays
  send(ui::Input::Kind::Press, kClose);
  EXPECT_EQ(finished().response, forms::ResponseCancelled);
}

}  // namespace
}  // namespace trv::cases
