#pragma once
// SharedQueues: the action queues AFT and BEF of one program run, with the own-cases choice
// that goes with them.
//
// Threads: every program thread shares one SharedQueues (the frame's rescans, the action
// overview, the case form's queue marks, the overdue warnings). All members are safe to call
// from any thread. Readers take a snapshot: an immutable copy of both queues that stays
// unchanged however long it is held, while writers publish whole new contents. A reader
// therefore never sees a queue half rebuilt, nor AFT from one rebuild and BEF from another.
// Sorts and mark updates work on a copy of the current contents, which then becomes current.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "core/queues/queue_entry.h"
#include "core/queues/queue_order.h"

namespace trv::core {

struct QueueContents {
  std::vector<QueueEntry> AFT;  // open cases whose next escalation moment lies ahead
  std::vector<QueueEntry> BEF;  // open cases whose moment has passed
};

class SharedQueues {
 public:
  using Snapshot = std::shared_ptr<const QueueContents>;

  SharedQueues();
  SharedQueues(const SharedQueues&) = delete;
  SharedQueues& operator=(const SharedQueues&) = delete;

  // Both queues as they are now; never null.
  Snapshot snapshot() const;
  // Raised by every change; a view whose snapshot is of an older generation redisplays.
  std::uint64_t generation() const;

  // Replaces both queues at once (the end of a rebuild).
  void replace(QueueContents contents);
  // Empties both queues (program end, or before the first rebuild).
  void clear();
  // Sorts both queues in `order`.
  void sort(QueueOrder order);
  // The queue marks after a case is saved: every entry of case `caseNr`, in both queues, gets
  // NEWUPDATE := `updateFlag`; then both queues are sorted in the order after marks. Returns
  // how many entries carried that case number.
  std::size_t updateMarks(std::uint32_t caseNr, std::uint16_t updateFlag);

  // OwnCasesOnly: set by the frame's rebuild and by the action overview, read by both.
  bool ownCasesOnly() const { return ownCasesOnly_.load(); }
  void setOwnCasesOnly(bool on) { ownCasesOnly_.store(on); }

 private:
  // A copy of the current contents, made current, to change in place. Requires mutex_.
  QueueContents& writable();

  mutable std::mutex mutex_;
  std::shared_ptr<QueueContents> contents_;
  std::uint64_t generation_ = 0;
  std::atomic<bool> ownCasesOnly_{false};
};

}  // namespace trv::core
