// The in-place row editor of a list window: a blank row with entries over its cells for Insert,
// the selected row for Change, Enter writing and Esc abandoning, Tab and the arrows, leaving the
// row, the close box, and the refusals that keep the row in edit.

#include "runtime/list/row_editor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "runtime/list/list_window.h"
#include "tests/runtime/forms/form_fixture.h"

namespace trv::list {
namespace {

enum : int { kList = 1, kInsert, kChange, kDelete, kClose, kNameEditor, kGroupEditor };

class RowEditorTest : public forms::testing::FormFixture {
 protected:
  RowEditorTest() {
    for (const char* name : {"Ash", "Birch", "Cedar"}) stationAdd(name);
  }

  ListDecl decl(int arrowAction = EditRemain) {
    ListDecl d;
    d.procedure = "BrowseItems";
    d.window.title = "Items";
    d.window.controls = {ui::list("?Browse:1", {}).withNumber(kList),
                         ui::button("?Insert", "&Insert").withNumber(kInsert),
                         ui::button("?Change", "&Change").withNumber(kChange),
                         ui::button("?Delete", "&Delete").withNumber(kDelete),
                         ui::button("?Close", "&Close").withNumber(kClose)};
    d.list = kList;
    d.columns = {{"Name", 40, "ITM:Name", "@s10"}, {"Group", 24, "ITM:Group", "@s6"}};
    d.file = &itemRel;
    d.orders = {{"ITM:NameKey", "ITM:Name", 0, true}};
    d.buttons = {.insert = kInsert, .change = kChange, .remove = kDelete, .close = kClose};
    d.select = SelectMode::Never;
    d.inPlace = ListDecl::InPlace{arrowAction};
    return d;
  }

  void open(ListDecl d) {
    done_ = false;
    ASSERT_NE(rt.start([this, d = std::move(d)]() mutable {
      ListWindow list(env_, std::move(d));
      EXPECT_EQ(list.cellEditors(), (std::vector<int>{kNameEditor, kGroupEditor}));
      list.Run();
      done_ = true;
    }),
              0);
    ASSERT_TRUE(driver.waitIdle());
  }
  ui::ControlState control(int n) {
    ui::ControlState c;
    EXPECT_TRUE(driver.inspect([&] { c = *rt.front()->control(n); }));
    return c;
  }
  int focus() {
    int f = 0;
    EXPECT_TRUE(driver.inspect([&] { f = rt.front()->focus(); }));
    return f;
  }
  std::vector<std::string> shown() {
    std::vector<std::string> out;
    for (const ui::ListRow& r : control(kList).rows) out.push_back(r.cells.at(0));
    return out;
  }
  bool editing() { return !control(kNameEditor).hidden; }
  void pressOn(int c) { input(to(front(), ui::Input::Kind::Press, c)); }
  void typeInto(int editor, const std::string& text) {
    input(to(front(), ui::Input::Kind::Focus, editor));
    ui::Input in = to(front(), ui::Input::Kind::Accept, editor);
    in.text = text;
    input(in);
  }
  void key(int k) {
    ui::Input in = to(front(), ui::Input::Kind::Key);
    in.key = k;
    input(in);
  }
  void selectRow(int row) {
    ui::Input in = to(front(), ui::Input::Kind::Select, kList);
    in.row = row;
    input(in);
  }
  // Name:group of each record, as the other station reads them.
  std::vector<std::string> namesAndGroups() {
    std::vector<std::string> out;
    EXPECT_EQ(station.setFileOrder(), store::Ok);
    while (station.next() == store::Ok) {
      const char* r = station.buffer().record.data();
      out.push_back(store::fieldText(station.decl().fields[1], r) + ":" +
                    store::fieldText(station.decl().fields[2], r));
    }
    return out;
  }
  std::string message() {
    auto m = driver.message();
    return m ? m->second.text : std::string();
  }
  // Names in the file, as the other station reads them.
  std::vector<std::string> names() {
    std::vector<std::string> out;
    for (const std::string& r : rows()) out.push_back(r.substr(r.find(':') + 1));
    return out;
  }

