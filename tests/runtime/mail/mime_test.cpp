#include <gtest/gtest.h>

#include "runtime/mail/mime_reader.h"
#include "runtime/mail/mime_writer.h"
#include "tests/runtime/mail/mail_test_support.h"

namespace trv::mail {
namespace {

using testing::TempDir;
using testing::writeText;

TEST(MimeReader, DecodesHeadersCharsetsAndAttachments) {
  const auto mail = parseMail(testing::kMixedMessage);
  ASSERT_TRUE(mail);
  EXPECT_EQ(mail->subject, "Drucker f\u00E4llt aus");
  ASSERT_TRUE(mail->from);
  EXPECT_EQ(mail->from->name, "J\u00FCrgen M\u00FCller");
  EXPECT_EQ(mail->from->address, "juergen@example.com");
  ASSERT_EQ(mail->to.size(), 2u);
  EXPECT_EQ(mail->to[1].address, "second@example.org");
  ASSERT_EQ(mail->cc.size(), 1u);
  EXPECT_EQ(mail->text, "Der Drucker f\u00E4llt aus.\nGr\u00FC\u00DFe");
  ASSERT_EQ(mail->attachments.size(), 2u);
  EXPECT_EQ(mail->attachments[0].fileName, "Rechnung M\u00E4rz.pdf");
  EXPECT_EQ(mail->attachments[0].contentType, "application/pdf");
  EXPECT_EQ(mail->attachments[0].data, "%PDF-1.4\n");
  EXPECT_EQ(mail->attachments[1].fileName, "evil.txt");
}

TEST(MimeReader, ChoosesTheTextPartSensibly) {
  struct Case {
    const char* name;
    std::string message;
    std::string text;
  };
  const Case cases[] = {
      {"alternative prefers plain",
       "Subject: a\nMIME-Version: 1.0\nContent-Type: multipart/alternative; boundary=x\n\n"
       "--x\nContent-Type: text/html\n\n<p>html</p>\n--x\nContent-Type: "
       "text/plain\n\nplain\n--x--\n",
       "plain"},
      {"html alone becomes text",
       "Subject: a\nMIME-Version: 1.0\nContent-Type: text/html; charset=utf-8\n\n"
       "<html><head><style>p{}</style></head><body><p>Dear&nbsp;client,</p><p>A &amp; "
       "B&#33;<br>Bye</p></body></html>\n",
       "Dear client,\n\nA & B!\nBye"},
      {"unlabelled 8-bit text", "Subject: caf\xE9\nContent-Type: text/plain\n\ncaf\xE9\n",
       "caf\u00E9"},
  };
  for (const Case& c : cases) {
    const auto mail = parseMail(c.message);
    ASSERT_TRUE(mail) << c.name;
    std::string text = mail->text;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    EXPECT_EQ(text, c.text) << c.name;
    EXPECT_TRUE(mail->attachments.empty()) << c.name;
  }
  EXPECT_EQ(parseMail("Subject: caf\xE9\n\nx\n")->subject, "caf\u00E9");
}

TEST(MimeReader, ListsThePartsAReaderCallsAttachments) {
  const std::string head = "Subject: a\nMIME-Version: 1.0\nContent-Type: ";
  struct Case {
    const char* name;
    std::string message;
    std::vector<std::string> attachments;
    std::string text;
  };
  const Case cases[] = {
      {"an image of the HTML branch",
       head + "multipart/alternative; boundary=a\n\n--a\nContent-Type: text/plain\n\nplain\n"
              "--a\nContent-Type: multipart/related; boundary=r\n\n--r\nContent-Type: "
              "text/html\n\n<p>html</p>\n--r\nContent-Type: image/png\nContent-ID: <i1>\n\n"
              "png\n--r--\n--a--\n",
       {"attachment1"},
       "plain"},
      {"a named inline text after the body",
       head + "multipart/mixed; boundary=m\n\n--m\nContent-Type: text/plain\n\nbody\n--m\n"
              "Content-Type: text/plain; name=notes.txt\nContent-Disposition: inline\n\n"
              "notes\n--m\nContent-Type: text/plain\n\nfooter\n--m--\n",
       {"notes.txt"},
       "body\nfooter"},
      {"the related part's root named by start",
       head + "multipart/related; boundary=r; start=\"<root>\"\n\n--r\nContent-Type: "
              "image/gif; name=logo.gif\nContent-ID: <logo>\n\ngif\n--r\nContent-Type: "
              "text/html\nContent-ID: <root>\n\n<p>hi</p>\n--r--\n",
       {"logo.gif"},
       "hi"},
      {"an enclosed message alone",
       head + "message/rfc822\n\nFrom: Ann <ann@example.com>\nSubject: inner\n\ninner text\n",
       {},
       "From: Ann <ann@example.com>\nSubject: inner\n\ninner text"},
      {"a text of an unknown text type",
       head + "text; charset=us-ascii\n\nold mailer\n",
       {},
       "old mailer"},
  };
  for (const Case& c : cases) {
    const auto mail = parseMail(c.message);
    ASSERT_TRUE(mail) << c.name;
    std::vector<std::string> names;
    for (const auto& a : mail->attachments) names.push_back(a.fileName);
    EXPECT_EQ(names, c.attachments) << c.name;
    std::string text = mail->text;
    while (!text.empty() && text.back() == '\n') text.pop_back();
    EXPECT_EQ(text, c.text) << c.name;
  }
}

TEST(MimeReader, HtmlReferencesAreDecodedAsHtml5ReadsThem) {
  struct Case {
    const char* html;
    const char* text;
  } cases[] = {
      {"caf&eacute; &Eacute;t&eacute;", "caf\u00E9 \u00C9t\u00E9"},
      {"&euro;5 &mdash; &hellip; &rarr; &NotEqualTilde;",
       "\u20AC5 \u2014 \u2026 \u2192 \u2242\u0338"},
      {"&#233; &#xE9; &#X20AC; &#128; &#0; &#55296;", "\u00E9 \u00E9 \u20AC \u20AC \uFFFD \uFFFD"},
      {"&eacute caf&eacutex &copy2024", "\u00E9 caf\u00E9x \u00A92024"},  // legacy, no ";"
      {"&nosuch; & &; &#; &#x;", "&nosuch; & &; &#; &#x;"},
      {"A&nbsp;B &amp;lt;", "A B &lt;"},
  };
  for (const Case& c : cases) EXPECT_EQ(htmlToText(c.html), c.text) << c.html;
}

TEST(MimeReader, AttachmentNamesAreSafeFileNames) {
  struct Case {
    const char* given;
    const char* safe;
  };
  const Case cases[] = {
      {"report.pdf", "report.pdf"}, {"../../x.sh", "x.sh"},      {"C:\\Temp\\a.doc", "a.doc"},
      {"..", "fallback"},           {"a\nb:c.txt", "a_b_c.txt"}, {"", "fallback"},
  };
  for (const Case& c : cases) EXPECT_EQ(safeFileName(c.given, "fallback"), c.safe) << c.given;
}

TEST(MimeWriter, ComposesWhatTheReaderReadsBackAndKeepsBccOffTheWire) {
  TempDir dir;
  writeText(dir.path() / "notes.txt", std::string("line\0binary\xFF", 12));
  MailDraft draft;
  draft.from = {"Help Desk", "helpdesk@example.org"};
  draft.to = {{"J\u00FCrgen", "juergen@example.com"}};
  draft.cc = {{"", "boss@example.org"}};
  draft.bcc = {{"", "audit@example.org"}};
  draft.subject = "Ihr Fall 12 \u2013 gel\u00F6st";
  draft.text = "Guten Tag,\r\nerledigt.\r\n";
  draft.attachments = {{dir.path() / "notes.txt", "Notiz \u00E4.txt"}};
  draft.dateSeconds = 1020672000;

  const ComposeResult result = composeMail(draft);
  ASSERT_EQ(result.status, ComposeStatus::Ok) << result.detail;
  const std::string& wire = result.mail.wire;
  EXPECT_EQ(wire.find("audit@example.org"), std::string::npos);
  EXPECT_NE(result.mail.withBcc.find("Bcc: audit@example.org"), std::string::npos);
  EXPECT_NE(wire.find("Content-Transfer-Encoding: base64"), std::string::npos);
  EXPECT_NE(wire.find("Date: "), std::string::npos);
  for (unsigned char c : wire) EXPECT_LT(c, 0x80) << "raw 8-bit byte on the wire";

  const auto back = parseMail(wire);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->subject, draft.subject);
  EXPECT_EQ(back->from->address, "helpdesk@example.org");
  EXPECT_EQ(back->to[0].name, "J\u00FCrgen");
  EXPECT_EQ(back->cc[0].address, "boss@example.org");
  EXPECT_TRUE(back->bcc.empty());
  EXPECT_EQ(back->text, "Guten Tag,\nerledigt.\n");
  ASSERT_EQ(back->attachments.size(), 1u);
  EXPECT_EQ(back->attachments[0].fileName, "Notiz \u00E4.txt");
  EXPECT_EQ(back->attachments[0].data, std::string("line\0binary\xFF", 12));
}

// Names go as the files have them, whatever their characters, encoded as MIME says; text files
// say their charset.
TEST(MimeWriter, AttachmentNamesAndCharsetsGoAsTheFilesHaveThem) {
  TempDir dir;
  writeText(dir.path() / "\u03AD\u03B3\u03B3\u03C1\u03B1\u03C6\u03BF.txt", "\u03B1\u03B2\n");
  writeText(dir.path() / "say \"hi\".txt", "plain\n");
  writeText(dir.path() / "old.txt", "caf\xE9\n");
  MailDraft draft;
  draft.from = {"", "helpdesk@example.org"};
  draft.to = {{"", "a@example.org"}};
  draft.attachments = {{dir.path() / "\u03AD\u03B3\u03B3\u03C1\u03B1\u03C6\u03BF.txt", ""},
                       {dir.path() / "say \"hi\".txt", ""},
                       {dir.path() / "old.txt", ""}};
  const ComposeResult result = composeMail(draft);
  ASSERT_EQ(result.status, ComposeStatus::Ok) << result.detail;
  const std::string& wire = result.mail.wire;
  for (unsigned char c : wire) EXPECT_LT(c, 0x80) << "raw 8-bit byte on the wire";
  EXPECT_NE(wire.find("filename*=UTF-8''%CE%AD%CE%B3%CE%B3%CF%81%CE%B1%CF%86%CE%BF.txt"),
            std::string::npos)
      << wire;
  EXPECT_NE(wire.find("filename=\"say \\\"hi\\\".txt\""), std::string::npos) << wire;
  EXPECT_EQ(wire.find("_______"), std::string::npos) << wire;
  for (const char* charset : {"charset=utf-8", "charset=us-ascii", "charset=windows-1252"})
    EXPECT_NE(wire.find(charset), std::string::npos) << charset << "\n" << wire;
  const auto back = parseMail(wire);
  ASSERT_TRUE(back);
  ASSERT_EQ(back->attachments.size(), 3u);
  EXPECT_EQ(back->attachments[0].fileName, "\u03AD\u03B3\u03B3\u03C1\u03B1\u03C6\u03BF.txt");
}

TEST(MimeWriter, AMissingAttachmentFailsTheWholeMessage) {
  MailDraft draft;
  draft.from = {"", "helpdesk@example.org"};
  draft.to = {{"", "a@example.org"}};
  draft.attachments = {{"/nonexistent/file.pdf", ""}};
  const ComposeResult result = composeMail(draft);
  EXPECT_EQ(result.status, ComposeStatus::AttachmentNotFound);
  EXPECT_TRUE(result.mail.wire.empty());
  EXPECT_NE(result.detail.find("/nonexistent/file.pdf"), std::string::npos);
}

}  // namespace
}  // namespace trv::mail
