#include "core/queues/queue_order.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace trv::core {
namespace {

// A queue long enough for several sort steps, with many entries equal in every key.
std::vector<QueueEntry> randomQueue(std::size_t n) {
  std::mt19937 rng(11);
  const char* priorities[] = {"High", "Medium", "Minimal"};
  std::vector<QueueEntry> q(n);
  for (std::size_t i = 0; i < n; ++i) {
    QueueEntry& e = q[i];
    e.NR = static_cast<std::uint32_t>(i + 1);
    e.Date = 80000 + static_cast<std::int32_t>(rng() % 5);
    e.Time = static_cast<std::int32_t>(rng() % 4) * 100;
    e.PRIORITY = priorities[rng() % 3];
    e.FASE = phaseName(1 + static_cast<int>(rng() % 3));
    e.CLIENT = "C" + std::to_string(rng() % 3);
  }
  return q;
}

// What the orders say, written out: the moment (latest first for BEF), priority first or after
// the moment, then phase and client; ties in insertion order.
std::vector<std::uint32_t> expected(const std::vector<QueueEntry>& q, bool bef, QueueOrder order) {
  using Key = std::tuple<std::string, std::int64_t, std::string, std::string, std::string>;
  std::vector<std::pair<Key, std::uint32_t>> keyed;
  for (const QueueEntry& e : q) {
    const std::int64_t moment = std::int64_t{e.Date} * 10000000 + e.Time;
    const std::string prio(e.PRIORITY.view());
    keyed.emplace_back(Key(order == QueueOrder::Priority ? prio : std::string(),
                           bef ? -moment : moment, order == QueueOrder::Date ? prio : std::string(),
                           std::string(e.FASE.view()), std::string(e.CLIENT.view())),
                       e.NR);
  }
  std::stable_sort(keyed.begin(), keyed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::uint32_t> out;
  for (const auto& k : keyed) out.push_back(k.second);
  return out;
}

std::vector<std::uint32_t> numbers(const std::vector<QueueEntry>& q) {
  std::vector<std::uint32_t> out;
  for (const QueueEntry& e : q) out.push_back(e.NR);
  return out;
}

TEST(QueueOrder, LongSortsAreStableAndGoInSteps) {
  const std::vector<QueueEntry> queue = randomQueue(kSortStepEntries + 1000);
  for (QueueOrder order : {QueueOrder::Date, QueueOrder::Priority}) {
    for (bool bef : {false, true}) {
      SCOPED_TRACE(std::to_string(static_cast<int>(order)) + (bef ? " BEF" : " AFT"));
      std::vector<QueueEntry> q = queue;
      int steps = 0;
      const SortStep count = [&] { return ++steps > 0; };
      ASSERT_TRUE(bef ? sortBef(q, order, count) : sortAft(q, order, count));
      EXPECT_EQ(numbers(q), expected(queue, bef, order));
      EXPECT_GT(steps, 3);  // a step at least every kSortStepEntries entries handled

      // Stopped part-way: the queue is as it was.
      q = queue;
      const SortStep stop = [] { return false; };
      EXPECT_FALSE(bef ? sortBef(q, order, stop) : sortAft(q, order, stop));
      EXPECT_EQ(numbers(q), numbers(queue));
    }
  }
}

}  // namespace
}  // namespace trv::core
