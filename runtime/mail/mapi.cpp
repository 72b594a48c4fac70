#include "runtime/mail/mapi.h"

namespace trv::mail {

const char* describeMapiResult(std::uint32_t result) {
  switch (result) {
    case MapiSuccess:
      return "success";
    case MapiUserAbort:
      return "cancelled by the user";
    case MapiFailure:
      return "the mail system failed";
    case MapiLoginFailure:
      return "logon failed";
    case MapiDiskFull:
      return "the disk is full";
    case MapiInsufficientMemory:
      return "not enough memory";
    case MapiAccessDenied:
      return "access denied";
    case MapiTooManySessions:
      return "too many sessions";
    case MapiTooManyFiles:
      return "too many attachments";
    case MapiTooManyRecipients:
      return "too many recipients";
    case MapiAttachmentNotFound:
      return "attachment not found";
    case MapiAttachmentOpenFailure:
      return "attachment cannot be opened";
    case MapiAttachmentWriteFailure:
      return "attachment cannot be written";
    case MapiUnknownRecipient:
      return "unknown recipient";
    case MapiBadRecipType:
      return "recipient class is not To, CC or BCC";
    case MapiNoMessages:
      return "no messages";
    case MapiInvalidMessage:
      return "no such message";
    case MapiTextTooLarge:
      return "message text too large";
    case MapiInvalidSession:
      return "invalid session";
    case MapiTypeNotSupported:
      return "message type not supported";
    case MapiAmbiguousRecipient:
      return "ambiguous recipient";
    case MapiMessageInUse:
      return "message in use";
    case MapiNetworkFailure:
      return "network failure";
    case MapiInvalidEditFields:
      return "invalid number of edit fields";
    case MapiInvalidRecips:
      return "invalid recipients";
    case MapiNotSupported:
      return "not supported";
    default:
      return "unknown mail error";
  }
}

}  // namespace trv::mail
