#include "core/jobs/overdue_warning.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "runtime/text/date_time.h"

namespace trv::core::jobs {
namespace {

using ::testing::ElementsAre;

const std::int32_t kToday = *text::dateNumber(2002, 5, 6);
const std::int32_t kTen = *text::timeNumber(10, 0);

WarningEntry dueIn(std::uint32_t caseNr, std::int32_t hundredths, const char* status = "Active") {
  return {caseNr, "Esc1", status, kToday, kTen + hundredths};
}

TEST(OverdueWarningTest, BandsTextsAndBeeps) {
  struct Case {
    std::int32_t leftHundredths;
    int band;  // 0: no warning
    int beeps;
    const char* text;
  };
  const Case cases[] = {
      {0, 0, 0, nullptr},
      {101, 0, 0, nullptr},  // the bound "00:00:01" itself is outside
      {102, 1, 2, "Case 7, Fase Esc1, will be overdue now !"},
      {6000, 1, 2, "Case 7, Fase Esc1, will be overdue now !"},
      {6100, 1, 2, "Case 7, Fase Esc1, will be overdue now !"},
      {6101, 0, 0, nullptr},
      {84001, 0, 0, nullptr},
      {90000, 2, 1, "Case 7, Fase Esc1, will be overdue in  0:14 minutes"},
      {96000, 2, 1, "Case 7, Fase Esc1, will be overdue in  0:15 minutes"},
      {96001, 0, 0, nullptr},
      {180000, 3, 0, "Case 7, Fase Esc1, will be overdue in  0:29 minutes"},
      {300000, 4, 0, "Case 7, Fase Esc1, will be overdue in  0:49 minutes"},
      {306001, 0, 0, nullptr},
      {-6000, 0, 0, nullptr},
  };
  for (const Case& c : cases) {
    const std::optional<Warning> w = overdueWarning(dueIn(7, c.leftHundredths), kToday, kTen);
    if (c.band == 0) {
      EXPECT_FALSE(w) << c.leftHundredths;
      continue;
    }
    ASSERT_TRUE(w) << c.leftHundredths;
    EXPECT_EQ(*w, (Warning{c.band, 7, c.text, c.beeps})) << c.leftHundredths;
  }
}

TEST(OverdueWarningTest, OnHoldAndOtherDaysAreNotWarned) {
  EXPECT_FALSE(overdueWarning(dueIn(7, 90000, "On Hold"), kToday, kTen));
  WarningEntry tomorrow = dueIn(7, 90000);
  tomorrow.date = kToday + 1;
  EXPECT_FALSE(overdueWarning(tomorrow, kToday, kTen));
  // The time left counts from today's moment only, not across midnight.
  WarningEntry justAfterMidnight{7, "Esc2", "Active", kToday + 1, *text::timeNumber(0, 10)};
  EXPECT_FALSE(overdueWarning(justAfterMidnight, kToday, *text::timeNumber(23, 55)));
}

class WarningPassTest : public ::testing::Test {
 protected:
  WarningPassTest() {
    frame_.signedOnMark = true;
    frame_.userLevel = 1;
  }
  std::vector<std::uint32_t> run(const std::vector<WarningEntry>& aft) {
    std::vector<std::uint32_t> shown;
    pass_.run(frame_, aft, clock_, [&](const Warning& w) { shown.push_back(w.caseNr); });
    return shown;
  }

  FrameState frame_;
  text::ManualClock clock_{kToday, kTen};
  OverdueWarnings pass_;
};

TEST_F(WarningPassTest, ACaseIsWarnedOnceAndThenEndsThePassInItsBand) {
  const std::vector<WarningEntry> aft = {dueIn(1, 90000), dueIn(2, 180000), dueIn(3, 90000)};
  // Case 3 takes band 2 over from case 1 in the first pass.
  EXPECT_THAT(run(aft), ElementsAre(1, 2, 3));
  EXPECT_EQ(pass_.memory(2), 3);
  // Next rescan (31 s later): case 1 is still in band 2, not remembered, so warned again; then
  // case 2 is band 3's memory, which ends the pass.
  clock_.advance(3100);
  EXPECT_THAT(run(aft), ElementsAre(1));
  EXPECT_EQ(pass_.memory(2), 1);
  // A queue of only the case just warned ends at once.
  EXPECT_THAT(run({dueIn(1, 90000)}), ElementsAre());
}

TEST_F(WarningPassTest, NoWarningsSignedOutOrForTheAdministratorOfABackupServer) {
  const std::vector<WarningEntry> aft = {dueIn(1, 90000)};
  frame_.loggedOut = true;
  EXPECT_THAT(run(aft), ElementsAre());
  frame_.loggedOut = false;
  frame_.userLevel = 2;
  frame_.copies.SysServer = 1;
  EXPECT_THAT(run(aft), ElementsAre());
  frame_.userLevel = 1;  // a supervisor on the server is warned
  EXPECT_THAT(run(aft), ElementsAre(1));
}

TEST_F(WarningPassTest, TheClockIsReadAgainAfterEachWarning) {
  // While the user reads the first warning ten minutes pass: the second case has then left
  // band 4 for no band.
  const std::vector<WarningEntry> aft = {dueIn(1, 90000), dueIn(2, 300000)};
  std::vector<std::uint32_t> shown;
  pass_.run(frame_, aft, clock_, [&](const Warning& w) {
    shown.push_back(w.caseNr);
    clock_.advance(60000);
  });
  EXPECT_THAT(shown, ElementsAre(1));
}

}  // namespace
}  // namespace trv::core::jobs

namespace trv::core::jobs {
namespace {

TEST_F(WarningPassTest, RescansEvery31SecondsWarnOncePerBandWithItsBeeps) {
  const std::vector<WarningEntry> aft = {{12, "Esc2", "Active", kToday, *text::timeNumber(10, 15)}};
  clock_.set(kToday, *text::timeNumber(9, 20));
  std::vector<Warning> shown;
  while (clock_.now() < *text::timeNumber(10, 15)) {
    pass_.run(frame_, aft, clock_, [&](const Warning& w) { shown.push_back(w); });
    clock_.advance(3100);
  }
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_EQ(shown[0].band, 4);
  EXPECT_EQ(shown[1].band, 3);
  EXPECT_EQ(shown[2].band, 2);
  EXPECT_EQ(shown[2].beeps, 1);
  EXPECT_EQ(shown[3].band, 1);
  EXPECT_EQ(shown[3].beeps, 2);
  EXPECT_EQ(shown[3].text, "Case 12, Fase Esc2, will be overdue now !");
}

}  // namespace
}  // namespace trv::core::jobs
