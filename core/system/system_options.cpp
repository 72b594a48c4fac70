#include "core/system/system_options.h"

#include <cstring>
#include <filesystem>

#include "core/data/files.h"
#include "core/data/records.h"
#include "core/program/program_state.h"
#include "core/system/schedule_texts.h"
#include "runtime/forms/program_message.h"
#include "runtime/forms/record_use.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

// The frame's "&Activity Log" menu command, enabled only while logging is on.
constexpr int kActivityLogMenu = -26;

constexpr const char* kServerTip =
    "This PC act only as a server. By checking this option, Case Messages will be Disabled \r\n";

ui::WindowDecl optionsDecl(ProgramState& s) {
  data::FileAccess& f = *s.dictionary.SysAccess;
  auto use = [&f](const char* field) { return forms::useRecordField(f, field); };
  std::string* folder = &s.DatabaseFolder;
  ui::UseVar folderUse{"DatabaseFolder", [folder] { return ui::Value{*folder}; },
                       [folder](const ui::Value& v) { *folder = ui::valueText(v); }};
  ui::WindowDecl d;
  d.title = "System Options";
  d.kind = ui::WindowKind::Modal;
  d.controls = {
      ui::group("?DatabaseGroup", "Database").withNumber(OptDatabaseGroup).at(1, 1),
      ui::button("?ChooseDatabase", "...")
          .withNumber(OptChooseDatabase)
          .withTip("Select DataBase")
          .in(OptDatabaseGroup),
      ui::entry("?DatabaseFolder", "@s255", folderUse)
          .withNumber(OptDatabase)
          .withTip("Current DataBase Path")
          .size(60)
          .in(OptDatabaseGroup),
      ui::group("?LogGroup", "Activity Log").withNumber(OptLogGroup).at(2, 1),
      ui::check("?Sys:DoLog", " &Keep Log", use("Sys:DoLog"))
          .withNumber(OptKeepLog)
          .withValue("1")
          .in(OptLogGroup),
      ui::spin("?Sys:HowLong", "@n2", 0, 99, use("Sys:HowLong"))
          .withNumber(OptLogDays)
          .in(OptLogGroup),
      ui::string("?LogText", "").withNumber(OptLogText).in(OptLogGroup),
      ui::group("?ClosedGroup", "Closed Cases").withNumber(OptClosedGroup).at(3, 1),
      ui::check("?Sys:DeleteClosed", " &Delete", use("Sys:DeleteClosed"))
          .withNumber(OptDelete)
          .withValue("1")
          .withTip("Delete Closed Cases")
          .in(OptClosedGroup),
      ui::spin("?Sys:DeleteDays", "@n2", 0, 99, use("Sys:DeleteDays"))
          .withNumber(OptDeleteDays)
          .in(OptClosedGroup),
      ui::string("?DeleteText", "").withNumber(OptDeleteText).in(OptClosedGroup),
      ui::check("?Sys:Server2", " &Server", use("Sys:Server2"))
          .withNumber(OptDeleteServer)
          .withValue("1")
          .withMessage("This PC act only as a server")
          .withTip(std::string(kServerTip) +
                   "and deleting Closed cases will be processed on fixed time schedule.")
          .in(OptClosedGroup),
      ui::string("?DeleteTimePrompt", "Delete Time")
          .withNumber(OptDeleteTimePrompt)
          .in(OptClosedGroup),
      ui::spin("?Sys:DeleteTime", "@T1", 1, 8640000, use("Sys:DeleteTime"))
          .withNumber(OptDeleteTime)
          .in(OptClosedGroup),
      ui::group("?BackupGroup", "BackUp Files").withNumber(OptBackupGroup).at(3, 2),
      ui::check("?Sys:DoBackup", " &Backup files:", use("Sys:DoBackup"))
          .withNumber(OptBackup)
          .withValue("1")
          .withTip("Flag voor  backuppen")
          .in(OptBackupGroup),
      ui::spin("?Sys:BackUpDays", "@n2", 0, 99, use("Sys:BackUpDays"))
          .withNumber(OptBackupDays)
          .in(OptBackupGroup),
      ui::check("?Sys:Server", " S&erver", use("Sys:Server"))
          .withNumber(OptBackupServer)
          .withValue("1")
          .withMessage("This PC is a Server")
          .withTip(std::string(kServerTip) +
                   "and backup files will be processed on fixed time schedule.")
          .in(OptBackupGroup),
      ui::string("?BackupTimePrompt", "BackUp Time")
          .withNumber(OptBackupTimePrompt)
          .in(OptBackupGroup),
      ui::spin("?Sys:BackUpTime", "@T1", 1, 8640000, use("Sys:BackUpTime"))
          .withNumber(OptBackupTime)
          .in(OptBackupGroup),
      ui::button("?ChooseBackupPath", "........")
          .withNumber(OptChooseBackupPath)
          .in(OptBackupGroup),
      ui::prompt("?BackupPathPrompt", " Backup path")
          .withNumber(OptBackupPathPrompt)
          .in(OptBackupGroup),
      ui::entry("?Sys:PathBackupFiles", "@s255", use("Sys:PathBackupFiles"))
          .withNumber(OptBackupPath)
          .withTip("Current BackUp Path")
          .size(60)
          .in(OptBackupGroup),
      ui::string("?BackupText", "").withNumber(OptBackupText).in(OptBackupGroup),
      ui::option("?ProblemOption", "Problem Description").withNumber(OptProblem).at(5, 1),
      ui::radio("?ProblemSelect", "Select", "1").withNumber(27).in(OptProblem),
      ui::radio("?ProblemFree", "Free", "2").withNumber(28).in(OptProblem),
      ui::option("?SortOption", "Sort User Queues ").withNumber(OptSortQueues).at(5, 2),
      ui::radio("?SortSLA", "SLA", "1").withNumber(30).in(OptSortQueues),
      ui::radio("?SortPriority", "Priority", "2").withNumber(31).in(OptSortQueues),
      ui::radio("?SortBoth", "Both", "3").withNumber(32).in(OptSortQueues),
      ui::option("?RefreshOption", "Refresh Queues").withNumber(OptRefresh).at(5, 3),
      ui::radio("?Refresh30", "30 Sec", "1").withNumber(34).in(OptRefresh),
      ui::radio("?Refresh60", "1 min", "2").withNumber(35).in(OptRefresh),
      ui::radio("?Refresh90", "90 sec", "3").withNumber(36).in(OptRefresh),
      ui::button("?OK", "&OK").withNumber(OptOk).at(6, 1).asDefault(),
      ui::button("?Cancel", "&Cancel").withNumber(OptCancel).at(6, 2),
      ui::button("?Help", "&Help").withNumber(OptHelp).at(6, 3),
  };
  return d;
}

