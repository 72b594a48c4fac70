#include "cases/sendmail/send_mail.h"

#include "cases/sendmail/outgoing_mail.h"
#include "core/program/program_state.h"
#include "runtime/forms/program_message.h"
#include "runtime/mail/simple_mapi.h"
#include "runtime/text/charset.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/use_var.h"
#include "runtime/ui/window.h"

namespace trv::cases {
namespace {

using enum sendmail::Control;

constexpr std::uint32_t kAddressEditFields = 4;

std::string withoutTrailingBlanks(std::string_view s) {
  const std::size_t end = s.find_last_not_of(' ');
  return std::string(end == std::string_view::npos ? std::string_view{} : s.substr(0, end + 1));
}

bool blankUtf8(const std::string& s) {
  return s.find_first_not_of(' ') == std::string::npos;
}

// Hands the message to the mail system and reports a failure; the user's own cancel in the
// mail system's dialog is no failure to report.
SendMailOutcome send(core::ProgramState& s, const ComposedMail& composed) {
  SendMailOutcome out;
  const OutgoingMail m = buildOutgoing(composed);
  std::string detail;
  if (s.env.mapi == nullptr) {
    out.result = mail::MapiFailure;
    detail = "No mail system is set up on this workstation.";
  } else {
    out.result = s.env.mapi->MAPISendMail(s.MapiSession, 0, m.message, m.flags, 0);
    if (out.result != mail::MapiSuccess) detail = s.env.mapi->lastDetail();
  }
  out.sent = out.result == mail::MapiSuccess;
  if (!out.sent && out.result != mail::MapiUserAbort) {
    out.failure = sendFailureText(out.result, detail);
    forms::tell(s.forms, text::toUtf8(out.failure));
  }
  return out;
}

// The entries' texts as the window shows them (UTF-8).
struct WindowBuffers {
  std::string toText, subject, attachPath, text;
};

class SendMailWindow final : public forms::WindowController {
 public:
  SendMailWindow(core::ProgramState& s, ui::WindowDecl decl, WindowBuffers& b)
      : WindowController(s.forms, "SendOutLook", std::move(decl)), s_(s), b_(b) {
    AddCloseButton(kCancel, forms::ResponseCancelled);
    FIRSTFIELD = kTo;
  }

  SendMailOutcome outcome;

  void OnOpen() override {
    window().setTitle(s_.AppTitle + " - Send Mail");
    WindowController::OnOpen();
  }

  data::Level HandleAccepted() override {
    switch (event().control) {
      case kTo:
      case kSubject:
        if (data::Level l = WindowController::HandleAccepted(); l != data::LevelOk) return l;
        if (blankUtf8(event().control == kTo ? b_.toText : b_.subject)) {
          s_.env.ui.beep();
          window().select(event().control);
        }
        return data::LevelNotify;
      case kAddressBook:
        addressBook();
        return data::LevelNotify;
      case kAttachButton:
        chooseAttachment();
        return data::LevelNotify;
      case kSend:
        sendNow();
        return data::LevelNotify;
      default:
        return WindowController::HandleAccepted();
    }
  }

 private:
  ComposedMail composed() const {
    ComposedMail m;
    m.toText = text::fromUtf8(b_.toText);
    m.subject = text::fromUtf8(b_.subject);
    m.attachPath = b_.attachPath;  // a path passes unchanged
    m.text = text::fromUtf8(b_.text);
    m.chosen = chosen_;
    return m;
  }

  void addressBook() {
    if (s_.env.mapi == nullptr) {
      forms::tell(s_.forms, text::toUtf8(addressProblemText(mail::MapiFailure)),
                  ui::Icon::Exclamation, forms::Caption::None);
      return;
    }
    std::uint32_t count = 0;
    const mail::MapiRecipList* list = nullptr;
    const std::uint32_t r = s_.env.mapi->MAPIAddress(
        s_.MapiSession, 0, "Address To:", kAddressEditFields, "", chosen_, 0, 0, count, list);
    if (r == mail::MapiSuccess && list != nullptr) {
      ComposedMail m = composed();
      const std::size_t dropped = takeAddressBookAnswer(m, *list);
      chosen_ = std::move(m.chosen);
      b_.toText = text::toUtf8(m.toText);
      if (dropped > 0) forms::tell(s_.forms, text::toUtf8(recipientsCutText(list->size())));
    } else if (r != mail::MapiSuccess && r != mail::MapiUserAbort) {
      forms::tell(s_.forms, text::toUtf8(addressProblemText(r)), ui::Icon::Exclamation,
                  forms::Caption::None);
    }
    if (list != nullptr) (void)s_.env.mapi->MAPIFreeBuffer(list);
    window().display();
  }

  void chooseAttachment() {
    ui::DialogRequest d;
    d.kind = ui::DialogKind::FileOpen;
    d.title = "Choose a File";
    d.masks = "All Files|*.*";
    const auto folder = s_.env.ui.currentFolder();
    const ui::Answer a = s_.env.ui.dialog(d);
    s_.env.ui.setCurrentFolder(folder);
    b_.attachPath = a.ok ? a.path : std::string();
    window().display();
  }

