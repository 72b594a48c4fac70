#include "cases/notes/notes_window.h"

#include "cases/notes/box_colours.h"
#include "cases/notes/notes_text.h"
#include "cases/sendmail/send_mail.h"
#include "core/data/records.h"
#include "core/program/program_state.h"
#include "runtime/data/file_access.h"
#include "runtime/forms/procedures.h"
#include "runtime/forms/program_message.h"
#include "runtime/store/error.h"
#include "runtime/text/charset.h"
#include "runtime/text/fixed_string.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/use_var.h"
#include "runtime/ui/window.h"

namespace trv::cases {
namespace {

using enum notes::Control;

constexpr const char* kAddHistory = "SER:AddHistory";

// What the window edits while it is open; Windows-1252 like the fields it stands for.
struct NotesBuffers {
  NotesSettings settings;
  std::int64_t addSignature = 0;
  std::int64_t addProblem = 0;
  std::string editSubject;  // 63
  std::string editCaption;  // 9
  std::string subjectLine;  // 70
};

std::string cut(std::string_view s, std::size_t width) {
  return std::string(s.substr(0, std::min(s.size(), width)));
}

// A Windows-1252 program variable shown as UTF-8 and cut to its width.
ui::UseVar useText1252(std::string name, std::string& var, std::size_t width) {
  return {std::move(name), [&var] { return ui::Value(text::toUtf8(var)); },
          [&var, width](const ui::Value& v) { var = cut(text::fromUtf8(ui::valueText(v)), width); },
          static_cast<int>(width)};
}

ui::UseVar useNotes(data::FileAccess& cases) {
  return {kAddHistory, [&cases] { return ui::Value(text::toUtf8(cases.memo(kAddHistory))); },
          [&cases](const ui::Value& v) {
            cases.memo(kAddHistory) = cut(text::fromUtf8(ui::valueText(v)), kNotesWidth);
          },
          static_cast<int>(kNotesWidth)};
}

ui::WindowDecl notesDecl(data::FileAccess& cases, NotesBuffers& b) {
  ui::WindowDecl d;
  d.kind = ui::WindowKind::Modal;
  d.menu = {
      ui::menuItem(kWindowMenu, "&Window").withEquate("?WindowMenu"),
      ui::submenu(kColourMenu, "Colo&r",
                  {ui::menuItem(kTextColour, "&Text Color").withEquate("?TextColor"),
                   ui::menuItem(kBackground, "&Background").withEquate("?Background")})
          .withEquate("?ColorMenu"),
  };
  auto& c = d.controls;
  c.push_back(ui::textBox("?SER:AddHistory", useNotes(cases))
                  .withNumber(kText)
                  .withTip("Add to Case")
                  .size(60, 8)
                  .at(1, 1));
  c.push_back(ui::button("?OK", "&OK").withNumber(kOk).at(2, 1));
  c.push_back(ui::button("?SendEmail", "")
                  .withNumber(kSendEmail)
                  .withImage("SEND1.ICO")
                  .withTip("Send Email")
                  .at(2, 1)
                  .asHidden());
  c.push_back(ui::button("?Cancel", "&Cancel").withNumber(kCancel).at(2, 2));
  c.push_back(ui::check("?AddSig", "Add Signature", ui::useNumber("AddSig", b.addSignature))
                  .withNumber(kAddSignature)
                  .withValue("1")
                  .withTip("Your User Data")
                  .at(2, 3));
  c.push_back(ui::button("?Help", "&Help").withNumber(kHelp).at(2, 5).asHidden());
  c.push_back(ui::check("?AddProblem", " Add Problem", ui::useNumber("AddProblem", b.addProblem))
                  .withNumber(kAddProblem)
                  .withValue("1")
                  .withTip("Check to add Problem")
                  .at(2, 4)
                  .asHidden());
  c.push_back(ui::button("?Edit", "&Edit")
                  .withNumber(kEdit)
                  .withTip("Edit Message Header")
                  .at(3, 1)
                  .asHidden());
  c.push_back(ui::group("?HeaderArea", "").withNumber(kHeaderArea).at(4, 1));
  c.push_back(
      ui::entry("?EditSubject", "@s63", useText1252("EditSubject", b.editSubject, kTemplateWidth))
          .withNumber(kSubjectEntry)
          .withTip("Message Header")
          .size(63)
          .at(1, 2)
          .in(kHeaderArea)
          .asHidden());
  c.push_back(ui::string("?SubjectPrompt", "Subject :  ")
                  .withNumber(kSubjectPrompt)
                  .at(1, 1)
                  .in(kHeaderArea)
                  .asHidden());
  c.push_back(
      ui::entry("?EditCaption", "@s9", useText1252("EditCaption", b.editCaption, kCaptionWidth))
          .withNumber(kCaptionEntry)
          .size(kCaptionWidth)
          .at(1, 3)
          .in(kHeaderArea)
          .asHidden());
  c.push_back(ui::string("?SubjectLine", "")
                  .withNumber(kSubjectLine)
                  .withPicture("@s70")
                  .withUse(useText1252("SubjectLine", b.subjectLine, kSubjectLineWidth))
                  .size(70)
                  .at(1, 2)
                  .in(kHeaderArea)
                  .asHidden());
  c.push_back(ui::option("?Header", "Header", ui::useNumber("Choice", b.settings.choice))
                  .withNumber(kHeader)
                  .at(2, 1)
                  .in(kHeaderArea)
                  .asHidden());
  const char* fixed[] = {"Entry", "Problem"};
  for (int i = 0; i < 6; ++i) {
    const std::string caption =
        i < 4 ? text::toUtf8(b.settings.captions[static_cast<std::size_t>(i)]) : fixed[i - 4];
    c.push_back(ui::radio("?Radio" + std::to_string(i + 1), caption, std::to_string(i + 1))
                    .withNumber(kFirstRadio + i)
                    .at(1, i + 1)
                    .in(kHeader)
                    .asHidden());
  }
  return d;
}

class NotesWindow final : public forms::WindowController {
 public:
  NotesWindow(core::ProgramState& s, ActionKind kind, int mailMode, NotesBuffers& b)
      : WindowController(s.forms, "AddNotes", notesDecl(*s.dictionary.SercaseAccess, b)),
        s_(s),
        kind_(kind),
        mailMode_(mailMode),
        b_(b) {
    FIRSTFIELD = kText;
    AddHelpButton(kHelp, "Email Options");
  }