class SystemOptions final : public forms::WindowController {
 public:
  explicit SystemOptions(ProgramState& s)
      : WindowController(s.forms, "UpdateSysOptions", optionsDecl(s)), s_(s) {
    UseFile(*s.dictionary.SysRelations);
    AddCloseButton(OptCancel, forms::ResponseCancelled);
  }

  data::Level Init() override {
    if (data::Level l = WindowController::Init(); l != data::LevelOk) return l;
    data::FileAccess& f = *s_.dictionary.SysAccess;
    // The frame's jobs read this thread's buffer of the record: it is put back unless saved.
    before_ = f.buffer();
    haveBefore_ = true;
    sys().ID = 1;
    if (f.fetch("Sys:KeyID") != store::Ok) forms::tell(s_.forms, "No System Record Available");
    std::string folder = s_.AppSettings.ReadValue("Config", "DataBase");
    if (folder.find_first_not_of(' ') == std::string::npos) folder = s_.ProgramFolder;
    s_.DatabaseFolder = folder;
    openingFolder_ = folder;
    s_.dictionary.setNames(folder);
    showDependents();
    window().display();
    return data::LevelOk;
  }

  void OnOpen() override {
    selectChoice(OptProblem, sys().PROBLEMFIX, 2);
    selectChoice(OptSortQueues, sys().ViewFlag2, 3);
    selectChoice(OptRefresh, sys().RefreshInterval, 3);
    const bool admin = s_.user.Level >= 2;
    // Everything from the closed cases on is the administrator's.
    for (int c = OptClosedGroup; c <= 36; ++c) window().setDisabled(c, !admin);
    fillLogText();
    fillDeleteText(false);
    fillBackupText();
    WindowController::OnOpen();
  }

