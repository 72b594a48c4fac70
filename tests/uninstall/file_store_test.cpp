#include "uninstall/file_store.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "uninstall/exceptions.h"
#include "uninstall/store_archive.h"

namespace trv::uninstall {
namespace {

namespace fs = std::filesystem;

class FileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("trv_filestore_" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  CRefString name(const char* file) { return CRefString((dir_ / file).string().c_str()); }
  void put(const char* file, const std::string& bytes) {
    std::ofstream(dir_ / file, std::ios::binary) << bytes;
  }
  std::string contents(const char* file) {
    std::ifstream in(dir_ / file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  fs::path dir_;
};

TEST(Exceptions, CodesHaveTheirTexts) {
  const struct {
    int code;
    const char* text;
  } cases[] = {
      {0, "Out of memory"},      {1, "Open failed"},
      {2, "IO failure"},         {3, "Data format error"},
      {6, "Connection failure"}, {7, "Unknown user identification code"},
      {8, "Internal Error"},     {9, "Initialisation Failure"},
      {4, "Unknown error"},      {-1, "Unknown error"},
  };
  for (const auto& c : cases) EXPECT_EQ(CBaseException(c.code).errorText(), c.text) << c.code;
  EXPECT_EQ(CFileStoreException(2, "").errorText(), "IO failure");
  EXPECT_EQ(CTextException(8, "detail").errorText(), "detail");
  EXPECT_EQ(CSystemErrorException(8, 0).errorText(), "Unknown error");
  EXPECT_EQ(CSystemErrorException(8, ENOENT).errorText(), std::strerror(ENOENT));
  EXPECT_STREQ(CFileStoreException(1, "why").what(), "why");
}

TEST_F(FileStoreTest, OpeningAMissingFileNamesItAndTheReason) {
  const CRefString missing = name("missing.dat");
  try {
    CFileStore store(missing, 1);
    FAIL() << "opened a missing file";
  } catch (const CBaseException& e) {
    EXPECT_EQ(e.code(), kOpenFailed);
    EXPECT_EQ(e.errorText().view(), std::string("Failed to open file '") + missing.c_str() +
                                        "': \r\nReason:\r\n" + std::strerror(ENOENT));
  }
  for (int badMode : {4, 5, 7, 9, -1}) {
    CFileStore store;
    EXPECT_THROW(store.open(missing, badMode), CFileStoreException) << badMode;
  }
  EXPECT_FALSE(fs::exists(dir_ / "missing.dat"));
}

TEST_F(FileStoreTest, LengthLeavesThePositionAlone) {
  put("data", "0123456789");
  CFileStore store(name("data"), 1);
  char b[4];
  ASSERT_EQ(store.read(b, 3), 3u);
  EXPECT_EQ(store.length(), 10);
  EXPECT_EQ(store.position(), 3);
  EXPECT_EQ(store.read(b, 4), 4u);
  EXPECT_EQ(std::string(b, 4), "3456");
  EXPECT_EQ(fileSize(name("data")), 10);
  EXPECT_EQ(fileSize(name("missing")), 0);
}

TEST_F(FileStoreTest, OpenModes) {
  put("keep", "abc");
  {
    CFileStore rw(name("keep"), 3);  // reads and writes without emptying
    EXPECT_EQ(rw.modeBit(), 1);
    char b[3];
    ASSERT_EQ(rw.read(b, 3), 3u);
    rw.write("d", 1);
  }
  EXPECT_EQ(contents("keep"), "abcd");
  { CFileStore created(name("new"), 3); }
  EXPECT_TRUE(fs::exists(dir_ / "new"));
  {
    CFileStore append(name("keep"), 8);
    EXPECT_EQ(append.modeBit(), 0);
    append.write("e", 1);
  }
  EXPECT_EQ(contents("keep"), "abcde");
  { CFileStore truncate(name("keep"), 2); }
  EXPECT_EQ(contents("keep"), "");
  CFileStore reader(name("keep"), 0);
  EXPECT_EQ(reader.modeBit(), 0);
  EXPECT_THROW(reader.write("x", 1), CFileStoreException) << "a read-only file refuses writes";
}

TEST_F(FileStoreTest, ArchiveRoundTrip) {
  CTextArray texts;
  for (const char* t : {"first", "", "third"}) texts.append(t);
  {
    CFileStore store(name("archive"), 2);
    CStoreArchive out(store);
    ASSERT_TRUE(out.isStoring());
    out.write<std::int8_t>(-2);
    out.write<std::uint16_t>(0xBEEF);
    out.write<std::int32_t>(-123456);
    out.write<std::uint64_t>(0x0102030405060708ull);
    out.write<double>(2.5);
    out.write<float>(-0.25f);
    out.writeText(CRefString(std::string_view("z\0z", 3)));
    transferTexts(out, texts);
    store.writeTagWord(0xCAFE);
  }
  const std::string bytes = contents("archive");
  EXPECT_EQ(bytes.substr(0, 3), "\xFE\xEF\xBE") << "numbers are little-endian";

  CFileStore store(name("archive"), 1);
  CStoreArchive in(store);
  ASSERT_TRUE(in.isLoading());
  EXPECT_EQ(in.read<std::int8_t>(), -2);
  EXPECT_EQ(in.read<std::uint16_t>(), 0xBEEF);
  EXPECT_EQ(in.read<std::int32_t>(), -123456);
  EXPECT_EQ(in.read<std::uint64_t>(), 0x0102030405060708ull);
  EXPECT_EQ(in.read<double>(), 2.5);
  EXPECT_EQ(in.read<float>(), -0.25f);
  EXPECT_EQ(in.readText().view(), std::string_view("z\0z", 3));
  CTextArray loaded;
  loaded.setCount(3);
  transferTexts(in, loaded);
  EXPECT_EQ(loaded[0], "first");
  EXPECT_TRUE(loaded[1].isEmpty());
  EXPECT_EQ(loaded[2], "third");
  EXPECT_EQ(store.readTagWord(), 0xCAFEu);
  EXPECT_EQ(store.readTagWord(), 0xCAFEu) << "cached once read";
  try {
    in.read<std::uint32_t>();
    FAIL() << "read past the end";
  } catch (const CBaseException& e) {
    EXPECT_EQ(e.code(), kDataFormatError);
  }
}

TEST_F(FileStoreTest, ADamagedTextLengthIsADataFormatError) {
  put("damaged", std::string("\xff\xff\xff\x7f"
                             "abc",
                             7));
  CFileStore store(name("damaged"), 1);
  CStoreArchive in(store);
  EXPECT_THROW(in.readText(), CFileStoreException);
}

}  // namespace
}  // namespace trv::uninstall
