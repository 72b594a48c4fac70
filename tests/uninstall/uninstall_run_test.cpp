#include "uninstall/uninstall_run.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>

#include "runtime/platform/instance_registry.h"
#include "runtime/platform/registry.h"
#include "scripted_boxes.h"

namespace trv::uninstall {
namespace {

namespace fs = std::filesystem;
using platform::RegistryStatus;
using platform::RegistryValue;

const std::string kEntries = kInstalledSoftwareKey;
const std::string kProductEntry = kEntries + "\\Product";
const std::string kOtherEntry = kEntries + "\\Other";

// Fails the value changes it is told to, and passes everything else through.
class FaultyRegistry final : public platform::Registry {
 public:
  explicit FaultyRegistry(platform::Registry& base) : base_(base) {}
  bool failWrites = false, failDeletes = false;

  RegistryStatus findKey(std::string_view k) override { return base_.findKey(k); }
  RegistryStatus createKey(std::string_view k) override { return base_.createKey(k); }
  RegistryStatus deleteKey(std::string_view k) override { return base_.deleteKey(k); }
  platform::RegistryRead readValue(std::string_view k, std::string_view n) override {
    return base_.readValue(k, n);
  }
  RegistryStatus writeValue(std::string_view k, std::string_view n,
                            const RegistryValue& v) override {
    return failWrites ? RegistryStatus::kIoError : base_.writeValue(k, n, v);
  }
  RegistryStatus deleteValue(std::string_view k, std::string_view n) override {
    return failDeletes ? RegistryStatus::kIoError : base_.deleteValue(k, n);
  }
  platform::RegistryNames valueNames(std::string_view k) override { return base_.valueNames(k); }
  platform::RegistryNames subkeyNames(std::string_view k) override { return base_.subkeyNames(k); }

 private:
  platform::Registry& base_;
};

// Refuses to remove the entries it is told to, or every entry.
class StubbornRemover final : public FolderRemover {
 public:
  std::set<std::string> keep;
  bool keepAll = false;

 protected:
  bool removeEntry(int dirFd, const char* name, bool isFolder, const std::string& path) override {
    return !keepAll && !keep.count(path) && FolderRemover::removeEntry(dirFd, name, isFolder, path);
  }
};

// A sandbox: a temporary home holding the product's folder and the places its shared files
// stand in, and a temporary registry. Nothing outside the sandbox is ever deleted.
class UninstallRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() / ("trv_uninstall_" + std::to_string(::getpid()));
    fs::remove_all(root_);
    home_ = root_ / "home";
    setEnv("HOME", home_.string());
    setEnv("TRV_REGISTRY_FILE", (root_ / "registry").string());
    product_ = home_ / "Apps" / "Product Folder";
    fs::create_directories(product_ / ".hidden" / "deep");
    fs::create_directories(home_ / ".local" / "lib");
    fs::create_directories(home_ / ".local" / "bin");
    fs::create_directories(home_ / "outside");
    for (const auto& f : {product_ / "prog.bin", product_ / ".hidden" / "deep" / "x",
                          fs::path(lib("one.so")), fs::path(lib("three.so")),
                          fs::path(lib("also-one.so")), home_ / "outside" / "keep.txt", listed()})
      std::ofstream(f) << "data";
    // Links inside the folder point out of it; their targets must survive.
    fs::create_symlink(home_ / "outside" / "keep.txt", product_ / "link-to-file");
    fs::create_symlink(home_ / "outside", product_ / "link-to-folder");
    infoPath_ = (product_ / "uninst.dat").string();
    writeInfo("Product\nCheckProgramNotRunning\nProductWnd\n2\n" + listed().string() + "\n" +
              (product_ / "prog.bin").string() + "\n5\n" + lib("one.so") + "\n" + lib("three.so") +
              "\n" + lib("also-one.so") + "\n" + lib("zero.so") + "\n" + lib("wide.so") + "\n");

