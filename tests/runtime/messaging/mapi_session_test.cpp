#include "runtime/messaging/mapi_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/automation/control.h"
#include "runtime/mail/capturing_transport.h"
#include "runtime/mail/mail_settings.h"
#include "runtime/mail/maildir.h"
#include "runtime/mail/scripted_mail_dialogs.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "tests/runtime/mail/mail_test_support.h"

namespace trv::messaging {
namespace {

namespace fs = std::filesystem;
using mail::testing::readText;
using mail::testing::TempDir;
using mail::testing::writeText;

constexpr const char* kFailed = "GetPropertyFailed";

class MapiSessionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeText(config.path() / mail::kMailSettingsFileName,
              "maildir = Mail\nfrom-name = Help Desk\nfrom-address = helpdesk@example.org\n");
    writeText(config.path() / mail::kDefaultAddressBookName,
              "Ann Client <ann@example.com>\nBob <bob@example.com>\nBob <bob2@example.com>\n");
  }

  void logon() { ASSERT_TRUE(control.perform("Logon(parentWindow=1)")); }

  std::string deliver(const std::string& bytes, const char* folder = "") {
    std::string id;
    EXPECT_TRUE(mail::Maildir::open(config.path() / "Mail" / folder)
                    ->deliver(bytes, deliveredAt++, {}, &id)
                    .ok());
    return id;
  }

  // Names of the folders inside the folder that ref reads, in the server's order.
  std::vector<std::string> subfolderNames(const std::string& folder) {
    std::vector<std::string> names;
    const std::string subs = control.read(folder + ".Folders");
    for (std::string s = control.read(subs + ".GetFirst(\"\")"); s != kFailed;
         s = control.read(subs + ".GetNext(\"\")"))
      names.push_back(control.read(s + ".Name"));
    return names;
  }