  int listColour_ = 0;
  ListEnvironment env_{ctx, listColour_, {}};
  std::atomic<bool> done_{false};
};

TEST_F(RowEditorTest, InsertOpensABlankRowThatEnterWritesAndEscAbandons) {
  open(decl());
  EXPECT_FALSE(editing());
  selectRow(2);
  pressOn(kInsert);
  ASSERT_TRUE(editing());
  EXPECT_EQ(control(kNameEditor).cellOf, kList);
  EXPECT_EQ(control(kGroupEditor).cellColumn, 2);
  EXPECT_EQ(shown(), (std::vector<std::string>{"Ash", "", "Birch", "Cedar"}));
  EXPECT_EQ(control(kList).selected, 2);
  EXPECT_EQ(focus(), kNameEditor);
  typeInto(kNameEditor, "Alder");
  key(ui::KeyTab);
  EXPECT_EQ(focus(), kGroupEditor);
  typeInto(kGroupEditor, "trees");
  key(ui::KeyEnter);
  EXPECT_FALSE(editing());
  EXPECT_EQ(focus(), kList);
  EXPECT_EQ(names(), (std::vector<std::string>{"Ash", "Birch", "Cedar", "Alder"}));
  EXPECT_EQ(shown(), (std::vector<std::string>{"Alder", "Ash", "Birch", "Cedar"}));
  EXPECT_EQ(control(kList).rows.at(0).cells.at(1), "trees");

  // Esc leaves nothing behind, and neither does a new row left blank.
  pressOn(kInsert);
  typeInto(kNameEditor, "Elm");
  key(ui::KeyEsc);
  EXPECT_FALSE(editing());
  pressOn(kInsert);
  key(ui::KeyEnter);
  EXPECT_FALSE(editing());
  EXPECT_EQ(names().size(), 4u);
  EXPECT_EQ(shown().size(), 4u);
  EXPECT_FALSE(driver.message());
}

TEST_F(RowEditorTest, ChangeEditsTheSelectedRowAndARefusedRowStaysInEdit) {
  open(decl());
  selectRow(2);
  pressOn(kChange);
  ASSERT_TRUE(editing());
  EXPECT_EQ(control(kNameEditor).text, "Birch");
  EXPECT_EQ(shown().size(), 3u);  // no blank row for a change

  typeInto(kNameEditor, "CEDAR");
  key(ui::KeyEnter);
  EXPECT_EQ(message(), "Adding this record creates a duplicate entry for the key: Item name");
  answer("&OK");
  EXPECT_TRUE(editing());
  EXPECT_EQ(focus(), kNameEditor);
  key(ui::KeyEsc);
  EXPECT_FALSE(editing());
  EXPECT_EQ(names(), (std::vector<std::string>{"Ash", "Birch", "Cedar"}));
  EXPECT_EQ(shown(), (std::vector<std::string>{"Ash", "Birch", "Cedar"}));

  pressOn(kChange);
  typeInto(kNameEditor, "Beech");
  key(ui::KeyEnter);
  EXPECT_FALSE(editing());
  EXPECT_EQ(names(), (std::vector<std::string>{"Ash", "Beech", "Cedar"}));

  // Another station wrote the row meanwhile: its version is shown, to edit again.
  pressOn(kChange);
  stationRename("Beech", "Box");
  typeInto(kNameEditor, "Bay");
  key(ui::KeyEnter);
  EXPECT_EQ(message(), "This record was changed by another station.");
  answer("&OK");
  EXPECT_TRUE(editing());
  EXPECT_EQ(control(kNameEditor).text, "Box");
  typeInto(kNameEditor, "Bay");
  key(ui::KeyEnter);
  EXPECT_FALSE(editing());
  EXPECT_EQ(names(), (std::vector<std::string>{"Ash", "Bay", "Cedar"}));
}

TEST_F(RowEditorTest, DeleteAsksFirst) {
  open(decl());
  selectRow(1);
  key(ui::KeyDelete);
  EXPECT_EQ(message(), "Are you sure you want to delete the highlighted record?");
  answer("&No");
  EXPECT_EQ(names().size(), 3u);
  pressOn(kDelete);
  answer("&Yes");
  EXPECT_EQ(names(), (std::vector<std::string>{"Birch", "Cedar"}));
  EXPECT_EQ(shown(), (std::vector<std::string>{"Birch", "Cedar"}));
  EXPECT_FALSE(editing());
}

TEST_F(RowEditorTest, ArrowsWriteTheRowAndGoOnByTheArrowAction) {
  struct Case {
    const char* what;
    int arrowAction;
    bool editsNext;
    std::vector<std::string> stored;
  } cases[] = {
      {"write and go on editing", EditRemain, true, {"Ash", "Bramble", "Cedar"}},
      {"write and stop", EditSave, false, {"Ash", "Bramble", "Cedar"}},
      {"abandon and go on editing", EditNever | EditRemain, true, {"Ash", "Birch", "Cedar"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    open(decl(c.arrowAction));
    selectRow(2);
    input(to(front(), ui::Input::Kind::Focus, kList));
    key(ui::KeyEnter | ui::kCtrl);
    ASSERT_TRUE(editing());
    const std::string was = control(kNameEditor).text;
    typeInto(kNameEditor, "Bramble");
    key(ui::KeyDown);
    EXPECT_EQ(names(), c.stored);
    EXPECT_EQ(editing(), c.editsNext);
    // At the end of the list the arrow reaches no row: the edit ends.
    if (c.editsNext) {
      EXPECT_EQ(control(kNameEditor).text, "Cedar");
      key(ui::KeyDown);
      EXPECT_FALSE(editing());
    }
    pressOn(kClose);
    ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
    // Put the row back for the next case.
    if (c.stored[1] != was) stationRename(c.stored[1], was);
  }
}

TEST_F(RowEditorTest, LeavingTheRowWritesItAndTheCloseBoxAsks) {
  open(decl());
  pressOn(kInsert);
  typeInto(kNameEditor, "Alder");
  // Another button: the row is written first, then the button acts.
  pressOn(kInsert);
  EXPECT_EQ(names().back(), "Alder");
  EXPECT_TRUE(editing());
  typeInto(kNameEditor, "Ash");
  pressOn(kClose);  // a duplicate: the row stays in edit and the list open
  answer("&OK");
  EXPECT_TRUE(editing());
  EXPECT_FALSE(done_);

  typeInto(kNameEditor, "Aspen");
  input(to(front(), ui::Input::Kind::Close));
  EXPECT_EQ(message(), "Do you want to save the changes to this record?");
  answer("&Cancel");
  EXPECT_TRUE(editing());
  input(to(front(), ui::Input::Kind::Close));
  answer("&Yes");
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_TRUE(done_);
  EXPECT_EQ(names().back(), "Aspen");
}

// Characters the records cannot hold: whatever way the edit would write the row, nothing of it is
// written, not even the other column's value; the entry keeps the text and the focus.
TEST_F(RowEditorTest, TextTheRecordsCannotHoldIsNeverWrittenHalf) {
  const std::string refused = "The characters \u4e2d cannot be stored. Change or remove them.";
  const std::vector<std::string> stored{"Ash:", "Birch:", "Cedar:"};
  open(decl(EditPrompted | EditRemain));
  selectRow(1);
  pressOn(kChange);
  ASSERT_TRUE(editing());
  typeInto(kGroupEditor, "woods");
  (void)fe.takeBeeps();
  typeInto(kNameEditor, "Ash \u4e2d");
  EXPECT_EQ(fe.takeBeeps(), 1);
  EXPECT_EQ(message(), refused);
  answer("&OK");

  // Each way of ending the edit that would write the row: Enter, Tab past the last column, the
  // prompted arrow answered Yes, another row clicked, another button, the close box answered Yes.
  const std::vector<std::pair<const char*, std::function<void()>>> ways{
      {"Enter", [&] { key(ui::KeyEnter); }},
      {"Tab",
       [&] {
         input(to(front(), ui::Input::Kind::Focus, kGroupEditor));
         key(ui::KeyTab);
       }},
      {"Down",
       [&] {
         key(ui::KeyDown);
         EXPECT_EQ(message(), "Do you want to save the changes to this record?");
         answer("&Yes");
       }},
      {"another row", [&] { selectRow(2); }},
      {"another button", [&] { pressOn(kInsert); }},
      {"close box",
       [&] {
         input(to(front(), ui::Input::Kind::Close));
         EXPECT_EQ(message(), "Do you want to save the changes to this record?");
         answer("&Yes");
       }},
  };
  for (const auto& [way, act] : ways) {
    SCOPED_TRACE(way);
    (void)fe.takeBeeps();
    act();
    EXPECT_EQ(message(), refused);
    EXPECT_EQ(fe.takeBeeps(), 1);
    answer("&OK");
    EXPECT_TRUE(editing());
    EXPECT_EQ(focus(), kNameEditor);
    EXPECT_EQ(control(kNameEditor).text, "Ash \u4e2d");
    EXPECT_EQ(namesAndGroups(), stored);
    EXPECT_FALSE(done_);
  }

  // Once the characters are gone the row is written whole.
  typeInto(kNameEditor, "Aspen");
  key(ui::KeyEnter);
  EXPECT_FALSE(editing());
  EXPECT_FALSE(driver.message());
  EXPECT_EQ(namesAndGroups(), (std::vector<std::string>{"Aspen:woods", "Birch:", "Cedar:"}));

  // The close box counts such text as a change, and No drops it.
  selectRow(2);
  pressOn(kChange);
  typeInto(kNameEditor, "\u4e2d");
  answer("&OK");
  input(to(front(), ui::Input::Kind::Close));
  EXPECT_EQ(message(), "Do you want to save the changes to this record?");
  answer("&No");
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(namesAndGroups(), (std::vector<std::string>{"Aspen:woods", "Birch:", "Cedar:"}));
}

}  // namespace
}  // namespace trv::list
