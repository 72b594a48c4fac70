// Form completion: number reservation, the validation pass, change watch, closing without OK,
// single-instance slots and window positions.

#include "runtime/forms/window_controller.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "tests/runtime/forms/form_fixture.h"

namespace trv::forms {
namespace {

using testing::FormFixture;
using testing::ItemForm;

using Rows = std::vector<std::string>;

class Forms : public FormFixture {};

TEST_F(Forms, CancelledInsertGivesItsNumberBackAndTheNextInsertGetsItAgain) {
  stationAdd("Nut");  // number 1
  int response = 0;
  call(RequestInsert, {}, &response);
  EXPECT_EQ(rows(), (Rows{"1:Nut", "2:"}));  // the placeholder holds number 2
  closeBox();                                // nothing typed: no question
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(response, ResponseCancelled);
  EXPECT_EQ(rows(), Rows{"1:Nut"});

  call(RequestInsert, {}, &response);
  type("Bolt");
  press(3);
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(response, ResponseCompleted);
  EXPECT_EQ(globals.LastResponse, ResponseCompleted);
  EXPECT_EQ(rows(), (Rows{"1:Nut", "2:Bolt"}));
}

TEST_F(Forms, InsertActionDecidesWhetherTheFormStaysForAnother) {
  struct Case {
    int insertAction;
    const char* answer;  // to message 3, "" when not asked
    bool staysOpen;
  } cases[] = {{2, "", false}, {3, "", true}, {4, "Yes", true}, {4, "No", false}};
  int n = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.insertAction);
    int response = 0;
    call(
        RequestInsert, [&](ItemForm& f) { f.INSERTACTION = c.insertAction; }, &response);
    type("Item" + std::to_string(++n));
    press(3);
    EXPECT_EQ(shownMessage(), *c.answer ? "Record Added" : "");
    if (*c.answer) answer(c.answer);
    EXPECT_EQ(form() != nullptr, c.staysOpen);
    if (c.staysOpen) {
      closeBox();  // the next record was primed untouched: no question, its number given back
    }
    ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
    EXPECT_EQ(response, ResponseCompleted);
    EXPECT_EQ(rows().size(), static_cast<std::size_t>(n));
  }
}

TEST_F(Forms, TheDittoKeyTakesAPairedFieldBackFromTheRecordTheProcedureSavedLast) {
  auto ditto = [this] {
    input(to(form(), ui::Input::Kind::Focus, 2));
    auto in = to(form(), ui::Input::Kind::Key);
    in.key = ui::kCtrl | '\'';
    input(in);
    std::string shown;
    ui::Window* w = form();
    EXPECT_TRUE(driver.inspect([&] { shown = w->text(2); }));
    return shown;
  };
  auto paired = [](ItemForm& f) { f.RememberHistoryField(2); };

  call(RequestInsert, paired);
  EXPECT_EQ(ditto(), "");  // nothing saved yet
  type("Bolt");
  press(3);
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));

  // A later call of the same procedure; a form without pairs keeps its field.
  call(RequestInsert);
  EXPECT_EQ(ditto(), "");
  closeBox();
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  call(RequestInsert, paired);
  EXPECT_EQ(ditto(), "Bolt");
  closeBox();
  EXPECT_EQ(shownMessage(), "Save Record");  // the field taken back is a change
  answer("No");
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(rows(), Rows{"1:Bolt"});
}

TEST_F(Forms, ValidationPassKeepsTheFormOpenAtTheRefusedControl) {
  call(RequestInsert);
  press(3);  // OK with a blank name
  ASSERT_TRUE(driver.inspect([&] {
    ASSERT_NE(rt.front(), nullptr);
    EXPECT_EQ(rt.front()->title(), "Update Item");
    EXPECT_EQ(rt.front()->focus(), 2);
  }));
  EXPECT_EQ(rows(), Rows{"1:"});  // only the placeholder
  type("Washer");
  press(3);
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(rows(), Rows{"1:Washer"});
}

