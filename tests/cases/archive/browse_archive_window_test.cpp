// The knowledge-base list as a window: its count shows in the title and the status bar alike,
// when it opens and after a deletion.

#include <gtest/gtest.h>

#include "cases/archive/archive_windows.h"
#include "runtime/ui/window.h"
#include "tests/support/window_fixture.h"

namespace trv::cases {
namespace {

class BrowseArchiveWindowTest : public testing::WindowFixture {
 protected:
  BrowseArchiveWindowTest() {
    insert({{"ARC:CASENR", "3"}, {"ARC:OWNER", "Admin"}});
    insert({{"ARC:CASENR", "12"}, {"ARC:OWNER", "Admin"}});
    state.user.Name = "Admin";
    state.user.Level = 2;
    registerArchive(state);
  }

  std::string status() {
    std::string s;
    EXPECT_TRUE(driver.inspect([&] { s = rt.front() ? rt.front()->status(1) : "(no window)"; }));
    return s;
  }
};

TEST_F(BrowseArchiveWindowTest, TheStatusBarShowsTheCountAsTheTitleDoes) {
  call("BrowseArchive", 0);
  ASSERT_EQ(title(), "Browse Knowlegde Base : 2 records available");
  EXPECT_EQ(status(), "Browse Knowlegde Base : 2 records available");
  select(ArchiveList, 1);
  press(ArchiveDelete);
  answer("&Yes");
  EXPECT_EQ(title(), "Browse Knowlegde Base : 1 records available");
  EXPECT_EQ(status(), "Browse Knowlegde Base : 1 records available");
}

}  // namespace
}  // namespace trv::cases
