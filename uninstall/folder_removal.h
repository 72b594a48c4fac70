#pragma once
// Removing the product's folder with everything in it, safely.
//
// The folder is refused before anything is removed when it is not plainly a product's own
// folder: a relative or empty path, one with "." or ".." parts, the file-system root or a folder
// directly under it, a system folder, the user's home folder, a folder above it or one of its
// well-known folders. The removal never follows a symbolic link: a link inside the folder is
// removed itself, whatever it points to. A path longer than the system's limit is never cut to
// another path: the removal fails instead.

#include <string>

namespace trv::uninstall {

inline constexpr std::size_t kMaxPathLength = 4095;

// The folder of the information file: its path up to the last "/" ("" when it has none).
std::string folderOf(const std::string& path);

enum class FolderCheck { kOk, kNotAbsolute, kTooLong, kProtected };

// Whether `folder` may be removed. $HOME and the XDG folders name the user's folders.
FolderCheck checkRemovableFolder(const std::string& folder);

class FolderRemover {
 public:
  virtual ~FolderRemover() = default;

  // Removes `folder` and everything in it; true when all of it is gone. Stops at the first
  // entry that cannot be removed (or whose path is too long) and returns false; what was
  // removed before stays removed. Requires a folder that checkRemovableFolder accepted.
  bool removeFolder(const std::string& folder);

 protected:
  // Removes one entry of the open folder `dirFd`: a file, link or other non-folder, or (when
  // `isFolder`) an emptied folder. `fullPath` names it for overriding classes.
  virtual bool removeEntry(int dirFd, const char* name, bool isFolder, const std::string& fullPath);

 private:
  bool removeTree(int parentFd, const char* name, const std::string& fullPath);
};

}  // namespace trv::uninstall
