#pragma once
// The live texts of the system options that say when the activity log is cleaned, closed cases
// are deleted and backups are made.

#include <cstdint>
#include <string>

namespace trv::core {

// From Sys:HowLong: "Until Exit", "Until Exit after 1 day", "Until Exit after 5 days".
std::string logScheduleText(std::int32_t days);

// From Sys:DeleteDays, the server option and Sys:DeleteTime. With no days and no server option
// the text reads "Immediately" when filled at opening (or after the server option changed) and
// "Immidiate" when filled after the days or the time changed (`afterEdit`).
std::string deletionScheduleText(std::int32_t days, bool server, std::int32_t time, bool afterEdit);

// From Sys:BackUpDays, the server option and Sys:BackUpTime.
std::string backupScheduleText(std::int32_t days, bool server, std::int32_t time);

}  // namespace trv::core
