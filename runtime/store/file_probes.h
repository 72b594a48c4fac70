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

}  // namespace trv::store::detail
