#pragma once
// The two dialogs the mail system shows on the caller's behalf: the address book (for
// MAPIAddress) and the compose dialog (for MAPISendMail with the dialog flag). The window
// runtime implements them; ScriptedMailDialogs (scripted_mail_dialogs.h) stands in for tests.
//
// Both are called on the calling program thread, without any lock of the mail system held,
// and may take as long as the user does.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "runtime/mail/address_book.h"
#include "runtime/mail/mapi.h"

namespace trv::mail {

struct AddressRequest {
  std::string caption;           // "Address To:"
  std::uint32_t editFields = 0;  // 0 browse only; 1 To; 2 To and CC; 3 or 4 To, CC and BCC
  std::string labels;            // empty: the standard labels
  std::vector<MapiRecipDesc> initial;
  std::vector<AddressEntry> book;
  std::size_t maxRecipients = kMaxRecipients;  // the dialog refuses more, saying so
};

class MailDialogs {
 public:
  virtual ~MailDialogs() = default;

  // The recipients chosen, each with its class, name and address; nothing when the user
  // cancelled.
  virtual std::optional<std::vector<MapiRecipDesc>> chooseRecipients(
      const AddressRequest& request) = 0;

  // The message as the user completed it (recipients, subject, text, files); nothing when the
  // user cancelled. draft is what the caller passed.
  virtual std::optional<MapiMessage> composeMessage(const MapiMessage& draft,
                                                    const std::vector<AddressEntry>& book) = 0;
};

}  // namespace trv::mail
