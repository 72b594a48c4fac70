#pragma once
// The mail window's dealings with the mail system, apart from the window: loading the inbox,
// reading one message for showing, saving an attachment to a file, and building the message
// to send. Texts are in the records' 8-bit charset (Windows-1252), as the mail calls give and
// take them; paths pass unchanged. No dialogs, no messages shown.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/mail/simple_mapi.h"

namespace trv::cases {

struct InboxEntry {
  std::string messageId;
  std::string from;  // the sender's address
  std::string subject;
  std::string date;  // as the mail system gives it
  bool attachments = false;
};

struct ShownAttachment {
  std::string fileName;
  std::string pathName;  // the mail system's path (a temporary file once written)
};

struct ShownMessage {
  std::string subject, from, text, date;
  std::vector<ShownAttachment> attachments;
};

// Every message of the inbox in the mail system's order, each read once (which marks it read).
// The load stops at the end of the inbox or when an identifier comes round again. A message
// whose read fails (MapiFailure) gets an entry with its identifier and empty fields, and the
// load goes on past it; any other failed read ends the load.
[[nodiscard]] std::vector<InboxEntry> loadInbox(mail::SimpleMapi& mapi, mail::MapiHandle session);

// Reads one message with these flags; nothing when the read fails. The buffer is released.
// Every value is the message's own, in full (no value is ever left from an earlier message).
[[nodiscard]] std::optional<ShownMessage> readMessage(mail::SimpleMapi& mapi,
                                                      mail::MapiHandle session,
                                                      std::string_view messageId,
                                                      std::uint32_t flags);

// The extract dialog's file types and title for an attachment name.
[[nodiscard]] std::string extractFileTypes(std::string_view name);
[[nodiscard]] std::string extractTitle(std::string_view name);

enum class ExtractResult { Saved, ReadFailed, NoSuchAttachment, WriteFailed, FreeFailed };

// Saves attachment `index` of the message to `target`: the mail system writes the attachments
// to temporary files, the chosen one is copied beside the target and renamed over it only once
// complete (so a failure leaves an existing file as it was), and the temporary files are
// removed. `detail` says what failed.
[[nodiscard]] ExtractResult extractAttachment(mail::SimpleMapi& mapi, mail::MapiHandle session,
                                              std::string_view messageId, std::size_t index,
                                              const std::filesystem::path& target,
                                              std::string* detail = nullptr);

// What the user composed in the mail window.
struct InboxDraft {
  std::string toText;  // the reply address, or the first name picked
  std::vector<mail::MapiRecipDesc> chosen;
  std::string subject;
  std::string text;
  std::vector<std::string> attachPaths;
};

struct InboxOutgoing {
  mail::MapiMessage message;
  std::uint32_t flags = 0;
};

// The message for MAPISendMail. The text is prefixed with 2 x count + 1 blanks when files are
// attached (the files sit at positions 2, 4, ...); the draft itself stays as typed.
[[nodiscard]] InboxOutgoing buildInboxOutgoing(const InboxDraft& draft);

// The message shown for a send result; empty for 0 and 1.
[[nodiscard]] std::string sendResultText(std::uint32_t result);

}  // namespace trv::cases