  void sendNow() {
    outcome = send(s_, composed());
    if (!outcome.sent) return;  // the message stays as composed, to try again or keep
    RESPONSE = forms::ResponseCompleted;
    window().close();
  }

  core::ProgramState& s_;
  WindowBuffers& b_;
  std::vector<mail::MapiRecipDesc> chosen_;
};

ui::WindowDecl windowDecl(WindowBuffers& b) {
  ui::WindowDecl d;
  d.kind = ui::WindowKind::Modal;
  d.controls = {
      ui::sheet("?Sheet1").withNumber(kSheet).at(1, 1),
      ui::tab("?Tab1", "Address").withNumber(kAddressTab).in(kSheet),
      ui::prompt("?Prompt1", "To:").withNumber(kToPrompt).at(1, 1).in(kAddressTab),
      ui::entry("?MailToText", "@s253", ui::useText("MailToText", b.toText))
          .withNumber(kTo)
          .at(1, 2)
          .in(kAddressTab),
      ui::button("?AddressBook", "")
          .withNumber(kAddressBook)
          .withImage("To2.ico")
          .withTip("Call Adres Book")
          .at(1, 3)
          .in(kAddressTab),
      ui::prompt("?Prompt2", "Subject:").withNumber(kSubjectPrompt).at(2, 1).in(kAddressTab),
      ui::entry("?MailSubject", "@s255", ui::useText("MailSubject", b.subject))
          .withNumber(kSubject)
          .at(2, 2)
          .in(kAddressTab),
      ui::entry("?MailAttachPath", "@s79", ui::useText("MailAttachPath", b.attachPath))
          .withNumber(kAttachPath)
          .at(3, 2)
          .in(kAddressTab)
          .asDisabled(),
      ui::button("?Attach", "...")
          .withNumber(kAttachButton)
          .withTip("Select Attachment")
          .at(3, 3)
          .in(kAddressTab),
      ui::prompt("?Prompt3", "Attachment:").withNumber(kAttachPrompt).at(3, 1).in(kAddressTab),
      ui::tab("?Tab2", "Message text").withNumber(kTextTab).in(kSheet),
      ui::textBox("?MailText", ui::useText("MailText", b.text))
          .withNumber(kText)
          .at(1, 1)
          .in(kTextTab),
      ui::textBox("?SER:AddHistory").withNumber(kNotes).at(1, 1).in(kTextTab).asHidden(),
      ui::button("?Send", "")
          .withNumber(kSend)
          .withImage("SEND1.ICO")
          .withTip("Send this message to the Outbox")
          .at(4, 1),
      ui::button("?Cancel", "&Cancel").withNumber(kCancel).at(4, 2),
  };
  return d;
}

// Mode 1: the window would be hidden and sent at once; the message is built and sent here.
SendMailOutcome sendCaseMail(core::ProgramState& s, const SendMailRequest& r) {
  ComposedMail m;
  m.toText = withoutTrailingBlanks(r.address);
  m.subject = r.subject;
  m.text = r.notes;
  return send(s, m);
}

}  // namespace

SendMailOutcome SendOutLook(core::ProgramState& s, const SendMailRequest& request) {
  if (request.mode == 1) {
    SendMailOutcome out = sendCaseMail(s, request);
    s.globals.LastResponse = out.sent ? forms::ResponseCompleted : forms::ResponseCancelled;
    return out;
  }
  WindowBuffers b;
  SendMailWindow w(s, windowDecl(b), b);
  w.Run();
  return w.outcome;
}

std::string encodeSendMailArg(const SendMailRequest& r) {
  std::string out;
  auto field = [&out](std::string_view f, bool last) {
    for (char c : f) {
      if (c == '|' || c == '\\') out += '\\';
      out += c;
    }
    if (!last) out += '|';
  };
  field(r.caseNumber, false);
  field(r.subject, false);
  field(r.address, false);
  field(r.clientName, false);
  field(std::to_string(r.mode), false);
  field(r.notes, true);
  return out;
}

std::optional<SendMailRequest> decodeSendMailArg(std::string_view arg) {
  if (arg.empty()) return SendMailRequest{};
  std::vector<std::string> fields(1);
  for (std::size_t i = 0; i < arg.size(); ++i) {
    if (arg[i] == '\\') {
      if (++i == arg.size()) return std::nullopt;
      fields.back() += arg[i];
    } else if (arg[i] == '|') {
      fields.emplace_back();
    } else {
      fields.back() += arg[i];
    }
  }
  if (fields.size() != 6 || (fields[4] != "0" && fields[4] != "1")) return std::nullopt;
  SendMailRequest r;
  r.caseNumber = fields[0];
  r.subject = fields[1];
  r.address = fields[2];
  r.clientName = fields[3];
  r.mode = fields[4] == "1" ? 1 : 0;
  r.notes = fields[5];
  return r;
}

void registerSendMail(core::ProgramState& s) {
  s.procedures.add("SendOutLook", forms::onCallersThread([&s](std::string_view arg) {
                     const auto r = decodeSendMailArg(arg);
                     if (!r) {
                       s.globals.LastResponse = forms::ResponseCancelled;
                       return;
                     }
                     (void)SendOutLook(s, *r);
                   }));
}

}  // namespace trv::cases
