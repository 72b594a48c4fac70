#include "core/system/users.h"

#include "core/data/records.h"
#include "core/program/list_environment.h"
#include "core/program/program_state.h"
#include "core/system/user_rules.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/program_message.h"
#include "runtime/forms/record_use.h"
#include "runtime/list/list_window.h"
#include "runtime/text/charset.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

constexpr const char* kLevelNames[] = {"User", "Supervisor", "Administrator"};

list::ListDecl userListDecl(ProgramState& s) {
  list::ListDecl d;
  d.procedure = "BrowseUsers";
  d.window.title = "Trovanel Users";
  d.window.kind = ui::WindowKind::Child;
  d.window.resizable = true;
  d.list = UsersList;
  d.buttons = {.select = UsersSelect,
               .insert = UsersInsert,
               .change = UsersChange,
               .remove = UsersDelete,
               .close = UsersClose,
               .help = UsersHelp};
  d.window.controls = list::browseControls(d, "Browsing Records", 60, 12);
  d.window.controls.insert(d.window.controls.end(),
                           {ui::sheet("?CurrentTab").withNumber(UsersSheet).at(3, 1),
                            ui::tab("?Tab:1", "IDE:KeyName").withNumber(UsersTab).in(UsersSheet),
                            ui::button("?Close", "Close").withNumber(UsersClose).at(4, 1),
                            ui::button("?Help", "Help").withNumber(UsersHelp).at(4, 2)});
  d.columns = {
      {"Name", 80, "IDE:Name", "@s20"},
      {"PassWord", 45, "IDE:PassWord", "@s20"},
      {"Qualification", 59, "IDE:Qualification", "@s13"},
  };
  d.file = s.dictionary.IdeRelations.get();
  d.orders = {{"IDE:KeyName", "IDE:Name", UsersTab, true}};
  d.sheet = UsersSheet;
  d.form = "UpdateUsers";
  return d;
}

class UserList final : public list::ListWindow {
 public:
  explicit UserList(ProgramState& s) : ListWindow(listEnvironment(s), userListDecl(s)) {
    AddHelpButton(UsersHelp, "users");
  }
};

ui::WindowDecl userFormDecl(data::FileAccess& ide) {
  ui::WindowDecl d;
  d.title = "Update Users";
  d.kind = ui::WindowKind::Modal;
  d.resizable = true;
  d.controls = {
      ui::sheet("?Sheet").withNumber(UserSheet),
      ui::tab("?Tab:General", "General").withNumber(UserTab).in(UserSheet),
      ui::prompt("?IDE:Name:Prompt", "Name").withNumber(4).at(1, 1).in(UserTab),
      ui::entry("?IDE:Name", "@s20", forms::useRecordField(ide, "IDE:Name"))
          .withNumber(UserName)
          .at(1, 2)
          .size(20)
          .in(UserTab),
      ui::prompt("?IDE:PassWord:Prompt", "Password").withNumber(7).at(2, 1).in(UserTab),
      ui::entry("?IDE:PassWord", "@s20", forms::useRecordField(ide, "IDE:PassWord"))
          .withNumber(UserPassword)
          .at(2, 2)
          .size(20)
          .in(UserTab)
          .asPassword(),
      ui::prompt("?IDE:Qualification:Prompt", "Level:").withNumber(9).at(3, 1).in(UserTab),
      ui::dropList("?IDE:Qualification", {kLevelNames[0], kLevelNames[1], kLevelNames[2]},
                   forms::useRecordField(ide, "IDE:Qualification"))
          .withNumber(UserLevel)
          .withTip("Choose level")
          .size(13)
          .at(3, 2)
          .in(UserTab),
      ui::button("?OK", "&OK").withNumber(UserOk).at(4, 1).asDefault(),
      ui::button("?Cancel", "&Cancel").withNumber(UserCancel).at(4, 2),
  };
  return d;
}

class UserForm final : public forms::WindowController {
 public:
  explicit UserForm(ProgramState& s)
      : WindowController(s.forms, "UpdateUsers", userFormDecl(*s.dictionary.IdeAccess)), s_(s) {
    PRIMARY = s.dictionary.IdeRelations.get();
    OKCONTROL = UserOk;
    DELETEACTION = 2;  // the list's delete asks first and never shows the form
    UseFile(*s.dictionary.IdeRelations);
    AddCloseButton(UserCancel, forms::ResponseCancelled);
    for (int control : {UserName, UserPassword, UserLevel}) RememberHistoryField(control);
  }

