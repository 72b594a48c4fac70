#include "runtime/mail/mail_settings.h"

#include <gtest/gtest.h>

#include "tests/runtime/mail/mail_test_support.h"

namespace trv::mail {
namespace {

using testing::TempDir;
using testing::writeText;

TEST(MailSettings, ReadsKeysAndResolvesRelativePaths) {
  TempDir dir;
  writeText(dir.path() / kMailSettingsFileName,
            "# this workstation\n"
            "maildir = Mail\n"
            "sendmail = /usr/sbin/sendmail\n"
            "from-name = Help Desk\n"
            "from-address = helpdesk@example.org\n");
  const SettingsLoad load = loadMailSettings(dir.path());
  ASSERT_EQ(load.status, SettingsStatus::Loaded) << load.problem;
  EXPECT_EQ(load.settings.maildir, dir.path() / "Mail");
  EXPECT_EQ(load.settings.sendmailCommand, "/usr/sbin/sendmail");
  EXPECT_EQ(load.settings.fromName, "Help Desk");
  EXPECT_EQ(load.settings.addressBook, dir.path() / kDefaultAddressBookName);
  EXPECT_TRUE(load.settings.tempFolder.empty());
}

TEST(MailSettings, MissingAndUnusableFilesAreToldApart) {
  TempDir dir;
  EXPECT_EQ(loadMailSettings(dir.path()).status, SettingsStatus::Missing);

  struct Case {
    const char* text;
    const char* problem;
  };
  const Case cases[] = {
      {"maildir = M\nfrom-address = a@b.c\nsendmial = x\n", "line 3: unknown key \"sendmial\""},
      {"maildir = M\nfrom-address = helpdesk\n", "line 2: \"helpdesk\" is not a mail address"},
      {"maildir = M\njust words\n", "line 2: expected \"key = value\""},
      {"from-address = a@b.c\n", "no \"maildir\" is set"},
      {"maildir = M\n", "no \"from-address\" is set"},
  };
  for (const Case& c : cases) {
    writeText(dir.path() / kMailSettingsFileName, c.text);
    const SettingsLoad load = loadMailSettings(dir.path());
    EXPECT_EQ(load.status, SettingsStatus::Malformed) << c.text;
    EXPECT_NE(load.problem.find(c.problem), std::string::npos) << load.problem;
  }
}

TEST(MailSettings, DefaultIsWrittenOnceAndReadsBack) {
  TempDir config, data;
  ASSERT_EQ(ensureMailSettings(config.path(), data.path()), "");
  const SettingsLoad first = loadMailSettings(config.path());
  ASSERT_EQ(first.status, SettingsStatus::Loaded) << first.problem;
  EXPECT_EQ(first.settings.maildir, data.path() / "Mail");
  EXPECT_TRUE(first.settings.sendmailCommand.empty());

  MailSettings changed = first.settings;
  changed.fromAddress = "desk@example.org";
  ASSERT_EQ(writeMailSettings(config.path(), changed), "");
  ASSERT_EQ(ensureMailSettings(config.path(), data.path()), "");  // keeps what is there
  EXPECT_EQ(loadMailSettings(config.path()).settings.fromAddress, "desk@example.org");
}

}  // namespace
}  // namespace trv::mail
