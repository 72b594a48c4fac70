// The activity log as a window: its columns, and a failed "&Empty Log" keeps the log's "since"
// stamp.

#include <gtest/gtest.h>

#include <string_view>

#include "core/data/records.h"
#include "core/system/activity_log_list.h"
#include "runtime/store/connection.h"
#include "runtime/ui/control.h"
#include "tests/support/window_fixture.h"

namespace trv::core {
namespace {

class ActivityLogWindowTest : public testing::WindowFixture {
 protected:
  ActivityLogWindowTest() {
    insert({{"LOG:ACTION", "Created"}, {"LOG:NAME", "Admin"}});
    insert({{"LOG:ACTION", "Closed"}, {"LOG:NAME", "Admin"}});
    state.user.Name = "Admin";
    state.user.Level = 2;
    state.user.Id = 1;
    registerActivityLog(state);
  }
  ~ActivityLogWindowTest() override { store::TEST_setFaults({}); }

  std::int32_t lastLogDate() {
    std::int32_t date = -1;
    start([&] {
      data::FileAccess& f = *state.dictionary.SysAccess;
      if (f.open() != data::LevelOk) return;
      f.record<SysRecord>().ID = 1;
      if (f.fetch("Sys:KeyID") == store::Ok) date = f.record<SysRecord>().LastLogDate;
      f.close();
    });
    return date;
  }
};

TEST_F(ActivityLogWindowTest, ShowsSixColumnsJustifiedAsBuiltWithTheLogNumberLeftHidden) {
  call("BrowsLog", 0);
  ASSERT_EQ(title(), "Activity Log");
  const ui::ControlState list = control(LogList);
  struct Shown {
    const char* header;
    char head, cells;
  };
  const Shown expected[] = {{"ID", 'C', 'C'},     {"Name", 'L', 'L'}, {"Case Nr", 'R', 'C'},
                            {"Action", 'C', 'C'}, {"Date", 'R', 'C'}, {"Time", 'L', 'L'}};
  ASSERT_EQ(list.columns.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(expected[i].header);
    std::string_view header = list.columns[i].header;
    if (header.starts_with('>')) header.remove_prefix(1);  // the sort column's mark
    EXPECT_EQ(header, expected[i].header);
    EXPECT_EQ(ui::headerJustification(list.columns[i]), expected[i].head);
    EXPECT_EQ(ui::dataJustification(list.columns[i]), expected[i].cells);
  }
  ASSERT_EQ(list.rows.size(), 2u);
  EXPECT_EQ(list.rows[0].cells.size(), 6u);
  EXPECT_EQ(list.columns[1].dataIndent, 2);
}

TEST_F(ActivityLogWindowTest, AFailedEmptyingKeepsTheSinceStamp) {
  const std::int32_t before = lastLogDate();
  ASSERT_NE(before, -1);
  call("BrowsLog", 0);
  ASSERT_EQ(title(), "Activity Log");
  store::TEST_setFaults({.diskFullIn = database()});
  press(LogEmpty);
  const auto m = message();
  ASSERT_TRUE(m.has_value()) << driver.describe();
  EXPECT_EQ(m->text, "Unable to Update Log");
  answer("&OK");
  EXPECT_FALSE(message().has_value()) << message()->text;
  store::TEST_setFaults({});
  EXPECT_EQ(column(LogList, 3).size(), 2u);
  EXPECT_EQ(lastLogDate(), before);
}

}  // namespace
}  // namespace trv::core
