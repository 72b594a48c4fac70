#pragma once
// What the store learns of a data file's folder outside SQLite (never by opening a data file),
// and the test switches of TEST_setFaults (connection.h). Private to the store.

#include <string>
#include <string_view>

namespace trv::store::detail {

// The folder named by the deny-write switch ("" when it is off).
std::string deniedFolder();
// Whether two names name the same folder; never when the first is empty.
bool sameFolder(const std::string& a, const std::string& b);
// The disk-full switch for a file; sets the error when it applies.
bool diskFull(const std::string& path);
// Calls the test's hook before a step of an open.
void beforeOpenStep(std::string_view step);
// Whether the folder's file system keeps two openers of one file from both holding a write lock
// (some network mounts grant every lock, and then two stations would overwrite each other).
// Probed once per folder and process with a scratch file, never with a data file.
bool locksHonoured(const std::string& folder);

// The mode of every data file and backup the store makes: read and write for the owner and the
// group (a group may share a database folder), nothing for others. SQLite gives a file's
// journals the mode of the file.
inline constexpr unsigned kDataFileMode = 0660;
// Makes an empty data file at `path` with kDataFileMode, whatever the process's umask, before
// SQLite first opens it (an empty file is an empty database), so that no one else can ever have
// opened it. Nothing is done when something is already there: SQLite then says what it is.
// True when the file was made (the caller removes it again when SQLite cannot open it).
bool createDataFile(const std::string& path);

}  // namespace trv::store::detail
