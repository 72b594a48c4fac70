#include "core/jobs/backup.h"

#include <system_error>
#include <utility>
#include <vector>

#include "runtime/platform/folders.h"
#include "runtime/store/connection.h"

namespace trv::core::jobs {
namespace fs = std::filesystem;

namespace {

BackupResult failure(store::Code code, std::string detail) {
  return {false, code, std::move(detail)};
}

// The source file of `file`, created empty when it has never been used and may be created.
BackupResult sourceOf(const fs::path& databaseFolder, DataFile file, fs::path* source) {
  if (auto found = platform::findIgnoringCase(databaseFolder, fileName(file))) {
    *source = *found;
    return {true, store::Ok, {}};
  }
  const store::FileDecl& decl = declaration(file);
  const std::string path = (databaseFolder / fileName(file)).string();
  if (!decl.createWhenMissing)
    return failure(store::FileNotFound,
                   path + ": " + std::string(store::codeText(store::FileNotFound)));
  store::Connection connection;
  store::FileId id = 0;
  if (store::Code c = connection.open(decl, path, store::OpenMode::Shared, &id); c != store::Ok)
    return failure(c, path + ": " + store::lastError().driverText);
  connection.close(id);
  *source = path;
  return {true, store::Ok, {}};
}

}  // namespace

fs::path backupFolderOf(std::string_view setPath, const fs::path& databaseFolder,
                        const fs::path& programFolder) {
  if (setPath.empty()) return programFolder / kDefaultBackupFolder;
  const fs::path set{std::string(setPath)};
  return set.is_absolute() ? set : databaseFolder / set;
}

BackupResult backUpDataFiles(const fs::path& databaseFolder, const fs::path& folder,
                             const std::function<bool()>& betweenSteps) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (ec || !fs::is_directory(folder))
    return failure(store::PathNotFound,
                   folder.string() + ": " + (ec ? ec.message() : "not a folder"));
  // Renaming copies over the live files would cut every station off from its data.
  if (fs::equivalent(folder, databaseFolder, ec))
    return failure(store::FileSystemError, folder.string() + ": the database folder itself");

  std::vector<std::pair<std::string, std::string>> copies;
  for (DataFile file : kBackupFiles) {
    fs::path source;
    if (BackupResult r = sourceOf(databaseFolder, file, &source); !r.ok) return r;
    const fs::path target = folder / fileName(file);
    // Found before any copy is renamed into place, so the old set is never left half replaced.
    if (fs::exists(target, ec) && !fs::is_regular_file(target, ec))
      return failure(store::FileSystemError, target.string() + ": not a file");
    copies.emplace_back(source.string(), target.string());
  }
  if (store::Code c = store::copyFiles(copies, betweenSteps); c != store::Ok) {
    const store::Error& e = store::lastError();
    return failure(
        c, std::string(store::codeText(c)) + (e.driverText.empty() ? "" : ": ") + e.driverText);
  }
  return {true, store::Ok, {}};
}

}  // namespace trv::core::jobs