  data::Level Init() override {
    if (data::Level l = WindowController::Init(); l != data::LevelOk) return l;
    window().setTitle(REQUEST == forms::RequestInsert ? "Adding a User Record"
                                                      : "Changing a User Record");
    return data::LevelOk;
  }

  data::Level PrepareRequest() override {
    if (REQUEST == forms::RequestDelete) {
      if (text::equalNoCase(user().Name.view(), s_.user.Name)) {
        forms::tell(s_.forms, "You cannot delete the user you are signed on as.");
        RecordResponse(forms::ResponseCancelled);
        return data::LevelNotify;
      }
      if (user().Level == 2 && !anotherAdministrator()) {
        forms::tell(s_.forms, "The last Administrator cannot be deleted.");
        RecordResponse(forms::ResponseCancelled);
        return data::LevelNotify;
      }
    }
    const data::Level l = WindowController::PrepareRequest();
    oldName_ = user().Name.str();
    oldLevel_ = user().Level;
    return l;
  }

  void OnOpen() override {
    if (user().Qualification.blank()) {
      // A new user is a plain user until chosen otherwise.
      user().Qualification = kLevelNames[0];
      user().Level = 0;
      window().display(UserLevel);
    }
    WindowController::OnOpen();
  }

  // A level taken back by the ditto key brings its number along.
  void RestoreHistoryField(int control) override {
    WindowController::RestoreHistoryField(control);
    if (control == UserLevel) levelFromList();
  }

  data::Level HandleNewSelection() override {
    if (event().control == UserLevel) levelFromList();
    return data::LevelOk;
  }

  data::Level HandleAccepted() override {
    if (event().control == UserLevel) {
      levelFromList();
      if (user().Qualification.blank()) {
        s_.env.ui.beep();
        window().select(UserLevel);
        return data::LevelNotify;
      }
    }
    return WindowController::HandleAccepted();
  }

  data::Level HandleCompleted() override {
    window().update();
    if (REQUEST == forms::RequestChange && oldLevel_ == 2 && user().Level != 2 &&
        !anotherAdministrator()) {
      forms::tell(s_.forms, "The last Administrator cannot be given a lower level.");
      window().select(UserLevel);
      return data::LevelNotify;
    }
    const data::Level l = WindowController::HandleCompleted();
    if (REQUEST == forms::RequestChange && RESPONSE == forms::ResponseCompleted &&
        user().Name.view() != oldName_)
      followRename(oldName_, user().Name.str());
    return l;
  }

 private:
  IdeRecord& user() { return s_.dictionary.IdeAccess->record<IdeRecord>(); }

  void levelFromList() {
    window().update(UserLevel);
    if (const int level = levelForQualification(user().Qualification.view()); level >= 0)
      user().Level = static_cast<std::uint8_t>(level);
  }

  bool anotherAdministrator() {
    return countAdministrators(*s_.dictionary.IdeAccess, user().IdNr) > 0;
  }

  // The renamed user's cases follow him, and so does the signed-on name when it was his.
  void followRename(const std::string& from, const std::string& to) {
    if (text::equalNoCase(from, s_.user.Name)) {
      s_.user.Name = to;
      if (s_.FrameWindow) s_.FrameWindow->setStatus(2, "User : " + text::toUtf8(to));
    }
    data::FileAccess& cases = *s_.dictionary.SercaseAccess;
    if (cases.open() != data::LevelOk) return;
    const store::Code c = carryCaseOwner(cases, from, to);
    cases.close();
    if (c != store::Ok)
      forms::tell(s_.forms, "The cases of " + text::toUtf8(from) +
                                " could not be given to the new name " + text::toUtf8(to) + ".");
  }

  ProgramState& s_;
  std::string oldName_;
  int oldLevel_ = 0;
};

}  // namespace

void BrowseUsers(ProgramState& s) {
  UserList list(s);
  list.Run();
}

void UpdateUsers(ProgramState& s) {
  UserForm form(s);
  form.Run();
}

void registerUsers(ProgramState& s) {
  s.procedures.add("BrowseUsers",
                   forms::onCallersThread([&s](std::string_view) { BrowseUsers(s); }));
  s.procedures.add("UpdateUsers",
                   forms::onCallersThread([&s](std::string_view) { UpdateUsers(s); }));
}

}  // namespace trv::core
