#include "runtime/mail/mail_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "runtime/mail/capturing_transport.h"
#include "runtime/mail/local_delivery.h"
#include "runtime/mail/scripted_mail_dialogs.h"
#include "runtime/text/charset.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "tests/runtime/mail/mail_test_support.h"

namespace trv::mail {
namespace {

namespace fs = std::filesystem;
using testing::readText;
using testing::TempDir;
using testing::writeText;

constexpr const char* kSettings =
    "maildir = Mail\nfrom-name = Help Desk\nfrom-address = helpdesk@example.org\n";

class MailSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    writeText(config.path() / kMailSettingsFileName, kSettings);
    writeText(config.path() / kDefaultAddressBookName,
              "Ann Client <ann@example.com>\nBob Client <bob@example.com>\nBob Client "
              "<bob2@example.com>\n");
    mail = std::make_unique<MailSystem>(MailEnvironment{config.path(), &clock, transport});
    mail->setDialogs(&dialogs);
  }

  MapiHandle logon() {
    MapiHandle h = 0;
    EXPECT_EQ(mail->MAPILogon(0, "", "", kMapiNewSession, 0, h), MapiSuccess) << mail->lastDetail();
    return h;
  }

  std::string deliver(const std::string& bytes) {
    std::string id;
    EXPECT_TRUE(Maildir::open(config.path() / "Mail")->deliver(bytes, deliveredAt++, {}, &id).ok());
    return id;
  }

  std::vector<MaildirEntry> folder(const char* sub) {
    return Maildir::open(config.path() / "Mail" / sub)->list();
  }

  // The inbox as the mail window loads it: find the next, read it, until the walk ends.
  std::vector<std::pair<std::string, std::string>> loadInbox(MapiHandle h) {
    std::vector<std::pair<std::string, std::string>> inbox;
    std::string id;
    for (int guard = 0; guard < 100; ++guard) {
      const std::string seed = id;
      (void)mail->MAPIFindNext(h, 0, "", seed, 0, 0, id);
      const MapiMessage* m = nullptr;
      const MapiResult read = mail->MAPIReadMail(h, 0, id, kMapiSuppressAttach, 0, m);
      if (read == MapiInvalidMessage || (read != MapiSuccess && read != MapiFailure)) break;
      if (read == MapiSuccess && id == seed) {
        (void)mail->MAPIFreeBuffer(m);
        break;
      }
      inbox.emplace_back(id, m ? m->subject : "");
      (void)mail->MAPIFreeBuffer(m);
    }
    return inbox;
  }

  MapiMessage simpleMessage() {
    MapiMessage m;
    m.subject = "Case 12";
    m.noteText = "Dear client,\r\nsolved.\r\n";
    m.recips = {{0, kMapiTo, "ann@example.com", "", ""}};
    return m;
  }

