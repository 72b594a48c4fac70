#include "runtime/mail/local_delivery.h"

#include <ctime>

#include "runtime/mail/mail_settings.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"

namespace trv::mail {

std::int64_t localEpochSeconds(const text::Clock& clock) {
  const auto day = text::civilDate(clock.today());
  if (!day) return static_cast<std::int64_t>(std::time(nullptr));
  std::tm tm{};
  tm.tm_year = day->year - 1900;
  tm.tm_mon = day->month - 1;
  tm.tm_mday = day->day;
  if (const auto time = text::clockTime(clock.now())) {
    tm.tm_hour = time->hours;
    tm.tm_min = time->minutes;
    tm.tm_sec = time->seconds;
  }
  tm.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&tm));
}

MaildirResult deliverIncomingMail(const std::filesystem::path& configFolder, std::string_view bytes,
                                  std::int64_t deliveredSeconds) {
  const SettingsLoad load = loadMailSettings(configFolder);
  if (load.status == SettingsStatus::Missing)
    return {MaildirStatus::NotFound, "no mail system is configured in " + configFolder.string()};
  if (load.status == SettingsStatus::Malformed) return {MaildirStatus::Failed, load.problem};
  std::string problem;
  auto inbox = Maildir::open(load.settings.maildir, &problem);
  if (!inbox) return {MaildirStatus::Failed, problem};
  return inbox->deliver(bytes, deliveredSeconds);
}

}  // namespace trv::mail
