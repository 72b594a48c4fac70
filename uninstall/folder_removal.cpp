#include "uninstall/folder_removal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

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

std::string envPath(const char* name) {
  const char* v = std::getenv(name);
  return v && *v == '/' ? joined(partsOf(v)) : std::string();
}

bool isAncestorOrSame(const std::string& folder, const std::string& other) {
  if (other.empty()) return false;
  if (folder == "/" || folder == other) return true;
  return other.size() > folder.size() && other.compare(0, folder.size(), folder) == 0 &&
         other[folder.size()] == '/';
}

bool isProtected(const std::string& folder) {
  const auto parts = partsOf(folder);
  if (parts.size() <= 1) return true;  // the root and every folder directly under it
  static const char* const kSystemParents[] = {"/usr", "/var",  "/usr/local", "/etc", "/boot",
                                               "/dev", "/proc", "/sys",       "/run"};
  const std::string parent = joined({parts.begin(), parts.end() - 1});
  // /usr/lib, /var/lib, /usr/local/bin, /etc/ssl ...
  for (const char* p : kSystemParents)
    if (parent == p) return true;
  const std::string home = envPath("HOME");
  if (isAncestorOrSame(folder, home)) return true;
  std::vector<std::string> userFolders;
  for (const char* v :
       {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME", "XDG_RUNTIME_DIR"})
    userFolders.push_back(envPath(v));
  if (!home.empty()) {
    for (const char* sub :
         {".config", ".local", ".local/share", ".local/state", ".local/bin", ".cache", "Desktop",
          "Documents", "Downloads", "Music", "Pictures", "Public", "Templates", "Videos", "bin"})
      userFolders.push_back(home + "/" + sub);
  }
  return std::any_of(userFolders.begin(), userFolders.end(), [&](const std::string& f) {
    return !f.empty() && isAncestorOrSame(folder, f);
  });
}

}  // namespace

std::string folderOf(const std::string& path) {
  const auto at = path.rfind('/');
  return at == std::string::npos ? std::string() : path.substr(0, at);
}

FolderCheck checkRemovableFolder(const std::string& folder) {
  if (folder.empty() || folder.front() != '/') return FolderCheck::kNotAbsolute;
  if (folder.size() > kMaxPathLength) return FolderCheck::kTooLong;
  const auto parts = partsOf(folder);
  if (std::any_of(parts.begin(), parts.end(),
                  [](const std::string& p) { return p == "." || p == ".."; }))
    return FolderCheck::kNotAbsolute;
  const std::string lexical = joined(parts);
  if (isProtected(lexical)) return FolderCheck::kProtected;
  // The folder itself as a link would have the removal empty whatever it points to.
  struct stat st;
  if (::lstat(lexical.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return FolderCheck::kProtected;
  // A folder reached through a link is judged by where it really is, too.
  std::error_code ec;
  const auto real = fs::weakly_canonical(lexical, ec);
  if (!ec && isProtected(joined(partsOf(real.string())))) return FolderCheck::kProtected;
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
