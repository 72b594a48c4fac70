// The list window run from its table: columns, tabs and orders, the form called by name, select
// mode, the list colour, the list's own popup items and the extension of enhanced lists.

#include "runtime/list/list_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "tests/runtime/forms/form_fixture.h"

namespace trv::list {
namespace {

using forms::RequestSelect;
using store::testing::field;

enum ItemListControl : int {
  kList = 1,
  kSelect,
  kInsert,
  kChange,
  kDelete,
  kSheet,
  kTabName,
  kTabGroup,
  kClose,
  kQueues,
};

// Records the buttons the procedure itself saw pressed.
class ItemList final : public ListWindow {
 public:
  ItemList(const ListEnvironment& env, ListDecl decl, std::vector<int>& pressed)
      : ListWindow(env, std::move(decl)), pressed_(pressed) {}
  data::Level HandleAccepted() override {
    pressed_.push_back(event().control);
    return ListWindow::HandleAccepted();
  }

 private:
  std::vector<int>& pressed_;
};

// Takes presses of Change and counts what it saw.
class TakingExtension final : public ListExtension {
 public:
  explicit TakingExtension(std::vector<std::string>& log) : log_(log) {}
  bool HandleEvent(const ui::Event& e) override {
    if (e.number == ui::EventAccepted && e.control == kChange) {
      log_.push_back("took change");
      return true;
    }
    return false;
  }
  void Closing() override { log_.push_back("closing"); }

 private:
  std::vector<std::string>& log_;
};

class ListWindowTest : public forms::testing::FormFixture {
 protected:
  // Numbered 1-5 in this order; Ash and Elm in group "b", the others in "a".
  ListWindowTest() {
    for (const auto& [name, group] :
         {std::pair{"Cedar", "a"}, std::pair{"Ash", "b"}, std::pair{"Birch", "a"},
          std::pair{"Elm", "b"}, std::pair{"Oak", "a"}}) {
      station.primeRecord();
      char* r = station.buffer().record.data();
      (void)store::setFieldText(station.decl().fields[1], r, name);
      (void)store::setFieldText(station.decl().fields[2], r, group);
      EXPECT_EQ(station.insert(), data::LevelOk);
    }
  }

  ListDecl decl() {
    ListDecl d;
    d.procedure = "BrowseItems";
    d.window.title = "Items";
    d.window.controls = {ui::list("?Browse:1", {}).withNumber(kList),
                         ui::button("?Select", "&Select").withNumber(kSelect),
                         ui::button("?Insert", "&Insert").withNumber(kInsert),
                         ui::button("?Change", "&Change").withNumber(kChange),
                         ui::button("?Delete", "&Delete").withNumber(kDelete),
                         ui::sheet("?Sheet").withNumber(kSheet),
                         ui::tab("?TabName", "By name").withNumber(kTabName).in(kSheet),
                         ui::tab("?TabGroup", "By group").withNumber(kTabGroup).in(kSheet),
                         ui::button("?Close", "Close").withNumber(kClose),
                         ui::button("?Queues", "&Queues").withNumber(kQueues)};
    d.list = kList;
    d.columns = {{"Name", 40, "ITM:Name", "@s10"}, {"Nr", 26, "ITM:Nr", "@N06", true}};
    d.file = &itemRel;
    // The default order is not the first: tabs map by their control, not by position.
    d.orders = {
        {"ITM:GroupKey", "ITM:Group", kTabGroup}, {"ITM:NameKey", "ITM:Name", kTabName, true}, {}};
    d.sheet = kSheet;
    d.buttons = {.select = kSelect,
                 .insert = kInsert,
                 .change = kChange,
                 .remove = kDelete,
                 .close = kClose};
    d.form = "UpdateItem";
    d.defaultColour = 555;
    return d;
  }

