#include "core/import/import_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "tests/support/temp_dir.h"

namespace trv::core {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

std::string read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(RenameWithoutReplacing, RenamesOnlyWhenTheNameIsFree) {
  testing::TempDir dir;
  const fs::path book = dir.path() / "Book.csv", vkt = dir.path() / "VKT.csv";
  write(book, "book");
  write(vkt, "older");
  EXPECT_EQ(renameWithoutReplacing(book, vkt), std::errc::file_exists);
  EXPECT_EQ(read(book), "book");
  EXPECT_EQ(read(vkt), "older");

  fs::remove(vkt);
  EXPECT_FALSE(renameWithoutReplacing(book, vkt));
  EXPECT_FALSE(fs::exists(book));
  EXPECT_EQ(read(vkt), "book");

  EXPECT_FALSE(renameWithoutReplacing(vkt, vkt));  // already its name
  EXPECT_EQ(read(vkt), "book");
  EXPECT_TRUE(renameWithoutReplacing(dir.path() / "missing.csv", dir.path() / "other.csv"));
}

}  // namespace
}  // namespace trv::core