  TempDir config;
  text::ManualClock clock{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
  std::int64_t deliveredAt = 1020672000;
  std::shared_ptr<CapturingTransport> transport = std::make_shared<CapturingTransport>();
  ScriptedMailDialogs dialogs;
  std::unique_ptr<MailSystem> mail;
};

TEST_F(MailSystemTest, LogonAndLogoffResults) {
  TempDir empty;
  MailSystem unconfigured(MailEnvironment{empty.path(), &clock, nullptr});
  MapiHandle none = 99;
  EXPECT_EQ(unconfigured.MAPILogon(0, "", "", kMapiNewSession, 0, none), MapiFailure);
  EXPECT_EQ(none, 0u);
  EXPECT_NE(unconfigured.lastDetail().find("no mail system is configured"), std::string::npos);
  EXPECT_EQ(unconfigured.MAPILogoff(none, 0, 0, 0), MapiInvalidSession);

  writeText(empty.path() / kMailSettingsFileName, "maildir = Mail\nfrom-address = nobody\n");
  EXPECT_EQ(unconfigured.MAPILogon(0, "", "", kMapiNewSession, 0, none), MapiFailure);
  EXPECT_NE(unconfigured.lastDetail().find("line 2"), std::string::npos);

  const MapiHandle h = logon();
  ASSERT_NE(h, 0u);
  MapiHandle second = 0;
  EXPECT_EQ(mail->MAPILogon(0, "", "", kMapiNewSession, 0, second), MapiTooManySessions);
  EXPECT_EQ(second, 0u);
  EXPECT_EQ(mail->MAPILogon(0, "", "", 0, 0, second), MapiSuccess);
  EXPECT_EQ(second, h);  // shares the open session
  EXPECT_EQ(mail->MAPILogoff(h, 0, 0, 0), MapiSuccess);
  EXPECT_EQ(mail->MAPILogoff(h, 0, 0, 0), MapiInvalidSession);
  const MapiHandle again = logon();
  EXPECT_NE(again, h);
  std::string id;
  EXPECT_EQ(mail->MAPIFindNext(h, 0, "", "", 0, 0, id), MapiInvalidSession);
}

TEST_F(MailSystemTest, EveryCallNeedsTheOpenSession) {
  const MapiHandle h = logon();
  for (MapiHandle bad : {MapiHandle{0}, MapiHandle{h + 1}}) {
    std::string id;
    const MapiMessage* m = nullptr;
    std::uint32_t count = 0;
    const MapiRecipList* list = nullptr;
    EXPECT_EQ(mail->MAPIFindNext(bad, 0, "", "", 0, 0, id), MapiInvalidSession);
    EXPECT_EQ(mail->MAPIReadMail(bad, 0, "x", 0, 0, m), MapiInvalidSession);
    EXPECT_EQ(mail->MAPIDeleteMail(bad, 0, "x", 0, 0), MapiInvalidSession);
    EXPECT_EQ(mail->MAPISendMail(bad, 0, simpleMessage(), 0, 0), MapiInvalidSession);
    EXPECT_EQ(mail->MAPIAddress(bad, 0, "", 3, "", {}, 0, 0, count, list), MapiInvalidSession);
    EXPECT_EQ(mail->MAPILogoff(bad, 0, 0, 0), MapiInvalidSession);
  }
  EXPECT_EQ(transport->count(), 0u);
}

TEST_F(MailSystemTest, InboxWalkListsEveryMessageInDeliveryOrderAndMarksThemRead) {
  const std::string first = deliver(testing::plainMessage("a@example.com", "first", "one"));
  const std::string second = deliver(testing::kMixedMessage);
  const std::string junk = deliver("\x01\x02 not a message");
  const std::string third = deliver(testing::plainMessage("c@example.com", "third", "three"));
  const MapiHandle h = logon();

  // A file that is no message reads as a message without headers whose text is the file, so
  // that whatever lies in the inbox can be seen and deleted.
  const auto inbox = loadInbox(h);
  ASSERT_EQ(inbox.size(), 4u);
  EXPECT_EQ(inbox[0], (std::pair<std::string, std::string>{first, "first"}));
  EXPECT_EQ(inbox[1], (std::pair<std::string, std::string>{second, "Drucker f\xE4llt aus"}));
  EXPECT_EQ(inbox[2], (std::pair<std::string, std::string>{junk, ""}));
  EXPECT_EQ(inbox[3].first, third);
  const MapiMessage* m = nullptr;
  ASSERT_EQ(mail->MAPIReadMail(h, 0, junk, 0, 0, m), MapiSuccess);
  EXPECT_NE(m->noteText.find("not a message"), std::string::npos);
  EXPECT_FALSE(m->originator);
  EXPECT_EQ(mail->MAPIFreeBuffer(m), MapiSuccess);

  std::string id = "unchanged";
  EXPECT_EQ(mail->MAPIFindNext(h, 0, "", "", kMapiUnreadOnly, 0, id), MapiNoMessages);
  EXPECT_EQ(id, "unchanged");  // the walk read them all
  EXPECT_EQ(mail->MAPIFindNext(h, 0, "", third, 0, 0, id), MapiNoMessages);
  EXPECT_EQ(mail->MAPIFindNext(h, 0, "IPM.Note", "", 0, 0, id), MapiSuccess);
  EXPECT_EQ(id, first);
  EXPECT_EQ(mail->MAPIFindNext(h, 0, "", "no-such-id", 0, 0, id), MapiInvalidMessage);
}

TEST_F(MailSystemTest, AnEmptyInboxEndsTheWalkAtOnce) {
  const MapiHandle h = logon();
  EXPECT_TRUE(loadInbox(h).empty());
  std::string id;
  EXPECT_EQ(mail->MAPIFindNext(h, 0, "", "", 0, 0, id), MapiNoMessages);
  const MapiMessage* m = nullptr;
  EXPECT_EQ(mail->MAPIReadMail(h, 0, id, kMapiSuppressAttach, 0, m), MapiInvalidMessage);
  EXPECT_EQ(m, nullptr);
}

TEST_F(MailSystemTest, DeliveredMailShowsTheTimeItArrived) {
  ASSERT_TRUE(deliverIncomingMail(config.path(), testing::plainMessage("a@example.com", "x", "y"),
                                  localEpochSeconds(clock))
                  .ok());
  const MapiHandle h = logon();
  std::string id;
  ASSERT_EQ(mail->MAPIFindNext(h, 0, "", "", 0, 0, id), MapiSuccess);
  const MapiMessage* m = nullptr;
  ASSERT_EQ(mail->MAPIReadMail(h, 0, id, kMapiPeek, 0, m), MapiSuccess);
  EXPECT_EQ(m->dateReceived, "2002/05/06 10:00");
  EXPECT_EQ(mail->MAPIFreeBuffer(m), MapiSuccess);

  TempDir unconfigured;
  EXPECT_EQ(deliverIncomingMail(unconfigured.path(), "x", 0).status, MaildirStatus::NotFound);
}

TEST_F(MailSystemTest, PeekingLeavesTheReadStateAloneReadingMarksIt) {
  const std::string id = deliver(testing::plainMessage("a@example.com", "hello", "text"));
  const MapiHandle h = logon();
  auto unread = [&](std::uint32_t flags) {
    const MapiMessage* m = nullptr;
    EXPECT_EQ(mail->MAPIReadMail(h, 0, id, flags, 0, m), MapiSuccess);
    const bool result = m && (m->flags & kMapiUnread);
    EXPECT_EQ(mail->MAPIFreeBuffer(m), MapiSuccess);
    return result;
  };
  EXPECT_TRUE(unread(kMapiPeek | kMapiSuppressAttach));
  EXPECT_TRUE(unread(kMapiPeek | kMapiSuppressAttach));
  EXPECT_TRUE(unread(kMapiSuppressAttach));  // unread until this read
  EXPECT_FALSE(unread(kMapiPeek));
  const auto inbox = folder("");
  ASSERT_EQ(inbox.size(), 1u);
  EXPECT_EQ(inbox[0].id, id);
  EXPECT_TRUE(inbox[0].seen());
}

TEST_F(MailSystemTest, ReadGivesDecodedFieldsAndAttachmentsListedOrWritten) {
  const std::string id = deliver(testing::kMixedMessage);
  const MapiHandle h = logon();

  const MapiMessage* m = nullptr;
  ASSERT_EQ(mail->MAPIReadMail(h, 0, id, kMapiPeek | kMapiSuppressAttach, 0, m), MapiSuccess);
  ASSERT_TRUE(m->originator);
  EXPECT_EQ(m->originator->name, "J\xFCrgen M\xFCller");
  EXPECT_EQ(m->originator->address, "juergen@example.com");
  EXPECT_EQ(m->noteText,
            "Der Drucker f\xE4llt aus.\r\nGr\xFC\xDF"
            "e");
  EXPECT_EQ(m->dateReceived.size(), 16u);
  ASSERT_EQ(m->recips.size(), 3u);
  EXPECT_EQ(m->recips[2].recipClass, kMapiCc);
  ASSERT_EQ(m->files.size(), 2u);
  EXPECT_EQ(m->files[0].fileName, "Rechnung M\xE4rz.pdf");
  EXPECT_EQ(m->files[1].fileName, "evil.txt");
  EXPECT_TRUE(m->files[0].pathName.empty());
  EXPECT_EQ(mail->MAPIFreeBuffer(m), MapiSuccess);

  ASSERT_EQ(mail->MAPIReadMail(h, 0, id, 0, 0, m), MapiSuccess);
  ASSERT_EQ(m->files.size(), 2u);
  std::vector<fs::path> written;
  for (const MapiFileDesc& f : m->files) {
    EXPECT_LT(f.pathName.size(), 80u) << f.pathName;  // fits the program's path buffer
    written.emplace_back(f.pathName);
  }
  EXPECT_EQ(readText(written[0]), "%PDF-1.4\n");
  EXPECT_EQ(written[0].extension(), ".pdf");
  EXPECT_EQ(readText(written[1]), "not for /etc");
  EXPECT_EQ(mail->MAPIFreeBuffer(m), MapiSuccess);

  ASSERT_EQ(mail->MAPILogoff(h, 0, 0, 0), MapiSuccess);
  for (const fs::path& p : written) EXPECT_FALSE(fs::exists(p)) << p;
}

TEST_F(MailSystemTest, DeletedMailGoesToTheTrashAndLeavesTheWalk) {
  const std::string keep = deliver(testing::plainMessage("a@example.com", "keep", "x"));
  const std::string gone = deliver(testing::plainMessage("b@example.com", "gone", "y"));
  const MapiHandle h = logon();
  std::string id;
  ASSERT_EQ(mail->MAPIFindNext(h, 0, "", "", 0, 0, id), MapiSuccess);
  EXPECT_EQ(mail->MAPIDeleteMail(h, 0, gone, 0, 0), MapiSuccess);
  EXPECT_EQ(mail->MAPIFindNext(h, 0, "", keep, 0, 0, id), MapiNoMessages);
  EXPECT_EQ(mail->MAPIDeleteMail(h, 0, gone, 0, 0), MapiInvalidMessage);
  const MapiMessage* m = nullptr;
  EXPECT_EQ(mail->MAPIReadMail(h, 0, gone, 0, 0, m), MapiInvalidMessage);
  const auto trash = folder(".Trash");
  ASSERT_EQ(trash.size(), 1u);
  EXPECT_EQ(trash[0].id, gone);
  EXPECT_EQ(loadInbox(h).size(), 1u);
}

TEST_F(MailSystemTest, BuffersAreFreedOnceAndOnlyTheirOwn) {
  deliver(testing::plainMessage("a@example.com", "x", "y"));
  const MapiHandle h = logon();
  std::string id;
  ASSERT_EQ(mail->MAPIFindNext(h, 0, "", "", 0, 0, id), MapiSuccess);
  const MapiMessage* m = nullptr;
  ASSERT_EQ(mail->MAPIReadMail(h, 0, id, 0, 0, m), MapiSuccess);
  EXPECT_EQ(mail->MAPIFreeBuffer(m), MapiSuccess);
  EXPECT_EQ(mail->MAPIFreeBuffer(m), MapiFailure);
  const MapiMessage local;
  EXPECT_EQ(mail->MAPIFreeBuffer(&local), MapiFailure);
  EXPECT_EQ(mail->MAPIFreeBuffer(nullptr), MapiSuccess);
}

TEST_F(MailSystemTest, SendGoesFromTheWorkstationIdentityToEachClass) {
  const MapiHandle h = logon();
  MapiMessage m = simpleMessage();
  m.subject = "Ihr Fall \x96 gel\xF6st";
  m.originator = MapiRecipDesc{0, kMapiOrig, "ceo@bank.example", "ceo@bank.example", ""};
  m.recips = {{0, kMapiTo, "Ann Client", "", ""},
              {0, kMapiCc, "boss@example.org", "", ""},
              {0, kMapiBcc, "audit@example.org", "", ""},
              {0, kMapiTo, "ANN@example.com", "", ""}};
  ASSERT_EQ(mail->MAPISendMail(h, 0, m, 0, 0), MapiSuccess) << mail->lastDetail();

  const auto sent = transport->captured();
  ASSERT_EQ(sent.size(), 1u);
  const CapturedMail& c = sent[0];
  EXPECT_EQ(c.from, "helpdesk@example.org");
  EXPECT_EQ(c.mail.envelopeFrom, "helpdesk@example.org");
  EXPECT_EQ(c.mail.wire.find("ceo@bank.example"), std::string::npos);
  EXPECT_EQ(c.to, std::vector<std::string>{"ann@example.com"});
  EXPECT_EQ(c.cc, std::vector<std::string>{"boss@example.org"});
  EXPECT_EQ(c.bcc, std::vector<std::string>{"audit@example.org"});
  EXPECT_EQ(c.mail.wire.find("audit@example.org"), std::string::npos);
  EXPECT_EQ(c.subject, "Ihr Fall \u2013 gel\u00F6st");
  EXPECT_EQ(c.text, "Dear client,\nsolved.\n");

  const auto copies = folder(".Sent");
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_TRUE(copies[0].seen());
  EXPECT_NE(readText(copies[0].path).find("Bcc: audit@example.org"), std::string::npos);
}

TEST_F(MailSystemTest, RefusedMessagesSendNothing) {
  writeText(config.path() / "report.pdf", "%PDF");
  struct Case {
    const char* name;
    std::function<void(MapiMessage&)> change;
    MapiResult expected;
  };
  const Case cases[] = {
      {"101 recipients",
       [](MapiMessage& m) {
         m.recips.assign(101, {0, kMapiTo, "ann@example.com", "", ""});
       },
       MapiTooManyRecipients},
      {"26 attachments",
       [&](MapiMessage& m) {
         m.files.assign(26, {0, 0, kNoPosition, (config.path() / "report.pdf").string(), "", ""});
       },
       MapiTooManyFiles},
      {"originator class as recipient", [](MapiMessage& m) { m.recips[0].recipClass = kMapiOrig; },
       MapiBadRecipType},
      {"class beyond BCC", [](MapiMessage& m) { m.recips[0].recipClass = 4; }, MapiBadRecipType},
      {"no recipient", [](MapiMessage& m) { m.recips.clear(); }, MapiUnknownRecipient},
      {"unknown name", [](MapiMessage& m) { m.recips[0].name = "Nobody"; }, MapiUnknownRecipient},
      {"empty recipient", [](MapiMessage& m) { m.recips[0].name.clear(); }, MapiUnknownRecipient},
      {"header injection",
       [](MapiMessage& m) {
         m.recips[0] = {0, kMapiTo, "x", "a@example.com\r\nBcc: b@example.com", ""};
       },
       MapiUnknownRecipient},
      {"name of two entries", [](MapiMessage& m) { m.recips[0].name = "bob client"; },
       MapiAmbiguousRecipient},
      {"missing attachment",
       [&](MapiMessage& m) {
         m.files = {{0, 0, kNoPosition, (config.path() / "gone.pdf").string(), "", ""}};
       },
       MapiAttachmentNotFound},
      {"attachment without path",
       [](MapiMessage& m) {
         m.files = {{0, 0, kNoPosition, "", "a.pdf", ""}};
       },
       MapiAttachmentNotFound},
      {"text beyond the limit",
       [](MapiMessage& m) { m.noteText.assign(MailSystem::kMaxNoteTextBytes + 1, 'x'); },
       MapiTextTooLarge},
      {"folder as attachment",
       [&](MapiMessage& m) {
         m.files = {{0, 0, kNoPosition, config.path().string(), "", ""}};
       },
       MapiAttachmentNotFound},
  };
  const MapiHandle h = logon();
  for (const Case& c : cases) {
    MapiMessage m = simpleMessage();
    c.change(m);
    EXPECT_EQ(mail->MAPISendMail(h, 0, m, 0, 0), c.expected) << c.name;
    EXPECT_FALSE(mail->lastDetail().empty()) << c.name;
  }
  EXPECT_EQ(transport->count(), 0u);
  EXPECT_TRUE(folder(".Sent").empty());
}

TEST_F(MailSystemTest, AFailingTransportIsReportedWithItsReasonAndKeepsNoCopy) {
  const MapiHandle h = logon();
  transport->failEverySend("relay refused the message");
  EXPECT_EQ(mail->MAPISendMail(h, 0, simpleMessage(), 0, 0), MapiFailure);
  EXPECT_EQ(mail->lastDetail(), "relay refused the message");
  EXPECT_TRUE(folder(".Sent").empty());
  transport->acceptSends();
  EXPECT_EQ(mail->MAPISendMail(h, 0, simpleMessage(), 0, 0), MapiSuccess);
  EXPECT_EQ(mail->lastDetail(), "");
}

TEST(MailSystemTransports, TransportOutcomesBecomeResults) {
  struct Fixed final : Transport {
    TransportResult result;
    TransportResult send(const OutgoingMail&) override { return result; }
  };
  struct Case {
    TransportStatus status;
    MapiResult expected;
    bool copyKept;
  };
  const Case cases[] = {{TransportStatus::Sent, MapiSuccess, true},
                        {TransportStatus::Queued, MapiSuccess, false},
                        {TransportStatus::Failed, MapiFailure, false},
                        {TransportStatus::DiskFull, MapiDiskFull, false}};
  for (const Case& c : cases) {
    TempDir config;
    writeText(config.path() / kMailSettingsFileName, kSettings);
    text::ManualClock clock{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
    auto transport = std::make_shared<Fixed>();
    transport->result = {c.status, "why"};
    MailSystem mail(MailEnvironment{config.path(), &clock, transport});
    MapiHandle h = 0;
    ASSERT_EQ(mail.MAPILogon(0, "", "", kMapiNewSession, 0, h), MapiSuccess);
    MapiMessage m;
    m.recips = {{0, kMapiTo, "ann@example.com", "", ""}};
    EXPECT_EQ(mail.MAPISendMail(h, 0, m, 0, 0), c.expected) << static_cast<int>(c.status);
    EXPECT_EQ(Maildir::open(config.path() / "Mail" / ".Sent")->list().size(), c.copyKept ? 1u : 0u);
  }
}

TEST_F(MailSystemTest, AttachmentsTakeThePlacesKeptForThemInTheText) {
  writeText(config.path() / "a.txt", "first");
  writeText(config.path() / "scan.pdf", "second");
  const MapiHandle h = logon();
  MapiMessage m = simpleMessage();
  m.noteText = "     Hello";
  m.files = {{0, 0, 2, (config.path() / "a.txt").string(), "", ""},
             {0, 0, 4, (config.path() / "scan.pdf").string(), "Scan M\xE4rz.pdf", ""}};
  ASSERT_EQ(mail->MAPISendMail(h, 0, m, 0, 0), MapiSuccess) << mail->lastDetail();
  const CapturedMail c = transport->captured().at(0);
  EXPECT_EQ(c.text.substr(0, c.text.find('\n')), "   Hello");
  EXPECT_EQ(c.attachmentNames, (std::vector<std::string>{"a.txt", "Scan M\u00E4rz.pdf"}));
}

// A name the caller gives in the records' charset stands for the file's own name when that is
// what the charset makes of it: the file's name goes, not its "?" image.
TEST_F(MailSystemTest, AnAttachmentGoesUnderItsFilesOwnName) {
  const std::string greek = "\u03AD\u03B3\u03B3\u03C1\u03B1\u03C6\u03BF.txt";
  writeText(config.path() / greek, "x");
  writeText(config.path() / "M\u00E4rz.txt", "y");
  const MapiHandle h = logon();
  MapiMessage m = simpleMessage();
  m.files = {{0, 0, kNoPosition, (config.path() / greek).string(), text::fromUtf8(greek), ""},
             {0, 0, kNoPosition, (config.path() / "M\u00E4rz.txt").string(), "M\u00E4rz.txt", ""},
             {0, 0, kNoPosition, (config.path() / greek).string(), "Scan M\xE4rz.txt", ""}};
  ASSERT_EQ(mail->MAPISendMail(h, 0, m, 0, 0), MapiSuccess) << mail->lastDetail();
  EXPECT_EQ(transport->captured().at(0).attachmentNames,
            (std::vector<std::string>{greek, "M\u00E4rz.txt", "Scan M\u00E4rz.txt"}));
}

TEST_F(MailSystemTest, ThreadsSendingAtOnceLoseNoMessage) {
  const MapiHandle h = logon();
  std::vector<std::thread> threads;
  std::atomic<int> failures{0};
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&] {
      for (int i = 0; i < 10; ++i)
        if (mail->MAPISendMail(h, 0, simpleMessage(), 0, 0) != MapiSuccess) ++failures;
    });
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
  EXPECT_EQ(transport->count(), 40u);
  EXPECT_EQ(folder(".Sent").size(), 40u);
}