    ASSERT_EQ(registry_.createKey(kSharedFilesKey), RegistryStatus::kOk);
    ASSERT_EQ(registry_.createKey(kProductEntry), RegistryStatus::kOk);
    ASSERT_EQ(registry_.createKey(kOtherEntry), RegistryStatus::kOk);
    setCount("one.so", RegistryValue::dword(1));
    setCount("three.so", RegistryValue::dword(3));
    setCount("also-one.so", RegistryValue::dword(1));
    setCount("zero.so", RegistryValue::dword(0));
    setCount("wide.so", RegistryValue{platform::RegistryType::kBinary, std::string(8, '\1')});
  }
  void TearDown() override {
    fs::remove_all(root_);
    for (const auto& [name, value] : savedEnv_) {
      if (value)
        ::setenv(name.c_str(), value->c_str(), 1);
      else
        ::unsetenv(name.c_str());
    }
  }

  void setEnv(const char* name, const std::string& value) {
    const char* old = std::getenv(name);
    savedEnv_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    ::setenv(name, value.c_str(), 1);
  }
  fs::path listed() const { return home_ / ".local" / "bin" / "listed-tool"; }
  std::string lib(const char* name) const { return (home_ / ".local" / "lib" / name).string(); }
  void writeInfo(const std::string& text) { std::ofstream(infoPath_, std::ios::binary) << text; }
  void setCount(const char* name, const RegistryValue& v) {
    ASSERT_EQ(registry_.writeValue(kSharedFilesKey, lib(name), v), RegistryStatus::kOk);
  }
  platform::RegistryRead count(const char* name) {
    return registry_.readValue(kSharedFilesKey, lib(name));
  }
  int run(const std::string& commandLine) {
    UninstallEnvironment env{boxes_, faulty_, instances_, remover_, std::chrono::milliseconds(50)};
    return runProgram(CRefString(std::string_view(commandLine)), env);
  }
  void answerYesExcept(const std::string& textPart) {
    boxes_.answer = [textPart](const MessageBoxRequest& r) {
      if (r.buttons != MessageButtons::kYesNo) return r.defaultAnswer;
      return r.text.find(textPart) != std::string::npos ? MessageAnswer::kNo : MessageAnswer::kYes;
    };
  }

  fs::path root_, home_, product_;
  std::string infoPath_;
  std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv_;
  ScriptedBoxes boxes_;
  platform::FileRegistry registry_{fs::temp_directory_path() /
                                   ("trv_uninstall_" + std::to_string(::getpid())) / "registry"};
  FaultyRegistry faulty_{registry_};
  platform::InstanceRegistry instances_{
      fs::temp_directory_path() / ("trv_uninstall_" + std::to_string(::getpid())) / "inst", ":0"};
  StubbornRemover remover_;
};

TEST_F(UninstallRunTest, RemovesTheInstallation) {
  answerYesExcept("/one.so'");  // keep one.so, delete also-one.so
  EXPECT_EQ(run(infoPath_), kExitDone);

  EXPECT_FALSE(fs::exists(product_)) << "the folder goes, hidden subfolders and links included";
  EXPECT_FALSE(fs::exists(listed()));
  EXPECT_TRUE(fs::exists(home_ / "outside" / "keep.txt")) << "links are never followed";
  EXPECT_EQ(count("three.so").value, RegistryValue::dword(2));
  EXPECT_TRUE(fs::exists(lib("three.so")));
  EXPECT_EQ(count("one.so").status, RegistryStatus::kNotFound);
  EXPECT_TRUE(fs::exists(lib("one.so"))) << "answered No";
  EXPECT_EQ(count("also-one.so").status, RegistryStatus::kNotFound);
  EXPECT_FALSE(fs::exists(lib("also-one.so"))) << "answered Yes";
  EXPECT_EQ(count("zero.so").value, RegistryValue::dword(0)) << "a count of 0 is left alone";
  EXPECT_EQ(count("wide.so").value.data, std::string(8, '\1'));
  EXPECT_EQ(registry_.findKey(kProductEntry), RegistryStatus::kNotFound);
  EXPECT_EQ(registry_.findKey(kOtherEntry), RegistryStatus::kOk);

  ASSERT_EQ(boxes_.shown.size(), 4u);
  const auto& confirm = boxes_.shown[0];
  EXPECT_EQ(confirm.text, "Are you sure you want to completely remove Product?");
  EXPECT_EQ(confirm.caption, "Confirm File Deletion");
  EXPECT_EQ(confirm.defaultAnswer, MessageAnswer::kNo);
  EXPECT_EQ(boxes_.shown[1].text, "It appears that the file '" + lib("one.so") +
                                      "' is no longer needed, do you want to delete it?");
  EXPECT_EQ(boxes_.shown[1].defaultAnswer, MessageAnswer::kNo);
  EXPECT_EQ(boxes_.shown[3].text, "Product has been successfully removed from your computer.");
  EXPECT_EQ(boxes_.shown[3].caption, "Brontavelium");
}

