#pragma once
// The texts that records hold as values: activity-log action words (at most 7 characters, the
// width of LOG:ACTION), case priorities and statuses, user qualifications, and the user name of
// the timed jobs.

#include <string_view>

namespace trv::core {

// Activity-log action words (LOG:ACTION).
inline constexpr std::string_view kActionLogon = "Logon";
inline constexpr std::string_view kActionLogOut = "LogOut";
inline constexpr std::string_view kActionCleanLog = "ClnLog";
inline constexpr std::string_view kActionDeleted = "Deleted";
inline constexpr std::string_view kActionBackUp = "BackUp";
inline constexpr std::string_view kActionBackUpError = "BUError";
inline constexpr std::string_view kActionAssign = "Assign";
inline constexpr std::string_view kActionYanked = "Yanked";
inline constexpr std::string_view kActionCreated = "Created";
inline constexpr std::string_view kActionReOpen = "Re-Open";
inline constexpr std::string_view kActionActive = "Active";
inline constexpr std::string_view kActionOnHold = "On Hold";
inline constexpr std::string_view kActionClosed = "Closed";

// LOG:NAME of the timed jobs.
inline constexpr std::string_view kServerUser = "Server";

// Priorities (SER:Priority, CLI:Priority, SLA:Priority).
inline constexpr std::string_view kPriorityHigh = "High";
inline constexpr std::string_view kPriorityMedium = "Medium";
inline constexpr std::string_view kPriorityMinimal = "Minimal";

// Case statuses (SER:Status).
inline constexpr std::string_view kStatusActive = "Active";
inline constexpr std::string_view kStatusOnHold = "On Hold";
inline constexpr std::string_view kStatusClosed = "Closed";

// Escalation marks (SER:FirstAction ...).
inline constexpr std::string_view kEscalationOpen = "N";
inline constexpr std::string_view kEscalationDone = "D";

// User qualifications by level (IDE:Qualification, IDE:Level 0, 1, 2).
inline constexpr std::string_view kQualifications[] = {"User", "Supervisor", "Administrator"};

static_assert(kActionDeleted.size() <= 7 && kActionBackUpError.size() <= 7 &&
              kActionCreated.size() <= 7 && kActionReOpen.size() <= 7 && kActionOnHold.size() <= 7);

}  // namespace trv::core
