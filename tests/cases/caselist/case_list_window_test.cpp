// The case list as a window: what a full disk does to "Delete Clo&sed", and a minimised list
// brought back by a second start.

#include <gtest/gtest.h>

#include "cases/caselist/case_list.h"
#include "core/data/records.h"
#include "runtime/store/connection.h"
#include "runtime/ui/window.h"
#include "runtime/view/view_reader.h"
#include "tests/support/window_fixture.h"

namespace trv::cases {
namespace {

class CaseListWindowTest : public testing::WindowFixture {
 protected:
  CaseListWindowTest() {
    insert({{"SER:CaseNr", "1"}, {"SER:Status", "Active"}, {"SER:Owner", "Admin"}});
    insert({{"SER:CaseNr", "2"}, {"SER:Status", "Closed"}, {"SER:Owner", "Bob"}});
    insert({{"SER:CaseNr", "70000"}, {"SER:Status", "Closed"}, {"SER:Owner", "Bob"}});
    state.user.Name = "Admin";
    state.user.Level = 2;
    state.user.Id = 1;
    state.sys.DoLog = 1;
    registerCaseList(state);
  }
  ~CaseListWindowTest() override { store::TEST_setFaults({}); }

  std::uint64_t count(data::FileAccess& f) {
    std::uint64_t n = 0;
    start([&] {
      if (f.open() != data::LevelOk) return;
      (void)f.count(&n);
      f.close();
    });
    return n;
  }
};

TEST_F(CaseListWindowTest, DeleteClosedOnAFullDiskNamesEveryCaseItCouldNotDelete) {
  call("BrowsCases", 0);
  ASSERT_EQ(title(), "Browse Cases 3 records available");
  store::TEST_setFaults({.diskFullIn = database()});
  press(CasesDeleteClosed);
  answer("&Yes");
  const auto m = message();
  ASSERT_TRUE(m.has_value()) << driver.describe();
  EXPECT_EQ(m->text,
            "Error : Case Nr. : 2 is not deleted...\r\nError : Case Nr. : 70000 is not deleted...");
  EXPECT_EQ(m->caption, "Vorn Trovanel 1.2");
  answer("&OK");
  EXPECT_FALSE(message().has_value());
  store::TEST_setFaults({});
  EXPECT_EQ(title(), "Browse Cases 3 records available");
  EXPECT_EQ(count(*state.dictionary.SercaseAccess), 3u);
  EXPECT_EQ(count(*state.dictionary.LogAccess), 0u);
}

TEST_F(CaseListWindowTest, OpensSortedOnTheCaseNumberThroughItsKeyWithoutASnapshot) {
  const int taken = view::ViewReader::TEST_snapshotsTaken();
  call("BrowsCases", 0);
  ASSERT_EQ(title(), "Browse Cases 3 records available");
  EXPECT_EQ(view::ViewReader::TEST_snapshotsTaken(), taken);
}

TEST_F(CaseListWindowTest, ASecondStartBringsTheMinimisedListBack) {
  call("BrowsCases", 0);
  ui::Input in = to(ui::Input::Kind::Place);
  ASSERT_TRUE(driver.inspect([&] { in.placement = rt.front()->placement(); }));
  in.placement.iconized = true;
  post(in);
  ASSERT_TRUE(driver.inspect([&] { EXPECT_TRUE(rt.front()->placement().iconized); }));
  insert({{"SER:CaseNr", "4"}, {"SER:Status", "Active"}, {"SER:Owner", "Admin"}});
  call("BrowsCases", 0);
  EXPECT_EQ(rt.threads().size(), 1u);
  ASSERT_TRUE(driver.inspect([&] { EXPECT_FALSE(rt.front()->placement().iconized); }));
  EXPECT_EQ(title(), "Browse Cases 4 records available");
}

}  // namespace
}  // namespace trv::cases
