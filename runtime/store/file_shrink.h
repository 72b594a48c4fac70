#pragma once
// Emptying a large file without holding its caller: freeing a file's blocks in one call (a
// truncating open, the unlink or rename that drops its last name) takes the file system a tenth
// of a second or more for a few hundred megabytes, all of it inside that call.

#include <cstdint>
#include <functional>
#include <string>

namespace trv::store {

// Shrinks the file at `path` to `toSize` bytes (nothing by default) sixteen megabytes at a time,
// calling `between` after each step; its false has the rest freed at once. True when the file is
// that short (or was never there); false when it cannot be shrunk, and then it is left as it was
// found or shorter.
// A file with other names (hard links) is left as it is: it is theirs too.
bool shrinkInSteps(const std::string& path, const std::function<bool()>& between,
                   std::uint64_t toSize = 0);

}  // namespace trv::store
