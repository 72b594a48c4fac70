#include "uninstall/folder_removal.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <set>
#include <vector>

#include "runtime/platform/registry.h"

namespace trv::uninstall {
namespace {

namespace fs = std::filesystem;

// Parts of an absolute path, without empty parts from doubled or trailing separators.
std::vector<std::string> partsOf(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i < path.size()) {
    std::size_t j = path.find('/', i);
    if (j == std::string::npos) j = path.size();
    if (j > i) parts.push_back(path.substr(i, j - i));
    i = j + 1;
  }
  return parts;
}

std::string joined(const std::vector<std::string>& parts) {
  std::string s;
  for (const auto& p : parts) s += "/" + p;
  return s.empty() ? "/" : s;
}

// A path as the parts joined by single separators; "" for an empty or relative one.
std::string normalised(const std::string& path) {
  return !path.empty() && path.front() == '/' ? joined(partsOf(path)) : std::string();
}

std::string envPath(const char* name) {
  const char* v = std::getenv(name);
  return v ? normalised(v) : std::string();
}

bool isAncestorOrSame(const std::string& folder, const std::string& other) {
  if (other.empty()) return false;
  if (folder == "/" || folder == other) return true;
  return other.size() > folder.size() && other.compare(0, folder.size(), folder) == 0 &&
         other[folder.size()] == '/';
}

// In the system's own trees: everything but what lies below /usr/local (other than its usual
// shared folders), below /var/opt, and below the other folders directly under the root.
bool isSystemFolder(const std::vector<std::string>& parts) {
  const std::string& top = parts[0];
  if (top.rfind("lib", 0) == 0) return true;  // /lib, /lib32, /lib64, /libx32
  static const std::set<std::string> kSystemTrees = {"etc",  "boot", "bin", "sbin",
                                                     "proc", "sys",  "dev", "run"};
  if (kSystemTrees.count(top)) return true;
  if (top == "usr") {
    if (parts.size() < 3 || parts[1] != "local") return true;
    static const std::set<std::string> kLocalShared = {"bin",   "etc",   "games",  "include", "lib",
                                                       "lib32", "lib64", "libx32", "libexec", "man",
                                                       "sbin",  "share", "src",    "opt"};
    return parts.size() == 3 && kLocalShared.count(parts[2]);
  }
  if (top == "var") return parts.size() < 3 || parts[1] != "opt";
  return false;
}

bool isProtected(const std::string& folder, const UserFolders& users) {
  const auto parts = partsOf(folder);
  if (parts.size() <= 1) return true;  // the root and every folder directly under it
  if (isSystemFolder(parts)) return true;

  const std::string home = normalised(users.home);
  if (isAncestorOrSame(folder, home)) return true;
  const bool inOwnHome = !home.empty() && isAncestorOrSame(home, folder);
  // Every folder in /home and /root is somebody's home.
  if ((parts[0] == "home" || parts[0] == "root") && !inOwnHome) return true;
  for (const auto& other : users.otherHomes) {
    const std::string h = normalised(other);
    if (h.empty() || h == "/" || h == home) continue;
    if (isAncestorOrSame(folder, h) || isAncestorOrSame(h, folder)) return true;
  }

  if (!home.empty()) {
    for (const char* secret : {".ssh", ".gnupg", ".pki"})
      if (isAncestorOrSame(home + "/" + secret, folder)) return true;
  }
  std::vector<std::string> desktop;
  for (const auto& f : users.desktopFolders) desktop.push_back(normalised(f));
  if (!home.empty()) {
    for (const char* sub : {".config", ".local", ".local/share", ".local/state", ".local/bin",
                            ".local/lib", ".cache", "Desktop", "Documents", "Downloads", "Music",
                            "Pictures", "Public", "Templates", "Videos", "bin"})
      desktop.push_back(home + "/" + sub);
  }
  if (std::any_of(desktop.begin(), desktop.end(),
                  [&](const std::string& f) { return isAncestorOrSame(folder, f); }))
    return true;

  const std::string registryFolder = normalised(folderOf(users.registryFile));
  return isAncestorOrSame(folder, registryFolder);
}

}  // namespace