  NotesOutcome outcome;

  data::Level Init() override {
    if (data::Level l = WindowController::Init(); l != data::LevelOk) return l;
    colours_ = storedBoxColours(s_.AppSettings, kNotesSection);
    window().setColours(kText, colours_.text, colours_.background);
    if (!mail()) {
      window().setHidden(kAddSignature, true);
      window().setHidden(kAddProblem, true);
      window().setHidden(kHeaderArea, true);
    }
    notes().clear();
    window().display(kText);
    return data::LevelOk;
  }

  void OnOpen() override {
    WindowController::OnOpen();
    window().setTitle(notesTitle(kind_, caseRecord().CaseNr, caseRecord().Status.view(),
                                 caseRecord().Priority.view()));
    if (mail()) setUpMail();
  }

  data::Level HandleAccepted() override {
    switch (event().control) {
      case kTextColour:
      case kBackground:
        chooseColour(event().control == kTextColour);
        return data::LevelNotify;
      case kOk:
        confirmText();
        return data::LevelNotify;
      case kSendEmail:
        sendEmail();
        return data::LevelNotify;
      case kCancel:
        outcome.revert = true;
        window().close();
        return data::LevelNotify;
      case kEdit:
        editSubject();
        return data::LevelNotify;
      case kSubjectEntry:
        subjectTyped();
        return data::LevelNotify;
      case kCaptionEntry:
        captionTyped();
        return data::LevelNotify;
      case kHeader:
        choiceMade();
        return data::LevelNotify;
      default:
        return WindowController::HandleAccepted();
    }
  }

  data::Level HandleSelected() override {
    if (event().control != kText || !mail()) return data::LevelOk;
    if (b_.settings.choice == kChoiceEntry && text::clip(b_.editSubject).empty()) {
      s_.env.ui.beep();
      window().select(kSubjectEntry);
      return data::LevelNotify;
    }
    showSubjectLine();
    return data::LevelNotify;
  }

  data::Level Shutdown() override {
    // Only a mail's window changes the mail settings.
    if (mail() && OPENED) {
      b_.settings.addSignature = b_.addSignature != 0;
      b_.settings.addProblem = b_.addProblem != 0;
      writeNotesSettings(s_.AppSettings, b_.settings);
    }
    return WindowController::Shutdown();
  }

 private:
  bool mail() const { return kind_ == ActionKind::EmailOut; }
  core::SercaseRecord& caseRecord() {
    return s_.dictionary.SercaseAccess->record<core::SercaseRecord>();
  }
  std::string& notes() { return s_.dictionary.SercaseAccess->memo(kAddHistory); }
  int choice() const { return b_.settings.choice; }
  bool templateChoice() const { return choice() >= 1 && choice() <= 4; }
  std::size_t templateIndex() const { return static_cast<std::size_t>(choice() - 1); }