TEST_F(UninstallRunTest, DecliningLeavesEverythingButTheProductIsAskedToClose) {
  std::unique_ptr<platform::InstanceRegistration> product;
  ASSERT_EQ(instances_.registerInstance("ProductWnd", "Product", product),
            platform::InstanceStatus::kOk);
  EXPECT_EQ(run(infoPath_), kExitDone);
  EXPECT_EQ(product->nextRequest(std::chrono::milliseconds(1000)),
            platform::InstanceRequest::kClose);
  EXPECT_TRUE(fs::exists(infoPath_));
  EXPECT_TRUE(fs::exists(listed()));
  EXPECT_EQ(count("three.so").value, RegistryValue::dword(3));
  EXPECT_EQ(boxes_.shown.size(), 1u);
}

TEST_F(UninstallRunTest, NothingIsRemovedWhileTheProductStillRuns) {
  std::unique_ptr<platform::InstanceRegistration> product;
  ASSERT_EQ(instances_.registerInstance("ProductWnd", "Product", product),
            platform::InstanceStatus::kOk);
  boxes_.answer = [](const MessageBoxRequest& r) {
    return r.buttons == MessageButtons::kYesNo ? MessageAnswer::kYes : r.defaultAnswer;
  };
  EXPECT_EQ(run(infoPath_), kExitDone);
  ASSERT_EQ(boxes_.shown.size(), 2u);
  EXPECT_EQ(boxes_.shown[1].buttons, MessageButtons::kRetryCancel);
  EXPECT_EQ(boxes_.shown[1].defaultAnswer, MessageAnswer::kCancel);
  EXPECT_TRUE(fs::exists(listed()));
  EXPECT_EQ(count("three.so").value, RegistryValue::dword(3));

  // Retry once the product has ended goes on with the removal.
  boxes_.shown.clear();
  boxes_.answer = [&](const MessageBoxRequest& r) {
    if (r.buttons == MessageButtons::kRetryCancel) {
      product.reset();
      return MessageAnswer::kRetry;
    }
    return r.buttons == MessageButtons::kYesNo ? MessageAnswer::kYes : r.defaultAnswer;
  };
  EXPECT_EQ(run(infoPath_), kExitDone);
  EXPECT_FALSE(fs::exists(product_));
}

TEST_F(UninstallRunTest, AFolderThatCannotBeRemovedKeepsTheEntry) {
  remover_.keep.insert((product_ / ".hidden" / "deep" / "x").string());
  answerYesExcept("no file");
  EXPECT_EQ(run(infoPath_), kExitDone);
  EXPECT_EQ(boxes_.texts().back(), "Unable to delete directory.");
  EXPECT_EQ(boxes_.shown.back().icon, MessageIcon::kError);
  EXPECT_EQ(registry_.findKey(kProductEntry), RegistryStatus::kOk);
  EXPECT_EQ(count("three.so").value, RegistryValue::dword(2)) << "what was done stays done";
  EXPECT_TRUE(fs::exists(product_ / ".hidden" / "deep" / "x"));
}

