#include "core/signon/logon.h"

#include "core/data/records.h"
#include "core/program/program_state.h"
#include "runtime/forms/program_message.h"
#include "runtime/forms/record_use.h"
#include "runtime/text/charset.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/use_var.h"
#include "runtime/ui/window.h"
#include "runtime/view/view_reader.h"

namespace trv::core {
namespace {

using enum logon::Control;

constexpr const char* kLights[] = {"Trffc10a.ico", "Trffc10b.ico", "Trffc10c.ico"};

class LogonWindow final : public forms::WindowController {
 public:
  LogonWindow(ProgramState& s, ui::WindowDecl decl, std::string& password)
      : WindowController(s.forms, "Logon", std::move(decl)), s_(s), password_(password) {
    UseFile(*s.dictionary.IdeRelations);
    AddCloseButton(kExit, forms::ResponseCancelled);
  }

  bool signedOn() const { return signedOn_; }
  int level = 0;
  std::uint16_t id = 0;

  data::Level Init() override {
    if (data::Level l = WindowController::Init(); l != data::LevelOk) return l;
    window().setChoices(kName, userNames());
    std::string last = s_.AppSettings.ReadValue("Registration", "LastLogon");
    if (last.empty()) last = "Admin";
    ide().Name = text::fromUtf8(last);
    window().display(kName);
    return data::LevelOk;
  }

  data::Level HandleAccepted() override {
    if (event().control == kOk) {
      attempt();
      return data::LevelNotify;
    }
    return WindowController::HandleAccepted();
  }

 private:
  IdeRecord& ide() { return s_.dictionary.IdeAccess->record<IdeRecord>(); }

  std::vector<std::string> userNames() {
    std::vector<std::string> names;
    data::FileAccess& f = *s_.dictionary.IdeAccess;
    view::ViewReader v(data::FileAccess::threadConnection(), f.fileId(), f.decl());
    v.SetKeyOrder(f.decl().findKey("IDE:KeyName"));
    std::vector<store::RecordBuffer> rows;
    if (v.first(1000, rows) != store::Ok) return names;
    for (const store::RecordBuffer& r : rows)
      names.push_back(
          text::toUtf8(reinterpret_cast<const IdeRecord*>(r.record.data())->Name.view()));
    return names;
  }

  void attempt() {
    signedOn_ = false;
    ++attempts_;
    window().update();
    data::FileAccess& f = *s_.dictionary.IdeAccess;
    if (f.fetch("IDE:KeyName") != store::Ok) {
      forms::tell(s_.forms, "Unknown User", ui::Icon::Information);
      ide().Name = "";
      window().display(kName);
    } else if (text::upper1252(ide().PassWord.view()) ==
               text::upper1252(text::fromUtf8(password_))) {
      signIn();
      return;
    }
    if (attempts_ >= 3) {
      forms::tell(s_.forms, "     Access Denied...   ", ui::Icon::Information);
      RESPONSE = forms::ResponseCancelled;
      window().close();
      return;
    }
    window().setImage(kLight, kLights[attempts_]);
    password_.clear();
    window().display(kPassword);
    window().select(kPassword);
  }

  void signIn() {
    const IdeRecord& r = ide();
    SignedOnUser& u = s_.user;
    u.Name = r.Name.str();
    u.Greet = r.Greet.str();
    u.FullName = std::string(r.FullName.view().substr(0, 20));
    u.Position = r.Position.str();
    u.Company = r.Company.str();
    u.Email = r.Email.str();
    u.Phone = std::string(r.Phone.view().substr(0, 16));
    u.Fax = r.Fax.str();
    level = r.Level;
    id = r.IdNr;
    signedOn_ = true;
    s_.AppSettings.WriteValue("Registration", "LastLogon", text::toUtf8(u.Name));
    RESPONSE = forms::ResponseCompleted;
    window().close();
  }

  ProgramState& s_;
  std::string& password_;  // the password entry's text (UTF-8)
  int attempts_ = 0;
  bool signedOn_ = false;
};

}  // namespace

bool Logon(ProgramState& s, int& level, std::uint16_t& id) {
  ui::WindowDecl d;
  d.title = s.AppTitle + " - Logon";
  d.kind = ui::WindowKind::Modal;
  std::string password;
  d.controls = {
      ui::group("?Group1", "Enter").withNumber(kGroup).at(1, 1),
      ui::prompt("?Prompt1", "Name").withNumber(kNamePrompt).at(1, 1).in(kGroup),
      ui::prompt("?Prompt2", "Password").withNumber(kPasswordPrompt).at(2, 1).in(kGroup),
      ui::image("?Light", kLights[0]).withNumber(kLight).at(1, 3),
      ui::combo("?IDE:Name", "@s20", forms::useRecordField(*s.dictionary.IdeAccess, "IDE:Name"))
          .withNumber(kName)
          .at(1, 2)
          .in(kGroup)
          .size(20),
      ui::entry("?Password", "@s20", ui::useText("Password", password))
          .withNumber(kPassword)
          .at(2, 2)
          .in(kGroup)
          .size(20)
          .asPassword(),
      ui::button("?OK", "&OK").withNumber(kOk).at(3, 1).asDefault(),
      ui::button("?Exit", "&Exit").withNumber(kExit).at(3, 2),
  };
  LogonWindow w(s, std::move(d), password);
  w.Run();
  if (!w.signedOn()) return false;
  level = w.level;
  id = w.id;
  return true;
}

}  // namespace trv::core
