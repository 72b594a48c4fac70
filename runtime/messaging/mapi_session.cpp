#include "runtime/messaging/mapi_session.h"

#include "runtime/mail/mail_address.h"
#include "runtime/messaging/folders.h"
#include "runtime/messaging/messages.h"
#include "runtime/messaging/session_state.h"

namespace trv::messaging {
namespace fs = std::filesystem;
using automation::Arguments;
using automation::sameName;
using automation::Value;
using namespace detail;

namespace {

// The folder whose settings a profile names; nothing for a name that could leave the folder.
std::optional<fs::path> profileFolder(const fs::path& configFolder, std::string_view profile) {
  const std::string_view name = mail::trimmed(profile);
  if (name.empty()) return configFolder;
  if (name == "." || name == ".." || name.find('/') != std::string_view::npos ||
      name.find('\0') != std::string_view::npos)
    return std::nullopt;
  return configFolder / "profiles" / std::string(name);
}

class SessionObject final : public automation::Object {
 public:
  explicit SessionObject(MessagingEnvironment env) : state_(std::make_shared<SessionState>()) {
    state_->env = std::move(env);
  }
  ~SessionObject() override { logoff(); }

  automation::MemberShape shape(std::string_view m) const override {
    if (sameName(m, "GetFolder") || sameName(m, "GetMessage"))
      return {automation::ArgumentStyle::WholeText, {}};
    if (sameName(m, "Logon"))
      return {automation::ArgumentStyle::Named,
              {"ProfileName", "ProfilePassword", "ShowDialog", "NewSession", "ParentWindow"}};
    if (sameName(m, "AddressBook"))
      return {automation::ArgumentStyle::Named, {"Title", "RecipLists", "ParentWindow"}};
    return {};
  }

  std::optional<Value> get(std::string_view m, const Arguments& args) override {
    if (sameName(m, "Logon")) return logon(args) ? std::optional<Value>(Value()) : std::nullopt;
    if (sameName(m, "Logoff")) {
      logoff();
      return Value();
    }
    SessionState& s = *state_;
    if (!s.loggedOn) return std::nullopt;
    if (sameName(m, "Name")) return Value(s.settings.fromName);
    if (sameName(m, "Inbox")) return folder(kInboxId);
    if (sameName(m, "Outbox")) return folder(".Outbox");
    if (sameName(m, "GetFolder")) return folder(automation::firstArgument(args).value_or(""));
    if (sameName(m, "GetMessage")) {
      automation::ObjectPtr message =
          findMessage(state_, automation::firstArgument(args).value_or(""));
      if (!message) return std::nullopt;
      return Value(std::move(message));
    }
    if (sameName(m, "AddressBook")) return addressBook(args);
    return std::nullopt;
  }

  bool set(std::string_view, std::string_view) override { return false; }

 private:
  std::optional<Value> folder(std::string_view id) {
    auto info = folderById(*state_, id);
    if (!info) return std::nullopt;
    return Value(makeFolder(state_, *info));
  }

  bool logon(const Arguments& args) {
    SessionState& s = *state_;
    if (s.loggedOn) return false;
    auto folder = profileFolder(s.env.configFolder,
                                automation::namedArgument(args, "ProfileName").value_or(""));
    if (!folder) return false;
    mail::SettingsLoad load = mail::loadMailSettings(*folder);
    if (load.status != mail::SettingsStatus::Loaded) return false;
    auto system = std::make_unique<mail::MailSystem>(
        mail::MailEnvironment{*folder, s.env.clock, s.env.transport});
    system->setDialogs(s.env.dialogs);
    mail::MapiHandle handle = 0;
    if (system->MAPILogon(0, "", "", mail::kMapiNewSession, 0, handle) != mail::MapiSuccess)
      return false;
    auto inbox = mail::Maildir::open(load.settings.maildir);
    std::optional<mail::Maildir> trash;
    if (inbox) {
      for (const char* standard : {"Outbox", "Sent"})
        if (!inbox->subfolder(standard)) inbox.reset();
      if (inbox) trash = inbox->subfolder("Trash");
    }
    if (!inbox || !trash) {
      (void)system->MAPILogoff(handle, 0, 0, 0);
      return false;
    }
    s.settings = std::move(load.settings);
    s.mail = std::move(system);
    s.handle = handle;
    s.inbox = std::move(inbox);
    s.trash = std::move(trash);
    s.loggedOn = true;
    ++s.logon;
    return true;
  }

  void logoff() {
    SessionState& s = *state_;
    if (!s.loggedOn) return;
    (void)s.mail->MAPILogoff(s.handle, 0, 0, 0);
    s.mail.reset();
    s.handle = 0;
    s.inbox.reset();
    s.trash.reset();
    s.loggedOn = false;
    ++s.logon;
  }

  std::optional<Value> addressBook(const Arguments& args) {
    SessionState& s = *state_;
    std::uint32_t lists = 3;  // To, CC and BCC unless the caller asks for fewer
    if (auto n = numberOf(automation::namedArgument(args, "RecipLists").value_or("0")); n && *n > 0)
      lists = static_cast<std::uint32_t>(*n);
    std::uint32_t count = 0;
    const mail::MapiRecipList* chosen = nullptr;
    const mail::MapiResult r =
        s.mail->MAPIAddress(s.handle, 0, automation::namedArgument(args, "Title").value_or(""),
                            lists, "", {}, 0, 0, count, chosen);
    if (r != mail::MapiSuccess || !chosen) return std::nullopt;
    automation::ObjectPtr list = makeRecipientList(state_, *chosen);
    (void)s.mail->MAPIFreeBuffer(chosen);
    return Value(std::move(list));
  }

  State state_;
};

}  // namespace

automation::ObjectPtr makeMapiSession(MessagingEnvironment env) {
  return std::make_shared<SessionObject>(std::move(env));
}

void registerMapiSession(automation::ClassRegistry& classes,
                         std::function<MessagingEnvironment()> env) {
  classes.add(kMapiSessionClass, [env = std::move(env)] { return makeMapiSession(env()); });
}

}  // namespace trv::messaging
