#pragma once
// Internal to runtime/messaging: messages, their recipients and attachments, and new messages
// to send.

#include <string_view>
#include <vector>

#include "runtime/mail/mapi.h"
#include "runtime/messaging/folders.h"

namespace trv::messaging::detail {

// The Messages collection of a folder.
automation::ObjectPtr makeMessages(State state, FolderInfo folder);
// The message with this ID ("INBOX/1020..."); nullptr when there is none.
automation::ObjectPtr findMessage(State state, std::string_view id);
// A read-only Recipients collection (the address book's answer).
automation::ObjectPtr makeRecipientList(State state, const std::vector<mail::MapiRecipDesc>& list);

}  // namespace trv::messaging::detail