  void setUpMail() {
    window().setHidden(kSendEmail, false);
    window().setHidden(kAddProblem, false);
    window().setHidden(kOk, true);
    window().setHidden(kHeader, false);
    for (int i = 0; i < 6; ++i) window().setHidden(kFirstRadio + i, false);
    window().setHidden(kSubjectLine, false);
    window().setHidden(kEdit, false);
    window().setHidden(kSubjectPrompt, false);
    window().setHidden(kHelp, false);
    b_.addSignature = b_.settings.addSignature ? 1 : 0;
    b_.addProblem = b_.settings.addProblem ? 1 : 0;
    if (templateChoice()) {
      b_.editSubject = b_.settings.templates[templateIndex()];
      b_.subjectLine = templateSubject(b_.editSubject, caseRecord().CaseNr);
    } else if (choice() == kChoiceEntry) {
      window().setHidden(kSubjectLine, true);
      b_.editSubject.clear();
      window().setHidden(kSubjectEntry, false);
      FIRSTFIELD = kSubjectEntry;
    } else {
      useProblemSubject();
    }
    window().display();
  }

  void useProblemSubject() {
    b_.subjectLine = problemSubject(caseRecord().SProblem.view(), caseRecord().CaseNr);
    b_.editSubject = cut(b_.subjectLine, kTemplateWidth);
    window().setDisabled(kEdit, true);
  }

  void hideEntries() {
    window().setHidden(kSubjectEntry, true);
    window().setHidden(kCaptionEntry, true);
  }

  void showSubjectLine() {
    hideEntries();
    window().setHidden(kSubjectPrompt, false);
    window().setHidden(kSubjectLine, false);
  }

  void chooseColour(bool forText) {
    if (chooseBoxColour(s_, kNotesSection, forText, colours_))
      window().setColours(kText, colours_.text, colours_.background);
  }

  // False (after a beep, the focus back on the text) while there is no text.
  bool haveText() {
    if (RefuseUnstorableText()) return false;
    window().update(kText);
    if (!blankText(notes())) return true;
    s_.env.ui.beep();
    window().select(kText);
    return false;
  }

  void confirmText() {
    if (!haveText()) return;
    outcome.confirmed = true;
    window().close();
  }

  void editSubject() {
    window().setHidden(kSubjectPrompt, true);
    window().setHidden(kSubjectLine, true);
    window().setHidden(kSubjectEntry, false);
    window().setHidden(kCaptionEntry, false);
    if (templateChoice()) {
      b_.editSubject = b_.settings.templates[templateIndex()];
      b_.editCaption = b_.settings.captions[templateIndex()];
    } else if (choice() == kChoiceEntry) {
      window().setHidden(kCaptionEntry, true);
      window().setHidden(kSubjectPrompt, false);
    }
    window().display(kSubjectEntry);
    window().display(kCaptionEntry);
    window().select(kSubjectEntry);
  }

  void subjectTyped() {
    const bool blank = text::clip(b_.editSubject).empty();
    if (templateChoice()) {
      // A cleared entry keeps the template rather than mailing a bare case number.
      if (blank)
        b_.editSubject = b_.settings.templates[templateIndex()];
      else
        b_.settings.templates[templateIndex()] = b_.editSubject;
    } else if (choice() == kChoiceEntry && blank) {
      s_.env.ui.beep();
      window().select(kSubjectEntry);
      return;
    }
    b_.subjectLine = templateSubject(b_.editSubject, caseRecord().CaseNr);
    showSubjectLine();
    window().display();
    window().select(kText);
  }

  void captionTyped() {
    if (!templateChoice()) return;
    b_.settings.captions[templateIndex()] = b_.editCaption;
    window().setText(kFirstRadio + choice() - 1, text::toUtf8(text::clip(b_.editCaption)));
  }

  void choiceMade() {
    window().setHidden(kSubjectPrompt, false);
    window().setHidden(kSubjectLine, false);
    if (templateChoice()) {
      hideEntries();
      window().setDisabled(kEdit, false);
      b_.editSubject = b_.settings.templates[templateIndex()];
      if (text::clip(b_.editSubject).empty()) {
        editSubject();
        return;
      }
      b_.subjectLine = templateSubject(b_.editSubject, caseRecord().CaseNr);
    } else if (choice() == kChoiceEntry) {
      window().setHidden(kSubjectLine, true);
      window().setHidden(kCaptionEntry, true);
      window().setDisabled(kEdit, false);
      b_.editSubject.clear();
      window().setHidden(kSubjectEntry, false);
      window().select(kSubjectEntry);
    } else {
      hideEntries();
      useProblemSubject();
    }
    window().display();
  }

  void sendEmail() {
    if (!haveText()) return;
    if (text::clip(b_.editSubject).empty()) {
      s_.env.ui.beep();
      editSubject();
      return;
    }
    if (b_.addProblem) notes() = withProblem(notes(), caseRecord().SProblem.view());
    if (b_.addSignature) notes() = withSignature(notes(), s_.user);
    outcome.confirmed = true;
    handOver();
    window().close();
  }