TEST_F(MailSystemTest, TheDialogFlagLetsTheUserCompleteOrCancel) {
  const MapiHandle h = logon();
  MapiMessage draft = simpleMessage();
  draft.subject.clear();
  draft.recips.clear();

  dialogs.answerCompose(nullptr);  // the user cancels
  EXPECT_EQ(mail->MAPISendMail(h, 0, draft, kMapiDialog, 0), MapiUserAbort);
  dialogs.answerCompose([](MapiMessage& m) {
    m.subject = "Completed";
    m.recips = {{0, kMapiTo, "Ann Client", "", ""}};
  });
  EXPECT_EQ(mail->MAPISendMail(h, 0, draft, kMapiDialog, 0), MapiSuccess) << mail->lastDetail();
  ASSERT_EQ(dialogs.composeDrafts.size(), 2u);
  EXPECT_EQ(dialogs.composeDrafts[1].noteText, draft.noteText);
  ASSERT_EQ(transport->count(), 1u);
  EXPECT_EQ(transport->captured()[0].to, std::vector<std::string>{"ann@example.com"});
  EXPECT_EQ(transport->captured()[0].subject, "Completed");

  mail->setDialogs(nullptr);
  EXPECT_EQ(mail->MAPISendMail(h, 0, draft, kMapiDialog, 0), MapiNotSupported);
}

