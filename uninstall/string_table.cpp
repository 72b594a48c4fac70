#include "uninstall/string_table.h"

namespace trv::uninstall {

const char* programString(unsigned id) {
  switch (id) {
    case kStrRemoved:
      return "%s has been successfully removed from your computer.";
    case kStrCannotDeleteFolder:
      return "Unable to delete directory.";
    case kStrConfirmRemoval:
      return "Are you sure you want to completely remove %s?";
    case kStrNotOnItsOwn:
      return "This program cannot be run on its own!";
    case kStrCannotOpenFile:
      return "Unable to open the file '%s'.";
    case kStrCannotReadFile:
      return "Error reading from the file '%s'.";
    case kStrCannotOpenKey:
      return "Unable to open registry key.";
    case kStrCannotSaveKey:
      return "Unable to save registry key.";
    case kStrSharedFileUnused:
      return "It appears that the file '%s' is no longer needed, do you want to delete it?";
    case kStrCannotDeleteKey:
      return "Unable to delete registry key.";
    case kStrFolderRefused:
      return "The folder '%s' is not a product's own folder and cannot be removed. Nothing has "
             "been removed.";
    case kStrStillRunning:
      return "%s is still running. Close it, then choose Retry to go on removing it, or Cancel "
             "to remove nothing.";
    case kStrFilesRefused:
      return "These files were left in place because they are not the product's own to delete:";
    default:
      return nullptr;
  }
}

}  // namespace trv::uninstall
