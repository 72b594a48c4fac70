#pragma once
// CaseTrace: what the case form remembers about its own actions, and the three traces an action
// leaves: the entry in the case history, the activity-log entry and the queue marks.
//
// The form owns one CaseTrace for the life of its window and works on the case in its record
// buffer. The steps run in this order around a save:
//   1. writeHistory() after each confirmed action; it changes the record buffer and its memos
//      only, so nothing is stored until the form saves the case.
//   2. the form writes the case record (with its history memo).
//   3. only when that write succeeded: writeLogEntry() and, for an existing case,
//      updateQueueMarks(). A save refused by a check or by another station's change, and a
//      cancelled new case, therefore leave no log entry and no queue mark.
//
// A history that would grow past its 8000 characters is never cut: writeHistory() refuses the
// entry, changes nothing and says so, so the form can tell the agent before the case is saved.

#include <cstdint>
#include <string>
#include <string_view>

#include "cases/history/history_text.h"
#include "core/data/records.h"
#include "runtime/store/error.h"
#include "runtime/text/fixed_string.h"

namespace trv::core {
class SharedQueues;
}
namespace trv::data {
class FileAccess;
}
namespace trv::text {
class Clock;
}

namespace trv::cases {

// Room of SER:History.
inline constexpr std::size_t kHistoryLimit = 8000;

// The signed-on agent.
struct Agent {
  std::string_view name;  // CurrentUserName, Windows-1252
  std::uint16_t id = 0;   // CurrentUserId
};

// The case memos that an entry reads and changes.
struct CaseMemos {
  std::string& history;     // SER:History
  std::string& addHistory;  // SER:AddHistory: the text for the next entry
};

enum class HistoryResult {
  Written,      // the entry is in SER:History; SER:AddHistory is emptied where it was used
  NothingToDo,  // no text for the action (or its mail was not handed over): nothing changed
  // The entry does not fit in SER:History: nothing changed, the text is kept. The form tells
  // the agent and does not let the action take effect.
  HistoryFull,
};

enum class LogResult {
  Written,  // one record added to the Log file
  NoEntry,  // logging is off, or the last action writes no entry
  Failed,   // the Log file refused the record: show kActivityLogFailure; the case stands
};

// The message of a refused activity-log record (application title, exclamation icon, OK).
inline constexpr std::string_view kActivityLogFailure = "Activity Log Update Failure";
// The message of an entry that does not fit in the case history (exclamation icon, OK).
inline constexpr std::string_view kHistoryFullMessage =
    "The Case History is full - this entry cannot be added to the Case !";

class CaseTrace {
 public:
  // For a new case: its history starts with the creation line at the first entry.
  static CaseTrace forNewCase();
  // For an existing case, remembering the status it was opened with.
  static CaseTrace forExistingCase(std::string_view status);

  ActionKind kind() const { return kind_; }
  // The form sets the kind of each action it starts (a note button, a status change, ...).
  void setKind(ActionKind kind) { kind_ = kind; }

  bool newCase() const { return newCase_; }
  bool created() const { return created_; }
  bool logged() const { return logged_; }

  // An outgoing mail that was not handed over: its text stays in SER:AddHistory and the next
  // entry is skipped instead of recording the mail as sent.
  void setMailNotSent(bool on) { mailNotSent_ = on; }
  bool mailNotSent() const { return mailNotSent_; }
  // The client address the last mail went to, for the "Outgoing Email" header.
  void setMailAddress(std::string_view address) { mailAddress_ = address; }

  // The priority the form remembered, shown as the old one in a priority change.
  void setRememberedPriority(std::string_view priority) { rememberedPriority_ = priority; }
  // The status the form remembered: as opened, then after each accepted change.
  std::string_view rememberedStatus() const { return rememberedStatus_; }
  void setRememberedStatus(std::string_view status) { rememberedStatus_ = text::clip(status); }

  // Writes the entry of the last action into `memos` for `rec` (the case in the form's
  // buffer), with the date and time of `clock`:
  // - a new case's first entry replaces the history by the creation line (start date and time),
  //   then adds the text given while creating it, without a header;
  // - a take-over always appends the "Case YANKED" line with the owner before the take-over;
  //   SER:AddHistory is left as it is;
  // - any other kind appends an empty line, its header and the text, when there is text and
  //   no mail is pending as not sent (then the mark is cleared and nothing is written).
  // After a note, call, mail or forced priority change SER:UpdateFlag := 1; after a re-opening
  // by someone other than the owner SER:Owner := the agent.
  [[nodiscard]] HistoryResult writeHistory(core::SercaseRecord& rec, CaseMemos memos,
                                           const Agent& agent, const text::Clock& clock);

  // The activity-log word the last action would write now, or empty when it writes none:
  // "Created" for a new case (once per form), the status for a status change, "Yanked",
  // "Re-Open".
  std::string pendingLogWord(const core::SercaseRecord& rec) const;

  // The update mark an existing case is saved with, set in `rec` before it is written: its
  // owner saves it seen (0), or on hold (2); another agent who took an action marks it changed
  // (1). Returns whether the queue marks are to follow once the case is written (not for
  // another agent who took no action).
  [[nodiscard]] bool settleUpdateMark(core::SercaseRecord& rec, const Agent& agent) const;

  // Call only after the case record was written. With `doLog` (SysDoLog 1) adds the entry of
  // the last action to `log` (the Log file's access, open on this thread), dated by `clock`.
  // Afterwards the logged mark is set; a status change's status is remembered; after
  // "Created", "Yanked" or "Re-Open" the kind becomes a status change.
  [[nodiscard]] LogResult writeLogEntry(data::FileAccess& log, const core::SercaseRecord& rec,
                                        const Agent& agent, const text::Clock& clock, bool doLog);

 private:
  CaseTrace() = default;

  ActionKind kind_ = ActionKind::None;
  bool newCase_ = false;
  bool created_ = false;  // the creation line is still to be written
  bool logged_ = false;
  bool createdLogged_ = false;
  bool mailNotSent_ = false;
  std::string mailAddress_;
  std::string rememberedPriority_;
  std::string rememberedStatus_;
};

// Call only after an existing case was written (or cancelled by its owner): every queue entry
// of the case gets SER:UpdateFlag as its mark, and both queues take the order after marks.
// Returns how many entries were marked.
std::size_t updateQueueMarks(core::SharedQueues& queues, const core::SercaseRecord& rec);

}  // namespace trv::cases
