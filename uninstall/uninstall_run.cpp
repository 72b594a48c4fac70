#include "uninstall/uninstall_run.h"

#include <algorithm>
#include <string>

#include "runtime/platform/instance_registry.h"
#include "runtime/platform/registry.h"
#include "uninstall/file_deletion.h"
#include "uninstall/messages.h"
#include "uninstall/string_table.h"

namespace trv::uninstall {
namespace {

using platform::RegistryStatus;
using platform::RegistryValue;

// A name that can only ever name its own entry of the installed-software list.
bool isEntryName(const CRefString& name) {
  const auto s = name.view();
  return !s.empty() && std::none_of(s.begin(), s.end(), [](char c) {
    return c == '\\' || static_cast<unsigned char>(c) < 0x20;
  });
}

void deleteFile(const CRefString& path) {
  (void)deleteListedFile(path.view());  // a file refused or not deleted is passed over
}

std::uint32_t littleEndian(const std::string& b) {
  std::uint32_t n = 0;
  for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(b[std::size_t(i)]);
  return n;
}

void releaseSharedFiles(const UninstallInfo& info, UninstallEnvironment& env) {
  // A product without shared files has nothing to release; a store that never held the key
  // (a fresh workstation) is then no failure to report.
  if (info.sharedFiles.count() == 0) return;
  if (env.registry.findKey(kSharedFilesKey) != RegistryStatus::kOk) {
    say(env.boxes, {kStrCannotOpenKey, nullptr, MessageIcon::kError});
    return;
  }
  for (int i = 0; i < info.sharedFiles.count(); ++i) {
    const CRefString& path = info.sharedFiles[i];
    const auto read = env.registry.readValue(kSharedFilesKey, path.view());
    // A count is a 4-byte number; anything else is not ours to change.
    if (read.status != RegistryStatus::kOk || read.value.data.size() != 4) continue;
    const std::uint32_t count = littleEndian(read.value.data);
    if (count == 1) {
      if (env.registry.deleteValue(kSharedFilesKey, path.view()) != RegistryStatus::kOk)
        say(env.boxes, {kStrCannotDeleteKey, nullptr, MessageIcon::kError});
      const auto answer =
          say(env.boxes, {kStrSharedFileUnused, path.c_str(), MessageIcon::kQuestion,
                          MessageButtons::kYesNo, MessageAnswer::kNo});
      if (answer == MessageAnswer::kYes) deleteFile(path);
    } else if (count > 1) {
      if (env.registry.writeValue(kSharedFilesKey, path.view(), RegistryValue::dword(count - 1)) !=
          RegistryStatus::kOk)
        say(env.boxes, {kStrCannotSaveKey, nullptr, MessageIcon::kError});
    }
    // A count of 0 has no user left to release: it is left as it is.
  }
}

// True when the product has ended, or the user gave up waiting for it (false).
bool productEnded(const UninstallInfo& info, UninstallEnvironment& env) {
  if (!info.closeProgram) return true;
  const std::string windowClass(info.windowClass.view());
  while (!env.instances.waitUntilEnded(windowClass, env.closeWait)) {
    const auto answer =
        say(env.boxes, {kStrStillRunning, info.productName.c_str(), MessageIcon::kWarning,
                        MessageButtons::kRetryCancel, MessageAnswer::kCancel});
    if (answer != MessageAnswer::kRetry) return false;
    (void)env.instances.post(windowClass, platform::InstanceRequest::kClose);
  }
  return true;
}

}  // namespace

void removeInstallation(const CRefString& infoPath, const UninstallInfo& info,
                        UninstallEnvironment& env) {
  for (int i = 0; i < info.files.count(); ++i) deleteFile(info.files[i]);
  releaseSharedFiles(info, env);
  if (!env.remover.removeFolder(folderOf(std::string(infoPath.view())))) {
    say(env.boxes, {kStrCannotDeleteFolder, nullptr, MessageIcon::kError});
    return;
  }
  if (isEntryName(info.productName)) {
    const std::string entry =
        std::string(kInstalledSoftwareKey) + "\\" + std::string(info.productName.view());
    (void)env.registry.deleteKey(entry);  // an entry that is already gone is no failure
  }
  say(env.boxes, {kStrRemoved, info.productName.c_str(), MessageIcon::kInformation});
}

int runUninstall(const CRefString& infoPath, const UninstallInfo& info, UninstallEnvironment& env) {
  const std::string folder = folderOf(std::string(infoPath.view()));
  if (checkRemovableFolder(folder) != FolderCheck::kOk) {
    say(env.boxes, {kStrFolderRefused, folder.empty() ? infoPath.c_str() : folder.c_str(),
                    MessageIcon::kError});
    return kExitFailed;
  }
  if (info.closeProgram)
    (void)env.instances.post(std::string(info.windowClass.view()),
                             platform::InstanceRequest::kClose);
  const auto answer =
      say(env.boxes, {kStrConfirmRemoval, info.productName.c_str(), MessageIcon::kQuestion,
                      MessageButtons::kYesNo, MessageAnswer::kNo, "Confirm File Deletion"});
  if (answer != MessageAnswer::kYes) return kExitDone;
  if (!productEnded(info, env)) return kExitDone;
  removeInstallation(infoPath, info, env);
  return kExitDone;
}

int runProgram(const CRefString& commandLine, UninstallEnvironment& env) {
  if (commandLine.isEmpty()) {
    say(env.boxes, {kStrNotOnItsOwn, nullptr, MessageIcon::kError});
    return kExitFailed;
  }
  UninstallInfo info;
  if (!readInformationFile(commandLine, env.boxes, info)) return kExitFailed;
  return runUninstall(commandLine, info, env);
}

}  // namespace trv::uninstall
