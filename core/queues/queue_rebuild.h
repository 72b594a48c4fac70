#pragma once
// The rebuild of the action queues from the whole case file.
//
// A rebuild reads every case record once, in file order, in batches, without the memos (the
// queues need only the records); the store resets its read statements after every batch, so
// nothing is held open when a hook runs or the thread yields. Between batches the rebuild calls
// betweenBatches, where the frame lets the program's other threads run, and the sort of the new
// queues calls it every so many steps: a rescan of a large file never holds the baton for
// longer than one batch. New queues are built aside and
// published in one step: other threads see the old queues until the new ones are complete, and
// a rebuild that fails or is stopped part-way leaves the old queues as they were (and returns
// the store's code; the thread's last store error says why).
//
// Inputs that belong to the frame (the signed-on user, or the last one while nobody is signed
// on, and HideOnHold) come in RescanInputs; the date and time from the Clock; the user's choices
// ("ViewFlag2" and "Viewflag" in the section named after the user) from the configuration file.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "core/data/records.h"
#include "core/queues/queue_rules.h"
#include "core/queues/shared_queues.h"
#include "runtime/store/connection.h"

namespace trv::data {
class FileAccess;
}
namespace trv::ini {
class IniSettings;
}
namespace trv::text {
class Clock;
}

namespace trv::core {

struct RescanInputs {
  std::string_view userName;  // CurrentUserName (Windows-1252)
  int userLevel = 0;          // 0 user, 1 supervisor, 2 administrator
  bool hideOnHold = false;
};

// Called for every closed case the scan meets, with the record and where it is. May delete
// that record through the calling thread's connection; the scan goes on with the next one. It
// must not close the case file, yield the thread or leave a transaction open. Returns true when
// it wrote to a file: a write takes longer than reading many records, so the scan then lets
// other threads in (betweenBatches) before it goes on.
using ClosedCaseHook = std::function<bool(const SercaseRecord&, const store::Position&)>;

// Called between two batches of the scan, with no read statement open and outside any
// transaction: the rebuild's point to let other threads run. Returns false to stop the rebuild
// (the program is ending).
using BetweenBatches = std::function<bool()>;

struct RescanHooks {
  // Runs first, before the case file is read (the timed backup check).
  std::function<void()> beforeRebuild;
  // The scheduled deletion of closed cases.
  ClosedCaseHook closedCase;
  BetweenBatches betweenBatches;
};

struct RebuildOutcome {
  store::Code code = store::Ok;  // Ok, or why the case file could not be read to its end
  bool stopped = false;          // betweenBatches stopped the scan or the sort (code stays Ok)
  long long sortChoice = 0;      // "ViewFlag2" as read
  std::size_t cases = 0;         // case records read
  std::size_t closed = 0;        // of them closed
};

// Records the scan reads between two calls of betweenBatches (one read of the store, about a
// millisecond of work).
inline constexpr int kScanBatchRows = 500;

// Reads every case of a file open on `conn` in file order, each into `buf` (a buffer of the
// case file's declaration; its memos are left empty while the scan runs), and builds the queues
// for `viewer` at `today` and `now`, numbered in insertion order and not yet sorted. Closed
// cases go to `closedCase` (when set), with the case also in `buf`, and are never queued. After
// every kScanBatchRows records, and after a closedCase that wrote, `betweenBatches` (when set)
// is called; when it returns false the scan stops (outcome.stopped). At the end `buf` holds the
// last case read, memos included. On failure or stop `out` holds what was read so far.
[[nodiscard]] RebuildOutcome scanCaseFile(store::Connection& conn, store::FileId file,
                                          store::RecordBuffer& buf, const QueueViewer& viewer,
                                          std::int32_t today, std::int32_t now,
                                          const ClosedCaseHook& closedCase, QueueContents& out,
                                          const BetweenBatches& betweenBatches = nullptr);

// The frame's rebuild (its rescans): sort choice from "ViewFlag2"; OwnCasesOnly from "Viewflag"
// for a supervisor or administrator, off for a user; then beforeRebuild; then the whole case
// file through `sercase` (opened on the calling thread for the scan and closed again; its
// messages are FileAccess's), read into the thread's Sercase buffer, closed cases handed to
// closedCase; the queues sorted by the sort choice and published. When the file cannot be opened,
// code is FileNotOpen.
[[nodiscard]] RebuildOutcome rebuildQueues(SharedQueues& queues, data::FileAccess& sercase,
                                           const ini::IniSettings& settings,
                                           const RescanInputs& inputs, const text::Clock& clock,
                                           const RescanHooks& hooks);

// The action overview's rebuild (when its own/all or sort choice changes): as the frame's, but
// OwnCasesOnly is taken as it stands, only betweenBatches runs, and the case file at
// `caseFilePath` is opened read-only on a connection of its own, without messages, and closed
// after the scan; closed cases are skipped.
[[nodiscard]] RebuildOutcome rebuildQueuesForOverview(
    SharedQueues& queues, const std::string& caseFilePath, const ini::IniSettings& settings,
    const RescanInputs& inputs, const text::Clock& clock,
    const BetweenBatches& betweenBatches = nullptr);

// The user's sort choice: the number under "ViewFlag2" in the user's section.
long long userSortChoice(const ini::IniSettings& settings, std::string_view userName);

}  // namespace trv::core
