#pragma once
// The workstation's mail settings: a small file of its own ("trvmail.conf") in the
// configuration folder, apart from the program's configuration file.
//
// The file holds "key = value" lines; "#" starts a comment line. Keys:
//   maildir       the incoming Maildir; its subfolders .Sent, .Outbox and .Trash hold sent,
//                 queued and deleted mail (required)
//   sendmail      a sendmail-compatible command; empty or missing: outgoing mail is kept in the
//                 outbox folder for later delivery
//   from-name     the display name of this workstation's identity (UTF-8)
//   from-address  the address every message is sent from (required)
//   address-book  the address-book file (default "trvmail-addresses.txt")
//   temp-folder   where attachments of a read are written (default: the system's temp folder)
// Relative paths resolve against the configuration folder; a sendmail command given as a bare
// name is looked up on the search path. Thread-safe (pure file access).

#include <filesystem>
#include <string>

namespace trv::mail {

inline constexpr const char* kMailSettingsFileName = "trvmail.conf";
inline constexpr const char* kDefaultAddressBookName = "trvmail-addresses.txt";

struct MailSettings {
  std::filesystem::path maildir;
  std::filesystem::path sendmailCommand;
  std::string fromName;
  std::string fromAddress;
  std::filesystem::path addressBook;
  std::filesystem::path tempFolder;
};

enum class SettingsStatus {
  Loaded,
  Missing,    // no settings file: no mail system is configured
  Malformed,  // the file exists but cannot be used; problem says why
};

struct SettingsLoad {
  SettingsStatus status = SettingsStatus::Missing;
  MailSettings settings;
  std::string problem;  // "trvmail.conf line 3: unknown key \"sendmial\""
};

// Reads the settings file of configFolder. Never throws; every failure is a status.
[[nodiscard]] SettingsLoad loadMailSettings(const std::filesystem::path& configFolder);

// Writes the settings file of configFolder through a temporary file and a rename, so a reader
// never sees half a file. Returns an empty text on success, otherwise what went wrong.
[[nodiscard]] std::string writeMailSettings(const std::filesystem::path& configFolder,
                                            const MailSettings& settings);

// A working local set-up for a fresh workstation: a Maildir under dataFolder, no sendmail
// command (mail waits in the outbox), the user's login name at this host as the identity.
MailSettings defaultMailSettings(const std::filesystem::path& dataFolder);

// Writes defaultMailSettings(dataFolder) when configFolder holds no settings file yet.
// Returns an empty text on success or when settings exist, otherwise what went wrong.
[[nodiscard]] std::string ensureMailSettings(const std::filesystem::path& configFolder,
                                             const std::filesystem::path& dataFolder);

}  // namespace trv::mail
