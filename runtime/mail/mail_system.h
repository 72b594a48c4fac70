#pragma once
// The workstation's mail system behind the program's mail calls: incoming mail from a
// Maildir, outgoing mail composed as MIME and handed to a transport (a sendmail-compatible
// command, or an outbox folder when none is configured), a copy of each sent message in the
// sent folder, and the address book. Its settings are the settings file of the configuration
// folder it is given (mail_settings.h), read at each logon; the inbox Maildir holds the
// subfolders .Sent, .Outbox and .Trash.
//
// One session at a time: a logon asking for a new session while one is open gives
// MapiTooManySessions; without that flag it shares the open one. Every other call needs the
// open session's handle (else MapiInvalidSession). Window handles and reserved arguments are
// accepted and ignored. Results are the codes of mapi.h; lastDetail() says what lay behind
// the last failure (a sendmail error text, a bad settings line).
//
// Messages read and address-book answers are buffers owned by the mail system until the
// caller passes them to MAPIFreeBuffer (or the mail system ends); freeing anything else fails
// with MapiFailure and harms nothing.
//
// Thread-safe. Dialogs run without any lock held, so other threads may call meanwhile.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "runtime/mail/mail_dialogs.h"
#include "runtime/mail/mail_settings.h"
#include "runtime/mail/maildir.h"
#include "runtime/mail/mapi.h"
#include "runtime/mail/simple_mapi.h"
#include "runtime/mail/transport.h"

namespace trv::text {
class Clock;
}

namespace trv::mail {

struct MailEnvironment {
  std::filesystem::path configFolder;    // holds the settings file and the address book
  const text::Clock* clock = nullptr;    // required; dates of sent and stored mail
  std::shared_ptr<Transport> transport;  // when set, replaces the configured transport
};

class MailSystem final : public SimpleMapi {
 public:
  explicit MailSystem(MailEnvironment env);
  ~MailSystem();
  MailSystem(const MailSystem&) = delete;
  MailSystem& operator=(const MailSystem&) = delete;

  // The dialogs of MAPIAddress and of MAPISendMail with kMapiDialog; not owned, must outlive
  // their use. Without them those calls give MapiNotSupported.
  void setDialogs(MailDialogs* dialogs);

  // Opens the session. MapiFailure when no mail system is configured or its settings or folders
  // cannot be used; MapiTooManySessions as above. session is 0 on failure. With a transport
  // that really sends, mail waiting in the outbox from earlier runs goes out first (what could
  // not be sent stays queued, and lastDetail() says why).
  [[nodiscard]] MapiResult MAPILogon(std::uint32_t uiParam, std::string_view profileName,
                                     std::string_view password, std::uint32_t flags,
                                     std::uint32_t reserved, MapiHandle& session) override;
  // Ends the session and removes the temporary attachment files it wrote.
  [[nodiscard]] MapiResult MAPILogoff(MapiHandle session, std::uint32_t uiParam,
                                      std::uint32_t flags, std::uint32_t reserved) override;

  // The inbox message after seed (the first when seed is empty), oldest delivery first;
  // kMapiUnreadOnly skips read ones. MapiNoMessages at the end, messageId then unchanged.
  [[nodiscard]] MapiResult MAPIFindNext(MapiHandle session, std::uint32_t uiParam,
                                        std::string_view messageType, std::string_view seed,
                                        std::uint32_t flags, std::uint32_t reserved,
                                        std::string& messageId) override;

  // Reads a message. Without kMapiPeek it is marked read. Attachments are always listed; without
  // kMapiSuppressAttach each is also written to a temporary file named in its pathName.
  // kMapiEnvelopeOnly leaves out the text and the attachments. MapiInvalidMessage for an unknown
  // identifier, MapiAttachmentWriteFailure when a temporary file cannot be written.
  [[nodiscard]] MapiResult MAPIReadMail(MapiHandle session, std::uint32_t uiParam,
                                        std::string_view messageId, std::uint32_t flags,
                                        std::uint32_t reserved,
                                        const MapiMessage*& message) override;

  // Moves the message to the trash folder. MapiInvalidMessage when there is no such message.
  [[nodiscard]] MapiResult MAPIDeleteMail(MapiHandle session, std::uint32_t uiParam,
                                          std::string_view messageId, std::uint32_t flags,
                                          std::uint32_t reserved) override;

  // Sends a message from the workstation's configured identity (the message's originator is
  // never used as the sender). With kMapiDialog the compose dialog completes it first
  // (MapiUserAbort when cancelled). Fails, sending nothing, with MapiTooManyRecipients,
  // MapiTooManyFiles, MapiBadRecipType, MapiUnknownRecipient, MapiAmbiguousRecipient,
  // MapiAttachmentNotFound, MapiAttachmentOpenFailure, MapiTextTooLarge; a transport that
  // refuses the message gives MapiFailure (MapiDiskFull when the disk is full).
  [[nodiscard]] MapiResult MAPISendMail(MapiHandle session, std::uint32_t uiParam,
                                        const MapiMessage& message, std::uint32_t flags,
                                        std::uint32_t reserved) override;

  // Shows the address book. On success newRecips holds the chosen recipients (at most
  // kMaxRecipients: a longer answer is cut, and lastDetail() says so) until freed.
  // MapiUserAbort when cancelled, MapiInvalidEditFields for more than 4 edit fields,
  // MapiTooManyRecipients for more than kMaxRecipients initial recipients.
  [[nodiscard]] MapiResult MAPIAddress(MapiHandle session, std::uint32_t uiParam,
                                       std::string_view caption, std::uint32_t editFields,
                                       std::string_view labels,
                                       const std::vector<MapiRecipDesc>& recips,
                                       std::uint32_t flags, std::uint32_t reserved,
                                       std::uint32_t& newRecipCount,
                                       const MapiRecipList*& newRecips) override;

  [[nodiscard]] MapiResult MAPIFreeBuffer(const void* memory) override;

  // What lay behind the last call's result; empty when there is nothing to add.
  std::string lastDetail() const override;

  // Largest note text accepted for sending, in bytes.
  static constexpr std::size_t kMaxNoteTextBytes = 4 * 1024 * 1024;

 private:
  struct Session;
  using Buffer = std::variant<std::unique_ptr<MapiMessage>, std::unique_ptr<MapiRecipList>>;

  Session* sessionFor(MapiHandle handle);  // caller holds mutex_
  void endSession();                       // caller holds mutex_
  std::string flushOutbox(Session& s);     // sends what waits in the outbox; says what failed
  std::int64_t nowSeconds() const;
  MapiResult finish(MapiResult result, std::string detail);  // caller holds mutex_
  MapiResult sendPrepared(std::unique_lock<std::mutex>& lock, Session& s,
                          const MapiMessage& message);

  MailEnvironment env_;
  mutable std::mutex mutex_;
  MailDialogs* dialogs_ = nullptr;
  std::unique_ptr<Session> session_;
  MapiHandle nextHandle_;
  std::map<const void*, Buffer> buffers_;
  std::string lastDetail_;
};

}  // namespace trv::mail
