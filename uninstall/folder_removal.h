#pragma once
// Removing the product's folder with everything in it, safely.
//
// The folder is refused before anything is removed when it is not plainly a product's own
// folder: a relative or empty path, one with "." or ".." parts, the file-system root or a folder
// directly under it, anything in the system's own trees (/etc, /usr but below /usr/local, /var but
// below /var/opt, /boot, /lib*, /bin, /sbin, /proc, /sys, /dev, /run), another user's home or
// anything in it, the user's home, a folder above it, its desktop folders themselves (~/.config,
// ~/.local/share, ~/Documents ...) or anything in its secret folders (~/.ssh, ~/.gnupg), and a
// folder that holds the registry's file. A folder judged by its path is judged again by where it
// really is when a link leads there. "/opt/<product>", "/usr/local/<product>" and a folder in
// ~/.local/share are a product's own.
//
// The removal never follows a symbolic link: a link inside the folder is removed itself,
// whatever it points to. A path longer than the system's limit is never cut to another path:
// the removal fails instead.

#include <string>
#include <vector>

namespace trv::uninstall {

inline constexpr std::size_t kMaxPathLength = 4095;

// The folder of the information file: its path up to the last "/" ("" when it has none).
std::string folderOf(const std::string& path);

enum class FolderCheck { kOk, kNotAbsolute, kTooLong, kProtected };

// The folders of the machine's users that a removal must leave alone.
struct UserFolders {
  std::string home;                         // the user's own home ("" when unknown)
  std::vector<std::string> desktopFolders;  // named by the XDG variables, besides the usual ones
  std::vector<std::string> otherHomes;      // the homes of the machine's other people
  std::string registryFile;                 // the registry's file

  // This process's user: $HOME (else the user database), the XDG variables, the homes of the
  // other accounts of people in the user database (root and ordinary users), and the
  // registry's default file.
  static UserFolders ofThisUser();
};

// Whether `folder` may be removed, for the given users' folders.
FolderCheck checkRemovableFolder(const std::string& folder, const UserFolders& users);
// The same for this process's user.
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
