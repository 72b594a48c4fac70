#pragma once
// Reading an RFC 5322 message: decoded headers, the text to show and the attachments.
//
// Every text comes out in UTF-8: encoded words in headers are decoded, the parts' charsets
// converted (unlabelled 8-bit text is taken as UTF-8, else Windows-1252). The text is the
// first plain-text part that is not an attachment; a message with HTML alone gets that HTML
// as plain text. Attachment names are made safe to use as a file name (no folders, no
// control characters, never "." or ".."). Thread-safe.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/mail/mail_address.h"

namespace trv::mail {

struct ParsedAttachment {
  std::string fileName;     // safe file name, UTF-8
  std::string contentType;  // "application/pdf"
  std::string data;         // decoded content
};

struct ParsedMail {
  std::string subject;
  std::optional<MailAddress> from;
  std::vector<MailAddress> to;
  std::vector<MailAddress> cc;
  std::vector<MailAddress> bcc;
  std::string messageId;
  std::string text;  // lines end with LF
  std::vector<ParsedAttachment> attachments;
  bool receiptRequested = false;
};

// Nothing when bytes are not a message at all.
std::optional<ParsedMail> parseMail(std::string_view bytes);
// As parseMail, but bytes that are not a message (a text without headers) give a message with
// no headers whose text is those bytes, so that whatever was delivered can still be read.
ParsedMail parseMailOrText(std::string_view bytes);

// A safe file name for an attachment name given by a message; fallback when none is left.
std::string safeFileName(std::string_view name, std::string_view fallback);

// Plain text of an HTML text, for messages that carry no plain part.
std::string htmlToText(std::string_view html);

}  // namespace trv::mail
