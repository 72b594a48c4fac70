#pragma once
// A workstation's mail in folders of its own with a capturing transport: what the scenario
// runner gives every scenario, and a ready set-up for tests of the program's mail windows.
//
// Scenario steps map onto it: "mail none" is unconfigure(), "sendmail fails" refuseSends(),
// "mail-in FILE" deliver(), "expect sent-mail" sent() with sentMailField().

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/mail/capturing_transport.h"
#include "runtime/mail/mail_system.h"
#include "runtime/mail/maildir.h"

namespace trv::mail {

class LocalMailStore {
 public:
  // Writes the mail settings of configFolder: the Maildir at mailRoot, fromAddress as the
  // workstation's identity. Nothing (and problem says why) when they cannot be written.
  [[nodiscard]] static std::optional<LocalMailStore> create(
      const std::filesystem::path& configFolder, const std::filesystem::path& mailRoot,
      const std::string& fromAddress, std::string* problem = nullptr);

  // What a MailSystem over this store is built with.
  MailEnvironment environment(const text::Clock& clock) const;

  // No mail system is configured from now on: the next logon fails. Empty text on success.
  [[nodiscard]] std::string unconfigure();
  void refuseSends() { transport_->failEverySend(); }
  [[nodiscard]] MaildirResult deliver(std::string_view bytes, std::int64_t deliveredSeconds);

  std::vector<CapturedMail> sent() const { return transport_->captured(); }
  const std::shared_ptr<CapturingTransport>& transport() const { return transport_; }

 private:
  LocalMailStore(std::filesystem::path configFolder, std::filesystem::path mailRoot)
      : configFolder_(std::move(configFolder)), mailRoot_(std::move(mailRoot)) {}

  std::filesystem::path configFolder_;
  std::filesystem::path mailRoot_;
  std::shared_ptr<CapturingTransport> transport_ = std::make_shared<CapturingTransport>();
};

}  // namespace trv::mail
