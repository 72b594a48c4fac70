// The mail system's address book and send dialog as windows: typed addresses, book entries put
// into their class, limits said in a message, and a fresh workstation without any book.

#include "runtime/mail/window_mail_dialogs.h"

#include <gtest/gtest.h>

#include "runtime/mail/mail_settings.h"
#include "runtime/mail/mail_system.h"
#include "tests/runtime/mail/mail_test_support.h"
#include "tests/runtime/ui/ui_fixture.h"

namespace trv::mail {
namespace {

using ui::Input;

const std::vector<AddressEntry> kBook = {{"Ann Client", "ann@example.com"},
                                         {"Bob Client", "bob@example.com"},
                                         {"Cyd", "cyd@example.com"}};

TEST(RecipientsOf, ReadsBookNamesAddressesAndTypedItems) {
  struct Case {
    const char* text;
    std::vector<std::pair<std::string, std::string>> expected;  // name, address
  };
  const std::vector<Case> cases = {
      {"", {}},
      {" ; ;", {}},
      {"ann client", {{"Ann Client", "ann@example.com"}}},
      {"BOB@example.com", {{"Bob Client", "bob@example.com"}}},
      {"Dee <dee@example.org>; eve@example.org",
       {{"Dee", "dee@example.org"}, {"eve@example.org", "eve@example.org"}}},
      {"Nobody Known", {{"Nobody Known", ""}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    auto got = recipientsOf(c.text, kMapiCc, kBook);
    ASSERT_EQ(got.size(), c.expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].recipClass, kMapiCc);
      EXPECT_EQ(got[i].name, c.expected[i].first);
      EXPECT_EQ(got[i].address, c.expected[i].second);
    }
  }
  EXPECT_EQ(recipientText({0, kMapiTo, "Ann", "SMTP:ann@example.com", {}}),
            "Ann <ann@example.com>");
  EXPECT_EQ(recipientText({0, kMapiTo, "", "ann@example.com", {}}), "ann@example.com");
}

class MailWindows : public ui::testing::UiFixture {
 protected:
  WindowMailDialogs dialogs{rt};
  std::optional<std::vector<MapiRecipDesc>> chosen;
  std::optional<MapiMessage> composed;

  ~MailWindows() override {
    rt.endProgram();
    EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(5)));
  }
  void type(int control, const std::string& text) {
    auto in = to(front(), Input::Kind::Accept, control);
    in.text = text;
    input(in);
  }
  void press(int control) { input(to(front(), Input::Kind::Press, control)); }
  void choose(int row) {
    auto in = to(front(), Input::Kind::Select, kBookList);
    in.row = row;
    input(in);
  }
  bool finished() { return rt.waitFinished(std::chrono::seconds(5)); }
};

TEST_F(MailWindows, BookEntriesGoIntoTheirClassAndTooManyAreRefused) {
  AddressRequest request;
  request.caption = "Address To:";
  request.editFields = 4;
  request.book = kBook;
  request.maxRecipients = 2;
  request.initial = {{0, kMapiTo, "Cyd", "cyd@example.com", {}}};
  ASSERT_NE(rt.start([&] { chosen = dialogs.chooseRecipients(request); }), 0);
  ASSERT_TRUE(driver.inspect([&] {
    ASSERT_NE(rt.front(), nullptr);
    EXPECT_EQ(rt.front()->title(), "Address To:");
    EXPECT_EQ(rt.front()->text(kBookTo), "Cyd <cyd@example.com>");
    EXPECT_EQ(rt.front()->control(kBookList)->rows.size(), 3u);
  }));
  choose(2);
  press(kBookAddCc);
  choose(1);
  press(kBookAddBcc);
  press(kBookOk);  // three named, two allowed
  auto m = driver.message();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->second.text, "At most 2 recipients can be chosen; 3 are named.");
  ASSERT_TRUE(driver.answerMessage("OK"));
  type(kBookTo, "");
  press(kBookOk);
  ASSERT_TRUE(finished());
  ASSERT_TRUE(chosen);
  ASSERT_EQ(chosen->size(), 2u);
  EXPECT_EQ((*chosen)[0], (MapiRecipDesc{0, kMapiCc, "Bob Client", "bob@example.com", {}}));
  EXPECT_EQ((*chosen)[1], (MapiRecipDesc{0, kMapiBcc, "Ann Client", "ann@example.com", {}}));
}

