#include "uninstall/info_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "scripted_boxes.h"

namespace trv::uninstall {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> toVector(const CTextArray& a) {
  std::vector<std::string> v;
  for (int i = 0; i < a.count(); ++i) v.emplace_back(a[i].view());
  return v;
}

using Lines = std::vector<std::string>;

TEST(InformationFile, ParsesTheLinesAsWritten) {
  const struct {
    const char* name;
    std::string content;
    bool ok;
    bool close;
    std::string windowClass;
    Lines files;
    Lines shared;
  } cases[] = {
      {"nine lines",
       "Product\nCheckProgramNotRunning\nProdWnd\n2\n/p/a\n/p/b\n1\n/s/c\n",
       true,
       true,
       "ProdWnd",
       {"/p/a", "/p/b"},
       {"/s/c"}},
      {"empty line 2 makes line 3 the file count",
       "Product\n\n1\n/p/a\n0\n",
       true,
       false,
       "",
       {"/p/a"},
       {}},
      {"keyword with a carriage return",
       "Product\nCheckProgramNotRunning\r\n1\n/p/a\n0\n",
       true,
       false,
       "",
       {"/p/a"},
       {}},
      {"a carriage return stays in the value",
       "Product\r\nx\n1\n/p/a\r\n0\n",
       true,
       false,
       "",
       {"/p/a\r"},
       {}},
      {"count with a word after it",
       "P\n\n3 word\n/a\n/b\n/c\n0\n",
       true,
       false,
       "",
       {"/a", "/b", "/c"},
       {}},
      {"count of letters", "P\n\nabc\n0\n", true, false, "", {}, {}},
      {"leading blanks in a count",
       "P\n\n  2\n/a\n/b\n 1\n/s\n",
       true,
       false,
       "",
       {"/a", "/b"},
       {"/s"}},
      {"negative counts", "P\n\n-2\n-1\n", true, false, "", {}, {}},
      {"short shared list", "P\n\n0\n3\n/s1\n/s2\n", true, false, "", {}, {"/s1", "/s2"}},
      {"last shared path without its line feed",
       "P\n\n0\n2\n/s1\n/s2",
       true,
       false,
       "",
       {},
       {"/s1"}},
      {"short file list eats the shared count", "P\n\n3\n/a\n1\n/s\n", false, false, "", {}, {}},
      {"no shared count", "P\n\n1\n/a\n", false, false, "", {}, {}},
      {"missing shared count line feed", "P\n\n0\n1", false, false, "", {}, {}},
      {"no window class", "P\nCheckProgramNotRunning\n", false, false, "", {}, {}},
      {"only a name", "P\n", false, false, "", {}, {}},
      {"empty file", "", false, false, "", {}, {}},
      {"zero bytes in a path",
       std::string("P\n\n1\n/a\0b\n0\n", 12),
       true,
       false,
       "",
       {std::string("/a\0b", 4)},
       {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    UninstallInfo info;
    ASSERT_EQ(parseInformation(CRefString(std::string_view(c.content)), info), c.ok);
    if (!c.ok) continue;
    EXPECT_EQ(info.closeProgram, c.close);
    EXPECT_EQ(info.windowClass.view(), c.windowClass);
    EXPECT_EQ(toVector(info.files), c.files);
    EXPECT_EQ(toVector(info.sharedFiles), c.shared);
  }
}

TEST(InformationFile, HugeCountsStopAtTheEndOfTheFile) {
  UninstallInfo info;
  EXPECT_TRUE(parseInformation("P\n\n0\n99999999999999999999\n/s\n", info));
  EXPECT_EQ(toVector(info.sharedFiles), Lines{"/s"});
}

class InformationFileRead : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("trv_infofile_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  fs::path dir_;
  ScriptedBoxes boxes_;
  UninstallInfo info_;
};

TEST_F(InformationFileRead, ReadsTheWholeFile) {
  std::ofstream(dir_ / "uninst.dat", std::ios::binary) << "Product\n\n1\n/p/a\n0\n";
  EXPECT_TRUE(readInformationFile((dir_ / "uninst.dat").c_str(), boxes_, info_));
  EXPECT_EQ(info_.productName, "Product");
  EXPECT_TRUE(boxes_.shown.empty());
}

TEST_F(InformationFileRead, ReportsAFileThatCannotBeRead) {
  const std::string quoted = "\"" + (dir_ / "uninst.dat").string() + "\"";
  std::ofstream(dir_ / "uninst.dat") << "Product\n\n0\n0\n";
  EXPECT_FALSE(readInformationFile(quoted.c_str(), boxes_, info_));
  ASSERT_EQ(boxes_.shown.size(), 1u);
  EXPECT_EQ(boxes_.shown[0].text, "Unable to open the file '" + quoted + "'.");
  EXPECT_EQ(boxes_.shown[0].caption, "Brontavelium");
  EXPECT_EQ(boxes_.shown[0].icon, MessageIcon::kError);

  // A folder opens for reading on Linux, but cannot be read.
  boxes_.shown.clear();
  EXPECT_FALSE(readInformationFile(dir_.c_str(), boxes_, info_));
  ASSERT_EQ(boxes_.texts().size(), 1u);
  EXPECT_EQ(boxes_.texts()[0], "Error reading from the file '" + dir_.string() + "'.");
}

TEST_F(InformationFileRead, AnEmptyFileFailsWithoutAMessage) {
  std::ofstream(dir_ / "empty.dat");
  EXPECT_FALSE(readInformationFile((dir_ / "empty.dat").c_str(), boxes_, info_));
  EXPECT_TRUE(boxes_.shown.empty());
}

}  // namespace
}  // namespace trv::uninstall
