#include "cases/notes/notes_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "cases/notes/notes_text.h"
#include "core/data/database_tool.h"
#include "core/data/records.h"
#include "runtime/mail/local_mail_store.h"
#include "runtime/mail/mail_system.h"
#include "runtime/text/charset.h"
#include "runtime/ui/window.h"
#include "tests/support/window_fixture.h"

namespace trv::cases {
namespace {

using enum notes::Control;

constexpr std::uint32_t kCase = 42;

// Case 42 of client "ACME" in the starter database and a local mail store with a capturing
// transport; the notes window runs on a program thread over the case, as the case form opens it.
class NotesWindowTest : public testing::WindowFixture {
 protected:
  NotesWindowTest()
      : store_(*mail::LocalMailStore::create(configFolder(), programFolder() / "Mail",
                                             "desk@trovanel.test")),
        mail_(store_.environment(clock)) {
    state.env.mapi = &mail_;
    state.user.Name = "Anna";
    state.user.FullName = "Anna Berg";
    state.user.Company = "Help Desk Ltd";
    EXPECT_EQ(mail_.MAPILogon(0, "", "", mail::kMapiNewSession, 0, state.MapiSession),
              mail::MapiSuccess)
        << mail_.lastDetail();
    insert({{"SER:CaseNr", std::to_string(kCase)},
            {"SER:SName", "ACME"},
            {"SER:SProblem", "Printer jams"},
            {"SER:Status", "Active"},
            {"SER:Priority", "High"}});
  }
  ~NotesWindowTest() override {
    // The windows close before the mail session ends.
    rt.endProgram();
    EXPECT_TRUE(rt.waitFinished(std::chrono::seconds(10)));
    (void)mail_.MAPILogoff(state.MapiSession, 0, 0, 0);
  }

  ini::IniSettings& ini() { return state.AppSettings; }
  void addClient(const std::string& email) {
    insert({{"CLI:SName", "ACME"}, {"CLI:LName", "Acme Ltd"}, {"CLI:Email", email}});
  }

  // Opens the window for `kind` over case 42; the case form's own Client buffer holds "FORM".
  void open(ActionKind kind, int mailMode = 1) {
    finished_ = false;
    start([this, kind, mailMode] {
      data::FileAccess& cases = *state.dictionary.SercaseAccess;
      data::FileAccess& client = *state.dictionary.ClientAccess;
      if (cases.open() != data::LevelOk || client.open() != data::LevelOk) return;
      cases.record<core::SercaseRecord>().CaseNr = kCase;
      if (cases.fetch("SER:CaseNrKey") == store::Ok) {
        cases.memo("SER:AddHistory") = "left over from before";
        client.record<core::ClientRecord>().SName = "FORM";
        outcome_ = AddNotes(state, kind, mailMode);
        notesAfter_ = cases.memo("SER:AddHistory");
        clientAfter_ = client.record<core::ClientRecord>().SName.str();
      }
      client.close();
      cases.close();
      finished_ = true;
    });
    ASSERT_NE(window(), nullptr) << driver.describe();
  }
  // Waits for the window's thread to end.
  void finish() {
    waitEnded();
    ASSERT_TRUE(finished_);
  }

  std::string text(int n) { return control(n).text; }
  int focused() {
    int f = 0;
    EXPECT_TRUE(driver.inspect([&] { f = rt.front()->focus(); }));
    return f;
  }
  // The message now shown (empty when none), answered with OK.
  std::string answerMessage(std::string* caption = nullptr) {
    const auto m = message();
    if (!m) return {};
    if (caption) *caption = m->caption;
    answer("&OK");
    return m->text;
  }

