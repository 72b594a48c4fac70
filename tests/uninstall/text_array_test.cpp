#include "uninstall/text_array.h"

#include <gtest/gtest.h>

#include <vector>

namespace trv::uninstall {
namespace {

TEST(TextArray, GrowsByFourTimesTheLastStep) {
  CTextArray a;
  const struct {
    int appends;
    int capacity;
  } steps[] = {{1, 4}, {4, 4}, {5, 20}, {20, 20}, {21, 84}, {85, 340}};
  int done = 0;
  for (const auto& s : steps) {
    for (; done < s.appends; ++done) EXPECT_EQ(a.append(CRefString(std::to_string(done))), done);
    EXPECT_EQ(a.capacity(), s.capacity) << "after " << s.appends << " appends";
  }
  for (int i = 0; i < a.count(); ++i) ASSERT_EQ(a[i], std::to_string(i).c_str());
}

TEST(TextArray, TheGrowthStepIsCapped) {
  CTextArray a;
  std::vector<int> increments;
  const CRefString text("x");
  while (increments.size() < 10) {
    const int before = a.capacity();
    a.append(text);
    if (a.capacity() != before) increments.push_back(a.capacity() - before);
  }
  EXPECT_EQ(increments,
            (std::vector<int>{4, 16, 64, 256, 1024, 4096, 16384, 65536, 262144, 262144}));
}

TEST(TextArray, RemoveAndSetCount) {
  CTextArray a;
  for (const char* t : {"a", "b", "c", "d", "e"}) a.append(t);
  a.removeAt(1, 2);
  ASSERT_EQ(a.count(), 3);
  EXPECT_EQ(a[1], "d");
  a.removeAt(2, 99);
  a.removeAt(-1);
  a.removeAt(5);
  ASSERT_EQ(a.count(), 2);
  EXPECT_EQ(a[1], "d");

  a.setCount(4);
  EXPECT_TRUE(a[3].isEmpty());
  a.setCount(1);
  EXPECT_EQ(a.capacity(), 1);
  a.append("x");
  EXPECT_EQ(a.capacity(), 5) << "shrinking starts the growth step again";
  a.removeAll();
  EXPECT_EQ(a.count(), 0);
  EXPECT_EQ(a.capacity(), 0);
}

}  // namespace
}  // namespace trv::uninstall