TEST_F(Forms, DuplicateKeyShowsMessage13AndTheFormStays) {
  stationAdd("Nut");
  call(RequestInsert);
  type("NUT");
  press(3);
  auto m = driver.message();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->second.caption, "Duplicate Key Error");
  EXPECT_EQ(m->second.text, "Adding this record creates a duplicate entry for the key: Item name");
  answer("OK");
  EXPECT_NE(form(), nullptr);
}

TEST_F(Forms, ChangeWithoutEditsWritesNothingAndCompletes) {
  stationAdd("Nut");
  std::int64_t versionBefore = station.position().version;
  int response = 0;
  call(
      RequestChange, [&](ItemForm&) { fetchByName("Nut"); }, &response);
  press(3);
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(response, ResponseCompleted);
  ASSERT_EQ(station.reget(station.position()), store::Ok);
  EXPECT_EQ(station.position().version, versionBefore);
}

TEST_F(Forms, AnotherStationsChangeToAFormFetchedByKeyIsNeverOverwritten) {
  stationAdd("Nut");
  call(RequestChange, [&](ItemForm&) { fetchByName("Nut"); });
  stationRename("Nut", "Other");
  type("Mine");
  press(3);
  auto m = driver.message();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->second.text.substr(0, 60),
            "Sorry. During your Update this record was changed by another");
  answer("OK");
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(rt.front()->text(2), "Other"); }));
  EXPECT_EQ(rows(), Rows{"1:Other"});
  type("Mine");  // the user writes the update again
  press(3);
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(rows(), Rows{"1:Mine"});
}

TEST_F(Forms, ClosingAChangedFormFollowsCancelAction) {
  struct Case {
    int cancelAction;
    const char* expectCaption;  // the question asked, "" for none
    const char* answer;
    bool staysOpen;
    const char* stored;
  } cases[] = {
      {3, "Save Record", "Cancel", true, "Nut"},
      {3, "Save Record", "No", false, "Nut"},
      {3, "Save Record", "Yes", false, "Bolt"},
      {1, "", "", false, "Bolt"},
      {0, "Changes will be lost!", "No", true, "Nut"},
      {0, "Changes will be lost!", "Yes", false, "Nut"},
  };
  stationAdd("Nut");
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.cancelAction) + " " + c.answer);
    stationRename(rows()[0].substr(2), "Nut");
    call(RequestChange, [&](ItemForm& f) {
      f.CANCELACTION = c.cancelAction;
      fetchByName("Nut");
    });
    type("Bolt");
    closeBox();
    EXPECT_EQ(shownMessage(), c.expectCaption);
    if (*c.answer) answer(c.answer);
    EXPECT_EQ(form() != nullptr, c.staysOpen);
    if (c.staysOpen) press(4);  // Cancel button: closes without asking
    ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
    EXPECT_EQ(rows(), Rows{std::string("1:") + c.stored});
  }
}

TEST_F(Forms, DeleteWithoutTheFormAsksFirst) {
  stationAdd("Nut");
  int response = 0;
  for (const char* reply : {"No", "Yes"}) {
    call(
        RequestDelete,
        [&](ItemForm& f) {
          f.DELETEACTION = 2;
          fetchByName("Nut");
        },
        &response);
    EXPECT_EQ(shownMessage(), "Confirm Delete");
    answer(reply);
    ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
    EXPECT_EQ(response, std::string(reply) == "Yes" ? ResponseCompleted : ResponseCancelled);
  }
  EXPECT_EQ(rows(), Rows{});
}

