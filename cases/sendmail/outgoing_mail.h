#pragma once
// How the send-mail window turns what the user composed into one message for MAPISendMail,
// and what it says about the mail system's answers. Pure functions, no mail calls.
//
// Texts are in the records' 8-bit charset (Windows-1252), as the mail calls expect them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/mail/mapi.h"

namespace trv::cases {

// What the window holds for one message.
struct ComposedMail {
  std::string toText;      // the To entry
  std::string subject;     // the subject entry
  std::string attachPath;  // the one attachment; blank for none
  std::string text;        // the message text
  // The recipients chosen in the address book (at most mail::kMaxRecipients); the To entry
  // shows only the first.
  std::vector<mail::MapiRecipDesc> chosen;
};

struct OutgoingMail {
  mail::MapiMessage message;
  std::uint32_t flags = 0;  // the call's flags; the message's flag word is the same
};

// The message and flags for MAPISendMail. Recipients: with fewer than two chosen and a To text
// that is not blank, one To recipient named by the To text (a single chosen one keeps its
// address and entry identifier). No originator: the mail system sends as the workstation's
// configured identity. An attachment sits at position 1 of the text, which is prefixed with
// three blanks. The mail system's send dialog (kMapiDialog) is asked for when the subject is
// blank or there is no recipient.
[[nodiscard]] OutgoingMail buildOutgoing(const ComposedMail& mail);

// The file name and extension of a path ("C:\a\b.txt" and "/a/b.txt" give "b.txt").
[[nodiscard]] std::string fileNameOf(std::string_view path);

// Takes an address-book answer into the composed mail: the descriptors replace the chosen
// ones and the To text becomes the first one's name when it has one. An answer above the
// table's size is cut to mail::kMaxRecipients; the result then says how many were dropped.
[[nodiscard]] std::size_t takeAddressBookAnswer(ComposedMail& mail,
                                                const std::vector<mail::MapiRecipDesc>& answer);

// "Ms-Mail Address Problems " and the code as three digits.
[[nodiscard]] std::string addressProblemText(std::uint32_t result);
// The message shown when the address book returned more recipients than a message carries.
[[nodiscard]] std::string recipientsCutText(std::size_t returned);
// The message shown when a send failed: the result's text and what lay behind it.
[[nodiscard]] std::string sendFailureText(std::uint32_t result, std::string_view detail);

}  // namespace trv::cases