TEST_F(MailWindows, CancellingTheBookChoosesNothing) {
  AddressRequest request;
  request.editFields = 1;
  ASSERT_NE(rt.start([&] { chosen = dialogs.chooseRecipients(request); }), 0);
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(rt.front()->title(), "Address Book");
    EXPECT_TRUE(rt.front()->control(kBookCc)->hidden);  // one field asked for
  }));
  press(kBookCancel);
  ASSERT_TRUE(finished());
  EXPECT_FALSE(chosen);
}

// A freshly set-up workstation has no address-book file: the book opens empty and takes typed
// addresses.
TEST_F(MailWindows, AFreshWorkstationsAddressBookWorks) {
  testing::TempDir config;
  testing::writeText(config.path() / kMailSettingsFileName,
                     "maildir = Mail\nfrom-name = Desk\nfrom-address = desk@example.org\n");
  MailSystem mail(MailEnvironment{config.path(), &clock, nullptr});
  mail.setDialogs(&dialogs);
  MapiResult result = MapiFailure;
  std::uint32_t count = 0;
  std::vector<MapiRecipDesc> got;
  ASSERT_NE(rt.start([&] {
    MapiHandle session = 0;
    ASSERT_EQ(mail.MAPILogon(0, "", "", kMapiNewSession, 0, session), MapiSuccess)
        << mail.lastDetail();
    const MapiRecipList* list = nullptr;
    result = mail.MAPIAddress(session, 0, "Address To:", 4, "", {}, 0, 0, count, list);
    if (list) got = *list;
    (void)mail.MAPIFreeBuffer(list);
    (void)mail.MAPILogoff(session, 0, 0, 0);
  }),
            0);
  ASSERT_TRUE(driver.inspect([&] { EXPECT_TRUE(rt.front()->control(kBookList)->rows.empty()); }));
  type(kBookTo, "Ann <ann@example.com>");
  press(kBookOk);
  ASSERT_TRUE(finished());
  EXPECT_EQ(result, MapiSuccess) << mail.lastDetail();
  ASSERT_EQ(count, 1u);
  EXPECT_EQ(got[0].address, "ann@example.com");
  EXPECT_EQ(got[0].recipClass, kMapiTo);
}

TEST_F(MailWindows, TheSendDialogNeedsARecipientAndKeepsTheFiles) {
  MapiMessage draft;
  draft.noteText = "Hello";
  draft.files = {{0, 0, 1, "/tmp/report.pdf", "report.pdf", {}}};
  ASSERT_NE(rt.start([&] { composed = dialogs.composeMessage(draft, kBook); }), 0);
  ASSERT_TRUE(driver.inspect([&] {
    EXPECT_EQ(rt.front()->focus(), kComposeTo);
    EXPECT_EQ(rt.front()->text(kComposeFiles), "Attachments: report.pdf");
  }));
  press(kComposeSend);
  auto m = driver.message();
  ASSERT_TRUE(m);
  EXPECT_EQ(m->second.text, "Name at least one recipient in To: before sending.");
  ASSERT_TRUE(driver.answerMessage("OK"));
  type(kComposeTo, "cyd");
  type(kComposeSubject, "Your case");
  press(kComposeSend);
  ASSERT_TRUE(finished());
  ASSERT_TRUE(composed);
  EXPECT_EQ(composed->subject, "Your case");
  EXPECT_EQ(composed->noteText, "Hello");
  ASSERT_EQ(composed->recips.size(), 1u);
  EXPECT_EQ(composed->recips[0].address, "cyd@example.com");
  EXPECT_EQ(composed->files.size(), 1u);
}

}  // namespace
}  // namespace trv::mail