  data::Level HandleNewSelection() override {
    window().update(event().control);
    switch (event().control) {
      case OptLogDays:
        fillLogText();
        break;
      case OptDeleteDays:
      case OptDeleteTime:
        fillDeleteText(true);
        break;
      case OptBackupDays:
      case OptBackupTime:
        fillBackupText();
        break;
      default:
        break;
    }
    return data::LevelOk;
  }

  data::Level HandleAccepted() override {
    switch (event().control) {
      case OptKeepLog:
      case OptDelete:
      case OptDeleteServer:
      case OptBackup:
      case OptBackupServer:
        window().update(event().control);
        showDependents();
        if (event().control == OptDelete) fillDeleteText(true);
        if (event().control == OptDeleteServer) fillDeleteText(false);
        if (event().control == OptBackup || event().control == OptBackupServer) fillBackupText();
        window().display();
        return data::LevelNotify;
      case OptChooseDatabase:
        chooseDatabase();
        return data::LevelNotify;
      case OptChooseBackupPath:
        chooseBackupPath();
        return data::LevelNotify;
      case OptOk:
        save();
        return data::LevelNotify;
      case OptHelp:
        window().update();
        s_.env.ui.help("Configuring Vorn Trovanel");
        return data::LevelNotify;
      default:
        return WindowController::HandleAccepted();
    }
  }

  data::Level Shutdown() override {
    if (haveBefore_ && !saved_) s_.dictionary.SysAccess->buffer() = before_;
    // A folder chosen with "..." is kept however the window closes.
    (void)s_.AppSettings.WriteValue("Config", "Database", s_.DatabaseFolder);
    return WindowController::Shutdown();
  }

 private:
  SysRecord& sys() { return s_.dictionary.SysAccess->record<SysRecord>(); }

  void selectChoice(int option, int value, int choices) {
    if (value >= 1 && value <= choices) window().setSelected(option, value);
  }

  int chosen(int option) {
    const ui::ControlState* c = window().control(option);
    return c ? c->selected : 0;
  }

  void show(std::initializer_list<int> controls, bool visible) {
    for (int c : controls) window().setHidden(c, !visible);
  }

  // Shows or hides what depends on each check box, in the order the boxes depend on each
  // other; an unticked deletion or backup also drops its server option.
  void showDependents() {
    SysRecord& r = sys();
    show({OptLogDays, OptLogText}, r.DoLog != 0);
    if (r.DeleteClosed) {
      show({OptDeleteDays, OptDeleteText, OptDeleteServer}, true);
    } else {
      r.Server2 = 0;
      show({OptDeleteDays, OptDeleteText, OptDeleteServer, OptDeleteTimePrompt, OptDeleteTime},
           false);
    }
    show({OptDeleteTimePrompt, OptDeleteTime}, r.DeleteClosed && r.Server2);
    if (r.DoBackup) {
      show({OptBackupDays, OptBackupText, OptBackupServer}, true);
    } else {
      r.Server = 0;
      show({OptBackupDays, OptBackupText, OptBackupPathPrompt, OptBackupPath, OptChooseBackupPath,
            OptBackupServer, OptBackupTimePrompt, OptBackupTime},
           false);
    }
    show({OptBackupTimePrompt, OptBackupTime, OptBackupPathPrompt, OptBackupPath,
          OptChooseBackupPath},
         r.DoBackup && r.Server);
  }

