#include "core/queues/queue_order.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace trv::core {
namespace {

// <0, 0, >0 as std::string_view::compare, on clipped text.
template <std::size_t N>
int compareText(const text::FixedString<N>& a, const text::FixedString<N>& b) {
  return a.view().compare(b.view());
}

int compareNumber(std::int32_t a, std::int32_t b) {
  return a < b ? -1 : a > b ? 1 : 0;
}

// Ascending moment for AFT, descending for BEF; the rest of the keys ascending. E is a
// QueueEntry or a SortKey.
template <bool kLatestFirst, typename E>
bool before(const E& a, const E& b, QueueOrder order) {
  int c = 0;
  if (order == QueueOrder::Priority) c = compareText(a.PRIORITY, b.PRIORITY);
  if (c == 0) c = kLatestFirst ? compareNumber(b.Date, a.Date) : compareNumber(a.Date, b.Date);
  if (c == 0) c = kLatestFirst ? compareNumber(b.Time, a.Time) : compareNumber(a.Time, b.Time);
  if (c == 0 && order == QueueOrder::Date) c = compareText(a.PRIORITY, b.PRIORITY);
  if (c == 0) c = compareText(a.FASE, b.FASE);
  if (c == 0) c = compareText(a.CLIENT, b.CLIENT);
  return c < 0;
}

// What a sort compares of an entry, and where the entry stands: small, so that a sort of a
// few hundred thousand entries works in the processor's caches and moves little.
struct SortKey {
  text::FixedString<7> PRIORITY;
  std::int32_t Date = 0;
  std::int32_t Time = 0;
  text::FixedString<4> FASE;
  text::FixedString<6> CLIENT;
  std::uint32_t at = 0;
};

// A stable merge sort of the entries' keys, then one pass that puts the entries in that order.
// Being in steps, it stops for `step` every kSortStepEntries keys or entries handled.
template <bool kLatestFirst>
bool sortQueue(std::vector<QueueEntry>& q, QueueOrder order, const SortStep& step) {
  const std::size_t n = q.size();
  if (n < 2) return true;
  auto less = [order](const SortKey& a, const SortKey& b) {
    return before<kLatestFirst>(a, b, order);
  };
  int budget = kSortStepEntries;
  auto tick = [&](int handled) {
    budget -= handled;
    if (budget > 0) return true;
    budget = kSortStepEntries;
    return !step || step();
  };
  std::vector<SortKey> from(n), to(n);
  for (std::size_t i = 0; i < n; ++i) {
    const QueueEntry& e = q[i];
    from[i] = {e.PRIORITY, e.Date, e.Time, e.FASE, e.CLIENT, static_cast<std::uint32_t>(i)};
    if (!tick(1)) return false;
  }
  // Short runs by insertion, then runs of doubling width merged (the left one first on ties).
  constexpr std::size_t kRun = 16;
  for (std::size_t lo = 0; lo < n; lo += kRun) {
    const std::size_t hi = std::min(n, lo + kRun);
    for (std::size_t i = lo + 1; i < hi; ++i) {
      const SortKey v = from[i];
      std::size_t j = i;
      for (; j > lo && less(v, from[j - 1]); --j) from[j] = from[j - 1];
      from[j] = v;
    }
    if (!tick(static_cast<int>(hi - lo))) return false;
  }
  for (std::size_t width = kRun; width < n; width *= 2) {
    for (std::size_t lo = 0; lo < n; lo += 2 * width) {
      const std::size_t mid = std::min(n, lo + width), hi = std::min(n, lo + 2 * width);
      std::size_t i = lo, j = mid, k = lo;
      while (i < mid && j < hi) {
        to[k++] = less(from[j], from[i]) ? from[j++] : from[i++];
        if (!tick(1)) return false;
      }
      while (i < mid) to[k++] = from[i++];
      while (j < hi) to[k++] = from[j++];
    }
    from.swap(to);
  }
  std::vector<QueueEntry> sorted;
  sorted.reserve(n);
  for (const SortKey& k : from) {
    sorted.push_back(q[k.at]);
    if (!tick(4)) return false;  // an entry weighs about four keys
  }
  q.swap(sorted);
  return true;
}

}  // namespace

bool sortAft(std::vector<QueueEntry>& aft, QueueOrder order, const SortStep& step) {
  return sortQueue<false>(aft, order, step);
}

bool sortBef(std::vector<QueueEntry>& bef, QueueOrder order, const SortStep& step) {
  return sortQueue<true>(bef, order, step);
}

}  // namespace trv::core
