#pragma once
// Deleting one file that the information file lists, without ever reaching past it.
//
// The path must be absolute. Its parts are resolved one at a time from the root, never through
// a symbolic link: a folder part that is a link, a part "." or "..", a missing part, or a zero
// byte in the path refuses it. The last part is deleted itself (a link is removed, never what it
// points to); a folder is never deleted. Which files may be deleted at all is product_places.h's
// rule, asked first.

#include <string_view>

namespace trv::uninstall {

// True when the entry named by `path` was deleted; false when it was refused or could not be.
bool deleteListedFile(std::string_view path);

}  // namespace trv::uninstall