  // Finds the client's address and hands the mail over; anything short of a handed-over mail
  // is marked, so the case form never records it as sent.
  void handOver() {
    std::string address, clientName, fileError;
    if (!clientAddress(address, clientName, fileError)) {
      outcome.mailNotSent = true;
      forms::tell(s_.forms, "Error opening Client file");
      forms::tell(s_.forms, text::toUtf8(fileError), ui::Icon::None, forms::Caption::None);
      return;
    }
    if (address.empty()) {
      outcome.mailNotSent = true;
      forms::tell(s_.forms, "Error : email address empty");
      return;
    }
    if (!plausibleMailAddress(address)) {
      outcome.mailNotSent = true;
      forms::tell(s_.forms, "Error : email address not valid");
      return;
    }
    SendMailRequest r;
    r.caseNumber = std::to_string(caseRecord().CaseNr);
    r.subject = b_.subjectLine;
    r.address = address;
    r.clientName = clientName;
    r.mode = mailMode_ == 1 ? 1 : 0;
    r.notes = notes();
    const SendMailOutcome sent = SendOutLook(s_, r);
    if (!s_.env.programFolder.empty()) s_.env.ui.setCurrentFolder(s_.env.programFolder);
    if (sent.sent)
      outcome.mailAddress = address;
    else
      outcome.mailNotSent = true;
  }

  // The case's client by CLI:SNameKey; the form's Client buffer is given back as it was.
  bool clientAddress(std::string& address, std::string& name, std::string& fileError) {
    data::FileAccess& client = *s_.dictionary.ClientAccess;
    const bool wasOpen = client.openCount() > 0;
    if (!wasOpen && client.open() != data::LevelOk) {
      fileError = store::lastError().text;
      return false;
    }
    const store::RecordBuffer kept = client.buffer();
    core::ClientRecord& cli = client.record<core::ClientRecord>();
    cli.SName = caseRecord().SName;
    const store::Code code = client.fetch("CLI:SNameKey");
    if (code == store::Ok) {
      address = cli.Email.str();
      name = cli.LName.str();
    } else {
      fileError = store::lastError().text.empty() ? std::string(store::codeText(code))
                                                  : store::lastError().text;
    }
    client.buffer() = kept;
    if (!wasOpen) client.close();
    return code == store::Ok;
  }

  core::ProgramState& s_;
  ActionKind kind_;
  int mailMode_;
  NotesBuffers& b_;
  BoxColours colours_;
};

}  // namespace

NotesOutcome AddNotes(core::ProgramState& s, ActionKind kind, int mailMode) {
  data::FileAccess* cases = s.dictionary.SercaseAccess.get();
  if (!cases || !s.dictionary.ClientAccess || cases->openCount() == 0) {
    NotesOutcome none;
    none.revert = true;
    return none;
  }
  NotesBuffers b;
  b.settings = readNotesSettings(s.AppSettings);
  NotesWindow w(s, kind, mailMode, b);
  w.Run();
  NotesOutcome out = w.outcome;
  if (!out.confirmed) {
    // Whatever closed it, an unconfirmed window leaves nothing for a history entry.
    out.revert = true;
    out.mailNotSent = false;
    cases->memo(kAddHistory).clear();
  }
  return out;
}

namespace {

// The registry's call: "KIND [CASENR [MAILMODE]]", over the files opened here.
void runFromRegistry(core::ProgramState& s, std::string_view arg) {
  forms::ProcedureArgs args(arg);
  const int kind = args.next<int>().value_or(1);
  const std::uint32_t caseNr = args.next<std::uint32_t>().value_or(0);
  const int mailMode = args.next<int>().value_or(0);
  s.globals.LastResponse = forms::ResponseCancelled;
  data::FileAccess* cases = s.dictionary.SercaseAccess.get();
  data::FileAccess* client = s.dictionary.ClientAccess.get();
  if (!cases || !client || cases->open() != data::LevelOk) return;
  if (client->open() == data::LevelOk) {
    if (caseNr != 0) {
      cases->record<core::SercaseRecord>().CaseNr = caseNr;
      (void)cases->fetch("SER:CaseNrKey");
    }
    const NotesOutcome o = AddNotes(s, static_cast<ActionKind>(kind), mailMode);
    s.globals.LastResponse = o.confirmed ? forms::ResponseCompleted : forms::ResponseCancelled;
    client->close();
  }
  cases->close();
}

}  // namespace

void registerNotesWindow(core::ProgramState& s) {
  s.procedures.add("AddNotes",
                   forms::onCallersThread([&s](std::string_view arg) { runFromRegistry(s, arg); }));
}

}  // namespace trv::cases