TEST_F(UninstallRunTest, RegistryFailuresAreReportedAndTheRunGoesOn) {
  answerYesExcept("no file");
  faulty_.failWrites = true;
  faulty_.failDeletes = true;
  EXPECT_EQ(run(infoPath_), kExitDone);
  const auto texts = boxes_.texts();
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "Unable to delete registry key."), 2);
  EXPECT_EQ(std::count(texts.begin(), texts.end(), "Unable to save registry key."), 1);
  EXPECT_FALSE(fs::exists(product_));

  // Without the shared-files key: one message, and the folder is still removed.
  fs::create_directories(product_);
  writeInfo("Product\n\n0\n1\n" + lib("three.so") + "\n");
  ASSERT_EQ(registry_.deleteKey(kSharedFilesKey), RegistryStatus::kOk);
  boxes_.shown.clear();
  EXPECT_EQ(run(infoPath_), kExitDone);
  ASSERT_EQ(boxes_.texts().size(), 3u);
  EXPECT_EQ(boxes_.texts()[1], "Unable to open registry key.");
  EXPECT_FALSE(fs::exists(product_));

  // With no shared files there is no key to open, and nothing to say about it.
  fs::create_directories(product_);
  writeInfo("Product\n\n0\n0\n");
  boxes_.shown.clear();
  EXPECT_EQ(run(infoPath_), kExitDone);
  EXPECT_EQ(boxes_.texts().size(), 2u);
  EXPECT_FALSE(fs::exists(product_));
}

TEST_F(UninstallRunTest, ANameThatIsNotAnEntryDeletesNoEntry) {
  answerYesExcept("no file");
  ASSERT_EQ(registry_.createKey(kEntries + "\\Other\\Sub"), RegistryStatus::kOk);
  struct Case {
    const char* name;
    const char* folder;
  };
  for (const Case c : {Case{"Other\\Sub", "Other Sub"}, Case{"Other\\", "Other"}}) {
    SCOPED_TRACE(c.name);
    const fs::path folder = home_ / "Apps" / c.folder;
    fs::create_directories(folder);
    std::ofstream((folder / "uninst.dat").string(), std::ios::binary)
        << std::string(c.name) + "\n\n0\n0\n";
    EXPECT_EQ(run((folder / "uninst.dat").string()), kExitDone);
    EXPECT_FALSE(fs::exists(folder));
    EXPECT_EQ(registry_.findKey(kEntries + "\\Other\\Sub"), RegistryStatus::kOk);
    EXPECT_EQ(registry_.findKey(kEntries), RegistryStatus::kOk);
  }
  // A product without a name names no folder: nothing is removed.
  writeInfo("\n\n0\n0\n");
  EXPECT_EQ(run(infoPath_), kExitFailed);
  EXPECT_TRUE(fs::exists(infoPath_));
  EXPECT_EQ(registry_.findKey(kEntries + "\\Other\\Sub"), RegistryStatus::kOk);
}

TEST_F(UninstallRunTest, RefusesFoldersThatAreNotTheProductsOwn) {
  const fs::path home = home_;
  fs::create_directories(home / ".config" / "app");
  fs::create_symlink(home_ / "outside", home_ / "P-linked");
  const std::string cases[] = {
      "uninst.dat",
      "relative/uninst.dat",
      "/uninst.dat",
      "/usr/uninst.dat",
      "/usr/lib/uninst.dat",
      "/etc/uninst.dat",
      "/etc/ssl/certs/uninst.dat",
      "/root/.ssh/uninst.dat",
      (home / "uninst.dat").string(),
      (home / ".config" / "uninst.dat").string(),
      home.parent_path().string() + "/uninst.dat",
      (product_ / ".." / "uninst.dat").string(),
      (home_ / "P-linked" / "uninst.dat").string(),
      (root_ / "P" / "uninst.dat").string(),
      "/mnt/P/uninst.dat",
      "/media/P/uninst.dat",
      "/" + std::string(5000, 'x') + "/uninst.dat",
  };
  answerYesExcept("no file");
  remover_.keepAll = true;  // should a folder pass the check wrongly, still nothing goes
  UninstallInfo info;
  ASSERT_TRUE(
      parseInformation(CRefString(("P\n\n1\n" + (listed()).string() + "\n0\n").c_str()), info));
  UninstallEnvironment env{boxes_, faulty_, instances_, remover_, std::chrono::milliseconds(50)};
  for (const auto& path : cases) {
    SCOPED_TRACE(path.substr(0, 100));
    boxes_.shown.clear();
    EXPECT_EQ(runUninstall(CRefString(std::string_view(path)), info, env), kExitFailed);
    ASSERT_EQ(boxes_.shown.size(), 1u);
    EXPECT_NE(boxes_.shown[0].text.find("cannot be removed"), std::string::npos);
    EXPECT_TRUE(fs::exists(listed()));
  }
  EXPECT_TRUE(fs::exists(home / ".config" / "app"));
  EXPECT_TRUE(fs::exists(home_ / "outside" / "keep.txt"));
  EXPECT_EQ(checkRemovableFolder((home / "Apps" / "P").string(), "P"), FolderCheck::kOk);
}

