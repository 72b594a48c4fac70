#pragma once
// A transport that keeps every message it is given, for tests and the scenario runner: the
// "local mail store with a capturing transport". It can be told to refuse every message from
// now on, as a broken mail server would.
//
// Thread-safe: the program sends from its threads while a test reads what was captured.

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/mail/transport.h"

namespace trv::mail {

struct CapturedMail {
  OutgoingMail mail;
  // Read back from the message, UTF-8.
  std::string from;
  std::vector<std::string> to;
  std::vector<std::string> cc;
  std::vector<std::string> bcc;  // envelope recipients that no header names
  std::string subject;
  std::string text;
  std::vector<std::string> attachmentNames;
};

// The field of a captured message that a check names: "to", "cc", "bcc" (addresses joined by
// ", "), "from", "subject", "text", "attachments" (names joined by ", "); nothing for any other
// name.
std::optional<std::string> sentMailField(const CapturedMail& mail, std::string_view field);

class CapturingTransport final : public Transport {
 public:
  TransportResult send(const OutgoingMail& mail) override;

  // From now on every send fails with detail as its reason.
  void failEverySend(std::string detail = "the mail server refused the message");
  void acceptSends();

  std::vector<CapturedMail> captured() const;
  std::size_t count() const;
  void clear();

 private:
  mutable std::mutex mutex_;
  bool failing_ = false;
  std::string failDetail_;
  std::vector<CapturedMail> captured_;
};

}  // namespace trv::mail