  void fillLogText() { window().setText(OptLogText, logScheduleText(sys().HowLong)); }
  void fillDeleteText(bool afterEdit) {
    const SysRecord& r = sys();
    window().setText(OptDeleteText,
                     deletionScheduleText(r.DeleteDays, r.Server2 != 0, r.DeleteTime, afterEdit));
  }
  void fillBackupText() {
    const SysRecord& r = sys();
    window().setText(OptBackupText, backupScheduleText(r.BackUpDays, r.Server != 0, r.BackUpTime));
  }

  static std::string withoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && (path.back() == '/' || path.back() == '\\')) path.pop_back();
    return path;
  }

  void chooseDatabase() {
    window().update();
    ui::DialogRequest d;
    d.kind = ui::DialogKind::Folder;
    d.title = "Choose DataBase Directory";
    d.initial = s_.DatabaseFolder;
    const ui::Answer a = s_.env.ui.dialog(d);
    if (a.ok) {
      const std::string chosen = withoutTrailingSeparator(a.path);
      std::error_code ec;
      if (std::filesystem::is_regular_file(filePath(chosen, DataFile::Sys), ec)) {
        s_.DatabaseFolder = chosen;
        s_.env.ui.setCurrentFolder(s_.ProgramFolder);
      } else {
        forms::tell(s_.forms,
                    "  No Database files found.. Please select correct\r\n  Database folder");
        s_.DatabaseFolder = openingFolder_;
      }
      s_.dictionary.setNames(s_.DatabaseFolder);
    }
    window().display(OptDatabase);
  }

  void chooseBackupPath() {
    ui::DialogRequest d;
    d.kind = ui::DialogKind::Folder;
    d.title = "Choose Directory";
    d.initial = sys().PathBackupFiles.str();
    const ui::Answer a = s_.env.ui.dialog(d);
    if (a.ok) {
      sys().PathBackupFiles = withoutTrailingSeparator(a.path);
      window().display(OptBackupPath);
    }
  }

  void save() {
    window().update();
    if (sys().DoBackup) s_.env.ui.setCurrentFolder(s_.ProgramFolder);
    SysRecord& r = sys();
    r.ID = 1;
    r.RefreshInterval = static_cast<std::uint8_t>(chosen(OptRefresh));
    r.ViewFlag2 = static_cast<std::uint8_t>(chosen(OptSortQueues));
    r.PROBLEMFIX = static_cast<std::uint8_t>(chosen(OptProblem));
    // The frame's mark of a timed backup lives only in its buffer: keep it.
    SysRecord frameCopy;
    std::memcpy(&frameCopy, before_.record.data(), sizeof frameCopy);
    const std::uint8_t backUpFlag = frameCopy.BackUpFlag;
    if (s_.dictionary.SysAccess->put() != store::Ok) {
      forms::tell(s_.forms, "System Update Error");
    } else {
      saved_ = true;
      sys().BackUpFlag = backUpFlag;
      copyToFrame();
    }
    if (s_.DatabaseFolder != openingFolder_ &&
        forms::ask(s_.forms,
                   "You must restart Trovanel to allow the new settings\r\ntaking place, shut "
                   "down Trovanel now?",
                   ui::Icon::Question, {"&Yes", "&No"}) == 1)
      s_.RestartRequired = true;
    RecordResponse(saved_ ? forms::ResponseCompleted : forms::ResponseCancelled);
    window().close();
  }

  void copyToFrame() {
    s_.sys = systemCopies(sys());
    if (s_.FrameWindow) s_.FrameWindow->setMenuDisabled(kActivityLogMenu, !s_.sys.DoLog);
  }

  ProgramState& s_;
  store::RecordBuffer before_;
  std::string openingFolder_;
  bool haveBefore_ = false;
  bool saved_ = false;
};

}  // namespace

void UpdateSysOptions(ProgramState& s) {
  SystemOptions w(s);
  w.Run();
}

void registerSystemOptions(ProgramState& s) {
  s.procedures.add("UpdateSysOptions",
                   forms::onCallersThread([&s](std::string_view) { UpdateSysOptions(s); }));
}

}  // namespace trv::core
