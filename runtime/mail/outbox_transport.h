#pragma once
// Outgoing mail kept in an outbox Maildir when no sendmail command is configured, so that
// nothing is lost: each message is stored whole, with its Bcc header, ready for a later
// "sendmail -t".

#include <filesystem>
#include <functional>

#include "runtime/mail/transport.h"

namespace trv::mail {

class OutboxTransport final : public Transport {
 public:
  // now gives the delivery time in seconds since the epoch.
  OutboxTransport(std::filesystem::path outbox, std::function<std::int64_t()> now)
      : outbox_(std::move(outbox)), now_(std::move(now)) {}

  TransportResult send(const OutgoingMail& mail) override;

 private:
  std::filesystem::path outbox_;
  std::function<std::int64_t()> now_;
};

}  // namespace trv::mail
