// The list enhancement attached to a list window: the sort orders it registers, header drags
// that end where the button comes up, and a header's right-click menu that leaves the rows' own.

#include "listext/quorix_list.h"

#include <gtest/gtest.h>

#include <atomic>

#include "tests/runtime/forms/form_fixture.h"

namespace trv::listext {
namespace {

enum Control : int { kList = 1, kSheet, kTabName, kTabGroup, kClose };

class QuorixListTest : public forms::testing::FormFixture {
 protected:
  QuorixListTest() {
    for (const char* name : {"Cedar", "ash", "Birch"}) stationAdd(name);
  }

  list::ListDecl decl() {
    list::ListDecl d;
    d.procedure = "BrowseItems";
    d.window.title = "Items";
    d.window.controls = {ui::list("?Browse:1", {}).withNumber(kList).size(40, 10),
                         ui::sheet("?Sheet").withNumber(kSheet),
                         ui::tab("?TabName", "By name").withNumber(kTabName).in(kSheet),
                         ui::tab("?TabGroup", "By group").withNumber(kTabGroup).in(kSheet),
                         ui::button("?Close", "Close").withNumber(kClose)};
    d.list = kList;
    d.columns = {{"Name", 40, "ITM:Name", "@s10"},
                 {"Group", 24, "ITM:Group", "@s6"},
                 {"Nr", 26, "ITM:Nr", "@N06", true}};
    d.file = &itemRel;
    d.orders = {{"ITM:NameKey", "ITM:Name", kTabName, true}, {"ITM:GroupKey", "", kTabGroup}, {}};
    d.sheet = kSheet;
    d.buttons = {.close = kClose};
    d.enhanced = true;
    return d;
  }

  void open() {
    ASSERT_NE(rt.start([this] {
      list::ListWindow list(env_, decl());
      list.Run();
      done_ = true;
    }),
              0);
    ASSERT_TRUE(driver.waitIdle());
  }
  ui::ControlState list() {
    ui::ControlState c;
    EXPECT_TRUE(driver.inspect([&] { c = *rt.front()->control(kList); }));
    return c;
  }
  std::vector<std::string> headers() {
    std::vector<std::string> h;
    for (const ui::ListColumn& c : list().columns) h.push_back(c.header);
    return h;
  }
  void mouse(int key, int column, ui::ListZone zone = ui::ListZone::Header, int row = 0) {
    ui::Input in = to(front(), ui::Input::Kind::Mouse, kList);
    in.key = key;
    in.column = column;
    in.zone = zone;
    in.row = row;
    input(in);
  }

  std::function<void(ListSettings&)> adjust_;
  QuorixList* quorix_ = nullptr;  // read with the baton held
  int colour_ = 0;
  list::ListEnvironment env_{ctx, colour_, [this](list::ListWindow& w) {
                               auto e = attachEnhancement(w, adjust_);
                               quorix_ = static_cast<QuorixList*>(e.get());
                               return e;
                             }};
  std::atomic<bool> done_{false};
};

TEST_F(QuorixListTest, RegistersTwoOrdersPerSortableColumnAfterTheListsOwnAndSortsOnTheFirst) {
  adjust_ = [](ListSettings& s) { s.columns[1].sortable = false; };
  open();
  ASSERT_TRUE(driver.inspect([&] {
    // The list's three orders come first; Name gets 4 and 5, Nr 6 and 7, Group none.
    EXPECT_EQ(quorix_->sortOrderOf(1), 4);
    EXPECT_EQ(quorix_->sortOrderOf(2), 0);
    EXPECT_EQ(quorix_->sortOrderOf(3), 6);
    EXPECT_EQ(quorix_->sortColumn(), 1);
    EXPECT_TRUE(quorix_->viewOrder());
  }));
  EXPECT_EQ(headers(), (std::vector<std::string>{">Name", "Group", "Nr"}));
  const auto rows = list().rows;
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0].cells[0], "ash");
  EXPECT_EQ(rows[1].cells[0], "Birch");
  // A click on a column that does not sort changes nothing; Nr sorts descending at once on a
  // second click.
  mouse(ui::KeyMouseLeft, 2);
  mouse(ui::KeyMouseLeftUp, 2);
  EXPECT_EQ(headers(), (std::vector<std::string>{">Name", "Group", "Nr"}));
  for (int i = 0; i < 2; ++i) {
    mouse(ui::KeyMouseLeft, 3);
    mouse(ui::KeyMouseLeftUp, 3);
  }
  EXPECT_EQ(headers(), (std::vector<std::string>{"Name", "Group", "<Nr"}));
  EXPECT_EQ(list().rows[0].cells[0], "Birch");
}

TEST_F(QuorixListTest, ADroppedHeaderMovesByWhereTheButtonCameUpAtMostOnePlace) {
  open();
  mouse(ui::KeyMouseLeft, 1);
  EXPECT_EQ(list().pressedHeader, 1);
  mouse(ui::KeyMouseMove, 2);
  EXPECT_EQ(list().pressedHeader, 0);
  EXPECT_EQ(list().dragHeader, ">Name");
  // Back over its own column before the release: no move, whatever the drag passed over.
  mouse(ui::KeyMouseMove, 1);
  mouse(ui::KeyMouseLeftUp, 1);
  EXPECT_EQ(list().dragHeader, "");
  EXPECT_EQ(headers(), (std::vector<std::string>{">Name", "Group", "Nr"}));
  // A drag that ends two columns on moves one place.
  mouse(ui::KeyMouseLeft, 1);
  mouse(ui::KeyMouseMove, 2);
  mouse(ui::KeyMouseMove, 3);
  mouse(ui::KeyMouseLeftUp, 3);
  EXPECT_EQ(headers(), (std::vector<std::string>{"Group", ">Name", "Nr"}));
  EXPECT_EQ(list().rows[0].cells[1], "ash");
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(quorix_->sortColumn(), 2); }));
  // A press and a release on one column with no drag between is a click, not a drop.
  mouse(ui::KeyMouseLeft, 2);
  mouse(ui::KeyMouseLeftUp, 2);
  EXPECT_EQ(headers(), (std::vector<std::string>{"Group", "<Name", "Nr"}));
}

TEST_F(QuorixListTest, TheHeaderMenuTakesOnlyTheHeadersRightClick) {
  open();
  mouse(ui::KeyMouseRight, 2);
  mouse(ui::KeyMouseRightUp, 2);
  auto p = driver.popup();
  ASSERT_TRUE(p);
  EXPECT_EQ(p->second.menuText, "Escape|Key Sequence|File Sequence");
  ASSERT_TRUE(driver.answerPopup("Key Sequence"));
  ASSERT_TRUE(driver.waitIdle());
  EXPECT_EQ(headers(), (std::vector<std::string>{"Name", "Group", "Nr"}));
  // The next right click, on a row, opens the list's own menu.
  mouse(ui::KeyMouseRight, 1, ui::ListZone::Cell, 1);
  mouse(ui::KeyMouseRightUp, 1, ui::ListZone::Cell, 1);
  p = driver.popup();
  ASSERT_TRUE(p);
  EXPECT_NE(p->second.menuText.find("&Close"), std::string::npos) << p->second.menuText;
  ASSERT_TRUE(driver.answerPopup(""));
  ASSERT_TRUE(driver.waitIdle());
  input(to(front(), ui::Input::Kind::Press, kClose));
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_TRUE(done_);
  EXPECT_EQ(settings.ReadValue("BrowseItems", "QuorixPrevCol-?Browse:1"), "0");
}

}  // namespace
}  // namespace trv::listext
