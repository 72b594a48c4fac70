// Which folders the uninstaller may remove. Only the check is asked here: nothing is removed,
// so a wrong answer cannot cost a real folder.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "uninstall/folder_removal.h"

namespace trv::uninstall {
namespace {

namespace fs = std::filesystem;

UserFolders alice() {
  UserFolders u;
  u.home = "/home/alice";
  u.desktopFolders = {"/home/alice/Stuff/Docs"};
  u.otherHomes = {"/home/bob", "/srv/people/carol", "/root", "/"};
  u.registryFile = "/home/alice/.local/share/trv/registry";
  return u;
}

TEST(FolderCheck, RefusesWhatIsNotAProductsOwnFolder) {
  const char* const refused[] = {
      "/", "/opt", "/home", "/tmp", "/usr/local", "/var/opt",
      // the system's own trees
      "/etc/ssl/certs", "/etc/systemd/system", "/usr/share/doc", "/usr/lib/x86_64-linux-gnu",
      "/usr/bin/x", "/var/lib/dpkg", "/var/tmp/x", "/var/opt", "/boot/grub", "/lib/modules",
      "/lib64/x", "/libx32/x", "/bin/x", "/sbin/x", "/proc/1", "/sys/kernel", "/dev/shm",
      "/run/user/1000", "/usr/local/bin", "/usr/local/share", "/usr/local/lib",
      // other people's homes, whether the user database knows them or not
      "/root", "/root/.ssh", "/root/app", "/home/bob", "/home/bob/app", "/home/dave/app",
      "/srv/people/carol", "/srv/people/carol/app", "/srv/people",
      // the user's own home, what holds it, its desktop and secret folders
      "/home/alice", "/home/alice/", "/home/alice/.ssh", "/home/alice/.ssh/keys",
      "/home/alice/.gnupg/private", "/home/alice/.config", "/home/alice/.local",
      "/home/alice/.local/share", "/home/alice/.cache", "/home/alice/Documents",
      "/home/alice/Stuff/Docs", "/home/alice/Stuff",
      // the folder that holds the registry's file
      "/home/alice/.local/share/trv"};
  for (const char* folder : refused)
    EXPECT_EQ(checkRemovableFolder(folder, alice()), FolderCheck::kProtected) << folder;

  EXPECT_EQ(checkRemovableFolder("/opt/product/../../etc", alice()), FolderCheck::kNotAbsolute);
  EXPECT_EQ(checkRemovableFolder("/opt/./product", alice()), FolderCheck::kNotAbsolute);
  EXPECT_EQ(checkRemovableFolder("opt/product", alice()), FolderCheck::kNotAbsolute);
  EXPECT_EQ(checkRemovableFolder("/" + std::string(5000, 'x'), alice()), FolderCheck::kTooLong);
}

TEST(FolderCheck, AcceptsAnInstallationFolder) {
  const char* const accepted[] = {"/opt/product",
                                  "/opt/vendor/product",
                                  "/usr/local/product",
                                  "/usr/local/share/product",
                                  "/var/opt/product",
                                  "/srv/product",
                                  "/home/alice/.local/share/product",
                                  "/home/alice/.config/product",
                                  "/home/alice/Apps/Product",
                                  "/home/alice/Stuff/Docs/product"};
  for (const char* folder : accepted)
    EXPECT_EQ(checkRemovableFolder(folder, alice()), FolderCheck::kOk) << folder;

  // Root's own home is no other person's.
  UserFolders root;
  root.home = "/root";
  EXPECT_EQ(checkRemovableFolder("/root/.local/share/product", root), FolderCheck::kOk);
  EXPECT_EQ(checkRemovableFolder("/root/.ssh", root), FolderCheck::kProtected);
  EXPECT_EQ(checkRemovableFolder("/root", root), FolderCheck::kProtected);
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const std::string& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    ::setenv(name, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (old_)
      ::setenv(name_, old_->c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

TEST(FolderCheck, TakesTheUsersFoldersFromTheEnvironment) {
  const fs::path top =
      fs::temp_directory_path() / ("trv_foldercheck_" + std::to_string(::getpid()));
  fs::remove_all(top);
  fs::create_directories(top / "home" / ".local" / "share");
  fs::create_directories(top / "shared" / "trv");
  fs::create_symlink(top / "home", top / "home-link");
  const ScopedEnv home("HOME", (top / "home").string());
  const ScopedEnv registry("TRV_REGISTRY_FILE", (top / "shared" / "trv" / "registry").string());

  for (const fs::path& folder :
       {top / "home", top / "home" / ".local" / "share", top / "home-link" / ".local",
        top / "shared" / "trv", top / "shared", fs::path("/etc/ssl/certs"),
        fs::path("/usr/share/doc"), fs::path("/var/lib/dpkg"), fs::path("/root/.ssh")})
    EXPECT_EQ(checkRemovableFolder(folder.string()), FolderCheck::kProtected) << folder;
  for (const fs::path& folder : {top / "home" / ".local" / "share" / "product", top / "product",
                                 fs::path("/usr/local/product"), fs::path("/opt/product")})
    EXPECT_EQ(checkRemovableFolder(folder.string()), FolderCheck::kOk) << folder;
  fs::remove_all(top);
}

}  // namespace
}  // namespace trv::uninstall
