#include "uninstall/folder_removal.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace trv::uninstall {

std::string folderOf(const std::string& path) {
  const auto at = path.rfind('/');
  return at == std::string::npos ? std::string() : path.substr(0, at);
}

bool FolderRemover::removeEntry(int dirFd, const char* name, bool isFolder,
                                const std::string& /*fullPath*/) {
  return ::unlinkat(dirFd, name, isFolder ? AT_REMOVEDIR : 0) == 0;
}

bool FolderRemover::removeTree(int parentFd, const char* name, const std::string& fullPath,
                               dev_t device) {
  // O_NOFOLLOW: a folder swapped for a link meanwhile is not entered.
  const int fd = ::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  // A drive mounted here since the check is not emptied with the product.
  struct stat self;
  if (::fstat(fd, &self) != 0 || self.st_dev != device) {
    ::close(fd);
    return false;
  }
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
    const bool removed = S_ISDIR(st.st_mode) ? removeTree(fd, e->d_name, child, device)
                                             : removeEntry(fd, e->d_name, false, child);
    if (!removed) {
      ok = false;
      break;
    }
  }
  ::closedir(dir);
  return ok && removeEntry(parentFd, name, true, fullPath);
}

bool FolderRemover::removeFolder(const std::string& folder, std::string_view product) {
  if (checkRemovableFolder(folder, product) != FolderCheck::kOk) return false;
  // The accepted path with single separators and no closing one: at least "/a/b".
  std::string path;
  for (char c : folder)
    if (c != '/' || path.empty() || path.back() != '/') path += c;
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  const std::size_t cut = path.rfind('/');
  const std::string parent = path.substr(0, cut), name = path.substr(cut + 1);
  struct stat st;
  if (::lstat(path.c_str(), &st) != 0) return false;
  const int parentFd = ::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parentFd < 0) return false;
  const bool ok = removeTree(parentFd, name.c_str(), path, st.st_dev);
  ::close(parentFd);
  return ok;
}

}  // namespace trv::uninstall
