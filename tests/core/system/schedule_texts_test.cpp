#include "core/system/schedule_texts.h"

#include <gtest/gtest.h>

#include "runtime/text/date_time.h"

namespace trv::core {
namespace {

const std::int32_t kNineThirty = *text::timeNumber(9, 30, 0);
const std::int32_t kTenPm = *text::timeNumber(22, 0, 0);

TEST(ScheduleTexts, LogDeletionAndBackupReadAsTheOptionsSay) {
  struct Case {
    std::string got, want;
  };
  const Case cases[] = {
      {logScheduleText(0), "Until Exit"},
      {logScheduleText(1), "Until Exit after 1 day"},
      {logScheduleText(12), "Until Exit after 12 days"},
      {deletionScheduleText(0, false, kNineThirty, false), "Immediately"},
      {deletionScheduleText(0, false, kNineThirty, true), "Immidiate"},
      {deletionScheduleText(0, true, kNineThirty, true), "Every day at  9:30"},
      {deletionScheduleText(1, false, kNineThirty, false), "After 1 day"},
      {deletionScheduleText(1, true, kNineThirty, false), "After 1 day at  9:30"},
      {deletionScheduleText(4, true, kTenPm, false), "After 4 days at 22:00"},
      {deletionScheduleText(4, false, kTenPm, true), "After 4 days"},
      {backupScheduleText(0, false, kTenPm), "By Exit"},
      {backupScheduleText(0, true, kTenPm), "Every day at 22:00"},
      {backupScheduleText(1, false, kTenPm), "By Exit after 1 day"},
      {backupScheduleText(1, true, kTenPm), "After 1 day at 22:00"},
      {backupScheduleText(3, false, kTenPm), "By Exit after 3 days"},
      {backupScheduleText(3, true, kNineThirty), "After 3 days at  9:30"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.got, c.want);
}

}  // namespace
}  // namespace trv::core
