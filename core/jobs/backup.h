#pragma once
// The backup of the data files: the eight files of the database folder copied into the backup
// folder, all from one consistent read of the database.
//
// Each copy is made with the store's online backup (never a byte copy of a file that another
// station may be writing), written beside its target and renamed over it only when all eight
// copies are complete, so a failed backup leaves the last good one as it was.

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "core/data/files.h"
#include "runtime/store/error.h"

namespace trv::core::jobs {

// The files a backup copies, in this order.
inline constexpr std::array<DataFile, 8> kBackupFiles = {
    DataFile::Sercase, DataFile::Client, DataFile::Ide,     DataFile::Sla,
    DataFile::Sys,     DataFile::Log,    DataFile::Archive, DataFile::Problem};

// The folder under the program folder that takes the backup when none is set.
inline constexpr std::string_view kDefaultBackupFolder = "DatabaseBU";

// The backup folder: the system record's path when it is set (a relative path lies in the
// database folder), else "DatabaseBU" in the program folder.
std::filesystem::path backupFolderOf(std::string_view setPath,
                                     const std::filesystem::path& databaseFolder,
                                     const std::filesystem::path& programFolder);

struct [[nodiscard]] BackupResult {
  bool ok = false;
  store::Code code = store::Ok;  // the failure's code of the store's table
  std::string detail;            // what failed, for the person reading it
};

// Copies the eight data files of `databaseFolder` into `folder`, creating `folder` with its
// missing parents first. A data file that has not been used yet is created empty first, as its
// first use would (the users file never is: a missing users file fails the backup). Fails,
// changing no copy, when the folder cannot be created, when it is the database folder itself,
// when a file is missing or when any copy fails. Blocks other stations' writes only while the
// files are read. With `betweenSteps`, the copies are made in short steps with no file locked in
// between, where it is called (see store::copyFiles).
BackupResult backUpDataFiles(const std::filesystem::path& databaseFolder,
                             const std::filesystem::path& folder,
                             const std::function<bool()>& betweenSteps = {});

}  // namespace trv::core::jobs
