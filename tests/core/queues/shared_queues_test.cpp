#include "core/queues/shared_queues.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace trv::core {
namespace {

QueueEntry entry(std::uint32_t caseNr, std::int32_t date) {
  QueueEntry e;
  e.CASENR = caseNr;
  e.NR = caseNr;
  e.Date = date;
  return e;
}

TEST(SharedQueuesTest, AHeldSnapshotNeverChanges) {
  SharedQueues q;
  q.replace({{entry(1, 20), entry(2, 10)}, {entry(3, 5)}});
  const auto held = q.snapshot();
  const auto g = q.generation();

  EXPECT_EQ(q.updateMarks(1, 1), 1u);
  q.sort(QueueOrder::Date);
  q.replace({});

  EXPECT_EQ(held->AFT.size(), 2u);
  EXPECT_EQ(held->AFT[0].CASENR, 1u);
  EXPECT_EQ(held->AFT[0].NEWUPDATE, 0);
  EXPECT_EQ(held->BEF.size(), 1u);
  EXPECT_TRUE(q.snapshot()->AFT.empty());
  EXPECT_EQ(q.generation(), g + 3);
}

// Readers on other threads always see both queues of one and the same publication.
TEST(SharedQueuesTest, ReadersSeeWholePublicationsWhileOthersWrite) {
  SharedQueues q;
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0};
  std::vector<std::thread> readers;
  for (int i = 0; i < 3; ++i)
    readers.emplace_back([&] {
      while (!stop.load()) {
        const auto s = q.snapshot();
        if (s->AFT.size() != s->BEF.size()) ++torn;
        for (const QueueEntry& e : s->AFT)
          if (e.Date != static_cast<std::int32_t>(s->AFT.size())) ++torn;
      }
    });
  for (std::uint32_t n = 1; n <= 300; ++n) {
    QueueContents c;
    for (std::uint32_t k = 0; k < n % 40; ++k) {
      c.AFT.push_back(entry(k, static_cast<std::int32_t>(n % 40)));
      c.BEF.push_back(entry(k, 0));
    }
    q.replace(std::move(c));
    (void)q.updateMarks(n % 7, 1);
    q.sort(QueueOrder::Priority);
  }
  stop = true;
  for (auto& t : readers) t.join();
  EXPECT_EQ(torn.load(), 0);
}

}  // namespace
}  // namespace trv::core