  mail::LocalMailStore store_;
  mail::MailSystem mail_;
  NotesOutcome outcome_;
  std::string notesAfter_;
  std::string clientAfter_;
  std::atomic<bool> finished_{false};
};

TEST_F(NotesWindowTest, SubjectLineByTheStoredChoice) {
  struct Case {
    const char* label;
    const char* title;
    const char* subject2;  // nullptr: not in the file
    const char* line;      // nullptr: the subject line is hidden
    bool editEnabled;
  };
  const Case cases[] = {
      {"1", "1", nullptr, "Your Support Call - Registrated under Case Nr. : 42", true},
      {"missing choice is 1", nullptr, nullptr,
       "Your Support Call - Registrated under Case Nr. : 42", true},
      {"Dutch with a blank template", "2", "",
       "Uw supportaanvraag is geregistreerd onder Case Nr. : 42", true},
      {"Dutch from the file", "2", "Uw verzoek :  ", "Uw verzoek : 42", true},
      {"3", "3", nullptr, "Su Llamada del Apoyo - Registrated bajo el Caso Nr. : 42", true},
      {"4", "4", nullptr, "Default 4 : 42", true},
      {"Entry", "5", nullptr, nullptr, true},
      {"Problem", "6", nullptr, "Printer jams - Case Nr. 42", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    ASSERT_TRUE(ini().WriteValue("AddNotes", "Title", c.title ? c.title : ""));
    ASSERT_TRUE(ini().WriteValue("AddNotes", "Subject2", c.subject2 ? c.subject2 : ""));
    open(ActionKind::EmailOut);
    EXPECT_EQ(title(), "Adding an Outgoing Email to Case Nr. 42");
    EXPECT_FALSE(control(kSendEmail).hidden);
    EXPECT_TRUE(control(kOk).hidden);
    EXPECT_FALSE(control(kHelp).hidden);
    EXPECT_EQ(control(kEdit).disabled, !c.editEnabled);
    if (c.line) {
      EXPECT_FALSE(control(kSubjectLine).hidden);
      EXPECT_EQ(text(kSubjectLine), c.line);
      EXPECT_TRUE(control(kSubjectEntry).hidden);
      EXPECT_EQ(focused(), kText);
    } else {
      EXPECT_TRUE(control(kSubjectLine).hidden);
      EXPECT_FALSE(control(kSubjectEntry).hidden);
      EXPECT_EQ(text(kSubjectEntry), "");
      EXPECT_EQ(focused(), kSubjectEntry);
    }
    press(kCancel);
    finish();
  }
}

TEST_F(NotesWindowTest, ChangingTheChoiceEditingAndClosingKeepTheSubjects) {
  open(ActionKind::EmailOut);
  EXPECT_EQ(text(kFirstRadio + 2), "Spanish");
  press(kFirstRadio + 2);
  EXPECT_EQ(text(kSubjectLine), "Su Llamada del Apoyo - Registrated bajo el Caso Nr. : 42");
  press(kFirstRadio + 5);
  EXPECT_EQ(text(kSubjectLine), "Printer jams - Case Nr. 42");
  EXPECT_TRUE(control(kEdit).disabled);
  press(kFirstRadio + 4);
  EXPECT_TRUE(control(kSubjectLine).hidden);
  EXPECT_FALSE(control(kEdit).disabled);
  EXPECT_EQ(focused(), kSubjectEntry);
  type(kSubjectEntry, "Your printer   ");
  EXPECT_EQ(text(kSubjectLine), "Your printer 42");
  EXPECT_FALSE(control(kSubjectLine).hidden);
  EXPECT_TRUE(control(kSubjectEntry).hidden);

  // Template 1 edited with its caption: the window and the file keep both.
  press(kFirstRadio);
  press(kEdit);
  EXPECT_FALSE(control(kSubjectEntry).hidden);
  EXPECT_FALSE(control(kCaptionEntry).hidden);
  EXPECT_EQ(text(kSubjectEntry), "Your Support Call - Registrated under Case Nr. :");
  EXPECT_EQ(text(kCaptionEntry), "English");
  type(kCaptionEntry, "Tickets");
  EXPECT_EQ(text(kFirstRadio), "Tickets");
  type(kSubjectEntry, "Ticket Nr. :");
  EXPECT_EQ(text(kSubjectLine), "Ticket Nr. : 42");
  // A cleared entry keeps the template.
  press(kEdit);
  type(kSubjectEntry, "");
  EXPECT_EQ(text(kSubjectLine), "Ticket Nr. : 42");
  press(kAddSignature);
  press(kCancel);
  finish();
  EXPECT_EQ(ini().ReadValue("AddNotes", "Title"), "1");
  EXPECT_EQ(ini().ReadValue("AddNotes", "Subject1"), "Ticket Nr. :");
  EXPECT_EQ(ini().ReadValue("AddNotes", "TitleText1"), "Tickets");
  EXPECT_EQ(ini().ReadValue("AddNotes", "Subject3"),
            "Su Llamada del Apoyo - Registrated bajo el Caso Nr. :");
  EXPECT_EQ(ini().ReadValue("AddNotes", "TitleText4"), "Default 4");
  EXPECT_EQ(ini().ReadValue("AddNotes", "AddSig"), "1");
  EXPECT_EQ(ini().ReadValue("AddNotes", "AddProblem"), "0");
}

TEST_F(NotesWindowTest, ANoteTakesItsTextOnOkAndLeavesTheMailSettingsAlone) {
  open(ActionKind::PhoneOut);
  EXPECT_EQ(title(), "Adding an Outgoing Call to Case Nr. 42");
  EXPECT_TRUE(control(kAddSignature).hidden);
  EXPECT_TRUE(control(kAddProblem).hidden);
  EXPECT_TRUE(control(kHeaderArea).hidden);
  EXPECT_TRUE(control(kSendEmail).hidden);
  EXPECT_EQ(text(kText), "");  // what an earlier window left is gone
  (void)frontEnd.takeBeeps();
  press(kOk);
  EXPECT_EQ(frontEnd.takeBeeps(), 1);
  EXPECT_EQ(focused(), kText);
  ASSERT_NE(window(), nullptr);
  type(kText, "Called back, printer works.");
  press(kOk);
  finish();
  EXPECT_TRUE(outcome_.confirmed);
  EXPECT_FALSE(outcome_.revert);
  EXPECT_FALSE(outcome_.mailNotSent);
  EXPECT_EQ(notesAfter_, "Called back, printer works.");
  EXPECT_EQ(ini().ReadValue("AddNotes", "Title"), "");
  EXPECT_EQ(ini().ReadValue("AddNotes", "Subject1"), "");
  EXPECT_EQ(ini().ReadValue("AddNotes", "AddSig"), "");
}

TEST_F(NotesWindowTest, CancelAndTheCloseBoxRevertAndLeaveNoText) {
  struct Case {
    const char* label;
    std::function<void()> leave;
  };
  const Case cases[] = {
      {"Cancel", [this] { press(kCancel); }},
      {"close box", [this] { closeWindow(); }},
      {"Esc",
       [this] {
         ui::Input in;
         in.kind = ui::Input::Kind::Key;
         in.key = ui::KeyEsc;
         post(in);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    outcome_ = {};
    open(ActionKind::StatusChange);
    EXPECT_EQ(title(), "Changing Status of Case Nr. 42 to Active");
    type(kText, "Waiting for parts");
    c.leave();
    finish();
    EXPECT_FALSE(outcome_.confirmed);
    EXPECT_TRUE(outcome_.revert);
    EXPECT_EQ(notesAfter_, "");
  }
}

TEST_F(NotesWindowTest, AMailThatCannotGoIsToldAndMarkedNotSent) {
  struct Case {
    const char* label;
    const char* email;  // nullptr: no client record
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"client not found", nullptr, {"Error opening Client file", "Record Not Found"}},
      {"empty address", "", {"Error : email address empty"}},
      {"no full stop", "client@example", {"Error : email address not valid"}},
      {"no at sign", "client.example.com", {"Error : email address not valid"}},
  };
  bool added = false;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    if (c.email) {
      if (added) {
        ASSERT_TRUE(
            core::updateRecord(database(), {"CLI:SName", "ACME"}, {{"CLI:Email", c.email}}).ok);
      } else {
        addClient(c.email);
      }
      added = true;
    }
    outcome_ = {};
    open(ActionKind::EmailOut);
    type(kText, "The part is ordered.");
    press(kSendEmail);
    std::vector<std::string> shown;
    std::vector<std::string> captions;
    for (std::string caption, m = answerMessage(&caption); !m.empty();
         m = answerMessage(&caption)) {
      shown.push_back(m);
      captions.push_back(caption);
    }
    finish();
    EXPECT_EQ(shown, c.messages);
    ASSERT_FALSE(captions.empty());
    EXPECT_EQ(captions[0], core::kAppTitle);
    if (captions.size() > 1) {
      EXPECT_EQ(captions[1], "");
    }
    EXPECT_TRUE(outcome_.confirmed);
    EXPECT_TRUE(outcome_.mailNotSent);
    EXPECT_FALSE(outcome_.revert);
    EXPECT_EQ(outcome_.mailAddress, "");
    EXPECT_EQ(notesAfter_, "The part is ordered.");  // kept for the next window
    EXPECT_EQ(clientAfter_, "FORM");
    EXPECT_EQ(store_.sent().size(), 0u);
  }
}

TEST_F(NotesWindowTest, ASentMailCarriesProblemSignatureAndSubject) {
  addClient("client@example.com  ");
  ASSERT_TRUE(ini().WriteValue("AddNotes", "AddProblem", "1"));
  ASSERT_TRUE(ini().WriteValue("AddNotes", "AddSig", "1"));
  open(ActionKind::EmailOut);
  EXPECT_EQ(ui::valueNumber(control(kAddProblem).value), 1);
  EXPECT_EQ(ui::valueNumber(control(kAddSignature).value), 1);
  type(kText, "The part is ordered.");
  press(kSendEmail);
  EXPECT_EQ(answerMessage(), "");
  finish();

  const std::string expected =
      "**** Problem : Printer jams ****\r\n\r\nThe part is ordered.\r\n\r\nAnna Berg\r\n"
      "Help Desk Ltd\r\n";
  EXPECT_TRUE(outcome_.confirmed);
  EXPECT_FALSE(outcome_.mailNotSent);
  EXPECT_EQ(outcome_.mailAddress, "client@example.com");
  EXPECT_EQ(notesAfter_, expected);
  EXPECT_EQ(clientAfter_, "FORM");
  const auto sent = store_.sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(mail::sentMailField(sent[0], "to"), "client@example.com");
  EXPECT_EQ(mail::sentMailField(sent[0], "subject"),
            "Your Support Call - Registrated under Case Nr. : 42");
  EXPECT_NE(sent[0].text.find("**** Problem : Printer jams ****"), std::string::npos);
  EXPECT_NE(sent[0].text.find("Help Desk Ltd"), std::string::npos);
  EXPECT_EQ(ini().ReadValue("AddNotes", "Title"), "1");
  EXPECT_EQ(ini().ReadValue("AddNotes", "Subject1"),
            "Your Support Call - Registrated under Case Nr. :");
  EXPECT_EQ(ini().ReadValue("AddNotes", "TitleText2"), "Dutch");
  EXPECT_EQ(ini().ReadValue("AddNotes", "AddProblem"), "1");
  EXPECT_EQ(ini().ReadValue("AddNotes", "AddSig"), "1");
}

TEST_F(NotesWindowTest, ARefusedSendIsMarkedNotSent) {
  addClient("client@example.com");
  store_.refuseSends();
  open(ActionKind::EmailOut);
  type(kText, "The part is ordered.");
  press(kSendEmail);
  EXPECT_NE(answerMessage().find("The message was not sent"), std::string::npos);
  finish();
  EXPECT_TRUE(outcome_.confirmed);
  EXPECT_TRUE(outcome_.mailNotSent);
  EXPECT_EQ(outcome_.mailAddress, "");
}

TEST_F(NotesWindowTest, SendEmailWantsATextAndASubject) {
  addClient("client@example.com");
  ASSERT_TRUE(ini().WriteValue("AddNotes", "Title", "5"));
  open(ActionKind::EmailOut);
  (void)frontEnd.takeBeeps();
  press(kSendEmail);  // no text
  EXPECT_EQ(frontEnd.takeBeeps(), 1);
  EXPECT_EQ(focused(), kText);
  ui::Input in;
  in.kind = ui::Input::Kind::Accept;
  in.control = kText;
  in.text = "The part is ordered.";
  post(in);
  press(kSendEmail);  // no subject typed: the subject entry is offered
  EXPECT_EQ(frontEnd.takeBeeps(), 1);
  EXPECT_FALSE(control(kSubjectEntry).hidden);
  EXPECT_TRUE(control(kCaptionEntry).hidden);
  EXPECT_EQ(focused(), kSubjectEntry);
  type(kSubjectEntry, "");  // an empty typed subject is refused
  EXPECT_EQ(frontEnd.takeBeeps(), 1);
  EXPECT_EQ(focused(), kSubjectEntry);
  type(kSubjectEntry, "Your parts");
  press(kSendEmail);
  finish();
  ASSERT_EQ(store_.sent().size(), 1u);
  EXPECT_EQ(mail::sentMailField(store_.sent()[0], "subject"), "Your parts 42");
  EXPECT_EQ(ini().ReadValue("AddNotes", "Title"), "5");
}

TEST_F(NotesWindowTest, ColoursAreChosenStoredAndNeverEqual) {
  ASSERT_TRUE(ini().WriteValue("AddNotes", "BgrColor", "16777215"));
  open(ActionKind::Note);
  EXPECT_EQ(control(kText).background, 16777215);
  EXPECT_EQ(control(kText).colour, ui::kColorNone);

  press(kTextColour);
  ASSERT_TRUE(driver.waitIdle());
  auto d = driver.dialog();
  ASSERT_TRUE(d);
  EXPECT_EQ(d->second.title, "Choose Text Color");
  ui::Answer a;
  a.ok = true;
  a.colour = 255;
  ASSERT_TRUE(driver.answerDialog(a));
  EXPECT_EQ(control(kText).colour, 255);
  EXPECT_EQ(ini().ReadValue("AddNotes", "TextColor"), "255");

  press(kBackground);
  ASSERT_TRUE(driver.waitIdle());
  d = driver.dialog();
  ASSERT_TRUE(d);
  EXPECT_EQ(d->second.title, "Choose Background Color");
  ASSERT_TRUE(driver.answerDialog(a));
  EXPECT_EQ(answerMessage(), "Background Color cannot be the same as Text Color");
  EXPECT_EQ(control(kText).background, 16777215);
  EXPECT_EQ(ini().ReadValue("AddNotes", "BgrColor"), "16777215");
  press(kCancel);
  finish();
}

TEST_F(NotesWindowTest, HelpAndTheRegisteredProcedure) {
  open(ActionKind::EmailOut);
  press(kHelp);
  ASSERT_TRUE(driver.waitIdle());
  ASSERT_FALSE(frontEnd.helpTopics().empty());
  EXPECT_NE(frontEnd.helpTopics().back().find("Email Options"), std::string::npos);
  press(kCancel);
  finish();

  registerNotesWindow(state);
  const forms::ProcedureEntry* e = state.procedures.find("AddNotes");
  ASSERT_NE(e, nullptr);
  EXPECT_FALSE(e->ownThread);
  auto body = e->body;
  start([body] { body("21 42"); });
  ASSERT_NE(window(), nullptr);
  EXPECT_EQ(title(), "Changing Priority of Case Nr. 42 to High");
  type(kText, "Client asked");
  press(kOk);
  ASSERT_TRUE(rt.waitFinished(std::chrono::seconds(10)));
  EXPECT_EQ(state.globals.LastResponse, forms::ResponseCompleted);
}

}  // namespace
}  // namespace trv::cases
