#pragma once
// The mail system's dialogs as windows of the window runtime: the address book that
// MAPIAddress shows and the compose window of MAPISendMail with the dialog flag.
//
// Each call opens a modal window on the calling program thread and runs its loop there (the
// thread gives the baton away while the user works), so the desktop shows it and tests drive it
// like any other window. An empty book is a book like any other: addresses can always be typed.
// Texts in and out are in the records' charset (Windows-1252); the windows show UTF-8.

#include "runtime/mail/mail_dialogs.h"

namespace trv::ui {
class UiRuntime;
}

namespace trv::mail {

// Control numbers of the address book window.
enum AddressBookControl : int {
  kBookList = 1,  // the book: name and address of each entry
  kBookToPrompt,
  kBookTo,  // "; "-separated recipients of each class
  kBookAddTo,
  kBookCcPrompt,
  kBookCc,
  kBookAddCc,
  kBookBccPrompt,
  kBookBcc,
  kBookAddBcc,
  kBookOk,
  kBookCancel,
};

// Control numbers of the compose window.
enum ComposeControl : int {
  kComposeToPrompt = 1,
  kComposeTo,
  kComposeCcPrompt,
  kComposeCc,
  kComposeBook,  // opens the address book on the two fields
  kComposeSubjectPrompt,
  kComposeSubject,
  kComposeFiles,  // the attachments, read only
  kComposeText,
  kComposeSend,
  kComposeCancel,
};

class WindowMailDialogs final : public MailDialogs {
 public:
  // ui must outlive the object; the calls require one of its program threads (else they
  // answer as cancelled).
  explicit WindowMailDialogs(ui::UiRuntime& ui) : ui_(ui) {}

  // Recipients typed or taken from the book (a line's name or address, "Name <address>", or a
  // bare address), each class in its field. More than request.maxRecipients are refused with a
  // message and the window stays. Nothing when cancelled.
  std::optional<std::vector<MapiRecipDesc>> chooseRecipients(
      const AddressRequest& request) override;

  // The draft with the recipients, subject and text as completed; its files stay. Sending
  // without any recipient is refused with a message. Nothing when cancelled.
  std::optional<MapiMessage> composeMessage(const MapiMessage& draft,
                                            const std::vector<AddressEntry>& book) override;

 private:
  ui::UiRuntime& ui_;
};

// The recipients that a field's text names: items separated by ";", each a book entry's name
// or address (without regard to letter case), "Name <address>", or a bare address; an item
// that is none of these is kept by its name alone (the send then says it is unknown). Texts
// in the records' charset.
std::vector<MapiRecipDesc> recipientsOf(std::string_view text, std::uint32_t recipClass,
                                        const std::vector<AddressEntry>& book);

// How a recipient is written in a field: "Name <address>", or the one that is not empty.
std::string recipientText(const MapiRecipDesc& r);

}  // namespace trv::mail
