#include "runtime/mail/outbox_transport.h"

#include "runtime/mail/maildir.h"

namespace trv::mail {

TransportResult OutboxTransport::send(const OutgoingMail& mail) {
  std::string problem;
  auto box = Maildir::open(outbox_, &problem);
  if (!box) return {TransportStatus::Failed, problem};
  const MaildirResult stored = box->deliver(mail.withBcc, now_());
  if (stored.status == MaildirStatus::DiskFull) return {TransportStatus::DiskFull, stored.detail};
  if (!stored.ok()) return {TransportStatus::Failed, stored.detail};
  return {TransportStatus::Queued, {}};
}

}  // namespace trv::mail
