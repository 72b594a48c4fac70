#pragma once
// The uninstaller's string table: its user-facing texts by number.

namespace trv::uninstall {

enum StringId : unsigned {
  kStrRemoved = 1,  // "%s has been successfully removed from your computer."
  kStrCannotDeleteFolder = 2,
  kStrConfirmRemoval = 3,  // product name
  kStrNotOnItsOwn = 4,
  kStrCannotOpenFile = 6,  // path
  kStrCannotReadFile = 7,  // path
  kStrCannotOpenKey = 8,
  kStrCannotSaveKey = 9,
  kStrSharedFileUnused = 10,  // path
  kStrCannotDeleteKey = 11,
  kStrFolderRefused = 12,  // folder
  kStrStillRunning = 13,   // product name
  kStrFilesRefused = 14,
};

// The text of `id`, or null when the table has none.
const char* programString(unsigned id);

}  // namespace trv::uninstall
