#include "uninstall/file_deletion.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace trv::uninstall {
namespace {

namespace fs = std::filesystem;

// A product folder beside an outside folder, with links from one to the other.
class ListedFileDeletion : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("trv_listed_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "product" / "sub");
    fs::create_directories(root_ / "outside" / "folder");
    for (const auto& f : {root_ / "product" / "file", root_ / "product" / "sub" / "file",
                          root_ / "outside" / "victim.txt"})
      std::ofstream(f) << "data";
    fs::create_symlink(root_ / "outside", root_ / "product" / "link-to-folder");
    fs::create_symlink(root_ / "outside" / "victim.txt", root_ / "product" / "link-to-file");
    fs::create_symlink(root_ / "outside", root_ / "linked-outside");
  }
  void TearDown() override { fs::remove_all(root_); }

  std::string at(const std::string& rel) const { return root_.string() + "/" + rel; }

  fs::path root_;
};

TEST_F(ListedFileDeletion, NeverReachesThroughLinksOrDotParts) {
  const std::string refused[] = {
      at("product/link-to-folder/victim.txt"),
      at("product/../outside/victim.txt"),
      at("product/sub/../../outside/victim.txt"),
      at("linked-outside/victim.txt"),
      at("product/./file"),
      at("product/file/"),
      at("outside/folder"),
      at("product/sub"),
      at("product/missing/file"),
      at("outside/victim.txt") + std::string(1, '\0') + "x",
      "product/file",
      "",
  };
  for (const auto& path : refused) {
    SCOPED_TRACE(path);
    EXPECT_FALSE(deleteListedFile(path));
  }
  EXPECT_TRUE(fs::exists(root_ / "outside" / "victim.txt"));
  EXPECT_TRUE(fs::exists(root_ / "outside" / "folder"));
  EXPECT_TRUE(fs::exists(root_ / "product" / "file"));
  EXPECT_TRUE(fs::exists(root_ / "product" / "sub"));
}

TEST_F(ListedFileDeletion, DeletesTheEntryItselfInsideOrOutsideTheFolder) {
  EXPECT_TRUE(deleteListedFile(at("product/sub/file")));
  EXPECT_FALSE(fs::exists(root_ / "product" / "sub" / "file"));
  EXPECT_TRUE(deleteListedFile(at("product//file")));
  EXPECT_FALSE(fs::exists(root_ / "product" / "file"));

  // A listed link goes itself; what it points to stays.
  EXPECT_TRUE(deleteListedFile(at("product/link-to-file")));
  EXPECT_FALSE(fs::is_symlink(root_ / "product" / "link-to-file"));
  EXPECT_TRUE(deleteListedFile(at("product/link-to-folder")));
  EXPECT_FALSE(fs::is_symlink(root_ / "product" / "link-to-folder"));
  EXPECT_TRUE(fs::exists(root_ / "outside" / "victim.txt"));

  // A file outside the product's folder may be listed, under the same rules.
  EXPECT_TRUE(deleteListedFile(at("outside/victim.txt")));
  EXPECT_FALSE(fs::exists(root_ / "outside" / "victim.txt"));
  EXPECT_FALSE(deleteListedFile(at("outside/victim.txt"))) << "already gone";
}

}  // namespace
}  // namespace trv::uninstall