TEST_F(MailSystemTest, AddressBookDialogAnswersAreCheckedAndCut) {
  const MapiHandle h = logon();
  std::uint32_t count = 7;
  const MapiRecipList* list = nullptr;
  const std::vector<MapiRecipDesc> initial = {{0, kMapiTo, "Ann Client", "", ""}};

  EXPECT_EQ(mail->MAPIAddress(h, 0, "Address To:", 5, "", initial, 0, 0, count, list),
            MapiInvalidEditFields);
  EXPECT_EQ(mail->MAPIAddress(h, 0, "Address To:", 3, "", std::vector<MapiRecipDesc>(101), 0, 0,
                              count, list),
            MapiTooManyRecipients);
  EXPECT_EQ(mail->MAPIAddress(h, 0, "Address To:", 3, "", initial, 0, 0, count, list),
            MapiUserAbort);
  EXPECT_EQ(count, 0u);
  EXPECT_EQ(list, nullptr);
  ASSERT_EQ(dialogs.addressRequests.size(), 1u);
  EXPECT_EQ(dialogs.addressRequests[0].caption, "Address To:");
  EXPECT_EQ(dialogs.addressRequests[0].editFields, 3u);
  EXPECT_EQ(dialogs.addressRequests[0].initial, initial);
  EXPECT_EQ(dialogs.addressRequests[0].book.size(), 3u);

  dialogs.answerAddress(
      std::vector<MapiRecipDesc>{{0, kMapiCc, "Ann Client", "ann@example.com", ""},
                                 {0, 9, "Bob Client", "bob@example.com", ""}});
  ASSERT_EQ(mail->MAPIAddress(h, 0, "Address To:", 4, "", initial, 0, 0, count, list), MapiSuccess);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ((*list)[0].entryId, "SMTP:ann@example.com");
  EXPECT_EQ((*list)[1].recipClass, kMapiTo);
  EXPECT_EQ(mail->MAPIFreeBuffer(list), MapiSuccess);

  dialogs.answerAddress(
      std::vector<MapiRecipDesc>(120, {0, kMapiTo, "Ann Client", "ann@example.com", ""}));
  ASSERT_EQ(mail->MAPIAddress(h, 0, "Address To:", 4, "", {}, 0, 0, count, list), MapiSuccess);
  EXPECT_EQ(count, kMaxRecipients);
  EXPECT_EQ(list->size(), kMaxRecipients);
  EXPECT_EQ(mail->lastDetail(), "Only the first 100 of the 120 recipients chosen were kept.");
  EXPECT_EQ(mail->MAPIFreeBuffer(list), MapiSuccess);

  mail->setDialogs(nullptr);
  EXPECT_EQ(mail->MAPIAddress(h, 0, "Address To:", 4, "", {}, 0, 0, count, list), MapiNotSupported);
}

