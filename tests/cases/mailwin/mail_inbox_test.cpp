#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "cases/mailwin/inbox.h"

namespace trv::cases {
namespace {

namespace fs = std::filesystem;

// A mail system with a fixed inbox whose enumeration can go round (after the last message it
// names the first again) and whose reads can fail for chosen messages.
class FakeMapi final : public mail::SimpleMapi {
 public:
  std::vector<std::string> ids;
  std::map<std::string, mail::MapiMessage> messages;
  bool wrapAround = false;
  mail::MapiResult freeResult = mail::MapiSuccess;
  int reads = 0;
  std::map<std::string, mail::MapiResult> readResults;  // listed ids that fail to read

  mail::MapiResult MAPILogon(std::uint32_t, std::string_view, std::string_view, std::uint32_t,
                             std::uint32_t, mail::MapiHandle&) override {
    return mail::MapiSuccess;
  }
  mail::MapiResult MAPILogoff(mail::MapiHandle, std::uint32_t, std::uint32_t,
                              std::uint32_t) override {
    return mail::MapiSuccess;
  }
  mail::MapiResult MAPIFindNext(mail::MapiHandle, std::uint32_t, std::string_view,
                                std::string_view seed, std::uint32_t, std::uint32_t,
                                std::string& id) override {
    if (ids.empty()) return mail::MapiNoMessages;
    if (seed.empty()) {
      id = ids.front();
      return mail::MapiSuccess;
    }
    for (std::size_t i = 0; i < ids.size(); ++i) {
      if (ids[i] != seed) continue;
      if (i + 1 < ids.size()) {
        id = ids[i + 1];
        return mail::MapiSuccess;
      }
      if (wrapAround) {
        id = ids.front();
        return mail::MapiSuccess;
      }
      return mail::MapiNoMessages;
    }
    return mail::MapiInvalidMessage;
  }
  mail::MapiResult MAPIReadMail(mail::MapiHandle, std::uint32_t, std::string_view id, std::uint32_t,
                                std::uint32_t, const mail::MapiMessage*& m) override {
    ++reads;
    if (auto r = readResults.find(std::string(id)); r != readResults.end()) return r->second;
    auto it = messages.find(std::string(id));
    if (it == messages.end()) return mail::MapiFailure;
    m = &it->second;
    return mail::MapiSuccess;
  }
  mail::MapiResult MAPIDeleteMail(mail::MapiHandle, std::uint32_t, std::string_view, std::uint32_t,
                                  std::uint32_t) override {
    return mail::MapiSuccess;
  }
  mail::MapiResult MAPISendMail(mail::MapiHandle, std::uint32_t, const mail::MapiMessage&,
                                std::uint32_t, std::uint32_t) override {
    return mail::MapiSuccess;
  }
  mail::MapiResult MAPIAddress(mail::MapiHandle, std::uint32_t, std::string_view, std::uint32_t,
                               std::string_view, const std::vector<mail::MapiRecipDesc>&,
                               std::uint32_t, std::uint32_t, std::uint32_t&,
                               const mail::MapiRecipList*&) override {
    return mail::MapiUserAbort;
  }
  mail::MapiResult MAPIFreeBuffer(const void*) override { return freeResult; }
  std::string lastDetail() const override { return {}; }

