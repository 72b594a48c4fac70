#include "uninstall/uninstall_run.h"

#include <algorithm>
#include <string>
#include <vector>

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

// What one run knows of the machine and what it refused to delete.
struct RunContext {
  std::string installFolder;
  std::string product;
  UserFolders users = UserFolders::ofThisUser();
  std::vector<std::string> refused;

  bool mayDelete(const CRefString& path) {
    if (mayDeleteListedFile(std::string(path.view()), installFolder, product, users)) return true;
    refused.emplace_back(path.view());
    return false;
  }
};

void deleteFile(const CRefString& path) {
  (void)deleteListedFile(path.view());  // a file that cannot be deleted is passed over
}

// The run's closing message, with the files that were refused.
void sayOutcome(UninstallEnvironment& env, const Message& message, const RunContext& run) {
  std::string text = messageText(message.id, message.argument);
  if (!run.refused.empty()) {
    text += "\n\n";
    text += messageText(kStrFilesRefused, nullptr);
    for (const auto& path : run.refused) text += "\n" + path;
  }
  (void)env.boxes.show(
      {text, message.caption, message.icon, message.buttons, message.defaultAnswer});
}

std::uint32_t littleEndian(const std::string& b) {
  std::uint32_t n = 0;
  for (int i = 3; i >= 0; --i) n = n << 8 | static_cast<unsigned char>(b[std::size_t(i)]);
  return n;
}

void releaseSharedFiles(const UninstallInfo& info, UninstallEnvironment& env, RunContext& run) {
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
      // A file that is not the product's to delete is not offered for deletion.
      if (!run.mayDelete(path)) continue;
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
  RunContext run;
  run.installFolder = folderOf(std::string(infoPath.view()));
  run.product = std::string(info.productName.view());
  for (int i = 0; i < info.files.count(); ++i)
    if (run.mayDelete(info.files[i])) deleteFile(info.files[i]);
  releaseSharedFiles(info, env, run);
  if (!env.remover.removeFolder(run.installFolder, run.product)) {
    sayOutcome(env, {kStrCannotDeleteFolder, nullptr, MessageIcon::kError}, run);
    return;
  }
  if (isEntryName(info.productName)) {
    const std::string entry =
        std::string(kInstalledSoftwareKey) + "\\" + std::string(info.productName.view());
    (void)env.registry.deleteKey(entry);  // an entry that is already gone is no failure
  }
  sayOutcome(env, {kStrRemoved, info.productName.c_str(), MessageIcon::kInformation}, run);
}

int runUninstall(const CRefString& infoPath, const UninstallInfo& info, UninstallEnvironment& env) {
  const std::string folder = folderOf(std::string(infoPath.view()));
  if (checkRemovableFolder(folder, info.productName.view()) != FolderCheck::kOk) {
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
