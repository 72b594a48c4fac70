#pragma once
// Where outgoing mail goes once it is composed.
//
// A transport either takes a message whole (it will be delivered, or it waits in a queue that
// will deliver it) or refuses it with a reason; it never keeps part of one. Implementations
// must allow calls from several threads at once.

#include <string>
#include <vector>

namespace trv::mail {

struct OutgoingMail {
  std::string envelopeFrom;             // the workstation's identity
  std::vector<std::string> recipients;  // every To, Cc and Bcc address, each once
  std::string wire;                     // the message as sent: no Bcc header
  std::string withBcc;                  // the same with its Bcc header, for queues that send later
};

enum class TransportStatus { Sent, Queued, Failed, DiskFull };

struct TransportResult {
  TransportStatus status = TransportStatus::Sent;
  std::string detail;  // why it failed ("sendmail exited with status 75: ...")
  bool ok() const { return status == TransportStatus::Sent || status == TransportStatus::Queued; }
};

class Transport {
 public:
  virtual ~Transport() = default;
  [[nodiscard]] virtual TransportResult send(const OutgoingMail& mail) = 0;
};

}  // namespace trv::mail