  void add(const std::string& id, std::string subject, std::vector<mail::MapiFileDesc> files = {}) {
    ids.push_back(id);
    mail::MapiMessage m;
    m.subject = std::move(subject);
    m.originator = mail::MapiRecipDesc{0, mail::kMapiOrig, "Name", "a@b.example", ""};
    m.files = std::move(files);
    messages[id] = std::move(m);
  }
};

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void write(const fs::path& p, const std::string& bytes) {
  std::ofstream(p, std::ios::binary) << bytes;
}

TEST(MailInbox, LoadEndsWhenTheEnumerationGoesRoundAndKeepsUnreadableMessagesEmpty) {
  FakeMapi mapi;
  mapi.add("1", "one");
  mapi.add("2", "two", {{0, 0, mail::kNoPosition, "", "a.txt", ""}});
  mapi.ids.push_back("broken");  // listed, never readable
  mapi.add("4", "four");
  mapi.wrapAround = true;
  const auto inbox = loadInbox(mapi, 1);
  ASSERT_EQ(inbox.size(), 4u);
  EXPECT_EQ(inbox[0].subject, "one");
  EXPECT_EQ(inbox[0].from, "a@b.example");
  EXPECT_TRUE(inbox[1].attachments);
  EXPECT_EQ(inbox[2].messageId, "broken");
  EXPECT_EQ(inbox[2].from, "");
  EXPECT_EQ(inbox[2].subject, "");
  EXPECT_FALSE(inbox[2].attachments);
  EXPECT_EQ(inbox[3].messageId, "4");
  EXPECT_EQ(mapi.reads, 4);  // each message read once, the broken one too

  FakeMapi empty;
  EXPECT_TRUE(loadInbox(empty, 1).empty());
}

TEST(MailInbox, AReadFailingOtherwiseEndsTheLoad) {
  for (const mail::MapiResult stop : {mail::MapiInvalidMessage, mail::MapiInsufficientMemory}) {
    FakeMapi mapi;
    mapi.add("1", "one");
    mapi.add("2", "two");
    mapi.add("3", "three");
    mapi.readResults["2"] = stop;
    const auto inbox = loadInbox(mapi, 1);
    ASSERT_EQ(inbox.size(), 1u) << stop;
    EXPECT_EQ(inbox[0].subject, "one");
    EXPECT_EQ(mapi.reads, 2);
  }
}

TEST(MailInbox, LongValuesAreShownInFull) {
  FakeMapi mapi;
  mapi.add("1", std::string(300, 's'));
  mapi.messages["1"].noteText = std::string(12000, 't');
  const auto m = readMessage(mapi, 1, "1", mail::kMapiPeek);
  ASSERT_TRUE(m);
  EXPECT_EQ(m->subject.size(), 300u);
  EXPECT_EQ(m->text.size(), 12000u);
  EXPECT_FALSE(readMessage(mapi, 1, "none", mail::kMapiPeek));
}

TEST(MailInbox, ExtractReplacesTheTargetOnlyWhenComplete) {
  const fs::path dir = fs::path(::testing::TempDir()) / "mail_inbox_extract";
  fs::remove_all(dir);
  fs::create_directories(dir / "tmp");
  write(dir / "tmp" / "a.bin", std::string("x\0\r\ny", 5));
  write(dir / "tmp" / "b.bin", "b");
  FakeMapi mapi;
  mapi.add("1", "s",
           {{0, 0, mail::kNoPosition, (dir / "tmp" / "a.bin").string(), "a.bin", ""},
            {0, 0, mail::kNoPosition, (dir / "tmp" / "b.bin").string(), "b.bin", ""}});
  write(dir / "target", "old");
  write(dir / "target.part0", "the user's own");  // never overwritten by the copy
  EXPECT_EQ(extractAttachment(mapi, 1, "1", 0, dir / "target"), ExtractResult::Saved);
  EXPECT_EQ(slurp(dir / "target.part0"), "the user's own");
  EXPECT_EQ(slurp(dir / "target"), std::string("x\0\r\ny", 5));
  EXPECT_FALSE(fs::exists(dir / "tmp" / "a.bin"));  // every temporary file is gone
  EXPECT_FALSE(fs::exists(dir / "tmp" / "b.bin"));
  EXPECT_FALSE(fs::exists(dir / "target.part1"));

  // The temporary file is missing now: the old file stays and the failure is told.
  write(dir / "target", "old");
  std::string detail;
  EXPECT_EQ(extractAttachment(mapi, 1, "1", 0, dir / "target", &detail),
            ExtractResult::WriteFailed);
  EXPECT_FALSE(detail.empty());
  EXPECT_EQ(slurp(dir / "target"), "old");
  // A target that cannot be replaced (a folder): told, and nothing is left beside it.
  write(dir / "tmp" / "a.bin", "new");
  fs::create_directories(dir / "folder" / "inside");
  EXPECT_EQ(extractAttachment(mapi, 1, "1", 0, dir / "folder"), ExtractResult::WriteFailed);
  EXPECT_TRUE(fs::exists(dir / "folder" / "inside"));
  EXPECT_FALSE(fs::exists(dir / "folder.part0"));
  EXPECT_EQ(extractAttachment(mapi, 1, "none", 0, dir / "target"), ExtractResult::ReadFailed);
  EXPECT_EQ(extractAttachment(mapi, 1, "1", 5, dir / "target"), ExtractResult::NoSuchAttachment);

  write(dir / "tmp" / "a.bin", "new");
  mapi.freeResult = mail::MapiFailure;
  EXPECT_EQ(extractAttachment(mapi, 1, "1", 0, dir / "target"), ExtractResult::FreeFailed);
  EXPECT_EQ(slurp(dir / "target"), "new");
  fs::remove_all(dir);
}

TEST(MailInbox, ExtractDialogTexts) {
  EXPECT_EQ(extractFileTypes("Report.Final.PDF"), "Attachment | *.final.pdf | All Files | *.*");
  EXPECT_EQ(extractFileTypes("README"), "*.*");
  EXPECT_EQ(extractTitle("a.txt  "), "Extract a.txt Attachment to...");
}

TEST(MailInbox, OutgoingCarriesThePrefixAndTheDraftDoesNot) {
  InboxDraft d;
  d.toText = "bob@beta.example";
  d.subject = "Re";
  d.text = "Hello";
  d.attachPaths = {"/x/a.txt", "/y/b.pdf"};
  const InboxOutgoing out = buildInboxOutgoing(d);
  EXPECT_EQ(out.message.noteText, "     Hello");
  EXPECT_EQ(d.text, "Hello");
  ASSERT_EQ(out.message.files.size(), 2u);
  EXPECT_EQ(out.message.files[0].position, 2u);
  EXPECT_EQ(out.message.files[1].position, 4u);
  EXPECT_EQ(out.message.files[1].fileName, "b.pdf");
  ASSERT_EQ(out.message.recips.size(), 1u);
  EXPECT_EQ(out.message.recips[0].recipClass, mail::kMapiTo);
  EXPECT_EQ(out.flags, 0u);

  // One recipient picked as CC goes as To, keeping its address.
  InboxDraft picked;
  picked.subject = "S";
  picked.chosen = {{0, mail::kMapiCc, "Ann", "SMTP:ann@acme.example", "id"}};
  picked.toText = "Ann";
  const InboxOutgoing p = buildInboxOutgoing(picked);
  ASSERT_EQ(p.message.recips.size(), 1u);
  EXPECT_EQ(p.message.recips[0].recipClass, mail::kMapiTo);
  EXPECT_EQ(p.message.recips[0].address, "SMTP:ann@acme.example");

  InboxDraft none;
  none.subject = "S";
  EXPECT_EQ(buildInboxOutgoing(none).flags, mail::kMapiDialog);
}

TEST(MailInbox, SendResultTexts) {
  EXPECT_EQ(sendResultText(0), "");
  EXPECT_EQ(sendResultText(1), "");
  EXPECT_EQ(sendResultText(3), "MS-Mail : Unsuccesful logon, no mail sent.");
  EXPECT_EQ(sendResultText(21), "MS-Mail : Duplicate Recipients!?");
  EXPECT_EQ(sendResultText(26), "MS-Send Error - 00000026");
}

}  // namespace
}  // namespace trv::cases
