// Which folders and files the uninstaller may remove. Only the checks are asked here: nothing is
// removed, and the paths judged mostly do not exist, so a wrong answer cannot cost a real file.

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>

#include "uninstall/folder_removal.h"
#include "uninstall/product_places.h"

namespace trv::uninstall {
namespace {

namespace fs = std::filesystem;

UserFolders alice() {
  UserFolders u;
  u.home = "/home/alice";
  u.desktopFolders = {"/home/alice/Stuff/Docs"};
  u.otherHomes = {"/home/bob", "/srv/people/carol", "/root", "/"};
  u.registryFile = "/home/alice/.local/share/trv/registry";
  u.mountPoints = {"/",
                   "/mnt/data",
                   "/media/usb",
                   "/home/alice/Drive",
                   "/opt/bound/data",
                   "/usr/local/bin/bound-tool"};
  u.packagePaths = {"/usr/local/share/ca-certificates", "/opt/google/chrome/chrome",
                    "/usr/local/bin/packaged-tool"};
  return u;
}

struct FolderCase {
  const char* folder;
  const char* product;
};

TEST(FolderCheck, RefusesWhatIsNotAProductsOwnFolder) {
  // A hostile information file names its product after the folder it wants gone: the product's
  // name is given to each case.
  const FolderCase refused[] = {
      {"/", "x"},
      {"/opt", "opt"},
      {"/home", "home"},
      {"/tmp", "tmp"},
      {"/usr/local", "local"},
      {"/var/opt", "opt"},
      {"/tmp/product", "product"},
      {"/data/product", "product"},
      // the system's own trees
      {"/etc/ssl/certs", "certs"},
      {"/etc/systemd/system", "system"},
      {"/usr/share/doc", "doc"},
      {"/usr/lib/x86_64-linux-gnu", "x86"},
      {"/usr/bin/x", "x"},
      {"/var/lib/dpkg", "dpkg"},
      {"/var/tmp/x", "x"},
      {"/boot/grub", "grub"},
      {"/lib/modules", "modules"},
      {"/lib64/x", "x"},
      {"/bin/x", "x"},
      {"/proc/1", "1"},
      {"/sys/kernel", "kernel"},
      {"/dev/shm", "shm"},
      {"/run/user/1000", "1000"},
      {"/snap/core", "core"},
      // /usr/local's own folders and what other programs keep in them
      {"/usr/local/bin", "bin"},
      {"/usr/local/share", "share"},
      {"/usr/local/lib", "lib"},
      {"/usr/local/etc", "etc"},
      {"/usr/local/etc/ssl", "ssl"},
      {"/usr/local/share/ca-certificates", "ca-certificates"},
      // whole drives and folders bound in from elsewhere, and what holds them
      {"/mnt/data", "data"},
      {"/media/usb", "usb"},
      {"/home/alice/Drive", "Drive"},
      {"/opt/bound", "bound"},
      {"/opt/bound/data", "data"},
      // what a package owns, or holds what it owns
      {"/opt/google", "google"},
      {"/opt/google/chrome", "chrome"},
      // other people's homes, whether the user database knows them or not
      {"/root", "root"},
      {"/root/.ssh", "ssh"},
      {"/root/app", "app"},
      {"/home/bob", "bob"},
      {"/home/bob/app", "app"},
      {"/home/dave/app", "app"},
      {"/srv/people", "people"},
      {"/srv/people/carol", "people"},
      {"/srv/people/carol/app", "people"},
      // the user's own home, what holds it, its desktop and secret folders
      {"/home/alice", "alice"},
      {"/home/alice/", "alice"},
      {"/home/alice/.ssh", "ssh"},
      {"/home/alice/.ssh/keys", "ssh"},
      {"/home/alice/.gnupg/private", "gnupg"},
      {"/home/alice/.aws", "aws"},
      {"/home/alice/.kube", "kube"},
      {"/home/alice/.docker", "docker"},
      {"/home/alice/.password-store", "password"},
      {"/home/alice/.local/share/keyrings", "keyrings"},
      {"/home/alice/.config", "config"},
      {"/home/alice/.local", "local"},
      {"/home/alice/.local/share", "share"},
      {"/home/alice/.cache", "cache"},
      {"/home/alice/Documents", "Documents"},
      {"/home/alice/Stuff/Docs", "Docs"},
      {"/home/alice/Stuff", "Stuff"},
      // the folder that holds the registry's file
      {"/home/alice/.local/share/trv", "trv"},
      // folders not named after the product
      {"/home/alice/Apps", "Product"},
      {"/srv/www", "Product"},
      {"/usr/local/other", "Product"},
      {"/usr/local/share/fonts", "Product"},
      {"/home/alice/Apps/Product", ""}};
  for (const auto& c : refused)
    EXPECT_EQ(checkRemovableFolder(c.folder, c.product, alice()), FolderCheck::kProtected)
        << c.folder << " for " << c.product;

  EXPECT_EQ(checkRemovableFolder("/opt/product/../../etc", "etc", alice()),
            FolderCheck::kNotAbsolute);
  EXPECT_EQ(checkRemovableFolder("/opt/./product", "product", alice()), FolderCheck::kNotAbsolute);
  EXPECT_EQ(checkRemovableFolder("opt/product", "product", alice()), FolderCheck::kNotAbsolute);
  EXPECT_EQ(checkRemovableFolder("/opt/" + std::string(5000, 'x'), "x", alice()),
            FolderCheck::kTooLong);
}

TEST(FolderCheck, AcceptsAnInstallationFolder) {
  const FolderCase accepted[] = {{"/opt/product", "Product"},
                                 {"/opt/vendor", "Product"},
                                 {"/opt/vendor/product", "Product"},
                                 {"/opt/vorn/anything", "Product"},
                                 {"/var/opt/product", "Product"},
                                 {"/usr/local/product", "Product"},
                                 {"/usr/local/share/product", "Product"},
                                 {"/usr/local/lib/product/plugins", "Product"},
                                 {"/srv/product", "Product"},
                                 {"/home/alice/.local/share/product", "Product"},
                                 {"/home/alice/.config/product", "Product"},
                                 {"/home/alice/Apps/Product", "Product"},
                                 {"/home/alice/Apps/Product/sub", "Product"},
                                 {"/home/alice/Stuff/Docs/product", "Product"},
                                 {"/home/alice/Drive/Product", "Product"},
                                 {"/home/alice/Vorn Trovanel 1.2", "Vorn Trovanel 1.2"},
                                 {"/home/alice/vorn-trovanel", "Vorn Trovanel 1.2"},
                                 {"/opt/google/earth", "Earth"}};
  for (const auto& c : accepted)
    EXPECT_EQ(checkRemovableFolder(c.folder, c.product, alice()), FolderCheck::kOk)
        << c.folder << " for " << c.product;

  // A home of "/" makes nothing the user's own.
  UserFolders rootless;
  rootless.home = "/";
  EXPECT_EQ(checkRemovableFolder("/etc/product", "product", rootless), FolderCheck::kProtected);
  EXPECT_EQ(checkRemovableFolder("/data/product", "product", rootless), FolderCheck::kProtected);

  // Root's own home is no other person's.
  UserFolders root;
  root.home = "/root";
  EXPECT_EQ(checkRemovableFolder("/root/.local/share/product", "product", root), FolderCheck::kOk);
  EXPECT_EQ(checkRemovableFolder("/root/.ssh", "ssh", root), FolderCheck::kProtected);
  EXPECT_EQ(checkRemovableFolder("/root", "root", root), FolderCheck::kProtected);
}

TEST(FolderCheck, ANameNamesTheProduct) {
  struct Case {
    const char* name;
    const char* product;
    bool names;
  };
  const Case cases[] = {{"Product", "Product", true},
                        {"product", "PRODUCT", true},
                        {"Product Folder", "Product", true},
                        {"vorn-trovanel", "Vorn Trovanel 1.2", true},
                        {"VornTrovanel12", "Vorn Trovanel 1.2", true},
                        {"acme.vorn", "Vorn", true},
                        {"vor", "Vorn Trovanel", false},
                        {"Apps", "Product", false},
                        {"Product", "", false},
                        {"...", "...", false},
                        {"trovanel", "Vorn Trovanel", false}};
  for (const auto& c : cases)
    EXPECT_EQ(namesProduct(c.name, c.product), c.names) << c.name << " for " << c.product;
}

TEST(ListedFileCheck, OnlyTheProductsOwnPlaces) {
  const std::string install = "/home/alice/Apps/Product";
  struct Case {
    const char* path;
    bool may;
  };
  const Case cases[] = {// in the installation folder
                        {"/home/alice/Apps/Product/prog.bin", true},
                        {"/home/alice/Apps/Product/sub/deep/file", true},
                        // outside it, where a product's shared file may stand
                        {"/usr/local/bin/product-tool", true},
                        {"/usr/local/lib/libshared.so", true},
                        {"/home/alice/.local/bin/product-tool", true},
                        {"/home/alice/.local/lib/libshared.so", true},
                        {"/home/alice/.local/share/product/cache", true},
                        {"/opt/vendor/lib/libshared.so", true},
                        // the user's files and secrets
                        {"/home/alice/.bashrc", false},
                        {"/home/alice/.profile", false},
                        {"/home/alice/.ssh/id_rsa", false},
                        {"/home/alice/.ssh/product/key", false},
                        {"/home/alice/.gnupg/secring.gpg", false},
                        {"/home/alice/.aws/credentials", false},
                        {"/home/alice/.kube/config", false},
                        {"/home/alice/.docker/config.json", false},
                        {"/home/alice/.password-store/bank.gpg", false},
                        {"/home/alice/.local/share/keyrings/login.keyring", false},
                        {"/home/alice/.config/autostart.desktop", false},
                        {"/home/alice/Documents/letter.txt", false},
                        {"/home/alice/.local/share/trv/registry", false},
                        // the system's trees, others' homes, other programs' folders
                        {"/etc/ssl/certs/x.pem", false},
                        {"/etc/passwd", false},
                        {"/usr/lib/libc.so.6", false},
                        {"/usr/local/etc/ssl/x.pem", false},
                        {"/usr/local/share/ca-certificates/x.crt", false},
                        {"/usr/local/bin/packaged-tool", false},
                        {"/opt/google/chrome/chrome", false},
                        {"/home/bob/.bashrc", false},
                        {"/root/.ssh/authorized_keys", false},
                        {"/tmp/x", false},
                        // on or under a mount
                        {"/mnt/data/file", false},
                        {"/media/usb/file", false},
                        {"/home/alice/Drive/file", false},
                        {"/usr/local/bin/bound-tool", false},
                        // paths that are not plainly what they say
                        {"/home/alice/Apps/Product/../../.bashrc", false},
                        {"/home/alice/Apps/Product/./prog.bin", false},
                        {"/home/alice/Apps/Product/sub/", false},
                        {"Apps/Product/prog.bin", false},
                        {"", false}};
  for (const auto& c : cases)
    EXPECT_EQ(mayDeleteListedFile(c.path, install, "Product", alice()), c.may) << c.path;

  // An installation folder that is refused allows nothing in it.
  EXPECT_FALSE(mayDeleteListedFile("/home/alice/.ssh/x", "/home/alice/.ssh", "ssh", alice()));
  EXPECT_FALSE(mayDeleteListedFile("/opt/bound/data/x", "/opt/bound", "bound", alice()));
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
  fs::create_directories(top / "home" / ".local" / "share" / "trv");
  fs::create_symlink(top / "home", top / "home-link");
  const ScopedEnv home("HOME", (top / "home").string());
  const ScopedEnv registry("TRV_REGISTRY_FILE",
                           (top / "home" / ".local" / "share" / "trv" / "registry").string());

  for (const fs::path& folder :
       {top / "home", top / "home" / ".local" / "share", top / "home-link" / ".local",
        top / "home" / ".local" / "share" / "trv", top / "product", fs::path("/etc/ssl/certs"),
        fs::path("/usr/share/doc"), fs::path("/var/lib/dpkg"), fs::path("/root/.ssh")})
    EXPECT_EQ(checkRemovableFolder(folder.string(), folder.filename().string()),
              FolderCheck::kProtected)
        << folder;
  for (const fs::path& folder :
       {top / "home" / ".local" / "share" / "product", top / "home" / "Apps" / "product",
        fs::path("/usr/local/product"), fs::path("/opt/product")})
    EXPECT_EQ(checkRemovableFolder(folder.string(), "product"), FolderCheck::kOk) << folder;
  fs::remove_all(top);
}

// Runs `body` in a child with a mount namespace of its own, so that the test can mount without
// touching the machine's mounts. The child's exit code: 0 passed, 77 no namespace to be had.
int inPrivateMountNamespace(const std::function<int()>& body) {
  const pid_t child = ::fork();
  if (child == 0) {
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    if (::unshare(CLONE_NEWNS) != 0) {
      if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) ::_exit(77);
      std::ofstream("/proc/self/setgroups") << "deny";
      std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
      std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) ::_exit(77);
    ::_exit(body());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(FolderCheck, MountPointsAreNeverAProductsOwn) {
  const fs::path top = fs::temp_directory_path() / ("trv_mounts_" + std::to_string(::getpid()));
  fs::remove_all(top);
  const fs::path home = top / "home", product = home / "Apps" / "Product";
  fs::create_directories(product / "data");
  fs::create_directories(home / "Drive" / "Product");
  fs::create_directories(home / ".local" / "bin");
  std::ofstream(home / ".local" / "bin" / "tool") << "x";
  const ScopedEnv homeEnv("HOME", home.string());
  const ScopedEnv registry("TRV_REGISTRY_FILE", (top / "registry").string());

  const int result = inPrivateMountNamespace([&] {
    auto tmpfs = [](const fs::path& at) {
      return ::mount("trvtest", at.c_str(), "tmpfs", 0, "size=1m") == 0;
    };
    if (!tmpfs(product / "data") || !tmpfs(home / "Drive")) return 77;
    std::error_code ec;
    fs::create_directories(home / "Drive" / "Product", ec);
    // A file bound over another is a mount point too.
    std::ofstream(top / "other") << "x";
    if (::mount((top / "other").c_str(), (home / ".local" / "bin" / "tool").c_str(), nullptr,
                MS_BIND, nullptr) != 0)
      return 77;
    int failures = 0;
    auto expect = [&](bool ok) { failures += ok ? 0 : 1; };
    expect(checkRemovableFolder(product.string(), "Product") == FolderCheck::kProtected);
    expect(checkRemovableFolder((product / "data").string(), "Product") == FolderCheck::kProtected);
    expect(checkRemovableFolder((home / "Drive").string(), "Drive") == FolderCheck::kProtected);
    expect(checkRemovableFolder((home / "Drive" / "Product").string(), "Product") ==
           FolderCheck::kOk);
    const UserFolders users = UserFolders::ofThisUser();
    expect(!mayDeleteListedFile((home / "Drive" / "file").string(), product.string(), "Product",
                                users));
    expect(!mayDeleteListedFile((home / ".local" / "bin" / "tool").string(), product.string(),
                                "Product", users));
    // The removal refuses the folder that holds a drive, and leaves the drive's files alone.
    std::ofstream(product / "data" / "on-the-drive") << "x";
    expect(!FolderRemover().removeFolder(product.string(), "Product"));
    expect(fs::exists(product / "data" / "on-the-drive"));
    return failures == 0 ? 0 : 1;
  });
  fs::remove_all(top);
  if (result == 77) GTEST_SKIP() << "no private mount namespace to be had here";
  EXPECT_EQ(result, 0);
}

}  // namespace
}  // namespace trv::uninstall
