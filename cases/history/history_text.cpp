#include "cases/history/history_text.h"

#include "runtime/text/charset.h"
#include "runtime/text/fixed_string.h"
#include "runtime/text/picture.h"

namespace trv::cases {

namespace {

std::string upperClipped(std::string_view s) {
  return text::upper1252(text::clip(s));
}

std::string byAgentPadded(std::string_view agent) {
  return " by Agent " + paddedAgent(agent);
}

// "<title>" date " - " time: the start every header but re-opening shares.
std::string dated(std::string_view title, const HeaderFacts& f) {
  return std::string(title) + historyDate(f.date) + " - " + historyTime(f.time);
}

}  // namespace

std::string historyDate(std::int32_t date) {
  return std::string(text::clip(text::formatPicture("@D5", date)));
}

std::string historyTime(std::int32_t time) {
  return text::formatPicture("@T1", time);
}

std::string paddedAgent(std::string_view name) {
  std::string s(name.substr(0, std::min(name.size(), kAgentNameWidth)));
  s.resize(kAgentNameWidth, ' ');
  return s;
}

std::string historyHeader(ActionKind kind, const HeaderFacts& f) {
  switch (kind) {
    case ActionKind::Note:
      return dated("Review Note: ", f) + byAgentPadded(f.agent);
    case ActionKind::PhoneOut:
      return dated("Outgoing Call: ", f) + byAgentPadded(f.agent);
    case ActionKind::PhoneIn:
      return dated("Incoming Call: ", f) + byAgentPadded(f.agent);
    case ActionKind::EmailOut:
      return dated("Outgoing Email: ", f) + " by Agent " + std::string(text::clip(f.agent)) +
             " to Client Address " + std::string(text::clip(f.mailAddress));
    case ActionKind::EmailIn:
      return dated("Incoming Email: ", f) + " Received by Agent " +
             std::string(text::clip(f.agent)) + " (Pasted) ";
    case ActionKind::StatusChange: {
      // The status field holds 7 characters; "ON HOLD" fills it, "ACTIVE" keeps one blank.
      std::string status =
          text::upper1252(f.newStatus.substr(0, std::min<std::size_t>(7, f.newStatus.size())));
      status.resize(7, ' ');
      return dated("Status CHANGE : ", f) + " to " + status + byAgentPadded(f.agent);
    }
    case ActionKind::FirstEscalation:
      return dated("First Escalation : ", f) + byAgentPadded(f.agent);
    case ActionKind::SecondEscalation:
      return dated("Second Escalation : ", f) + byAgentPadded(f.agent);
    case ActionKind::ThirdEscalation:
      return dated("Third Escalation : ", f) + byAgentPadded(f.agent);
    case ActionKind::ReOpen:
      return "Case RE-OPENED : " + historyDate(f.date) + "  " + historyTime(f.time) +
             "  by Agent " + paddedAgent(f.agent);
    case ActionKind::PriorityByAgent:
      return dated("Priority CHANGE : ", f) + " from " + upperClipped(f.oldPriority) + " to " +
             upperClipped(f.newPriority) + byAgentPadded(f.agent);
    case ActionKind::PriorityBySystem:
      return dated("Priority CHANGE : ", f) + " from " + upperClipped(f.oldPriority) + " to " +
             upperClipped(f.newPriority) + " by SYSTEM ";
    case ActionKind::None:
    case ActionKind::TakeOver:
    case ActionKind::NewCase:
      break;
  }
  return {};
}

std::string creationLine(std::int32_t startDate, std::int32_t startTime, std::string_view agent) {
  return "Case CREATED : " + historyDate(startDate) + " - " + historyTime(startTime) +
         "  by Agent " + paddedAgent(agent);
}

std::string takeOverLine(std::int32_t date, std::int32_t time, std::string_view newOwner,
                         std::string_view previousOwner) {
  return "Case YANKED : " + historyDate(date) + " - " + historyTime(time) + " by Agent " +
         std::string(text::clip(newOwner)) + " from Agent " + paddedAgent(previousOwner);
}

std::string assignmentLine(std::int32_t date, std::int32_t time, std::string_view agent,
                           std::string_view newOwner) {
  return "Case ASSIGNMENT: " + historyDate(date) + " - " + historyTime(time) + " by Agent " +
         std::string(text::clip(agent)) + " to Agent " + std::string(text::clip(newOwner));
}

}  // namespace trv::cases
