#pragma once
// Turning the recipient descriptors of a message to send into mail addresses.
//
// A descriptor's name wins when it is itself an address (what the user typed last); else its
// address (or an "SMTP:" entry identifier) is used; else the name is looked up in the address
// book. Each address is sent to once, in the class it first appears with. Pure, thread-safe.

#include <string>
#include <vector>

#include "runtime/mail/address_book.h"
#include "runtime/mail/mail_address.h"
#include "runtime/mail/mapi.h"

namespace trv::mail {

struct ResolvedRecipient {
  std::uint32_t recipClass = kMapiTo;
  MailAddress address;  // name in UTF-8
};

struct RecipientResolution {
  MapiResult result =
      MapiSuccess;  // MapiBadRecipType, MapiUnknownRecipient, MapiAmbiguousRecipient
  std::string detail;
  std::vector<ResolvedRecipient> recipients;
};

[[nodiscard]] RecipientResolution resolveRecipients(const std::vector<MapiRecipDesc>& recips,
                                                    const AddressBook& book);

}  // namespace trv::mail