TEST(MailSystemTransports, WithoutSendmailMailWaitsInTheOutboxWithItsBcc) {
  TempDir config;
  writeText(config.path() / kMailSettingsFileName, kSettings);
  text::ManualClock clock{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
  MailSystem mail(MailEnvironment{config.path(), &clock, nullptr});
  MapiHandle h = 0;
  ASSERT_EQ(mail.MAPILogon(0, "", "", kMapiNewSession, 0, h), MapiSuccess);
  MapiMessage m;
  m.subject = "queued";
  m.recips = {{0, kMapiTo, "ann@example.com", "", ""}, {0, kMapiBcc, "audit@example.org", "", ""}};
  ASSERT_EQ(mail.MAPISendMail(h, 0, m, 0, 0), MapiSuccess) << mail.lastDetail();
  const auto outbox = Maildir::open(config.path() / "Mail" / ".Outbox")->list();
  ASSERT_EQ(outbox.size(), 1u);
  const std::string stored = readText(outbox[0].path);
  EXPECT_NE(stored.find("Bcc: audit@example.org"), std::string::npos);
  EXPECT_NE(stored.find("Date: Mon, 06 May 2002 10:00:00"), std::string::npos) << stored;
  EXPECT_TRUE(Maildir::open(config.path() / "Mail" / ".Sent")->list().empty());  // not sent yet
}

TEST(MailSystemTransports, StorageThatCannotBeWrittenIsReportedNeverTakenForSuccess) {
  TempDir config;
  writeText(config.path() / "not-a-folder", "x");
  writeText(config.path() / kMailSettingsFileName,
            std::string(kSettings) + "temp-folder = not-a-folder\n");
  text::ManualClock clock{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
  MailSystem mail(MailEnvironment{config.path(), &clock, nullptr});
  MapiHandle h = 0;
  ASSERT_EQ(mail.MAPILogon(0, "", "", kMapiNewSession, 0, h), MapiSuccess);

  // A file where the outbox folder should be: the message is not queued, and says so.
  writeText(config.path() / "Mail" / ".Outbox", "x");
  MapiMessage m;
  m.recips = {{0, kMapiTo, "ann@example.com", "", ""}};
  EXPECT_EQ(mail.MAPISendMail(h, 0, m, 0, 0), MapiFailure);
  EXPECT_NE(mail.lastDetail().find(".Outbox"), std::string::npos) << mail.lastDetail();

  // Attachments of a read cannot be written: the read fails, the message stays unread.
  std::string id;
  ASSERT_TRUE(
      Maildir::open(config.path() / "Mail")->deliver(testing::kMixedMessage, 1, {}, &id).ok());
  const MapiMessage* read = nullptr;
  EXPECT_EQ(mail.MAPIReadMail(h, 0, id, 0, 0, read), MapiAttachmentWriteFailure);
  EXPECT_EQ(read, nullptr);
  EXPECT_FALSE(Maildir::open(config.path() / "Mail")->find(id)->seen());
  EXPECT_EQ(mail.MAPIReadMail(h, 0, id, kMapiSuppressAttach, 0, read), MapiSuccess);
  EXPECT_EQ(mail.MAPIFreeBuffer(read), MapiSuccess);
}

TEST(MailSystemTransports, QueuedMailGoesOutOnceATransportSends) {
  TempDir config;
  writeText(config.path() / kMailSettingsFileName, kSettings);
  text::ManualClock clock{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
  MapiMessage m;
  m.subject = "queued";
  m.recips = {{0, kMapiTo, "ann@example.com", "", ""}, {0, kMapiBcc, "audit@example.org", "", ""}};
  {
    MailSystem offline(MailEnvironment{config.path(), &clock, nullptr});
    MapiHandle h = 0;
    ASSERT_EQ(offline.MAPILogon(0, "", "", kMapiNewSession, 0, h), MapiSuccess);
    ASSERT_EQ(offline.MAPISendMail(h, 0, m, 0, 0), MapiSuccess);
    ASSERT_EQ(offline.MAPISendMail(h, 0, m, 0, 0), MapiSuccess);
  }
  auto transport = std::make_shared<CapturingTransport>();
  transport->failEverySend("server down");
  MailSystem online(MailEnvironment{config.path(), &clock, transport});
  MapiHandle h = 0;
  ASSERT_EQ(online.MAPILogon(0, "", "", kMapiNewSession, 0, h), MapiSuccess);
  EXPECT_EQ(online.lastDetail(), "queued mail not sent yet: server down");
  EXPECT_EQ(Maildir::open(config.path() / "Mail" / ".Outbox")->list().size(), 2u);
  ASSERT_EQ(online.MAPILogoff(h, 0, 0, 0), MapiSuccess);

  transport->acceptSends();
  ASSERT_EQ(online.MAPILogon(0, "", "", kMapiNewSession, 0, h), MapiSuccess);
  EXPECT_EQ(online.lastDetail(), "");
  const auto sent = transport->captured();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].mail.recipients,
            (std::vector<std::string>{"ann@example.com", "audit@example.org"}));
  EXPECT_EQ(sent[0].mail.wire.find("audit@example.org"), std::string::npos);
  EXPECT_EQ(sent[0].subject, "queued");
  EXPECT_TRUE(Maildir::open(config.path() / "Mail" / ".Outbox")->list().empty());
  EXPECT_EQ(Maildir::open(config.path() / "Mail" / ".Sent")->list().size(), 2u);
}

TEST(MailSystemTransports, TheConfiguredSendmailCommandGetsTheMessage) {
  TempDir config;
  const fs::path script = config.path() / "fake-sendmail";
  const fs::path capture = config.path() / "captured";
  writeText(script, "#!/bin/sh\necho \"$@\" > " + capture.string() + ".args\ncat > " +
                        capture.string() + "\n");
  ::chmod(script.c_str(), 0755);
  writeText(config.path() / kMailSettingsFileName,
            std::string(kSettings) + "sendmail = ./fake-sendmail\n");
  text::ManualClock clock{*text::dateNumber(2002, 5, 6), *text::timeNumber(10, 0)};
  MailSystem mail(MailEnvironment{config.path(), &clock, nullptr});
  MapiHandle h = 0;
  ASSERT_EQ(mail.MAPILogon(0, "", "", kMapiNewSession, 0, h), MapiSuccess);
  MapiMessage m;
  m.subject = "via sendmail";
  m.recips = {{0, kMapiTo, "ann@example.com", "", ""}};
  ASSERT_EQ(mail.MAPISendMail(h, 0, m, 0, 0), MapiSuccess) << mail.lastDetail();
  EXPECT_EQ(readText(capture.string() + ".args"),
            "-i -f helpdesk@example.org -- ann@example.com\n");
  EXPECT_NE(readText(capture).find("Subject: via sendmail"), std::string::npos);
  EXPECT_EQ(Maildir::open(config.path() / "Mail" / ".Sent")->list().size(), 1u);
}

}  // namespace
}  // namespace trv::mail
