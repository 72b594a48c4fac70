#pragma once
// The orders of the action queues.
//
// Date order (sort choice 0): AFT by date, time, priority, phase, client; BEF by date
// descending, time descending, priority, phase, client. Priority order (any other choice): the
// priority first, then the same keys. The order after a queue-mark update drops the priority:
// AFT by date, time, phase, client; BEF by date descending, time descending, phase, client.
// Texts compare as text, byte by byte, trailing blanks ignored ("High" < "Medium" < "Minimal").
// Every sort is stable: entries equal in every key keep their insertion order.

#include <functional>
#include <vector>

#include "core/queues/queue_entry.h"

namespace trv::core {

enum class QueueOrder { Date, Priority, AfterMarks };

// The order of a sort choice ("ViewFlag2"): 0 date order, anything else priority order.
constexpr QueueOrder orderOfChoice(long long sortChoice) {
  return sortChoice == 0 ? QueueOrder::Date : QueueOrder::Priority;
}

// Called every kSortStepEntries steps of a long sort, where the caller may let other threads
// run; returns false to stop the sort.
using SortStep = std::function<bool()>;
inline constexpr int kSortStepEntries = 32768;

// Each returns false when `step` stopped it (the queue is then as it was), else true.
bool sortAft(std::vector<QueueEntry>& aft, QueueOrder order, const SortStep& step = nullptr);
bool sortBef(std::vector<QueueEntry>& bef, QueueOrder order, const SortStep& step = nullptr);

}  // namespace trv::core
