#pragma once
// The texts of case-history entries: the header line of every kind of action, the creation line
// and the take-over line. Pure functions of their inputs; nothing is read from a clock, a file
// or a setting here.
//
// Texts are Windows-1252, as the history memo holds them. Dates show as "D5" without trailing
// blanks (" 5/03/02"), times as "T1" (" 9:07"). An agent name "padded" keeps the 20 characters
// of CurrentUserName; "clipped" drops its trailing blanks.

#include <cstdint>
#include <string>
#include <string_view>

namespace trv::cases {

// The kind of the case form's last action.
enum class ActionKind : int {
  None = 0,
  Note = 1,
  PhoneOut = 2,
  PhoneIn = 3,
  EmailOut = 4,
  EmailIn = 5,
  StatusChange = 6,
  FirstEscalation = 7,
  SecondEscalation = 8,
  ThirdEscalation = 9,
  TakeOver = 10,
  NewCase = 11,
  ReOpen = 12,
  PriorityByAgent = 21,
  PriorityBySystem = 22,
};

// Width of CurrentUserName and SER:Owner.
inline constexpr std::size_t kAgentNameWidth = 20;

// What a header line may show besides its kind.
struct HeaderFacts {
  std::int32_t date = 0;         // workstation date number when the entry is written
  std::int32_t time = 0;         // workstation time number
  std::string_view agent;        // CurrentUserName
  std::string_view mailAddress;  // Outgoing Email: the client address the mail went to
  std::string_view newStatus;    // Status CHANGE: SER:Status after the change
  std::string_view oldPriority;  // Priority CHANGE: the priority the form remembered
  std::string_view newPriority;  // Priority CHANGE: SER:Priority
};

// The date as headers show it: "D5" without trailing blanks.
std::string historyDate(std::int32_t date);
// The time as headers show it: "T1".
std::string historyTime(std::int32_t time);
// The name blank-padded (or cut) to 20 characters.
std::string paddedAgent(std::string_view name);

// The header line of an entry of `kind`, without line breaks. Empty for the kinds that have no
// header of their own (None, TakeOver, NewCase).
std::string historyHeader(ActionKind kind, const HeaderFacts& facts);

// The first line of a new case's history, from its start date and time.
std::string creationLine(std::int32_t startDate, std::int32_t startTime, std::string_view agent);

// The take-over line: the new owner clipped, the previous owner as its 20-character field.
std::string takeOverLine(std::int32_t date, std::int32_t time, std::string_view newOwner,
                         std::string_view previousOwner);

// The assignment line: the agent who assigns and the new owner, both clipped.
std::string assignmentLine(std::int32_t date, std::int32_t time, std::string_view agent,
                           std::string_view newOwner);

}  // namespace trv::cases
