#include "cases/sendmail/outgoing_mail.h"

#include <gtest/gtest.h>

#include "cases/sendmail/send_mail.h"

namespace trv::cases {
namespace {

mail::MapiRecipDesc recip(std::string name, std::string address, std::uint32_t cls = 1) {
  mail::MapiRecipDesc r;
  r.recipClass = cls;
  r.name = std::move(name);
  r.address = std::move(address);
  r.entryId = "id-" + r.name;
  return r;
}

TEST(BuildOutgoing, RecipientsAndDialogFlag) {
  struct Case {
    const char* label;
    ComposedMail in;
    std::size_t recips;
    std::uint32_t flags;
  };
  const Case cases[] = {
      {"typed address and subject go at once", {"a@b.example", "Hello", "", "Text", {}}, 1, 0},
      {"blank subject asks the send dialog",
       {"a@b.example", "  ", "", "Text", {}},
       1,
       mail::kMapiDialog},
      {"no recipient asks the send dialog", {"   ", "Hello", "", "Text", {}}, 0, mail::kMapiDialog},
      {"three chosen are all sent",
       {"One",
        "Hello",
        "",
        "",
        {recip("One", "1@x"), recip("Two", "2@x", 2), recip("Three", "3@x", 3)}},
       3,
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const OutgoingMail out = buildOutgoing(c.in);
    EXPECT_EQ(out.message.recips.size(), c.recips);
    EXPECT_EQ(out.flags, c.flags);
    EXPECT_EQ(out.message.flags, c.flags);
    EXPECT_FALSE(out.message.originator.has_value());
    EXPECT_TRUE(out.message.files.empty());
    EXPECT_EQ(out.message.noteText, c.in.text);
  }
}

TEST(BuildOutgoing, TypedAddressNamesTheFirstRecipient) {
  // Typed alone it carries nothing else; over one chosen it keeps that one's address.
  ComposedMail m{"typed@x", "S", "", "", {}};
  mail::MapiRecipDesc expected;
  expected.recipClass = mail::kMapiTo;
  expected.name = "typed@x";
  EXPECT_EQ(buildOutgoing(m).message.recips.at(0), expected);

  m.chosen = {recip("Chosen", "SMTP:c@x", 2)};
  const mail::MapiRecipDesc r = buildOutgoing(m).message.recips.at(0);
  EXPECT_EQ(r.recipClass, mail::kMapiTo);
  EXPECT_EQ(r.name, "typed@x");
  EXPECT_EQ(r.address, "SMTP:c@x");
  EXPECT_EQ(r.entryId, "id-Chosen");
}

TEST(BuildOutgoing, AttachmentSitsOnTheBlanksBeforeTheText) {
  const OutgoingMail out = buildOutgoing({"a@x", "S", "/home/desk/report v2.pdf", "Body", {}});
  ASSERT_EQ(out.message.files.size(), 1u);
  const mail::MapiFileDesc& f = out.message.files[0];
  EXPECT_EQ(f.position, 1u);
  EXPECT_EQ(f.pathName, "/home/desk/report v2.pdf");
  EXPECT_EQ(f.fileName, "report v2.pdf");
  EXPECT_TRUE(f.fileType.empty());
  EXPECT_EQ(out.message.noteText, "   Body");
}

TEST(FileNameOf, SplitsEitherSeparator) {
  EXPECT_EQ(fileNameOf("C:\\cases\\12.txt"), "12.txt");
  EXPECT_EQ(fileNameOf("/a/b/c.tar.gz"), "c.tar.gz");
  EXPECT_EQ(fileNameOf("plain"), "plain");
  EXPECT_EQ(fileNameOf("dir/"), "");
}

TEST(AddressBookAnswer, ReplacesChosenAndCutsAtTheTable) {
  ComposedMail m{"old@x", "", "", "", {recip("Old", "o@x")}};
  EXPECT_EQ(takeAddressBookAnswer(m, {recip("", "n@x"), recip("Two", "2@x")}), 0u);
  EXPECT_EQ(m.chosen.size(), 2u);
  EXPECT_EQ(m.toText, "old@x");  // the first has no name: the To text stays

  std::vector<mail::MapiRecipDesc> many;
  for (int i = 0; i < 130; ++i) many.push_back(recip("R" + std::to_string(i), "r@x"));
  EXPECT_EQ(takeAddressBookAnswer(m, many), 30u);
  EXPECT_EQ(m.chosen.size(), mail::kMaxRecipients);
  EXPECT_EQ(m.chosen.back().name, "R99");
  EXPECT_EQ(m.toText, "R0");
  EXPECT_EQ(buildOutgoing(m).message.recips.size(), mail::kMaxRecipients);
}

TEST(MailTexts, CodesAndFailures) {
  EXPECT_EQ(addressProblemText(2), "Ms-Mail Address Problems 002");
  EXPECT_EQ(addressProblemText(25), "Ms-Mail Address Problems 025");
  const std::string t = sendFailureText(mail::MapiUnknownRecipient, "no such user");
  EXPECT_NE(t.find("not sent"), std::string::npos);
  EXPECT_NE(t.find("(14)"), std::string::npos);
  EXPECT_NE(t.find("no such user"), std::string::npos);
  EXPECT_NE(recipientsCutText(130).find("130"), std::string::npos);
}

TEST(SendMailArg, RoundTripsAndRefusesMalformed) {
  SendMailRequest r{"12", "Case 12 | update", "c\\d@x   ", "Client", 1, "Line 1\r\nLine 2"};
  const auto back = decodeSendMailArg(encodeSendMailArg(r));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->subject, r.subject);
  EXPECT_EQ(back->address, r.address);
  EXPECT_EQ(back->notes, r.notes);
  EXPECT_EQ(back->mode, 1);

  ASSERT_TRUE(decodeSendMailArg(""));
  EXPECT_EQ(decodeSendMailArg("")->mode, 0);
  for (const char* bad : {"1|2|3", "a|b|c|d|7|e", "a|b|c|d|1|e\\", "a|b|c|d|1|e|f"})
    EXPECT_FALSE(decodeSendMailArg(bad)) << bad;
}

}  // namespace
}  // namespace trv::cases
