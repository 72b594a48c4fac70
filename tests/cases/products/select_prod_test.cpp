#include "cases/products/select_prod.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "core/data/records.h"
#include "runtime/list/list_browser.h"
#include "runtime/text/date_time.h"
#include "runtime/ui/window.h"
#include "tests/support/window_fixture.h"

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

// Four products in the starter database, and the pick list run on a program thread as the case
// form runs it.
class SelectProdTest : public testing::WindowFixture {
 protected:
  SelectProdTest() : WindowFixture(*text::dateNumber(2026, 12, 10), *text::timeNumber(12, 0)) {
    for (const auto& [id, name] : {std::pair{"P3", "banana"}, std::pair{"P1", "Cherry"},
                                   std::pair{"P4", kLongName.c_str()}, std::pair{"P2", "Apple"}})
      insert({{"SLA:IDProduct", id}, {"SLA:Product", name}});
    registerSelectProd(state);
  }

  // Starts the list through the registry with `request`; the outcome is read on its thread.
  void open(int request = forms::RequestSelect) {
    const forms::ProcedureEntry* e = state.procedures.find("SelectProd");
    ASSERT_NE(e, nullptr);
    ASSERT_FALSE(e->ownThread);
    start([this, body = e->body, request] {
      state.globals.NextRequest = request;
      body({});
      Outcome o;
      o.response = state.globals.LastResponse;
      const auto& r = state.dictionary.SlaAccess->record<core::SlaRecord>();
      o.id = r.IDProduct.str();
      o.name = r.Product.str();
      outcome_ = o;
    });
    ASSERT_NE(window(), nullptr) << driver.describe();
  }
  void typeOnList(char c) {
    focus(kList);
    key(c);
  }
  // Waits for the list to return and gives what it left.
  Outcome finished() {
    EXPECT_TRUE(driver.waitIdle());
    EXPECT_TRUE(outcome_.has_value()) << driver.describe();
    return outcome_.value_or(Outcome{});
  }

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
      ASSERT_TRUE(state.AppSettings.WriteValue("Config", "Color", c.configured));
    }
    outcome_.reset();
    open();
    EXPECT_EQ(control(kList).background, c.shown);
    EXPECT_EQ(state.ListColor, c.shown);
    closeWindow();
    finished();
  }
  // The frame changes the colour while the list is behind another program.
  open();
  deactivate();
  ASSERT_TRUE(driver.inspect([&] { state.ListColor = 255; }));
  activate();
  EXPECT_EQ(control(kList).background, 255);
}

TEST_F(SelectProdTest, OpensInProductIdOrderAndShowsThirtyCharactersOfTheName) {
  open();
  EXPECT_EQ(title(), "Select Product");
  EXPECT_THAT(column(kList, 0), ElementsAre("P1", "P2", "P3", "P4"));
  EXPECT_EQ(column(kList, 1)[3], kLongName.substr(0, 30));
  EXPECT_EQ(control(kList).tip, "Browsing Records");
  EXPECT_FALSE(control(kSelect).hidden);

  // The chosen product reaches the buffer whole.
  select(kList, 4);
  press(kSelect);
  const Outcome o = finished();
  EXPECT_EQ(o.response, forms::ResponseCompleted);
  EXPECT_EQ(o.id, "P4");
  EXPECT_EQ(o.name, kLongName);
}

TEST_F(SelectProdTest, StepLocatorFollowsTheTabIgnoringCase) {
  open();
  press(kTabName);
  EXPECT_THAT(column(kList, 1), ElementsAre("Apple", "banana", "Cherry", kLongName.substr(0, 30)));
  typeOnList('B');
  EXPECT_EQ(control(kList).selected, 2);
  typeOnList('c');
  EXPECT_EQ(control(kList).selected, 3);

  press(kTabId);
  EXPECT_THAT(column(kList, 0), ElementsAre("P1", "P2", "P3", "P4"));
  typeOnList('p');
  EXPECT_EQ(control(kList).selected, 1);

  // A double-click chooses the row as Select does.
  doubleClick(kList, 3);
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
    select(kList, 2);
    post(to(c.kind, c.control));
    const Outcome o = finished();
    EXPECT_EQ(o.response, forms::ResponseCancelled);
    EXPECT_EQ(o.id, "");
  }
  // The position is kept for the next opening.
  EXPECT_TRUE(state.AppSettings.RestoreWindowPosition("SelectProd", true).has_value());
}

TEST_F(SelectProdTest, SelectIsHiddenUnlessSelecting) {
  open(0);
  EXPECT_TRUE(control(kSelect).hidden);
  doubleClick(kList, 1);
  EXPECT_EQ(title(), "Select Product");  // nothing to change: the list stays
  press(kClose);
  EXPECT_EQ(finished().response, forms::ResponseCancelled);
}

}  // namespace
}  // namespace trv::cases