TEST_F(UninstallRunTest, ListedFilesNeverLeadOutThroughLinksOrDotParts) {
  std::ofstream(home_ / "outside" / "victim.txt") << "data";
  const std::string folder = product_.string();
  writeInfo("Product\n\n4\n" + folder + "/link-to-folder/keep.txt\n" + folder +
            "/../outside/victim.txt\n" + folder + "/.hidden/../../outside/victim.txt\n" +
            (listed()).string() + "\n0\n");
  answerYesExcept("no file");
  EXPECT_EQ(run(infoPath_), kExitDone);
  EXPECT_FALSE(fs::exists(product_));
  EXPECT_FALSE(fs::exists(listed())) << "a file outside may still be listed";
  EXPECT_TRUE(fs::exists(home_ / "outside" / "keep.txt"));
  EXPECT_TRUE(fs::exists(home_ / "outside" / "victim.txt"));
}

TEST_F(UninstallRunTest, FilesThatAreNotTheProductsOwnStayAndAreNamed) {
  const std::string pid = std::to_string(::getpid());
  for (const auto& f : {home_ / ".bashrc", home_ / ".ssh" / "id_rsa",
                        home_ / ".ssh" / "known_hosts", home_ / ".aws" / "credentials",
                        home_ / ".local" / "share" / "keyrings" / "login.keyring"}) {
    fs::create_directories(f.parent_path());
    std::ofstream(f) << "secret";
  }
  // A folder named after the product that leads into the secrets.
  fs::create_symlink(home_ / ".ssh", home_ / "Product keys");
  const std::vector<std::string> refused = {
      (home_ / ".bashrc").string(),
      (home_ / ".ssh" / "id_rsa").string(),
      (home_ / ".aws" / "credentials").string(),
      (home_ / ".local" / "share" / "keyrings" / "login.keyring").string(),
      (home_ / "Product keys" / "id_rsa").string(),
      (home_ / "outside" / "keep.txt").string(),
      // system trees and mounted drives, named by paths that do not exist
      "/etc/ssl/certs/trv-absent-" + pid + ".pem",
      "/usr/lib/trv-absent-" + pid + ".so",
      "/mnt/trv-absent-" + pid + "/file",
      "/media/trv-absent-" + pid + "/file",
  };
  std::string info = "Product\n\n" + std::to_string(refused.size() + 2) + "\n";
  for (const auto& path : refused) info += path + "\n";
  info += listed().string() + "\n" + (product_ / "prog.bin").string() + "\n";
  const std::string sharedSecret = (home_ / ".ssh" / "known_hosts").string();
  info += "1\n" + sharedSecret + "\n";
  writeInfo(info);
  ASSERT_EQ(registry_.writeValue(kSharedFilesKey, sharedSecret, RegistryValue::dword(1)),
            RegistryStatus::kOk);
  answerYesExcept("no file");

  EXPECT_EQ(run(infoPath_), kExitDone);
  for (const auto& path : refused) {
    if (path.rfind(home_.string(), 0) == 0) {
      EXPECT_TRUE(fs::exists(path)) << path;
    }
  }
  EXPECT_TRUE(fs::exists(sharedSecret));
  EXPECT_FALSE(fs::exists(listed())) << "a shared place outside the folder";
  EXPECT_FALSE(fs::exists(product_));
  EXPECT_EQ(registry_.readValue(kSharedFilesKey, sharedSecret).status, RegistryStatus::kNotFound)
      << "the count is still released";

  const auto texts = boxes_.texts();
  ASSERT_EQ(texts.size(), 2u) << "the refused shared file is not offered for deletion";
  const std::string& closing = texts.back();
  EXPECT_EQ(closing.rfind("Product has been successfully removed from your computer.\n\n"
                          "These files were left in place because they are not the product's "
                          "own to delete:\n",
                          0),
            0u)
      << closing;
  for (const auto& path : refused) EXPECT_NE(closing.find("\n" + path), std::string::npos) << path;
  EXPECT_NE(closing.find("\n" + sharedSecret), std::string::npos);
  EXPECT_EQ(closing.find(listed().string()), std::string::npos);
}