  // Runs the list on a program thread with `request`; what it left in the buffer is kept.
  void open(ListDecl d, int request = 0) {
    done_ = false;
    ASSERT_NE(rt.start([this, d = std::move(d), request]() mutable {
      globals.NextRequest = request;
      ItemList list(env_, std::move(d), pressed_);
      response_ = list.Run();
      leftName_ = field(items.decl(), items.buffer(), 1);
      done_ = true;
    }),
              0);
    ASSERT_TRUE(driver.waitIdle());
  }
  void finish() {
    ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5))) << driver.describe();
    ASSERT_TRUE(done_);
  }
  ui::ControlState control(int n) {
    ui::ControlState c;
    EXPECT_TRUE(driver.inspect([&] { c = *rt.front()->control(n); }));
    return c;
  }
  std::vector<std::string> names() {
    std::vector<std::string> out;
    for (const ui::ListRow& r : control(kList).rows) out.push_back(r.cells.at(0));
    return out;
  }
  void select(int row) {
    ui::Input in = to(front(), ui::Input::Kind::Select, kList);
    in.row = row;
    input(in);
  }
  void pressOn(int c) { input(to(front(), ui::Input::Kind::Press, c)); }
  // Registers the form as a procedure that records the request and the record it was handed.
  void registerForm(int response) {
    procedures.add("UpdateItem", {[this, response](std::string_view) {
                                    asked_.push_back(std::to_string(globals.NextRequest) + ":" +
                                                     field(items.decl(), items.buffer(), 1));
                                    globals.LastResponse = response;
                                  },
                                  false,
                                  {}});
  }

  int listColour_ = 0;
  ListEnvironment env_{ctx, listColour_, {}};
  std::vector<int> pressed_;
  std::vector<std::string> asked_;
  std::atomic<int> response_{0};
  std::string leftName_;
  std::atomic<bool> done_{false};
};

TEST_F(ListWindowTest, ColumnsTabsAndTheDefaultOrderComeFromTheTable) {
  open(decl());
  const ui::ControlState list = control(kList);
  ASSERT_EQ(list.columns.size(), 2u);
  EXPECT_EQ(list.columns[0].header, "Name");
  EXPECT_EQ(list.columns[0].width, 10);  // 40 dialog units
  EXPECT_EQ(list.columns[1].width, 7);   // 26 dialog units
  EXPECT_TRUE(list.columns[1].rightAligned);
  EXPECT_EQ(names(), (std::vector<std::string>{"Ash", "Birch", "Cedar", "Elm", "Oak"}));
  EXPECT_EQ(list.rows.at(0).cells.at(1), "000002");

  pressOn(kTabGroup);
  EXPECT_EQ(names(), (std::vector<std::string>{"Cedar", "Birch", "Oak", "Ash", "Elm"}));
  pressOn(kTabName);
  EXPECT_EQ(names().front(), "Ash");
  pressOn(kClose);
  finish();
  EXPECT_EQ(response_, forms::ResponseCancelled);
}

TEST_F(ListWindowTest, AHiddenColumnIsNotShownAndColumnsKeepTheirJustification) {
  ListDecl d = decl();
  d.columns = {{"Nr", 26, "ITM:Nr", "@N06", true, 0, 0, 0, true},
               {"Name", 40, "ITM:Name", "@s10"},
               {"Group", 20, "ITM:Group", "@s2", false, 0, 'R', 'C'}};
  open(std::move(d));
  const ui::ControlState list = control(kList);
  ASSERT_EQ(list.columns.size(), 2u);
  EXPECT_EQ(list.columns[0].header, "Name");
  EXPECT_EQ(list.columns[1].header, "Group");
  EXPECT_EQ(ui::headerJustification(list.columns[1]), 'R');
  EXPECT_EQ(ui::dataJustification(list.columns[1]), 'C');
  ASSERT_FALSE(list.rows.empty());
  EXPECT_EQ(list.rows.at(0).cells, (std::vector<std::string>{"Ash", "b"}));
  pressOn(kClose);
  finish();
}

TEST_F(ListWindowTest, UpdateButtonsCallTheFormByNameWithTheRecord) {
  registerForm(forms::ResponseCompleted);
  open(decl());
  select(3);
  pressOn(kChange);
  pressOn(kDelete);
  pressOn(kInsert);
  ASSERT_EQ(asked_.size(), 3u);
  EXPECT_EQ(asked_[0], "2:Cedar");
  EXPECT_EQ(asked_[1], "3:Cedar");
  EXPECT_EQ(asked_[2].substr(0, 2), "1:");
  // The buttons the list acts on never reach the procedure; its own do.
  pressOn(kQueues);
  EXPECT_EQ(pressed_, std::vector<int>{kQueues});

  // A list without a form calls nothing.
  pressOn(kClose);
  finish();
  asked_.clear();
  ListDecl d = decl();
  d.form.clear();
  open(std::move(d));
  pressOn(kChange);
  EXPECT_TRUE(asked_.empty());
}

