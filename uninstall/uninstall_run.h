#pragma once
// The uninstall run: from the command line to the removed installation.
//
// After the information file has been read, the product's running window is asked to close
// (when the file says so), the user confirms, and then the product's files are deleted, its
// claims on shared files released, its folder removed and, when that worked, its entry in the
// list of installed software deleted. Nothing is removed while the product still runs, and
// nothing at all when the folder is not plainly the product's own.

#include <chrono>

#include "uninstall/folder_removal.h"
#include "uninstall/info_file.h"
#include "uninstall/message_box.h"
#include "uninstall/ref_string.h"

namespace trv::platform {
class Registry;
class InstanceRegistry;
}  // namespace trv::platform

namespace trv::uninstall {

inline constexpr const char* kSharedFilesKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";
inline constexpr const char* kInstalledSoftwareKey =
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

struct UninstallEnvironment {
  MessageBoxes& boxes;
  platform::Registry& registry;
  const platform::InstanceRegistry& instances;
  FolderRemover& remover;
  // How long the product is given to end after the close request before the user is told.
  std::chrono::milliseconds closeWait{5000};
};

// Exit codes of the program.
inline constexpr int kExitDone = 0;
inline constexpr int kExitFailed = 1;

// The whole program: `commandLine` is the information file's path, used unchanged. Returns the
// exit code: kExitFailed for an empty command line, a file that cannot be read or parsed, or a
// folder that is refused; kExitDone otherwise (also when the user declines).
int runProgram(const CRefString& commandLine, UninstallEnvironment& env);

// The steps after a successful read (closing, confirmation, removal run); returns the exit code.
int runUninstall(const CRefString& infoPath, const UninstallInfo& info, UninstallEnvironment& env);

// Deletes the files, releases the shared-file counts, removes the folder of `infoPath` and the
// product's entry, and reports the outcome. Requires a folder that checkRemovableFolder
// accepted. A listed or shared file that is not the product's own to delete (product_places.h)
// is left in place and named in the closing message; the run goes on with the rest.
void removeInstallation(const CRefString& infoPath, const UninstallInfo& info,
                        UninstallEnvironment& env);

}  // namespace trv::uninstall
