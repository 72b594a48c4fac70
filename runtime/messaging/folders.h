#pragma once
// Internal to runtime/messaging: the folder tree over the session's Maildir, and the Folder and
// Folders objects.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/messaging/session_state.h"

namespace trv::messaging::detail {

inline constexpr std::string_view kRootId = "/";
inline constexpr std::string_view kInboxId = "INBOX";

struct FolderInfo {
  std::string id;
  std::string name;  // UTF-8
};

std::optional<FolderInfo> folderById(const SessionState& s, std::string_view id);
std::vector<FolderInfo> childrenOf(const SessionState& s, std::string_view id);
// The Maildir that holds the folder's messages; nothing for the root and for a folder that
// only holds other folders.
std::optional<mail::Maildir> maildirOf(const SessionState& s, std::string_view id);

automation::ObjectPtr makeFolder(State state, FolderInfo folder);

}  // namespace trv::messaging::detail
