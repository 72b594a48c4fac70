#include "runtime/mail/mail_settings.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "runtime/mail/mail_address.h"

namespace trv::mail {
namespace fs = std::filesystem;
namespace {

fs::path resolve(const fs::path& folder, std::string_view value) {
  fs::path p{std::string(value)};
  return p.is_relative() ? folder / p : p;
}

std::string lineProblem(int line, const std::string& what) {
  return std::string(kMailSettingsFileName) + " line " + std::to_string(line) + ": " + what;
}

}  // namespace

SettingsLoad loadMailSettings(const fs::path& configFolder) {
  SettingsLoad out;
  const fs::path file = configFolder / kMailSettingsFileName;
  std::error_code ec;
  if (!fs::exists(file, ec)) {
    out.status = SettingsStatus::Missing;
    return out;
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    out.status = SettingsStatus::Malformed;
    out.problem = std::string(kMailSettingsFileName) + ": cannot be read: " + std::strerror(errno);
    return out;
  }
  out.settings.addressBook = configFolder / kDefaultAddressBookName;
  std::string raw;
  int lineNo = 0;
  auto fail = [&](const std::string& what) {
    out.status = SettingsStatus::Malformed;
    out.problem = lineProblem(lineNo, what);
    return out;
  };
  while (std::getline(in, raw)) {
    ++lineNo;
    const std::string_view line = trimmed(raw);
    if (line.empty() || line.front() == '#') continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return fail("expected \"key = value\"");
    const std::string key(trimmed(line.substr(0, eq)));
    const std::string_view value = trimmed(line.substr(eq + 1));
    if (key == "maildir") {
      out.settings.maildir = value.empty() ? fs::path() : resolve(configFolder, value);
    } else if (key == "sendmail") {
      // A bare command name is found on the search path when it runs.
      const bool bare = value.find('/') == std::string_view::npos;
      out.settings.sendmailCommand = value.empty() ? fs::path()
                                     : bare        ? fs::path(std::string(value))
                                                   : resolve(configFolder, value);
    } else if (key == "from-name") {
      out.settings.fromName = std::string(value);
    } else if (key == "from-address") {
      if (!isValidAddress(value))
        return fail("\"" + std::string(value) + "\" is not a mail address");
      out.settings.fromAddress = std::string(value);
    } else if (key == "address-book") {
      if (!value.empty()) out.settings.addressBook = resolve(configFolder, value);
    } else if (key == "temp-folder") {
      out.settings.tempFolder = value.empty() ? fs::path() : resolve(configFolder, value);
    } else {
      return fail("unknown key \"" + key + "\"");
    }
  }
  if (out.settings.maildir.empty()) return fail("no \"maildir\" is set");
  if (out.settings.fromAddress.empty()) return fail("no \"from-address\" is set");
  out.status = SettingsStatus::Loaded;
  return out;
}

std::string writeMailSettings(const fs::path& configFolder, const MailSettings& s) {
  std::ostringstream text;
  text << "# Mail settings of this workstation.\n"
       << "maildir = " << s.maildir.string() << "\n"
       << "sendmail = " << s.sendmailCommand.string() << "\n"
       << "from-name = " << s.fromName << "\n"
       << "from-address = " << s.fromAddress << "\n";
  if (!s.addressBook.empty()) text << "address-book = " << s.addressBook.string() << "\n";
  if (!s.tempFolder.empty()) text << "temp-folder = " << s.tempFolder.string() << "\n";

  std::error_code ec;
  fs::create_directories(configFolder, ec);
  const fs::path target = configFolder / kMailSettingsFileName;
  const fs::path temp = configFolder / (std::string(kMailSettingsFileName) + ".new");
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << text.str();
    out.flush();
    if (!out) {
      fs::remove(temp, ec);
      return "cannot write " + temp.string();
    }
  }
  fs::rename(temp, target, ec);
  if (ec) {
    fs::remove(temp, ec);
    return "cannot replace " + target.string() + ": " + ec.message();
  }
  return {};
}

MailSettings defaultMailSettings(const fs::path& dataFolder) {
  MailSettings s;
  s.maildir = dataFolder / "Mail";
  std::string user = "helpdesk";
  if (const char* login = ::getlogin(); login != nullptr && *login != '\0')
    user = login;
  else if (const char* env = std::getenv("USER"); env != nullptr && *env != '\0')
    user = env;
  char host[256] = {};
  std::string hostName = "localhost";
  if (::gethostname(host, sizeof host - 1) == 0 && host[0] != '\0') hostName = host;
  s.fromName = user;
  s.fromAddress = user + "@" + hostName;
  if (!isValidAddress(s.fromAddress)) s.fromAddress = "helpdesk@localhost";
  return s;
}

std::string ensureMailSettings(const fs::path& configFolder, const fs::path& dataFolder) {
  std::error_code ec;
  if (fs::exists(configFolder / kMailSettingsFileName, ec)) return {};
  return writeMailSettings(configFolder, defaultMailSettings(dataFolder));
}

}  // namespace trv::mail
