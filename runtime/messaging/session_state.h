#pragma once
// Internal to runtime/messaging: what the objects of one session share, and the base of every
// object tied to one logon.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/automation/object.h"
#include "runtime/mail/mail_settings.h"
#include "runtime/mail/mail_system.h"
#include "runtime/mail/maildir.h"
#include "runtime/messaging/mapi_session.h"

namespace trv::messaging::detail {

struct SessionState {
  MessagingEnvironment env;
  std::uint64_t logon = 0;  // moves on at each logon and logoff
  bool loggedOn = false;
  mail::MailSettings settings;
  std::unique_ptr<mail::MailSystem> mail;
  mail::MapiHandle handle = 0;
  std::optional<mail::Maildir> inbox;
  std::optional<mail::Maildir> trash;
};
using State = std::shared_ptr<SessionState>;

// An object handed out during one logon: every member fails once that logon ended.
class Bound : public automation::Object {
 public:
  explicit Bound(State state) : state_(std::move(state)), logon_(state_->logon) {}

 protected:
  bool live() const { return state_->loggedOn && state_->logon == logon_; }
  State state_;

 private:
  std::uint64_t logon_;
};

// Mail texts (UTF-8, LF) as the session hands them out (Windows-1252, CR LF).
std::string outText(std::string_view utf8);
std::string outLines(std::string_view utf8);
// "3" as a number; nothing when text is not a whole decimal number.
std::optional<std::int64_t> numberOf(std::string_view text);

}  // namespace trv::messaging::detail
