#pragma once
// Which folders and files an information file may have the uninstaller delete.
//
// The information file is not trusted: whatever it lists, only the product's own places are
// touched. The rule, in full:
//
// A folder is the product's own when it stands in a place where products are installed and is
// named after the product there:
//  - anywhere below /opt/<x> or /var/opt/<x>, including that folder itself: the file-system
//    standard gives each add-on product (or its maker) one folder there, so no name is needed;
//  - /srv/<p>, /usr/local/<p>, /usr/local/share/<p>, /usr/local/lib/<p> and what lies below them,
//    where <p> names the product (/usr/local's own folders, bin, etc, share ..., never do);
//  - in the user's own home, a folder that names the product or lies in one that does.
// A name names the product when, with letter case and everything but letters and digits left
// aside ("Vorn Trovanel 1.2" gives "vorntrovanel12"), it holds the product's name, or it has at
// least 4 characters and the product's name begins with it ("vorn-trovanel").
// Even then it is refused when it is or holds a mount point (a whole drive, or a folder bound
// in from elsewhere, as /proc/self/mountinfo lists them) or a path that a package of the system's
// package manager owns (dpkg's file lists); when it is, holds or lies in the user's secret
// folders (~/.ssh, ~/.gnupg, ~/.pki, ~/.aws, ~/.kube, ~/.docker, ~/.password-store,
// ~/.local/share/keyrings) or another person's home; and when it is the home, a desktop folder
// (~/.config, ~/Documents ...) or holds one, or holds the registry's file. Anything else (the
// system's trees, /mnt, /media, /snap, /tmp ...) is never a product's folder.
//
// A listed file is deleted only where it stands in the installation folder, in a folder that is
// a product's own by the rule above, or directly in /usr/local/bin, /usr/local/lib,
// ~/.local/bin or ~/.local/lib: the places where programs installed outside the package manager
// keep the commands and libraries they share with others, which is what an information file's
// shared files are. It is refused when it or its folder is a mount point, when a package owns
// it, or when it is the registry's file.
//
// Paths are judged as written (absolute, without "." or ".." parts), and a folder reached
// through a link where it really is, too. The deletions themselves never follow a link
// (file_deletion.h, folder_removal.h), so what was judged is what goes.

#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace trv::uninstall {

inline constexpr std::size_t kMaxPathLength = 4095;

// What the machine holds that a removal must leave alone, gathered once per run.
struct UserFolders {
  std::string home;                         // the user's own home ("" when unknown)
  std::vector<std::string> desktopFolders;  // named by the XDG variables, besides the usual ones
  std::vector<std::string> otherHomes;      // the homes of the machine's other people
  std::string registryFile;                 // the registry's file
  std::vector<std::string> mountPoints;     // every mount point of this process's view
  std::set<std::string> packagePaths;       // what packages own, within the places above

  // This process's user: $HOME (else the user database), the XDG variables, the homes of the
  // other accounts of people in the user database (root and ordinary users), the registry's
  // file ($TRV_REGISTRY_FILE or its default), /proc/self/mountinfo and dpkg's file lists.
  static UserFolders ofThisUser();
};

enum class FolderCheck { kOk, kNotAbsolute, kTooLong, kProtected };

// Whether `folder` may be removed as the product `product`'s own.
FolderCheck checkRemovableFolder(const std::string& folder, std::string_view product,
                                 const UserFolders& users);
// The same for this process's user.
FolderCheck checkRemovableFolder(const std::string& folder, std::string_view product);

// Whether the listed file `path` may be deleted, for an installation in `installFolder` (one
// that checkRemovableFolder accepted).
bool mayDeleteListedFile(const std::string& path, const std::string& installFolder,
                         std::string_view product, const UserFolders& users);

// Whether a name names the product (the rule above).
bool namesProduct(std::string_view name, std::string_view product);

}  // namespace trv::uninstall
