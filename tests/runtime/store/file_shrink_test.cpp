#include "runtime/store/file_shrink.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "tests/runtime/store/test_files.h"

namespace trv::store {
namespace {

using testing::TempFolder;

std::uintmax_t sizeOf(const std::string& path) {
  return std::filesystem::file_size(path);
}

// A 100 MB file goes in steps of 16 MB with a turn after each but the last; a false turn has the
// rest freed at once; a missing file is already empty; a file that cannot be written, or that
// has another name, is kept.
TEST(FileShrinkTest, EmptiesInStepsWithTurnsBetween) {
  TempFolder dir;
  const std::string file = dir.file("big.csv");
  struct Case {
    bool keepGoing;
    int turns;
  };
  for (const Case c : {Case{true, 6}, Case{false, 1}}) {
    { std::ofstream(file).put('x'); }
    ASSERT_EQ(::truncate(file.c_str(), 100 << 20), 0);
    int turns = 0;
    std::vector<std::uintmax_t> sizes;
    EXPECT_TRUE(shrinkInSteps(file, [&] {
      ++turns;
      sizes.push_back(sizeOf(file));
      return c.keepGoing;
    }));
    EXPECT_EQ(turns, c.turns);
    EXPECT_EQ(sizes.front(), std::uintmax_t{84} << 20);
    EXPECT_EQ(sizeOf(file), 0u);
  }
  // A file with another name is theirs too.
  ASSERT_EQ(::truncate(file.c_str(), 1000), 0);
  ASSERT_EQ(::link(file.c_str(), dir.file("kept.csv").c_str()), 0);
  EXPECT_FALSE(shrinkInSteps(file, [] { return true; }));
  EXPECT_EQ(sizeOf(dir.file("kept.csv")), 1000u);
  EXPECT_TRUE(shrinkInSteps(dir.file("missing.csv"), [] { return true; }));
}

// Cut to a length: the steps stop there, and a file already as short is left as it is, whatever
// its other names.
TEST(FileShrinkTest, CutsToALength) {
  TempFolder dir;
  const std::string file = dir.file("export.csv");
  { std::ofstream(file).put('x'); }
  ASSERT_EQ(::truncate(file.c_str(), 40 << 20), 0);
  int turns = 0;
  EXPECT_TRUE(shrinkInSteps(
      file, [&] { return ++turns > 0; }, 10u << 20));
  EXPECT_EQ(turns, 1);  // 40 -> 24 -> 10 MB
  EXPECT_EQ(sizeOf(file), std::uintmax_t{10} << 20);
  ASSERT_EQ(::link(file.c_str(), dir.file("other.csv").c_str()), 0);
  EXPECT_TRUE(shrinkInSteps(file, {}, 20u << 20));
  EXPECT_EQ(sizeOf(file), std::uintmax_t{10} << 20);
  EXPECT_FALSE(shrinkInSteps(dir.path(), [] { return true; }));
}

}  // namespace
}  // namespace trv::store
