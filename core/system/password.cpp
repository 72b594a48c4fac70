#include "core/system/password.h"

#include "core/data/records.h"
#include "core/program/program_state.h"
#include "runtime/forms/message_catalog.h"
#include "runtime/forms/program_message.h"
#include "runtime/forms/record_use.h"
#include "runtime/text/charset.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

ui::UseVar useText(std::string name, std::string& var) {
  return ui::UseVar{std::move(name), [&var] { return ui::Value{var}; },
                    [&var](const ui::Value& v) { var = ui::valueText(v).substr(0, 20); }};
}

struct SignatureEntry {
  int number;
  const char* prompt;
  const char* field;
  int width;
};

constexpr SignatureEntry kSignature[] = {
    {PassGreet, "Greet:", "IDE:Greet", 20},
    {PassFullName, "Full Name:", "IDE:FullName", 20},
    {PassPosition, "Position:", "IDE:Position", 30},
    {PassCompany, "Company:", "IDE:Company", 50},
    {PassEmail, "Email:", "IDE:Email", 99},
    {PassPhone, "Phone:", "IDE:Phone", 30},
    {PassFax, "Fax:", "IDE:Fax", 30},
};

// The window's own variables, made before the controller so that its controls can use them.
struct PasswordVariables {
  std::string oldPassword_, newPassword_, repeatPassword_;
};

class PasswordWindow final : private PasswordVariables, public forms::WindowController {
 public:
  explicit PasswordWindow(ProgramState& s)
      : WindowController(s.forms, "UpdatePass", decl(s, *this)), s_(s) {
    UseFile(*s.dictionary.IdeRelations);
    AddCloseButton(PassCancel, forms::ResponseCancelled);
    // The window writes the user's record itself; the ditto key works on that record.
    HISTORYFILE = s.dictionary.IdeAccess.get();
    for (const SignatureEntry& e : kSignature) RememberHistoryField(e.number);
  }

  data::Level Init() override {
    if (data::Level l = WindowController::Init(); l != data::LevelOk) return l;
    if (REQUEST == forms::RequestInsert || REQUEST == forms::RequestDelete) {
      (void)s_.AppMessages.Raise(REQUEST == forms::RequestInsert ? 20 : 12);
      RecordResponse(forms::ResponseCancelled);
      return data::LevelFatal;
    }
    return data::LevelOk;
  }

  void OnOpen() override {
    window().setTitle("Pass/Data change of " + text::toUtf8(s_.user.Name));
    window().setDisabled(PassSignatureTab, true);
    if (!fetchUser()) {
      forms::tell(s_.forms, "User Not Found");
      window().close();
      return;
    }
    newPassword_ = text::toUtf8(user().PassWord.view());
    window().display();
  }

  data::Level HandleAccepted() override {
    switch (event().control) {
      case PassOld:
        oldTyped();
        return data::LevelNotify;
      case PassNew:
        window().update(PassNew);
        if (!text::clip(newPassword_).empty()) {
          window().setHidden(PassRepeatPrompt, false);
          window().setHidden(PassRepeat, false);
          window().select(PassRepeat);
        }
        return data::LevelNotify;
      case PassOk:
        save();
        return data::LevelNotify;
      default:
        return WindowController::HandleAccepted();
    }
  }

