#include "core/calendar/calendar.h"

#include <gtest/gtest.h>

#include <atomic>

#include "runtime/ui/window.h"
#include "tests/runtime/ui/ui_fixture.h"

namespace trv::core {
namespace {

using ui::Input;

// The picker run on a program thread as the case form runs it; the fixture's clock says
// 6 May 2002 (a Monday; May 2002 starts on a Wednesday).
class CalendarWindow : public ui::testing::UiFixture {
 protected:
  void open(std::int32_t date = 0) {
    ASSERT_NE(rt.start([this, date] { result = Calendar(rt, date); }), 0);
    ASSERT_TRUE(driver.waitIdle());
    w = front();
    ASSERT_NE(w, nullptr);
  }
  void TearDown() override {
    if (!finished()) input(to(w, Input::Kind::Close));
    EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  }
  void key(int k) {
    Input in = to(w, Input::Kind::Key);
    in.key = k;
    input(in);
  }
  void click(int position) { input(to(w, Input::Kind::Press, calendarCell(position))); }
  void spinTo(int field, int value) {
    Input in = to(w, Input::Kind::Accept, field);
    in.text = std::to_string(value);
    input(in);
  }
  bool finished() { return rt.waitFinished(std::chrono::milliseconds(0)) || rt.threads().empty(); }
  // The title, and the labels from position `from` to `to` joined by blanks ("-" for empty).
  std::string look(int from, int to) {
    std::string s;
    EXPECT_TRUE(driver.inspect([&] {
      s = w->title() + ":";
      for (int p = from; p <= to; ++p) {
        const std::string t = w->text(calendarLabel(p));
        s += " " + (t.empty() ? std::string("-") : t);
      }
    }));
    return s;
  }
  // The positions whose cell is sunken.
  std::vector<int> sunken() {
    std::vector<int> out;
    EXPECT_TRUE(driver.inspect([&] {
      for (int p = 1; p <= 37; ++p)
        if (ui::valueNumber(w->value(calendarCell(p))) == 1) out.push_back(p);
    }));
    return out;
  }
  // The text of the message box now shown, answered with OK.
  std::string answerRangeMessage() {
    auto m = driver.message();
    if (!m) return "";
    EXPECT_EQ(m->second.caption, "Date Out Of Range");
    EXPECT_EQ(m->second.icon, ui::Icon::Information);
    EXPECT_TRUE(driver.answerMessage("OK"));
    EXPECT_TRUE(driver.waitIdle());
    return m->second.text;
  }

  ui::Window* w = nullptr;
  std::atomic<std::int32_t> result{-1};
  const std::int32_t today = *text::dateNumber(2002, 5, 6);
};

TEST_F(CalendarWindow, OpensOnTodayAndEscReturnsIt) {
  open();
  EXPECT_EQ(look(1, 5), "May 2002: - - - 1 2");
  EXPECT_EQ(look(33, 37), "May 2002: 30 31 - - -");
  EXPECT_EQ(sunken(), std::vector<int>{9});
  key(ui::KeyEsc);
  EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(result.load(), today);
}

TEST_F(CalendarWindow, KeysMoveMonthAndYearAndAClickChoosesTheDay) {
  open(*text::dateNumber(2002, 1, 31));
  key(ui::KeyRight);
  EXPECT_EQ(look(1, 6), "February 2002: - - - - - 1");
  EXPECT_TRUE(sunken().empty());  // no 31st in February
  key(ui::KeyDown);
  key(ui::KeyPgDn);
  EXPECT_EQ(look(1, 0), "March 2003:");
  key(ui::KeyUp);
  key(ui::KeyLeft);
  key(ui::KeyPgUp);
  EXPECT_EQ(look(1, 0), "January 2002:");
  EXPECT_FALSE(driver.message().has_value());

  click(1);  // empty: the picker stays open
  EXPECT_FALSE(finished());
  click(2 + 15);  // January 2002 starts on a Tuesday
  EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(result.load(), *text::dateNumber(2002, 1, 15));
}

TEST_F(CalendarWindow, RightClickReturnsTheStartingDate) {
  open(*text::dateNumber(2010, 8, 1));
  key(ui::KeyRight);
  key(ui::KeyMouseRight);
  EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(result.load(), *text::dateNumber(2010, 8, 1));
}

TEST_F(CalendarWindow, CloseBoxReturnsTheStartingDate) {
  open(*text::dateNumber(2010, 8, 1));
  key(ui::KeyRight);
  input(to(w, Input::Kind::Close));
  EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  EXPECT_EQ(result.load(), *text::dateNumber(2010, 8, 1));
}

TEST_F(CalendarWindow, YearLimitsAreReportedAndThePickerStaysOpen) {
  open(*text::dateNumber(1801, 1, 4));
  key(ui::KeyLeft);
  EXPECT_EQ(answerRangeMessage(), "You cannot use the calendar for\r\ndates before the year 1801");
  EXPECT_EQ(look(1, 0), "December 1801:");
  key(ui::KeyPgUp);
  EXPECT_EQ(answerRangeMessage(), "You cannot use the calendar for\r\ndates before the year 1801");
  EXPECT_EQ(look(1, 0), "December 1801:");

  spinTo(kCalendarYearField, 2100);
  EXPECT_EQ(answerRangeMessage(), "You cannot use the calendar for\r\ndates after the year 2099");
  EXPECT_EQ(look(1, 0), "December 2099:");
  EXPECT_FALSE(finished());
}

TEST_F(CalendarWindow, MonthFieldBeyondItsRangeWrapsTheYear) {
  open();
  spinTo(kCalendarMonthField, 13);
  EXPECT_EQ(look(1, 0), "January 2003:");
  spinTo(kCalendarMonthField, 0);
  EXPECT_EQ(look(1, 0), "December 2002:");
  EXPECT_FALSE(driver.message().has_value());
}

}  // namespace
}  // namespace trv::core
