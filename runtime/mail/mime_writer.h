#pragma once
// Composing an outgoing RFC 5322 message: From, To and Cc headers, an encoded subject, a
// plain-text body in UTF-8 and the attachments in base64.
//
// Every attachment is read in full before anything is composed, so a missing or unreadable
// file fails the whole message and nothing half-made leaves. Thread-safe.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/mail/mail_address.h"

namespace trv::mail {

struct DraftAttachment {
  std::filesystem::path path;
  std::string fileName;  // UTF-8; empty: the last part of path
};

struct MailDraft {
  MailAddress from;  // names and texts in UTF-8
  std::vector<MailAddress> to;
  std::vector<MailAddress> cc;
  std::vector<MailAddress> bcc;
  std::string subject;
  std::string text;
  std::vector<DraftAttachment> attachments;
  std::int64_t dateSeconds = 0;  // the Date header, seconds since the epoch, shown in local time
  bool receiptRequested = false;
};

enum class ComposeStatus { Ok, AttachmentNotFound, AttachmentOpenFailure, Failed };

struct ComposedMail {
  std::string wire;     // what the transport hands on: no Bcc header
  std::string withBcc;  // the same message with its Bcc header, for the sent and outbox copies
  std::string messageId;
};

struct ComposeResult {
  ComposeStatus status = ComposeStatus::Ok;
  std::string detail;
  ComposedMail mail;
};

[[nodiscard]] ComposeResult composeMail(const MailDraft& draft);

// A stored message (with its Bcc header) as it goes on the wire; nothing when it is not a
// message.
std::optional<std::string> withoutBccHeader(std::string_view bytes);

}  // namespace trv::mail
