#pragma once
// Database folders and records handled from outside the program, as the installer or another
// workstation would: the starter database, and records inserted, changed, deleted and checked
// by field names and values as text (the scenario steps "insert", "update", "delete",
// "expect record", "expect count", "expect memo").
//
// Every function opens the files on a store connection of its own (so a window of the program
// that holds a record sees a change as made by another station) and closes them before it
// returns. Field names compare without regard to case ("CLI:SName", "sys:id"); values are
// Windows-1252 text, numbers in decimal. Failures come back as a message that names the file,
// field or value at fault; nothing is written then.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "core/data/files.h"
#include "runtime/store/error.h"

namespace trv::core {

struct [[nodiscard]] ToolResult {
  bool ok = true;
  std::string message;  // what went wrong, for the person reading the failure
};

using FieldValues = std::vector<std::pair<std::string, std::string>>;  // name, value

// All eight files in `folder` (created when missing): the users file with the administrator
// "Admin" (password "admin", level 2, qualification "Administrator"), the system record (ID 1,
// logging on, refresh interval 1, problems from the list, everything else 0 or blank), the
// others empty. Refused, touching nothing, when the folder already holds a data file.
ToolResult createStarterDatabase(const std::string& folder);
// As the starter database, with only the users file and the system file.
ToolResult createEmptyDatabase(const std::string& folder);
// As the starter database, with the system file written in another record layout.
ToolResult createIncompatibleDatabase(const std::string& folder);
// Opens a data file of the folder read-only on a connection of its own and closes it again:
// Ok, or the store's code (FileNotFound, InvalidRecordDeclaration for a file written with
// another record layout, ...) without any message. The frame checks the system file so before
// it opens it.
[[nodiscard]] store::Code probeDataFile(const std::string& folder, DataFile file);
// True when the folder holds any of the eight data files.
bool holdsDataFiles(const std::string& folder);

// Adds a record to the file of the fields' prefix: a new record (with the file's new-record
// defaults) with these fields set; an auto-numbered key not named gets the next number.
ToolResult insertRecord(const std::string& folder, const FieldValues& fields);
// Changes the record whose `key` field (a key's only component) has the key value: sets the
// other fields.
ToolResult updateRecord(const std::string& folder, const std::pair<std::string, std::string>& key,
                        const FieldValues& fields);
// Deletes the record found by its key field.
ToolResult deleteRecord(const std::string& folder, const std::pair<std::string, std::string>& key);
// Whether a record of the fields' file has all these values (text without trailing blanks,
// numbers as numbers). `ok` false with a message when the file or a field is unknown.
ToolResult findRecord(const std::string& folder, const FieldValues& fields, bool* found);
// The number of records of a file named by its title ("Sercase").
ToolResult countRecords(const std::string& folder, const std::string& title, std::uint64_t* n);
// The memo `memoName` of the record found by its key field.
ToolResult readMemo(const std::string& folder, const std::string& memoName,
                    const std::pair<std::string, std::string>& key, std::string* memo);

}  // namespace trv::core