 private:
  static ui::WindowDecl decl(ProgramState& s, PasswordVariables& v) {
    data::FileAccess& ide = *s.dictionary.IdeAccess;
    ui::WindowDecl d;
    d.title = "Update the IDE File";
    d.kind = ui::WindowKind::Modal;
    auto& c = d.controls;
    c.push_back(ui::sheet("?Sheet").withNumber(PassSheet));
    c.push_back(ui::tab("?Tab:Password", "Password").withNumber(PassTab).in(PassSheet));
    c.push_back(ui::prompt("?OldPrompt", "Old Password").withNumber(3).at(1, 1).in(PassTab));
    c.push_back(ui::entry("?OldPassword", "@s20", useText("OldPassword", v.oldPassword_))
                    .withNumber(PassOld)
                    .asPassword()
                    .at(1, 2)
                    .in(PassTab));
    c.push_back(ui::prompt("?NewPrompt", "New Password")
                    .withNumber(PassNewPrompt)
                    .at(2, 1)
                    .in(PassTab)
                    .asHidden());
    c.push_back(ui::entry("?NewPassword", "@s20", useText("NewPassword", v.newPassword_))
                    .withNumber(PassNew)
                    .asPassword()
                    .at(2, 2)
                    .in(PassTab)
                    .asHidden());
    c.push_back(ui::prompt("?RepeatPrompt", "Repeat :")
                    .withNumber(PassRepeatPrompt)
                    .at(3, 1)
                    .in(PassTab)
                    .asHidden());
    c.push_back(ui::entry("?RepeatPassword", "@s20", useText("RepeatPassword", v.repeatPassword_))
                    .withNumber(PassRepeat)
                    .asPassword()
                    .at(3, 2)
                    .in(PassTab)
                    .asHidden());
    c.push_back(ui::tab("?Tab:Signature", "Signature").withNumber(PassSignatureTab).in(PassSheet));
    int row = 1;
    for (const SignatureEntry& e : kSignature) {
      c.push_back(ui::prompt(std::string("?Prompt:") + e.field, e.prompt)
                      .withNumber(e.number == PassEmail ? 19 : e.number - 1)
                      .at(row, 1)
                      .in(PassSignatureTab));
      auto entry = ui::entry(std::string("?") + e.field, "@s" + std::to_string(e.width),
                             forms::useRecordField(ide, e.field))
                       .withNumber(e.number)
                       .at(row, 2)
                       .size(e.width)
                       .in(PassSignatureTab);
      if (e.number == PassEmail) entry.withTip("email addess");
      c.push_back(std::move(entry));
      ++row;
    }
    c.push_back(ui::button("?OK", "&OK").withNumber(PassOk).at(8, 1).asDefault());
    c.push_back(ui::button("?Cancel", "&Cancel").withNumber(PassCancel).at(8, 2));
    return d;
  }

  IdeRecord& user() { return s_.dictionary.IdeAccess->record<IdeRecord>(); }

  bool fetchUser() {
    data::FileAccess& ide = *s_.dictionary.IdeAccess;
    ide.primeRecord();
    user().Name = s_.user.Name;
    return ide.fetch("IDE:KeyName") == store::Ok;
  }

  void oldTyped() {
    window().update(PassOld);
    if (!fetchUser()) {
      forms::tell(s_.forms, "Current User Not Found, Consult Administrator");
      window().close();
      return;
    }
    window().display();
    if (text::clip(text::fromUtf8(oldPassword_)) != user().PassWord.view()) {
      s_.env.ui.beep();
      oldPassword_.clear();
      window().display(PassOld);
      window().select(PassOld);
      return;
    }
    window().setHidden(PassNewPrompt, false);
    window().setHidden(PassNew, false);
    newPassword_.clear();
    window().display(PassNew);
    window().select(PassNew);
    window().setText(PassSignatureTab, "Change Signature");
    window().setDisabled(PassSignatureTab, false);
  }

  void save() {
    window().update();
    if (text::clip(repeatPassword_) != text::clip(newPassword_)) {
      forms::tell(s_.forms, "Wrong repetetion : try again");
      repeatPassword_.clear();
      window().display(PassRepeat);
      window().select(PassRepeat);
      return;
    }
    if (text::clip(newPassword_).empty()) newPassword_ = oldPassword_;
    user().PassWord = text::fromUtf8(newPassword_);
    data::FileAccess& ide = *s_.dictionary.IdeAccess;
    const store::Code c = ide.put();
    if (c == store::RecordChanged) {
      // Another station wrote the record meanwhile: say so, and let a second OK write what is
      // typed here over it.
      const store::RecordBuffer typed = ide.buffer();
      (void)s_.AppMessages.Raise(6);
      if (ide.reget(ide.position()) == store::Ok) {
        const store::Position fresh = ide.position();
        ide.buffer() = typed;
        ide.buffer().position = fresh;
      }
      return;
    }
    if (c != store::Ok) {
      forms::tell(s_.forms, "Error Updating User Data");
      return;
    }
    RememberHistoryRecord();
    SignedOnUser& u = s_.user;
    const IdeRecord& r = user();
    u.Greet = r.Greet.str();
    u.FullName = r.FullName.str().substr(0, 20);
    u.Position = r.Position.str();
    u.Company = r.Company.str();
    u.Email = r.Email.str();
    u.Phone = r.Phone.str().substr(0, 16);
    u.Fax = r.Fax.str();
    RecordResponse(forms::ResponseCompleted);
    window().close();
  }

  ProgramState& s_;
};

}  // namespace

void UpdatePass(ProgramState& s) {
  PasswordWindow w(s);
  w.Run();
}

void registerUpdatePass(ProgramState& s) {
  s.procedures.add("UpdatePass", forms::onCallersThread([&s](std::string_view) { UpdatePass(s); }));
}

}  // namespace trv::core
