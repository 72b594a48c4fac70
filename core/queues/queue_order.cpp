#include "core/queues/queue_order.h"

#include <algorithm>
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

// Ascending moment for AFT, descending for BEF; the rest of the keys ascending.
template <bool kLatestFirst>
bool before(const QueueEntry& a, const QueueEntry& b, QueueOrder order) {
  int c = 0;
  if (order == QueueOrder::Priority) c = compareText(a.PRIORITY, b.PRIORITY);
  if (c == 0) c = kLatestFirst ? compareNumber(b.Date, a.Date) : compareNumber(a.Date, b.Date);
  if (c == 0) c = kLatestFirst ? compareNumber(b.Time, a.Time) : compareNumber(a.Time, b.Time);
  if (c == 0 && order == QueueOrder::Date) c = compareText(a.PRIORITY, b.PRIORITY);
  if (c == 0) c = compareText(a.FASE, b.FASE);
  if (c == 0) c = compareText(a.CLIENT, b.CLIENT);
  return c < 0;
}

}  // namespace

void sortAft(std::vector<QueueEntry>& aft, QueueOrder order) {
  std::stable_sort(aft.begin(), aft.end(), [order](const QueueEntry& a, const QueueEntry& b) {
    return before<false>(a, b, order);
  });
}

void sortBef(std::vector<QueueEntry>& bef, QueueOrder order) {
  std::stable_sort(bef.begin(), bef.end(), [order](const QueueEntry& a, const QueueEntry& b) {
    return before<true>(a, b, order);
  });
}

}  // namespace trv::core
