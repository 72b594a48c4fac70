#pragma once
// Outgoing mail through a sendmail-compatible command.
//
// The command is run as "COMMAND -i -f FROM -- RECIPIENT..." (no shell), with the message on
// its standard input. Exit status 0 means the command took the message; anything else, a
// command that cannot be started, or one that runs longer than the time limit (it is then
// killed) is a failure that carries the command's own error output.

#include <chrono>
#include <filesystem>

#include "runtime/mail/transport.h"

namespace trv::mail {

class SendmailTransport final : public Transport {
 public:
  explicit SendmailTransport(std::filesystem::path command,
                             std::chrono::milliseconds timeout = std::chrono::seconds(60))
      : command_(std::move(command)), timeout_(timeout) {}

  TransportResult send(const OutgoingMail& mail) override;

 private:
  std::filesystem::path command_;
  std::chrono::milliseconds timeout_;
};

}  // namespace trv::mail
