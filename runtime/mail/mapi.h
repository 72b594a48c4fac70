#pragma once
// The shapes of the workstation mail calls: result codes, call flags and the message,
// recipient and file descriptors that the program fills and reads.
//
// Texts in the descriptors (subject, note text, names, addresses, file names) are in the
// records' 8-bit charset (Windows-1252), like every buffer of the program; the mail system
// converts at its edge. Path names are file-system paths and pass unchanged. Note text lines
// end with CR LF, as the program's memo texts do.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trv::mail {

// Session handle; 0 is never a valid session.
using MapiHandle = std::uint32_t;

// Result codes of every call. The numbers are the ones the program's messages are keyed on.
enum MapiResult : std::uint32_t {
  MapiSuccess = 0,
  MapiUserAbort = 1,
  MapiFailure = 2,
  MapiLoginFailure = 3,
  MapiDiskFull = 4,
  MapiInsufficientMemory = 5,
  MapiAccessDenied = 6,
  MapiTooManySessions = 8,
  MapiTooManyFiles = 9,
  MapiTooManyRecipients = 10,
  MapiAttachmentNotFound = 11,
  MapiAttachmentOpenFailure = 12,
  MapiAttachmentWriteFailure = 13,
  MapiUnknownRecipient = 14,
  MapiBadRecipType = 15,
  MapiNoMessages = 16,
  MapiInvalidMessage = 17,
  MapiTextTooLarge = 18,
  MapiInvalidSession = 19,
  MapiTypeNotSupported = 20,
  MapiAmbiguousRecipient = 21,
  MapiMessageInUse = 22,
  MapiNetworkFailure = 23,
  MapiInvalidEditFields = 24,
  MapiInvalidRecips = 25,
  MapiNotSupported = 26,
};

// A short English description of a result, for logs and diagnostics (the program shows its
// own texts).
const char* describeMapiResult(std::uint32_t result);

// Call flags.
inline constexpr std::uint32_t kMapiLogonUi = 0x1;
inline constexpr std::uint32_t kMapiNewSession = 0x2;
inline constexpr std::uint32_t kMapiDialog = 0x8;
inline constexpr std::uint32_t kMapiUnreadOnly = 0x20;
inline constexpr std::uint32_t kMapiEnvelopeOnly = 0x40;
inline constexpr std::uint32_t kMapiPeek = 0x80;
inline constexpr std::uint32_t kMapiGuaranteeFifo = 0x100;
inline constexpr std::uint32_t kMapiBodyAsFile = 0x200;
inline constexpr std::uint32_t kMapiSuppressAttach = 0x800;
inline constexpr std::uint32_t kMapiLongMsgId = 0x4000;

// Message flags (MapiMessage::flags).
inline constexpr std::uint32_t kMapiUnread = 0x1;
inline constexpr std::uint32_t kMapiReceiptRequested = 0x2;
inline constexpr std::uint32_t kMapiSent = 0x4;

// Recipient classes.
inline constexpr std::uint32_t kMapiOrig = 0;
inline constexpr std::uint32_t kMapiTo = 1;
inline constexpr std::uint32_t kMapiCc = 2;
inline constexpr std::uint32_t kMapiBcc = 3;

// The program's fixed tables: a message carries at most this many recipients and files, and
// the calls refuse (or, for an address-book answer, cut) anything larger.
inline constexpr std::size_t kMaxRecipients = 100;
inline constexpr std::size_t kMaxAttachments = 25;

// A file descriptor without a position in the note text.
inline constexpr std::uint32_t kNoPosition = 0xFFFFFFFF;

struct MapiRecipDesc {
  std::uint32_t reserved = 0;
  std::uint32_t recipClass = kMapiOrig;
  std::string name;
  std::string address;  // "SMTP:" prefix allowed
  std::string entryId;  // opaque bytes; its size is the published entry-id size
  friend bool operator==(const MapiRecipDesc&, const MapiRecipDesc&) = default;
};

struct MapiFileDesc {
  std::uint32_t reserved = 0;
  std::uint32_t flags = 0;
  // Character of the note text that the attachment stands in for, or kNoPosition.
  std::uint32_t position = kNoPosition;
  std::string pathName;  // file-system path
  std::string fileName;  // name shown to the user; empty: the last part of pathName
  std::string fileType;  // empty: no type
  friend bool operator==(const MapiFileDesc&, const MapiFileDesc&) = default;
};

struct MapiMessage {
  std::uint32_t reserved = 0;
  std::string subject;
  std::string noteText;
  std::string messageType;
  std::string dateReceived;  // "YYYY/MM/DD HH:MM", local time
  std::string conversationId;
  std::uint32_t flags = 0;
  std::optional<MapiRecipDesc> originator;
  std::vector<MapiRecipDesc> recips;
  std::vector<MapiFileDesc> files;
};

using MapiRecipList = std::vector<MapiRecipDesc>;

}  // namespace trv::mail