TEST_F(Forms, SingleInstanceSlotBelongsToTheInstanceThatSetIt) {
  stationAdd("Nut");
  int first = call(RequestChange, [&](ItemForm&) { fetchByName("Nut"); });
  EXPECT_EQ(globals.slot("UpdateItemThread"), first);

  int refused = 0;
  call(RequestChange, {}, &refused);  // refused: the running one comes to the front
  EXPECT_EQ(refused, ResponseCancelled);
  EXPECT_EQ(globals.NextRequest, 0);
  EXPECT_EQ(globals.slot("UpdateItemThread"), first);
  ui::Window* running = form();
  ASSERT_NE(running, nullptr);
  EXPECT_EQ(running->thread(), first);

  call(RequestSelect);  // opens beside it, and leaves the slot alone
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(rt.windows().size(), 2u); }));
  press(4);
  EXPECT_EQ(globals.slot("UpdateItemThread"), first);
  press(4);
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(globals.slot("UpdateItemThread"), 0);
}

TEST_F(Forms, WindowPositionIsRestoredAtTheNextOpening) {
  call(RequestSelect);
  auto place = to(form(), ui::Input::Kind::Place);
  place.placement = ui::Placement{false, false, 40, 50, 300, 200};
  input(place);
  press(4);
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  call(RequestSelect);
  const ui::Placement want{false, false, 40, 50, 300, 200};
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(rt.front()->placement(), want); }));
  press(4);
}

TEST_F(Forms, RunProcedureCallsByNameAndReportsUnknownNames) {
  int seenRequest = 0;
  procedures.add("BrowseItems", {[&](std::string_view) {
                                   seenRequest = globals.NextRequest;
                                   globals.LastResponse = ResponseCompleted;
                                 },
                                 false, ""});
  int known = 0, unknown = 0;
  call(RequestSelect, [&](ItemForm& f) {
    known = f.RunProcedure("browseitems", RequestInsert);
    unknown = f.RunProcedure("Nowhere", RequestInsert);
  });
  EXPECT_EQ(shownMessage(), "Procedure not defined");
  answer("OK");
  press(4);
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(seenRequest, RequestInsert);
  EXPECT_EQ(known, ResponseCompleted);
  EXPECT_EQ(unknown, ResponseCancelled);
}

TEST_F(Forms, NoMessageIsShownWhileATransactionIsOpen) {
  bool openWhileShown = true;
  ASSERT_NE(rt.start([&] {
    ASSERT_EQ(items.open(), data::LevelOk);
    store::Connection& c = data::FileAccess::threadConnection();
    ASSERT_EQ(c.begin(), store::Ok);
    (void)catalog.Raise(22);
    openWhileShown = c.inTransaction();
    items.close();
  }),
            0);
  ASSERT_TRUE(driver.waitIdle());
  // While the box is up another station can write.
  stationAdd("Nut");
  answer("OK");
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_FALSE(openWhileShown);
  EXPECT_EQ(rows(), Rows{"1:Nut"});
}

// The save fails at its commit while another program reads the file; meanwhile another station
// changes the record. Saving again must show that change, never overwrite it.
TEST_F(Forms, SaveTriedAgainAfterAFailedCommitNeverOverwritesAnotherStationsChange) {
  stationAdd("Nut");
  call(RequestChange, [&](ItemForm&) {
    data::FileAccess::threadConnection().setLockRecoverySeconds(1);
    fetchByName("Nut");
  });
  sqlite3* reader = nullptr;
  ASSERT_EQ(sqlite3_open(dir.file("Item.kvx").c_str(), &reader), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM records;", nullptr, nullptr, nullptr),
            SQLITE_OK);
  type("Mine");
  press(3);
  EXPECT_EQ(shownMessage(), "Record Update Error");
  sqlite3_exec(reader, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(reader);
  stationRename("Nut", "Other");
  answer("Yes");
  EXPECT_EQ(shownMessage(), "Record Was Not Updated");
  answer("OK");
  ASSERT_TRUE(driver.inspect([&] { EXPECT_EQ(rt.front()->text(2), "Other"); }));
  EXPECT_EQ(rows(), Rows{"1:Other"});
  closeBox();
}

}  // namespace
}  // namespace trv::forms
