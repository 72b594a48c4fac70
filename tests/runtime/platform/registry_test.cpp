#include "runtime/platform/registry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <thread>

namespace trv::platform {
namespace {

constexpr const char* kShared = "HKEY_LOCAL_MACHINE\\Software\\Vendor\\Shared";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("trv_registry_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    file_ = dir_ / "sub" / "registry";
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string fileText() {
    std::ifstream in(file_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::filesystem::path dir_, file_;
};

TEST_F(RegistryTest, ValuesSurviveInTheFileForAnotherReader) {
  FileRegistry writer(file_);
  EXPECT_EQ(writer.findKey(kShared), RegistryStatus::kNotFound);
  ASSERT_EQ(writer.createKey(kShared), RegistryStatus::kOk);
  // Names with quotes, escapes, line ends and 8-bit bytes; data with zero bytes.
  const std::vector<std::pair<std::string, RegistryValue>> values = {
      {"/usr/lib/libshared.so", RegistryValue::dword(3)},
      {"C:\\Odd \"name\"\n=x", RegistryValue::string("text with \"quotes\" and \\")},
      {"caf\xe9", RegistryValue{RegistryType::kBinary, std::string("\0\x01\xff", 3)}},
      {"empty", RegistryValue{RegistryType(7), ""}},
  };
  for (const auto& [name, v] : values)
    ASSERT_EQ(writer.writeValue(kShared, name, v), RegistryStatus::kOk);

  FileRegistry reader(file_);
  for (const auto& [name, v] : values) {
    auto r = reader.readValue(kShared, name);
    ASSERT_EQ(r.status, RegistryStatus::kOk) << name;
    EXPECT_EQ(r.value, v) << name;
  }
  auto names = reader.valueNames(kShared);
  ASSERT_EQ(names.status, RegistryStatus::kOk);
  EXPECT_EQ(names.names.size(), values.size());
  EXPECT_NE(fileText().find("\"/usr/lib/libshared.so\"=dword:00000003"), std::string::npos);
}

TEST_F(RegistryTest, ALinkPlantedAtTheTemporaryNameIsNeverFollowed) {
  std::filesystem::create_directories(file_.parent_path());
  const auto victim = dir_ / "victim";
  std::ofstream(victim) << "keep";
  const std::string temp = file_.string() + ".tmp" + std::to_string(::getpid());
  std::filesystem::create_symlink(victim, temp);
  FileRegistry registry(file_);
  ASSERT_EQ(registry.createKey(kShared), RegistryStatus::kOk);
  std::ifstream in(victim);
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "keep");
  EXPECT_FALSE(std::filesystem::is_symlink(file_));
  EXPECT_EQ(FileRegistry(file_).findKey(kShared), RegistryStatus::kOk);
}

TEST_F(RegistryTest, NamesIgnoreLetterCaseAndKeepTheirSpelling) {
  FileRegistry reg(file_);
  ASSERT_EQ(reg.createKey("HKEY_LOCAL_MACHINE\\Software\\Uninstall\\Product One"),
            RegistryStatus::kOk);
  EXPECT_EQ(reg.findKey("hkey_local_machine\\SOFTWARE\\uninstall\\product one"),
            RegistryStatus::kOk);
  ASSERT_EQ(reg.writeValue(kShared, "x", RegistryValue::dword(1)), RegistryStatus::kNotFound);
  ASSERT_EQ(reg.createKey(kShared), RegistryStatus::kOk);
  ASSERT_EQ(reg.writeValue(kShared, "Count", RegistryValue::dword(1)), RegistryStatus::kOk);
  ASSERT_EQ(reg.writeValue(kShared, "COUNT", RegistryValue::dword(2)), RegistryStatus::kOk);
  EXPECT_EQ(reg.readValue(kShared, "count").value, RegistryValue::dword(2));
  EXPECT_EQ(reg.valueNames(kShared).names, std::vector<std::string>{"Count"});
  auto subkeys = reg.subkeyNames("HKEY_LOCAL_MACHINE\\Software");
  EXPECT_EQ(subkeys.names, (std::vector<std::string>{"Uninstall", "Vendor"}));
}

TEST_F(RegistryTest, DeletesOnlyWhatItNames) {
  FileRegistry reg(file_);
  const std::string list = "HKEY_LOCAL_MACHINE\\Software\\Uninstall";
  ASSERT_EQ(reg.createKey(list + "\\A"), RegistryStatus::kOk);
  ASSERT_EQ(reg.createKey(list + "\\B"), RegistryStatus::kOk);
  ASSERT_EQ(reg.writeValue(list + "\\A", "DisplayName", RegistryValue::string("A")),
            RegistryStatus::kOk);

  EXPECT_EQ(reg.deleteKey(list), RegistryStatus::kHasSubkeys);
  EXPECT_EQ(reg.deleteKey(list + "\\"), RegistryStatus::kInvalidName);
  EXPECT_EQ(reg.deleteKey(list + "\\A"), RegistryStatus::kOk);
  EXPECT_EQ(reg.deleteKey(list + "\\A"), RegistryStatus::kNotFound);
  EXPECT_EQ(reg.findKey(list + "\\B"), RegistryStatus::kOk);
  EXPECT_EQ(reg.createKey(list + "\\A"), RegistryStatus::kOk);
  EXPECT_EQ(reg.readValue(list + "\\A", "DisplayName").status, RegistryStatus::kNotFound)
      << "a deleted key takes its values with it";

  ASSERT_EQ(reg.writeValue(list, "v", RegistryValue::dword(1)), RegistryStatus::kOk);
  EXPECT_EQ(reg.deleteValue(list, "V"), RegistryStatus::kOk);
  EXPECT_EQ(reg.deleteValue(list, "v"), RegistryStatus::kNotFound);
}

TEST_F(RegistryTest, RefusesMalformedKeyPaths) {
  FileRegistry reg(file_);
  for (const char* bad :
       {"", "\\", "\\Software", "Software\\", "Software\\\\Vendor", "Soft\nware"}) {
    EXPECT_EQ(reg.createKey(bad), RegistryStatus::kInvalidName) << bad;
    EXPECT_EQ(reg.findKey(bad), RegistryStatus::kInvalidName) << bad;
  }
  EXPECT_FALSE(std::filesystem::exists(file_));
}

TEST_F(RegistryTest, AMalformedStoreIsReportedAndLeftAlone) {
  std::filesystem::create_directories(file_.parent_path());
  const std::string garbage = "[Software]\nnot a value line\n";
  std::ofstream(file_, std::ios::binary) << garbage;
  FileRegistry reg(file_);
  EXPECT_EQ(reg.findKey("Software"), RegistryStatus::kMalformed);
  EXPECT_EQ(reg.createKey("Software\\X"), RegistryStatus::kMalformed);
  EXPECT_EQ(fileText(), garbage);
}

TEST_F(RegistryTest, AStoreThatCannotBeWrittenIsAnError) {
  // A regular file where the store's folder should be: nothing can be created below it.
  std::filesystem::create_directories(dir_);
  std::ofstream(dir_ / "sub") << "x";
  FileRegistry reg(file_);
  EXPECT_EQ(reg.createKey(kShared), RegistryStatus::kIoError);
}

TEST_F(RegistryTest, ConcurrentWritersLoseNoChange) {
  ASSERT_EQ(FileRegistry(file_).createKey(kShared), RegistryStatus::kOk);
  std::vector<std::thread> writers;
  for (int t = 0; t < 4; ++t) {
    writers.emplace_back([&, t] {
      FileRegistry reg(file_);
      for (int i = 0; i < 20; ++i)
        EXPECT_EQ(reg.writeValue(kShared, std::to_string(t * 100 + i), RegistryValue::dword(i)),
                  RegistryStatus::kOk);
    });
  }
  for (auto& w : writers) w.join();
  EXPECT_EQ(FileRegistry(file_).valueNames(kShared).names.size(), 80u);
}

TEST(RegistryLocation, EnvironmentChoosesTheFile) {
  ::setenv("TRV_REGISTRY_FILE", "/tmp/reg-a", 1);
  EXPECT_EQ(FileRegistry().file(), "/tmp/reg-a");
  ::unsetenv("TRV_REGISTRY_FILE");
  ::setenv("XDG_DATA_HOME", "/tmp/xdg-data", 1);
  EXPECT_EQ(defaultRegistryFile(), "/tmp/xdg-data/trv/registry");
  ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace trv::platform
