#include "runtime/list/list_browser.h"

#include <gtest/gtest.h>

#include <atomic>

#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/ui/headless.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"
#include "tests/runtime/store/test_files.h"
#include "tests/support/recording_sink.h"

namespace trv::list {
namespace {

using store::testing::Item;

using trv::testing::RecordingSink;

enum : int { kList = 1, kSelect, kInsert, kChange, kDelete, kSheet, kTabName, kTabGroup, kClose };

// A list window over the item file, as a list procedure declares it, run on a program thread.
class ListBrowserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    item_.setName(dir_.file("Item.kvx"));
    store::Connection seed;
    store::FileId id = -1;
    ASSERT_EQ(seed.open(decl_, dir_.file("Item.kvx"), store::OpenMode::Shared, &id), store::Ok);
    for (int i = 1; i <= 30; ++i) {
      char name[8];
      std::snprintf(name, sizeof name, "N%03d", i);
      store::RecordBuffer b =
          store::testing::itemBuffer(decl_, Item{0, name, i % 2 ? "odd" : "even", i});
      ASSERT_EQ(seed.add(id, b), store::Ok);
    }
  }
  void TearDown() override {
    rt_.endProgram();
    rt_.waitFinished(std::chrono::seconds(10));
  }

  void startList(bool selecting) {
    ASSERT_NE(rt_.start([this, selecting] {
      if (item_.open() != data::LevelOk) return;
      ui::WindowDecl d;
      d.title = "Items";
      d.controls = {ui::list("?Browse:1", {{"Name", 10, "@s10"}, {"Nr", 6, "@N06"}}),
                    ui::button("?Select", "&Select"),
                    ui::button("?Insert", "&Insert"),
                    ui::button("?Change", "&Change"),
                    ui::button("?Delete", "&Delete"),
                    ui::sheet("?Sheet"),
                    ui::tab("?TabName", "By name").in(kSheet),
                    ui::tab("?TabGroup", "By group").in(kSheet),
                    ui::button("?Close", "Close")};
      std::unique_ptr<ui::Window> w = rt_.open(std::move(d));
      ListBrowser b(*w, kList, item_, 5);
      b.AddField("ITM:Name", "@s10");
      b.AddField("ITM:Nr", "@N06");
      const int byName = b.AddKeyOrder("ITM:NameKey", "ITM:Name");
      const int byGroup = b.AddKeyOrder("ITM:GroupKey", "ITM:Group");
      b.SetSheet(kSheet, {byName, byGroup}, byName);
      b.SetButtons({kSelect, kInsert, kChange, kDelete, 0, 0, kClose, 0});
      b.SetSelecting(selecting);
      b.SetListColourSource([this] { return colour_.load(); });
      b.SetAskProcedure([&](ListRequest r) {
        asked_.push_back(r);
        askedName_ = store::testing::field(decl_, item_.buffer(), 1);
        return static_cast<int>(ResponseCancelled);
      });
      if (b.Open() != data::LevelOk) return;
      ui::Event e;
      while (w->accept(e)) {
        bool close = false;
        b.HandleEvent(e, &close);
        if (close || e.number == ui::EventCloseWindow ||
            (e.number == ui::EventAccepted && e.control == kClose))
          w->close();
      }
      response_ = b.response();
      selectedName_ = store::testing::field(decl_, item_.buffer(), 1);
      item_.close();
    }),
              0);
    ASSERT_TRUE(driver_.waitIdle());
  }

  ui::Window* front() {
    ui::Window* w = nullptr;
    EXPECT_TRUE(driver_.inspect([&] { w = rt_.front(); }));
    return w;
  }
  std::vector<std::string> firstCells() {
    std::vector<std::string> out;
    EXPECT_TRUE(driver_.inspect([&] {
      for (const auto& r : rt_.front()->control(kList)->rows) out.push_back(r.cells.at(0));
    }));
    return out;
  }
  std::string selectedCell() {
    std::string s;
    EXPECT_TRUE(driver_.inspect([&] {
      const ui::ControlState* c = rt_.front()->control(kList);
      if (c->selected >= 1) s = c->rows.at(static_cast<std::size_t>(c->selected - 1)).cells.at(0);
    }));
    return s;
  }
  void send(ui::Input in) {
    ASSERT_TRUE(driver_.waitIdle());
    in.window = front()->id();
    rt_.post(in);
    ASSERT_TRUE(driver_.waitIdle());
  }
  void key(int k) {
    ui::Input in;
    in.kind = ui::Input::Kind::Key;
    in.key = k;
    send(in);
  }
  void press(int control) {
    ui::Input in;
    in.kind = ui::Input::Kind::Press;
    in.control = control;
    send(in);
  }

