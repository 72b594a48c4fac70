#include "core/queues/queue_order.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace trv::core {
namespace {

// An entry's sort keys as four numbers compared in turn, and where the entry stands: small and
// quick to compare, so that a sort of a few hundred thousand entries stays short.
struct SortKey {
  std::uint64_t k[4] = {};
  std::uint32_t at = 0;
};

// A text without its trailing blanks as a number that orders as the text does (byte by byte,
// a text before any longer text it begins): its bytes from the top, then its length.
template <std::size_t N>
std::uint64_t textKey(const text::FixedString<N>& f) {
  static_assert(N <= 7);
  const std::string_view v = f.view();
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < N; ++i)
    key = (key << 8) | (i < v.size() ? static_cast<unsigned char>(v[i]) : 0u);
  return (key << 8) | v.size();
}

// The moment as a number that orders as the date, then the time; reversed for latest first.
std::uint64_t momentKey(std::int32_t date, std::int32_t time, bool latestFirst) {
  const std::uint64_t key = (std::uint64_t{static_cast<std::uint32_t>(date) ^ 0x80000000u} << 32) |
                            (static_cast<std::uint32_t>(time) ^ 0x80000000u);
  return latestFirst ? ~key : key;
}

// Ascending moment for AFT, descending for BEF; the priority before the moment (priority
// order), after it (date order) or not at all (the order after marks); then phase and client.
SortKey sortKey(const QueueEntry& e, bool latestFirst, QueueOrder order, std::uint32_t at) {
  const std::uint64_t moment = momentKey(e.Date, e.Time, latestFirst);
  const std::uint64_t priority = order == QueueOrder::AfterMarks ? 0 : textKey(e.PRIORITY);
  SortKey key;
  key.k[0] = order == QueueOrder::Priority ? priority : moment;
  key.k[1] = order == QueueOrder::Priority ? moment : priority;
  key.k[2] = textKey(e.FASE);
  key.k[3] = textKey(e.CLIENT);
  key.at = at;
  return key;
}

bool before(const SortKey& a, const SortKey& b) {
  for (int i = 0; i < 4; ++i)
    if (a.k[i] != b.k[i]) return a.k[i] < b.k[i];
  return false;
}

// A stable merge sort of the entries' keys, then one pass that puts the entries in that order.
// It goes in steps: `step` every kSortStepEntries keys handled.
bool sortQueue(std::vector<QueueEntry>& q, bool latestFirst, QueueOrder order,
               const SortStep& step) {
  const std::size_t n = q.size();
  if (n < 2) return true;
  int budget = kSortStepEntries;
  auto tick = [&](int handled) {
    budget -= handled;
    if (budget > 0) return true;
    budget = kSortStepEntries;
    return !step || step();
  };
  std::vector<SortKey> from(n), to(n);
  for (std::size_t i = 0; i < n; ++i) {
    from[i] = sortKey(q[i], latestFirst, order, static_cast<std::uint32_t>(i));
    if (!tick(1)) return false;
  }
  // Runs small enough to sort within the processor's caches, then runs of doubling width
  // merged (the left one first on ties).
  constexpr std::size_t kRun = 4096;
  for (std::size_t lo = 0; lo < n; lo += kRun) {
    const std::size_t hi = std::min(n, lo + kRun);
    std::stable_sort(from.begin() + static_cast<std::ptrdiff_t>(lo),
                     from.begin() + static_cast<std::ptrdiff_t>(hi),
                     [](const SortKey& a, const SortKey& b) { return before(a, b); });
    if (!tick(static_cast<int>(hi - lo))) return false;
  }
  for (std::size_t width = kRun; width < n; width *= 2) {
    for (std::size_t lo = 0; lo < n; lo += 2 * width) {
      const std::size_t mid = std::min(n, lo + width), hi = std::min(n, lo + 2 * width);
      std::size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) {
        to[k++] = before(from[j], from[i]) ? from[j++] : from[i++];
        if (!tick(1)) return false;
      }
      while (i < mid) to[k++] = from[i++];
      while (j < hi) to[k++] = from[j++];
    }
    from.swap(to);
  }
  // The entries in that order, copied (reads spread over the queue, writes in a row, so the
  // reads of several entries can be under way at once).
  std::vector<QueueEntry> sorted;
  sorted.reserve(n);
  constexpr std::size_t kAhead = 8;
  for (std::size_t k = 0; k < n; ++k) {
    if (k + kAhead < n) __builtin_prefetch(&q[from[k + kAhead].at]);
    sorted.push_back(q[from[k].at]);
    if (!tick(4)) return false;  // an entry weighs about four keys
  }
  q.swap(sorted);
  return true;
}

}  // namespace

bool sortAft(std::vector<QueueEntry>& aft, QueueOrder order, const SortStep& step) {
  return sortQueue(aft, false, order, step);
}

bool sortBef(std::vector<QueueEntry>& bef, QueueOrder order, const SortStep& step) {
  return sortQueue(bef, true, order, step);
}

}  // namespace trv::core
