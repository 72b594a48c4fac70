#include "cases/history/case_trace.h"

#include "core/jobs/activity_log.h"
#include "core/queues/shared_queues.h"
#include "runtime/text/charset.h"
#include "runtime/text/clock.h"
#include "runtime/text/fixed_string.h"

namespace trv::cases {

namespace {

constexpr std::string_view kCrLf = "\r\n";

bool isHeaded(ActionKind k) {
  switch (k) {
    case ActionKind::Note:
    case ActionKind::PhoneOut:
    case ActionKind::PhoneIn:
    case ActionKind::EmailOut:
    case ActionKind::EmailIn:
    case ActionKind::StatusChange:
    case ActionKind::FirstEscalation:
    case ActionKind::SecondEscalation:
    case ActionKind::ThirdEscalation:
    case ActionKind::ReOpen:
    case ActionKind::PriorityByAgent:
    case ActionKind::PriorityBySystem:
      return true;
    default:
      return false;
  }
}

// Marks the case as changed by someone other than its owner until the form saves it.
bool marksUpdate(ActionKind k) {
  return (k >= ActionKind::Note && k <= ActionKind::EmailIn) || k == ActionKind::PriorityBySystem;
}

// The history with `tail` appended: the history's trailing blanks go first.
std::string appended(std::string_view history, std::string_view tail) {
  std::string out(text::clip(history));
  out += tail;
  return out;
}

}  // namespace

CaseTrace CaseTrace::forNewCase() {
  CaseTrace t;
  t.newCase_ = true;
  t.created_ = true;
  return t;
}

CaseTrace CaseTrace::forExistingCase(std::string_view status) {
  CaseTrace t;
  t.rememberedStatus_ = text::clip(status);
  return t;
}

HistoryResult CaseTrace::writeHistory(core::SercaseRecord& rec, CaseMemos memos, const Agent& agent,
                                      const text::Clock& clock) {
  // Everything is worked out on copies and applied only when the whole entry fits.
  std::string history = memos.history;
  ActionKind kind = kind_;
  bool wrote = false;
  if (created_) {
    history = creationLine(rec.SDate, rec.STime, agent.name);
    kind = ActionKind::NewCase;
    wrote = true;
  }

  const std::string_view text = text::clip(memos.addHistory);
  const std::int32_t date = clock.today();
  const std::int32_t time = clock.now();
  bool usesText = false;
  if (kind == ActionKind::TakeOver) {
    history = appended(history, std::string(kCrLf) + std::string(kCrLf) +
                                    takeOverLine(date, time, agent.name, rec.Owner.raw()));
    wrote = true;
  } else if (!text.empty() && !mailNotSent_) {
    if (kind == ActionKind::NewCase) {
      history = appended(history, std::string(kCrLf) + std::string(text));
      usesText = wrote = true;
    } else if (isHeaded(kind)) {
      HeaderFacts f;
      f.date = date;
      f.time = time;
      f.agent = agent.name;
      f.mailAddress = mailAddress_;
      f.newStatus = rec.Status.raw();
      f.oldPriority = rememberedPriority_;
      f.newPriority = rec.Priority.raw();
      history = appended(history, std::string(kCrLf) + std::string(kCrLf) + historyHeader(kind, f) +
                                      std::string(kCrLf) + std::string(text));
      usesText = wrote = true;
    }
  }

  if (history.size() > kHistoryLimit) return HistoryResult::HistoryFull;

  kind_ = kind;
  created_ = false;
  if (!wrote) {
    mailNotSent_ = false;
    return HistoryResult::NothingToDo;
  }
  memos.history = std::move(history);
  if (usesText) {
    memos.addHistory.clear();
    if (marksUpdate(kind)) rec.UpdateFlag = 1;
    if (kind == ActionKind::ReOpen && !text::equalNoCase(rec.Owner.view(), agent.name))
      rec.Owner = agent.name;
  }
  return HistoryResult::Written;
}

bool CaseTrace::settleUpdateMark(core::SercaseRecord& rec, const Agent& agent) const {
  const bool onHold = rec.Status == "On Hold";
  if (onHold && rec.UpdateFlag == 0) rec.UpdateFlag = 2;
  if (text::equalNoCase(rec.Owner.view(), agent.name)) {
    rec.UpdateFlag = onHold ? 2 : 0;
    return true;
  }
  if (kind_ != ActionKind::None) {
    rec.UpdateFlag = 1;
    return true;
  }
  return false;
}

std::string CaseTrace::pendingLogWord(const core::SercaseRecord& rec) const {
  if (newCase_) return createdLogged_ ? std::string() : std::string("Created");
  switch (kind_) {
    case ActionKind::StatusChange:
      return std::string(rec.Status.view());
    case ActionKind::TakeOver:
      return "Yanked";
    case ActionKind::ReOpen:
      return "Re-Open";
    default:
      return {};
  }
}

LogResult CaseTrace::writeLogEntry(data::FileAccess& log, const core::SercaseRecord& rec,
                                   const Agent& agent, const text::Clock& clock, bool doLog) {
  if (!doLog) return LogResult::NoEntry;
  const std::string word = pendingLogWord(rec);
  if (word.empty()) return LogResult::NoEntry;

  core::jobs::LogEntry e;
  e.userId = agent.id;
  e.name = agent.name;
  e.caseNr = rec.CaseNr;
  e.action = word;
  e.date = clock.today();
  e.time = clock.now();
  const store::Code code = core::jobs::addLogEntry(log, e);

  logged_ = true;
  if (kind_ == ActionKind::StatusChange) rememberedStatus_ = word;
  if (newCase_) createdLogged_ = true;
  if (newCase_ || kind_ == ActionKind::TakeOver || kind_ == ActionKind::ReOpen)
    kind_ = ActionKind::StatusChange;
  return code == store::Ok ? LogResult::Written : LogResult::Failed;
}

std::size_t updateQueueMarks(core::SharedQueues& queues, const core::SercaseRecord& rec) {
  return queues.updateMarks(rec.CaseNr, rec.UpdateFlag);
}

}  // namespace trv::cases