TEST_F(UninstallRunTest, CommandLineFailures) {
  EXPECT_EQ(run(""), kExitFailed);
  ASSERT_EQ(boxes_.texts().size(), 1u);
  EXPECT_EQ(boxes_.texts()[0], "This program cannot be run on its own!");
  EXPECT_EQ(boxes_.shown[0].icon, MessageIcon::kError);

  boxes_.shown.clear();
  EXPECT_EQ(run(" " + infoPath_), kExitFailed) << "blanks belong to the path";
  EXPECT_EQ(boxes_.texts(),
            std::vector<std::string>{"Unable to open the file ' " + infoPath_ + "'."});

  boxes_.shown.clear();
  writeInfo("Product\n\n2\n/a\n");
  EXPECT_EQ(run(infoPath_), kExitFailed);
  EXPECT_TRUE(boxes_.shown.empty()) << "a file cut short fails silently";
  EXPECT_TRUE(fs::exists(infoPath_));
}

}  // namespace
}  // namespace trv::uninstall

namespace trv::uninstall {
namespace {

TEST(FolderRemoval, APathTooLongIsNeverCutToAnother) {
  const std::string sandbox =
      (fs::temp_directory_path() / ("trv_longpath_" + std::to_string(::getpid()))).string();
  fs::remove_all(sandbox);
  const char* savedHome = std::getenv("HOME");
  const std::optional<std::string> keepHome =
      savedHome ? std::optional<std::string>(savedHome) : std::nullopt;
  ::setenv("HOME", (sandbox + "/home").c_str(), 1);
  const std::string top = sandbox + "/home/Product";
  fs::create_directories(top);
  // Deeper than the system's path limit, built relative to each open folder.
  const std::string part(200, 'd');
  int fd = ::open(top.c_str(), O_RDONLY | O_DIRECTORY);
  for (int depth = 0; depth < 22 && fd >= 0; ++depth) {
    ASSERT_EQ(::mkdirat(fd, part.c_str(), 0755), 0);
    const int next = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = next;
  }
  ASSERT_GE(fd, 0);
  ::close(::openat(fd, "file", O_CREAT | O_WRONLY, 0644));
  ::close(fd);

  EXPECT_FALSE(FolderRemover().removeFolder(top, "Product"));
  EXPECT_TRUE(fs::exists(top));
  EXPECT_FALSE(FolderRemover().removeFolder(top + "/missing", "Product"));
  fs::create_directories(sandbox + "/home/Product Two/sub");
  EXPECT_TRUE(FolderRemover().removeFolder(sandbox + "/home/Product Two", "Product"))
      << "a folder of the product's own that is not too deep goes";
  EXPECT_EQ(std::system(("rm -rf '" + sandbox + "'").c_str()), 0);
  if (keepHome)
    ::setenv("HOME", keepHome->c_str(), 1);
  else
    ::unsetenv("HOME");
}

}  // namespace
}  // namespace trv::uninstall
