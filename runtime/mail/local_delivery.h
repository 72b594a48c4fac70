#pragma once
// Putting mail into the workstation's own store from outside the mail calls: a message file
// arriving in the inbox (as a mail server's delivery would), for set-up scripts, tests and the
// scenario runner. Thread-safe.

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "runtime/mail/maildir.h"

namespace trv::text {
class Clock;
}

namespace trv::mail {

// The clock's local date and time as seconds since the epoch.
std::int64_t localEpochSeconds(const text::Clock& clock);

// Delivers bytes into the inbox that the settings of configFolder name, as received at
// deliveredSeconds. Fails (NotFound) when no mail system is configured there.
[[nodiscard]] MaildirResult deliverIncomingMail(const std::filesystem::path& configFolder,
                                                std::string_view bytes,
                                                std::int64_t deliveredSeconds);

}  // namespace trv::mail
