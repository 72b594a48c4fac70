#pragma once
// TEST ONLY: the library has no desktop to show the address book on. When the environment
// variable TRV_TEST_ADDRESS_ANSWERS names a file, each address-book request takes the next
// line of that file as the user's answer, so that a test program can script it:
//   cancel
//   To: Ann Client <ann@example.com>; CC: bob@example.com
// Lines starting with "#" are skipped; a missing line is a cancel. Without the variable no
// address book can be shown and every request is cancelled.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "runtime/mail/mail_dialogs.h"

namespace trv::mailauto {

class TestAddressAnswers final : public mail::MailDialogs {
 public:
  explicit TestAddressAnswers(std::filesystem::path file) : file_(std::move(file)) {}

  // The answers the environment names; nullptr when it names none.
  static std::unique_ptr<TestAddressAnswers> fromEnvironment();
  // One answer line; nothing for "cancel" or a line that names nobody usable.
  static std::optional<std::vector<mail::MapiRecipDesc>> parseAnswer(std::string_view line);

  std::optional<std::vector<mail::MapiRecipDesc>> chooseRecipients(
      const mail::AddressRequest& request) override;
  std::optional<mail::MapiMessage> composeMessage(const mail::MapiMessage&,
                                                  const std::vector<mail::AddressEntry>&) override {
    return std::nullopt;
  }

 private:
  std::filesystem::path file_;
  std::size_t asked_ = 0;
};

}  // namespace trv::mailauto