TEST_F(ListWindowTest, SelectLeavesTheChosenRecordInTheBufferAfterTheFileClosed) {
  open(decl(), RequestSelect);
  EXPECT_FALSE(control(kSelect).hidden);
  select(4);
  pressOn(kSelect);
  finish();
  EXPECT_EQ(response_, forms::ResponseCompleted);
  EXPECT_EQ(leftName_, "Elm");

  struct Case {
    const char* what;
    SelectMode mode;
    int request;
  } cases[] = {{"not asked to select", SelectMode::OnRequest, 0},
               {"never selects", SelectMode::Never, RequestSelect}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ListDecl d = decl();
    d.select = c.mode;
    open(std::move(d), c.request);
    EXPECT_TRUE(control(kSelect).hidden);
    input(to(front(), ui::Input::Kind::Close));
    finish();
    EXPECT_EQ(response_, forms::ResponseCancelled);
  }
}

TEST_F(ListWindowTest, ColourFromTheConfigurationAtOpeningAndTheSharedOneOnGainFocus) {
  struct Case {
    const char* configured;  // nullptr: no key
    int shown;
  } cases[] = {{nullptr, 555}, {"0", 555}, {"16777215", 16777215}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.configured ? c.configured : "missing");
    if (c.configured) {
      ASSERT_TRUE(settings.WriteValue("Config", "Color", c.configured));
    }
    open(decl());
    EXPECT_EQ(control(kList).background, c.shown);
    EXPECT_EQ(listColour_, c.shown);
    pressOn(kClose);
    finish();
  }
  open(decl());
  input(to(front(), ui::Input::Kind::Deactivate));
  ASSERT_TRUE(driver.inspect([&] { listColour_ = 255; }));
  input(to(front(), ui::Input::Kind::Activate));
  EXPECT_EQ(control(kList).background, 255);
}

TEST_F(ListWindowTest, AKeptFormatComesBackAndADamagedOneIsIgnored) {
  ListDecl d = decl();
  d.formatSection = "Browses";
  d.formatKey = "ItemBrowse";
  ASSERT_TRUE(settings.WriteValue("Browses", "ItemBrowse", "12,9"));
  open(d);
  EXPECT_EQ(control(kList).columns.at(0).width, 12);
  ui::Input sized = to(front(), ui::Input::Kind::ColumnWidth, kList);
  sized.column = 1;
  sized.width = 15;
  input(sized);
  pressOn(kClose);
  finish();
  EXPECT_EQ(settings.ReadValue("Browses", "ItemBrowse"), "15,9");

  ASSERT_TRUE(settings.WriteValue("Browses", "ItemBrowse", "12"));
  open(d);
  EXPECT_EQ(control(kList).columns.at(0).width, 10);
  pressOn(kClose);
  finish();
  EXPECT_EQ(settings.ReadValue("Browses", "ItemBrowse"), "10,7");
}

TEST_F(ListWindowTest, OwnPopupItemsComeFirstAndPressTheirButton) {
  ListDecl d = decl();
  d.popup = {{"Queues", kQueues}};
  open(std::move(d));
  ui::Input right = to(front(), ui::Input::Kind::Mouse, kList);
  right.key = ui::KeyMouseRightUp;
  right.row = 1;
  right.zone = ui::ListZone::Cell;
  input(right);
  const auto p = driver.popup();
  ASSERT_TRUE(p);
  EXPECT_EQ(p->second.menuText, "Queues|-|&Insert|&Change|&Delete|-|&Close|&Help");
  ASSERT_TRUE(driver.answerPopup("Queues"));
  ASSERT_TRUE(driver.waitIdle());
  EXPECT_EQ(pressed_, std::vector<int>{kQueues});
}

TEST_F(ListWindowTest, OnlyEnhancedListsGetTheExtensionAndItSeesEventsFirst) {
  registerForm(forms::ResponseCancelled);
  std::vector<std::string> log;
  int made = 0;
  env_.enhancement = [&](ListWindow& list) -> std::unique_ptr<ListExtension> {
    ++made;
    EXPECT_EQ(list.decl().procedure, "BrowseItems");
    return std::make_unique<TakingExtension>(log);
  };
  open(decl());
  pressOn(kClose);
  finish();
  EXPECT_EQ(made, 0);

  ListDecl d = decl();
  d.enhanced = true;
  open(std::move(d));
  EXPECT_EQ(made, 1);
  pressOn(kChange);
  EXPECT_TRUE(asked_.empty());
  pressOn(kClose);
  finish();
  EXPECT_EQ(log, (std::vector<std::string>{"took change", "closing"}));
}

}  // namespace
}  // namespace trv::list