std::string folderOf(const std::string& path) {
  const auto at = path.rfind('/');
  return at == std::string::npos ? std::string() : path.substr(0, at);
}

UserFolders UserFolders::ofThisUser() {
  UserFolders users;
  users.home = envPath("HOME");
  if (users.home.empty()) {
    if (const passwd* me = ::getpwuid(::getuid()); me && me->pw_dir) users.home = me->pw_dir;
  }
  for (const char* v :
       {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR",
        "XDG_DESKTOP_DIR", "XDG_DOCUMENTS_DIR", "XDG_DOWNLOAD_DIR"})
    users.desktopFolders.push_back(envPath(v));
  // System accounts keep their homes in the system's trees; people's homes can be anywhere.
  constexpr uid_t kFirstPerson = 1000, kNobody = 65534;
  const uid_t self = ::getuid();
  ::setpwent();
  while (const passwd* p = ::getpwent()) {
    if (p->pw_uid == self || !p->pw_dir) continue;
    if (p->pw_uid == 0 || (p->pw_uid >= kFirstPerson && p->pw_uid != kNobody))
      users.otherHomes.emplace_back(p->pw_dir);
  }
  ::endpwent();
  users.registryFile = platform::defaultRegistryFile().string();
  return users;
}

FolderCheck checkRemovableFolder(const std::string& folder) {
  return checkRemovableFolder(folder, UserFolders::ofThisUser());
}

FolderCheck checkRemovableFolder(const std::string& folder, const UserFolders& users) {
  if (folder.empty() || folder.front() != '/') return FolderCheck::kNotAbsolute;
  if (folder.size() > kMaxPathLength) return FolderCheck::kTooLong;
  const auto parts = partsOf(folder);
  if (std::any_of(parts.begin(), parts.end(),
                  [](const std::string& p) { return p == "." || p == ".."; }))
    return FolderCheck::kNotAbsolute;
  const std::string lexical = joined(parts);
  if (isProtected(lexical, users)) return FolderCheck::kProtected;
  // The folder itself as a link would have the removal empty whatever it points to.
  struct stat st;
  if (::lstat(lexical.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return FolderCheck::kProtected;
  // A folder reached through a link is judged by where it really is, too.
  std::error_code ec;
  const auto real = fs::weakly_canonical(lexical, ec);
  if (!ec && isProtected(joined(partsOf(real.string())), users)) return FolderCheck::kProtected;
  return FolderCheck::kOk;
}

bool FolderRemover::removeEntry(int dirFd, const char* name, bool isFolder,
                                const std::string& /*fullPath*/) {
  return ::unlinkat(dirFd, name, isFolder ? AT_REMOVEDIR : 0) == 0;
}

bool FolderRemover::removeTree(int parentFd, const char* name, const std::string& fullPath) {
  // O_NOFOLLOW: a folder swapped for a link meanwhile is not entered.
  const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  DIR* dir = ::fdopendir(fd);
  if (!dir) {
    ::close(fd);
    return false;
  }
  bool ok = true;
  for (;;) {
    errno = 0;
    const dirent* e = ::readdir(dir);
    if (!e) {
      ok = errno == 0;  // a listing error ends the removal with failure
      break;
    }
    if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
    const std::string child = fullPath + "/" + e->d_name;
    if (child.size() > kMaxPathLength) {
      ok = false;
      break;
    }
    struct stat st;
    if (::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
      ok = false;
      break;
    }
    const bool removed = S_ISDIR(st.st_mode) ? removeTree(fd, e->d_name, child)
                                             : removeEntry(fd, e->d_name, false, child);
    if (!removed) {
      ok = false;
      break;
    }
  }
  ::closedir(dir);
  return ok && removeEntry(parentFd, name, true, fullPath);
}

bool FolderRemover::removeFolder(const std::string& folder) {
  if (checkRemovableFolder(folder) != FolderCheck::kOk) return false;
  const auto parts = partsOf(folder);
  const std::string parent = joined({parts.begin(), parts.end() - 1});
  const int parentFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parentFd < 0) return false;
  const bool ok = removeTree(parentFd, parts.back().c_str(), joined(parts));
  ::close(parentFd);
  return ok;
}

}  // namespace trv::uninstall
