#pragma once
// Removing the product's folder with everything in it, safely.
//
// Only a folder that is the product's own (product_places.h) is removed. The removal never
// follows a symbolic link (a link inside the folder is removed itself, whatever it points to)
// and never enters another file system (a drive mounted inside the folder stops the removal). A
// path longer than the system's limit is never cut to another path: the removal fails instead.

#include <string>
#include <string_view>

#include "uninstall/product_places.h"

namespace trv::uninstall {

// The folder of the information file: its path up to the last "/" ("" when it has none).
std::string folderOf(const std::string& path);

class FolderRemover {
 public:
  virtual ~FolderRemover() = default;

  // Removes `folder` and everything in it; true when all of it is gone. Refuses (false, nothing
  // removed) a folder that checkRemovableFolder does not accept as `product`'s own. Stops at the
  // first entry that cannot be removed (or whose path is too long, or that is on another file
  // system) and returns false; what was removed before stays removed.
  bool removeFolder(const std::string& folder, std::string_view product);

 protected:
  // Removes one entry of the open folder `dirFd`: a file, link or other non-folder, or (when
  // `isFolder`) an emptied folder. `fullPath` names it for overriding classes.
  virtual bool removeEntry(int dirFd, const char* name, bool isFolder, const std::string& fullPath);

 private:
  bool removeTree(int parentFd, const char* name, const std::string& fullPath, dev_t device);
};

}  // namespace trv::uninstall