  TempDir config;
  TempDir work;
  text::ManualClock clock{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
  std::int64_t deliveredAt = 1020672000;
  std::shared_ptr<mail::CapturingTransport> transport =
      std::make_shared<mail::CapturingTransport>();
  mail::ScriptedMailDialogs dialogs;
  automation::Control control{
      makeMapiSession(MessagingEnvironment{config.path(), &clock, transport, &dialogs})};
};

TEST_F(MapiSessionTest, ProfileSelectsTheSettingsAndEachLogonEndsTheLastOnesObjects) {
  EXPECT_EQ(control.read("Inbox"), kFailed);  // not logged on
  for (const char* bad : {"Logon(ProfileName=Missing,showDialog=0)", "Logon(ProfileName=..)",
                          "Logon(ProfileName=a/../..)"})
    EXPECT_FALSE(control.perform(bad)) << bad;

  writeText(config.path() / "profiles" / "Sup, port" / mail::kMailSettingsFileName,
            "maildir = Support\nfrom-address = support@example.org\n");
  ASSERT_TRUE(control.perform(
      "Logon(ProfileName=Sup, port,profilePassword=a,b,showDialog=0,parentWindow=7)"));
  EXPECT_FALSE(control.perform("Logon(parentWindow=7)"));  // already logged on
  const std::string messages = control.read("Inbox.Messages");
  EXPECT_EQ(control.read(messages + ".Count"), "0");
  ASSERT_TRUE(mail::Maildir::open(config.path() / "profiles" / "Sup, port" / "Support")
                  ->deliver(mail::testing::plainMessage("a@example.com", "Hi", "x"), 1)
                  .ok());
  EXPECT_EQ(control.read(messages + ".Count"), "1");

  EXPECT_TRUE(control.perform("Logoff"));
  EXPECT_EQ(control.read(messages + ".Count"), kFailed);
  logon();  // the workstation's own settings
  EXPECT_EQ(control.read(messages + ".Count"), kFailed);
  EXPECT_EQ(control.read("Inbox.Messages.Count"), "0");
  EXPECT_EQ(control.read("Name"), "Help Desk");
}

TEST_F(MapiSessionTest, FolderTreeFollowsTheMaildirPlusPlusFolders) {
  ASSERT_TRUE(mail::Maildir::open(config.path() / "Mail" / ".Clients.Acme"));
  ASSERT_TRUE(mail::Maildir::open(config.path() / "Mail" / ".Archive"));
  logon();
  const std::string root = control.read("GetFolder(\"\")");
  EXPECT_EQ(control.read(root + ".ID"), "/");
  EXPECT_EQ(control.read(root + ".Name"), "");
  EXPECT_EQ(subfolderNames(root),
            (std::vector<std::string>{"Inbox", "Outbox", "Sent", "Trash", "Archive", "Clients"}));
  EXPECT_EQ(control.read(root + ".Folders.Count"), "6");

  // Clients holds only another folder: it is there, with no messages of its own.
  const std::string clients = control.read(root + ".Folders.Item(6)");
  EXPECT_EQ(control.read(clients + ".ID"), ".Clients");
  EXPECT_EQ(subfolderNames(clients), std::vector<std::string>{"Acme"});
  EXPECT_EQ(control.read(clients + ".Messages.Count"), "0");
  EXPECT_EQ(control.read(clients + ".Messages.GetFirst"), kFailed);

  deliver(mail::testing::plainMessage("a@example.com", "For Acme", "x"), ".Clients.Acme");
  const std::string acme = control.read("GetFolder(\".Clients.Acme\")");
  EXPECT_EQ(control.read(acme + ".Name"), "Acme");
  const std::string first = control.read(acme + ".Messages.GetFirst");
  EXPECT_EQ(control.read(first + ".Subject"), "For Acme");
  EXPECT_EQ(control.read(first + ".ID").rfind(".Clients.Acme/", 0), 0u);
  EXPECT_EQ(control.read("GetFolder(INBOX).Name"), "Inbox");
  EXPECT_EQ(control.read("Outbox.ID"), ".Outbox");
  EXPECT_EQ(subfolderNames(control.read("Inbox")), std::vector<std::string>{});

  for (const char* bad : {"GetFolder(\"Nope\")", "GetFolder(\".Nope\")", "GetFolder(.Clients/..)",
                          "GetFolder(..Clients)", "GetFolder(.Clients.)"})
    EXPECT_EQ(control.read(bad), kFailed) << bad;
}

TEST_F(MapiSessionTest, WalkReadsMessagesAndWritesAttachmentsWhole) {
  deliver(mail::testing::kMixedMessage);
  deliver(mail::testing::plainMessage("Bob <bob@example.com>", "Second", "line 1\nline 2"));
  logon();
  const std::string messages = control.read("inbox.messages");
  const std::string first = control.read(messages + ".GetFirst");
  const std::string id = control.read(first + ".ID");
  EXPECT_EQ(id.rfind("INBOX/", 0), 0u);
  EXPECT_EQ(control.read(first + ".subject"), "Drucker f\xE4llt aus");
  EXPECT_EQ(control.read(control.read(first + ".sender") + ".Address"), "juergen@example.com");
  EXPECT_EQ(control.read(first + ".Sender.Name"), "J\xFCrgen M\xFCller");
  EXPECT_EQ(control.read(first + ".Text"),
            "Der Drucker f\xE4llt aus.\r\nGr\xFC\xDF"
            "e");
  EXPECT_EQ(control.read(first + ".Attachments.Count"), "2");
  const std::string attachments = control.read(first + ".Attachments");
  EXPECT_EQ(control.read(attachments + ".Item(1).Source"), "Rechnung M\u00E4rz.pdf");
  EXPECT_EQ(control.read(attachments + ".Item(1).Name"), "Rechnung M\xE4rz.pdf");
  EXPECT_EQ(control.read(attachments + ".Item(2).Source"), "evil.txt");
  EXPECT_EQ(control.read(attachments + ".Item(3).Source"), kFailed);
  EXPECT_EQ(control.read(first + ".Recipients.Count"), "3");
  EXPECT_EQ(control.read(first + ".Recipients.Item(3).Type"), "2");

  const std::string second = control.read(messages + ".GetNext");
  EXPECT_EQ(control.read(second + ".Subject"), "Second");
  EXPECT_EQ(control.read(second + ".Text"), "line 1\r\nline 2\r\n");
  EXPECT_EQ(control.read(second + ".Attachments.Count"), "0");
  EXPECT_EQ(control.read(messages + ".GetNext"), kFailed);
  EXPECT_EQ(control.read(messages + ".GetNext"), kFailed);
  EXPECT_EQ(control.read(control.read(messages + ".GetFirst") + ".ID"), id);
  EXPECT_EQ(control.read("GetMessage(" + id + ").Subject"), "Drucker f\xE4llt aus");
  EXPECT_EQ(control.read("GetMessage(INBOX/nope)"), kFailed);
  EXPECT_EQ(control.read("GetMessage(" + id.substr(6) + ")"), kFailed);  // no folder

  // A folder with "," and ")" in its name, and a file already there: replaced whole.
  const fs::path folder = work.path() / "a,b)c";
  fs::create_directories(folder);
  writeText(folder / "r.pdf", "an older, longer file that is replaced");
  EXPECT_TRUE(
      control.perform(attachments + ".Item(1).WriteToFile(" + (folder / "r.pdf").string() + ")"));
  EXPECT_EQ(readText(folder / "r.pdf"), "%PDF-1.4\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
  // A folder that is a file: refused, and nothing is left behind.
  EXPECT_FALSE(control.perform(attachments + ".Item(2).WriteToFile(" +
                               (folder / "r.pdf" / "x.txt").string() + ")"));
  EXPECT_EQ(readText(folder / "r.pdf"), "%PDF-1.4\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

TEST_F(MapiSessionTest, DeleteMovesToTrashAndDeletingThereRemoves) {
  const std::string maildirId = deliver(mail::testing::plainMessage("a@example.com", "Old", "x"));
  logon();
  const std::string id = "INBOX/" + maildirId;
  EXPECT_EQ(control.read("GetMessage(" + id + ").Delete"), "");
  EXPECT_EQ(control.read("GetMessage(" + id + ")"), kFailed);
  EXPECT_EQ(control.read("GetMessage(" + id + ").Delete"), kFailed);
  const std::string trashed = control.read("GetFolder(.Trash).Messages.GetFirst");
  EXPECT_EQ(control.read(trashed + ".ID"), ".Trash/" + maildirId);
  EXPECT_EQ(control.read(trashed + ".Subject"), "Old");
  EXPECT_EQ(control.read(trashed + ".Delete"), "");
  EXPECT_EQ(control.read(trashed + ".Subject"), kFailed);
  EXPECT_TRUE(mail::Maildir::open(config.path() / "Mail" / ".Trash")->list().empty());
}

TEST_F(MapiSessionTest, SendResolvesRecipientsAndReadsAttachments) {
  logon();
  const fs::path file = work.path() / "report,1).txt";
  writeText(file, "report");
  const std::string m = control.read("outbox.messages.add");
  ASSERT_TRUE(control.set(m + ".Subject", "Case 12"));
  ASSERT_TRUE(control.set(m + ".Text", "Solved.\r\n"));
  const std::string ann = control.read(m + ".Recipients.Add");
  ASSERT_TRUE(control.set(ann + ".Name", "ann client"));
  ASSERT_TRUE(control.set(ann + ".Type", "1"));
  EXPECT_EQ(control.read(ann + ".Resolve(0)"), "");
  EXPECT_EQ(control.read(ann + ".Address"), "ann@example.com");
  const std::string cc = control.read(m + ".Recipients.Add");
  ASSERT_TRUE(control.set(cc + ".Name", "carl@example.com"));
  ASSERT_TRUE(control.set(cc + ".Type", "2"));
  EXPECT_EQ(control.read(cc + ".Resolve(0)"), "");
  EXPECT_FALSE(control.set(cc + ".Type", "4"));
  for (const char* unresolved : {"Nobody", "Bob"}) {  // unknown, and ambiguous
    const std::string r = control.read(m + ".Recipients.Add");
    ASSERT_TRUE(control.set(r + ".Name", unresolved));
    EXPECT_EQ(control.read(r + ".Resolve(0)"), kFailed) << unresolved;
    EXPECT_TRUE(control.perform(r + ".Delete"));
  }
  EXPECT_EQ(control.read(m + ".Recipients.Count"), "2");
  const std::string a = control.read(m + ".Attachments.Add");
  ASSERT_TRUE(control.set(a + ".Type", "1"));
  ASSERT_TRUE(control.set(a + ".Position", "-1"));
  ASSERT_TRUE(control.set(a + ".Name", "report,1).txt"));
  ASSERT_TRUE(control.set(a + ".ReadFromFile", file.string()));
  EXPECT_EQ(control.read(a + ".Source"), file.string());
  EXPECT_EQ(control.read(m + ".update"), "");
  EXPECT_EQ(control.read(m + ".send(1,0)"), "");
  EXPECT_EQ(control.read(m + ".Subject"), kFailed);  // sent: gone

  ASSERT_EQ(transport->count(), 1u);
  const mail::CapturedMail sent = transport->captured().front();
  EXPECT_EQ(sent.subject, "Case 12");
  EXPECT_EQ(sent.to, std::vector<std::string>{"ann@example.com"});
  EXPECT_EQ(sent.cc, std::vector<std::string>{"carl@example.com"});
  EXPECT_EQ(sent.attachmentNames, std::vector<std::string>{"report,1).txt"});
  EXPECT_EQ(control.read("GetFolder(.Sent).Messages.Count"), "1");
}

TEST_F(MapiSessionTest, MailQueuedInTheOutboxIsSent) {
  // No sendmail command and no transport given: mail waits in the outbox, which is a success.
  automation::Control queued{
      makeMapiSession(MessagingEnvironment{config.path(), &clock, nullptr, nullptr})};
  ASSERT_TRUE(queued.perform("Logon(parentWindow=1)"));
  const std::string m = queued.read("Outbox.Messages.Add");
  ASSERT_TRUE(queued.set(queued.read(m + ".Recipients.Add") + ".Name", "ann@example.com"));
  ASSERT_TRUE(queued.set(m + ".Subject", "Waits"));
  EXPECT_EQ(queued.read(m + ".send(1,0)"), "");
  EXPECT_EQ(queued.read("Outbox.Messages.Count"), "1");
  EXPECT_EQ(queued.read("Outbox.Messages.GetFirst.Subject"), "Waits");
  EXPECT_EQ(queued.read("AddressBook()"), kFailed);  // no address book to show
}

TEST_F(MapiSessionTest, SendFailsAndSendsNothingWhenTheMailCannotGo) {
  logon();
  auto draft = [&](const char* to) {
    const std::string m = control.read("Outbox.Messages.Add");
    const std::string r = control.read(m + ".Recipients.Add");
    EXPECT_TRUE(control.set(r + ".Name", to));
    return m;
  };
  // A file that cannot be read is refused, and the message does not go without it.
  const std::string missing = draft("ann@example.com");
  const std::string a = control.read(missing + ".Attachments.Add");
  EXPECT_FALSE(control.set(a + ".ReadFromFile", (work.path() / "none.txt").string()));
  EXPECT_EQ(control.read(missing + ".send(1,0)"), kFailed);
  // No recipient at all, or one nobody knows.
  EXPECT_EQ(control.read(control.read("Outbox.Messages.Add") + ".send(1,0)"), kFailed);
  EXPECT_EQ(control.read(draft("Nobody") + ".send(1,0)"), kFailed);
  // The transport refuses.
  transport->failEverySend("server down");
  const std::string refused = draft("ann@example.com");
  EXPECT_EQ(control.read(refused + ".send(1,0)"), kFailed);
  EXPECT_EQ(transport->count(), 0u);
  // Thrown away.
  EXPECT_EQ(control.read(refused + ".Delete"), "");
  EXPECT_EQ(control.read(refused + ".send(1,0)"), kFailed);
}

TEST_F(MapiSessionTest, AddressBookGivesTheChosenRecipients) {
  logon();
  dialogs.answerAddress(
      std::vector<mail::MapiRecipDesc>{{0, mail::kMapiCc, "Ann Client", "ann@example.com", ""},
                                       {0, mail::kMapiBcc, "Bob", "bob@example.com", ""}});
  const std::string list =
      control.read("AddressBook(title=\"Pick, please\",recipLists=2,parentWindow=4)");
  ASSERT_NE(list, kFailed);
  ASSERT_EQ(dialogs.addressRequests.size(), 1u);
  EXPECT_EQ(dialogs.addressRequests[0].caption, "Pick, please");
  EXPECT_EQ(dialogs.addressRequests[0].editFields, 2u);
  EXPECT_EQ(dialogs.addressRequests[0].book.size(), 3u);
  EXPECT_EQ(control.read(list + ".Count"), "2");
  EXPECT_EQ(control.read(list + ".Item(1).Type"), "2");
  EXPECT_EQ(control.read(list + ".Item(1).name"), "Ann Client");
  EXPECT_EQ(control.read(list + ".Item(2).address"), "bob@example.com");
  EXPECT_EQ(control.read(list + ".Item(3)"), kFailed);

  EXPECT_EQ(control.read("AddressBook(parentWindow=4)"), kFailed);  // cancelled
  EXPECT_EQ(dialogs.addressRequests.back().editFields, 3u);
}

}  // namespace
}  // namespace trv::messaging
