#pragma once
// Clearing away the super-journals that crashed multi-file commits leave in a database folder.
// Private to the store.

#include <string>

namespace trv::store::detail {

// Removes each super-journal ("<file>-mj" and nine hexadecimal digits) in `folder` that no
// commit can need any more, and leaves every other one alone. Never waits for a lock.
void removeStaleSuperJournals(const std::string& folder);

}  // namespace trv::store::detail