  store::testing::TempFolder dir_;
  store::FileDecl decl_ = store::testing::itemDecl();
  RecordingSink sink_;
  data::FileAccess item_{decl_, sink_};
  text::ManualClock clock_{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
  ui::HeadlessFrontEnd fe_;
  ui::UiRuntime rt_{clock_, fe_};
  ui::HeadlessDriver driver_{rt_, fe_, &clock_};
  std::atomic<int> colour_{kDefaultListColour};
  std::vector<ListRequest> asked_;
  std::string askedName_;
  std::atomic<int> response_{0};
  std::string selectedName_;
};

TEST_F(ListBrowserTest, ShowsAPageAndMovesWithTheListKeys) {
  startList(false);
  EXPECT_EQ(firstCells(), (std::vector<std::string>{"N001", "N002", "N003", "N004", "N005"}));
  std::string nr;
  ASSERT_TRUE(driver_.inspect([&] { nr = rt_.front()->control(kList)->rows[1].cells[1]; }));
  EXPECT_EQ(nr, "000002");
  key(ui::KeyPgDn);
  EXPECT_EQ(firstCells().front(), "N006");
  key(ui::KeyEnd);
  EXPECT_EQ(selectedCell(), "N030");
  key(ui::KeyHome);
  EXPECT_EQ(selectedCell(), "N001");
  key('n');  // the step locator ignores letter case
  EXPECT_EQ(selectedCell(), "N001");
  ui::Window* w = front();
  bool selectHidden = false;
  int background = 0;
  ASSERT_TRUE(driver_.inspect([&] {
    selectHidden = w->control(kSelect)->hidden;
    background = w->control(kList)->background;
  }));
  EXPECT_TRUE(selectHidden);
  EXPECT_EQ(background, kDefaultListColour);
}

TEST_F(ListBrowserTest, ChoosingATabSwitchesTheOrderAroundTheCurrentRecord) {
  startList(false);
  ui::Input in;
  in.kind = ui::Input::Kind::Press;
  in.control = kTabGroup;
  send(in);
  // By group: even ones first (N002, N004, ...), the current record N001 stays selected.
  EXPECT_EQ(selectedCell(), "N001");
  key(ui::KeyHome);
  EXPECT_EQ(selectedCell(), "N002");
}

TEST_F(ListBrowserTest, UpdateButtonsHandTheCurrentRecordToTheForm) {
  startList(false);
  key(ui::KeyDown);
  key(ui::KeyDown);
  press(kChange);
  ASSERT_EQ(asked_.size(), 1u);
  EXPECT_EQ(asked_[0], RequestChange);
  EXPECT_EQ(askedName_, "N003");
  key(ui::KeyInsert);
  key(ui::KeyDelete);
  key(ui::KeyEnter | ui::kCtrl);
  EXPECT_EQ(asked_,
            (std::vector<ListRequest>{RequestChange, RequestInsert, RequestDelete, RequestChange}));
}

TEST_F(ListBrowserTest, SelectModeLeavesTheRecordInTheBufferAndCloses) {
  startList(true);
  key(ui::KeyDown);
  ui::Input dbl;
  dbl.kind = ui::Input::Kind::Mouse;
  dbl.control = kList;
  dbl.key = ui::KeyMouseLeft2;
  dbl.row = 4;
  dbl.zone = ui::ListZone::Cell;
  send(dbl);
  ASSERT_TRUE(rt_.waitFinished(std::chrono::seconds(10)));
  EXPECT_EQ(response_, ResponseCompleted);
  EXPECT_EQ(selectedName_, "N004");
}

TEST_F(ListBrowserTest, PopupOffersTheListsButtonsAndActsAsThem) {
  startList(true);
  ui::Input right;
  right.kind = ui::Input::Kind::Mouse;
  right.control = kList;
  right.key = ui::KeyMouseRightUp;  // the popup opens on release
  right.row = 2;
  right.zone = ui::ListZone::Cell;
  send(right);
  const auto p = driver_.popup();
  ASSERT_TRUE(p);
  EXPECT_EQ(p->second.menuText, "&Insert|&Change|&Delete|&Select|-|&Close|&Help");
  ASSERT_TRUE(driver_.answerPopup("&Change"));
  ASSERT_TRUE(driver_.waitIdle());
  ASSERT_EQ(asked_.size(), 1u);
  EXPECT_EQ(askedName_, "N002");
}

TEST_F(ListBrowserTest, RegainingTheFocusAppliesANewColourAndSeesOtherStations) {
  startList(false);
  colour_ = 255;
  {
    store::Connection other;
    store::FileId id = -1;
    ASSERT_EQ(other.open(decl_, dir_.file("Item.kvx"), store::OpenMode::Shared, &id), store::Ok);
    store::RecordBuffer b = store::testing::itemBuffer(decl_, Item{0, "A000", "odd", 0});
    ASSERT_EQ(other.add(id, b), store::Ok);
  }
  ui::Input in;
  in.kind = ui::Input::Kind::Activate;
  send(in);
  int background = 0;
  ASSERT_TRUE(driver_.inspect([&] { background = rt_.front()->control(kList)->background; }));
  EXPECT_EQ(background, 255);
  key(ui::KeyHome);
  EXPECT_EQ(selectedCell(), "A000");
}

}  // namespace
}  // namespace trv::list
