#include "core/system/schedule_texts.h"

#include "runtime/text/fixed_string.h"
#include "runtime/text/picture.h"

namespace trv::core {
namespace {

// As the hours:minutes picture shows it (a blank in place of a leading zero).
std::string at(std::int32_t time) {
  return std::string(text::clip(text::formatPicture("@T1", time)));
}

std::string daysText(std::int32_t days) {
  return days == 1 ? "1 day" : std::to_string(days) + " days";
}

}  // namespace

std::string logScheduleText(std::int32_t days) {
  return days == 0 ? "Until Exit" : "Until Exit after " + daysText(days);
}

std::string deletionScheduleText(std::int32_t days, bool server, std::int32_t time,
                                 bool afterEdit) {
  if (days == 0)
    return server ? "Every day at " + at(time) : (afterEdit ? "Immidiate" : "Immediately");
  const std::string after = "After " + daysText(days);
  return server ? after + " at " + at(time) : after;
}

std::string backupScheduleText(std::int32_t days, bool server, std::int32_t time) {
  if (days == 0) return server ? "Every day at " + at(time) : "By Exit";
  return server ? "After " + daysText(days) + " at " + at(time) : "By Exit after " + daysText(days);
}

}  // namespace trv::core
