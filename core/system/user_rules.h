#pragma once
// The rules of the users file that the user list, the user form and the password window share:
// levels by name, the administrators who must remain, and cases that follow a renamed user.

#include <cstdint>
#include <string_view>

#include "runtime/data/file_access.h"
#include "runtime/store/error.h"

namespace trv::core {

// "User" 0, "Supervisor" 1, "Administrator" 2 (trailing blanks ignored); -1 for any other text.
int levelForQualification(std::string_view qualification);

// How many users of level 2 the users file holds, leaving out the user numbered `except` (0:
// none left out). `ide` must be opened on this thread; its buffer is not touched. nullopt-like
// failure: returns -1 when the file cannot be read to the end.
int countAdministrators(data::FileAccess& ide, std::uint16_t except);

// Gives every case owned by `oldName` (letter case ignored) the owner `newName`, in one
// transaction: all cases follow or none. `sercase` must be opened on this thread and no
// transaction open; its buffer is not touched. `changed` (may be null) receives the count.
store::Code carryCaseOwner(data::FileAccess& sercase, std::string_view oldName,
                           std::string_view newName, std::uint64_t* changed = nullptr);

}  // namespace trv::core
