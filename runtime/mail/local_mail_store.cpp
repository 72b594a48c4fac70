#include "runtime/mail/local_mail_store.h"

#include "runtime/mail/mail_settings.h"

namespace trv::mail {
namespace fs = std::filesystem;

std::optional<LocalMailStore> LocalMailStore::create(const fs::path& configFolder,
                                                     const fs::path& mailRoot,
                                                     const std::string& fromAddress,
                                                     std::string* problem) {
  MailSettings settings;
  settings.maildir = mailRoot;
  settings.fromName = "Help Desk";
  settings.fromAddress = fromAddress;
  settings.addressBook = configFolder / kDefaultAddressBookName;
  if (std::string failed = writeMailSettings(configFolder, settings); !failed.empty()) {
    if (problem) *problem = failed;
    return std::nullopt;
  }
  if (!Maildir::open(mailRoot, problem)) return std::nullopt;
  return LocalMailStore(configFolder, mailRoot);
}

MailEnvironment LocalMailStore::environment(const text::Clock& clock) const {
  return MailEnvironment{configFolder_, &clock, transport_};
}

std::string LocalMailStore::unconfigure() {
  std::error_code ec;
  fs::remove(configFolder_ / kMailSettingsFileName, ec);
  return ec ? "cannot remove the mail settings: " + ec.message() : std::string();
}

MaildirResult LocalMailStore::deliver(std::string_view bytes, std::int64_t deliveredSeconds) {
  std::string problem;
  auto inbox = Maildir::open(mailRoot_, &problem);
  if (!inbox) return {MaildirStatus::Failed, problem};
  return inbox->deliver(bytes, deliveredSeconds);
}

}  // namespace trv::mail
