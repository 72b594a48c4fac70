#include "core/queues/shared_queues.h"

#include <utility>

namespace trv::core {

SharedQueues::SharedQueues() : contents_(std::make_shared<QueueContents>()) {}

SharedQueues::Snapshot SharedQueues::snapshot() const {
  std::lock_guard lock(mutex_);
  return contents_;
}

std::uint64_t SharedQueues::generation() const {
  std::lock_guard lock(mutex_);
  return generation_;
}

QueueContents& SharedQueues::writable() {
  // Always a fresh copy: a reader may have dropped its snapshot an instant ago, and a use count
  // of 1 read here would not order its last reads before our writes.
  contents_ = std::make_shared<QueueContents>(*contents_);
  return *contents_;
}

void SharedQueues::replace(QueueContents contents) {
  auto fresh = std::make_shared<QueueContents>(std::move(contents));
  std::lock_guard lock(mutex_);
  contents_ = std::move(fresh);
  ++generation_;
}

void SharedQueues::clear() {
  replace({});
}

void SharedQueues::sort(QueueOrder order) {
  std::lock_guard lock(mutex_);
  QueueContents& c = writable();
  sortAft(c.AFT, order);
  sortBef(c.BEF, order);
  ++generation_;
}

std::size_t SharedQueues::updateMarks(std::uint32_t caseNr, std::uint16_t updateFlag) {
  std::lock_guard lock(mutex_);
  QueueContents& c = writable();
  std::size_t found = 0;
  for (auto* queue : {&c.BEF, &c.AFT})
    for (QueueEntry& e : *queue)
      if (e.CASENR == caseNr) {
        e.NEWUPDATE = updateFlag;
        ++found;
      }
  sortBef(c.BEF, QueueOrder::AfterMarks);
  sortAft(c.AFT, QueueOrder::AfterMarks);
  ++generation_;
  return found;
}

}  // namespace trv::core
