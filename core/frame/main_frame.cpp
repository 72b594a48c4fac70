#include "core/frame/main_frame.h"

#include <filesystem>
#include <system_error>

#include "core/data/database_tool.h"
#include "core/data/records.h"
#include "core/frame/app_splash.h"
#include "core/frame/case_message.h"
#include "core/frame/frame_menu.h"
#include "core/jobs/frame_jobs.h"
#include "core/program/program_state.h"
#include "core/queues/queue_rebuild.h"
#include "core/signon/logon.h"
#include "runtime/data/file_relations.h"
#include "runtime/platform/folders.h"
#include "runtime/platform/instance_registry.h"
#include "runtime/store/error.h"
#include "runtime/text/charset.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/text/picture.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

constexpr int kDefaultListColour = 12975860;

ui::WindowDecl frameDecl() {
  ui::WindowDecl d;
  d.title = kAppTitle;
  d.kind = ui::WindowKind::Frame;
  d.menu = frameMenu();
  d.statusZones = 4;
  d.resizable = true;
  return d;
}

bool isUsableFolder(const std::string& folder) {
  std::error_code ec;
  return !folder.empty() && std::filesystem::is_directory(folder, ec);
}

// The jobs' messages: a box with the information icon that waits for the user.
class FrameJobMessages final : public jobs::JobMessages {
 public:
  explicit FrameJobMessages(ui::UiRuntime& ui) : ui_(ui) {}
  void show(std::string_view text, std::string_view caption) override {
    ui::MessageRequest m;
    m.text = std::string(text);
    m.caption = std::string(caption);
    m.icon = caption.empty() ? ui::Icon::None : ui::Icon::Information;
    ui_.message(m);
  }

 private:
  ui::UiRuntime& ui_;
};

}  // namespace

MainFrame::MainFrame(ProgramState& s) : WindowController(s.forms, "Main", frameDecl()), s_(s) {}

MainFrame::~MainFrame() {
  if (s_.rescan) s_.rescan = nullptr;
  s_.closingJobs = nullptr;
}

jobs::FrameState& MainFrame::jobState() {
  jobs::FrameState& f = *jobState_;
  f.signedOnMark = signedOnMark;
  f.loggedOut = loggedOut;
  f.userNumber = userNumber;
  f.userName = s_.user.Name;
  f.userLevel = static_cast<std::uint8_t>(s_.user.Level);
  const SysRecord& sys = s_.dictionary.SysAccess->record<SysRecord>();
  f.sys = sys;
  f.copies = jobs::SystemCopies::of(sys);
  return f;
}

void MainFrame::rescan(bool warnings) {
  if (!jobs_) return;
  jobs::FrameState& frame = jobState();
  RescanHooks hooks;
  hooks.beforeRebuild = [&] { jobs_->timedBackup(frame); };
  hooks.closedCase = [&](const SercaseRecord& kase, const store::Position& at) {
    if (jobs_->closedCase(frame, kase, at) == jobs::DeletionOutcome::Deleted)
      if (const int t = s_.globals.slot("BrowsCasesThread"))
        s_.env.ui.postToThread(t, ui::EventGainFocus);
  };
  const RescanInputs inputs{s_.user.Name, s_.user.Level, s_.HideOnHold};
  (void)rebuildQueues(s_.queues, *s_.dictionary.SercaseAccess, s_.AppSettings, inputs, s_.env.clock,
                      hooks);
  // The timed backup may have stamped the frame's buffer: keep it.
  s_.dictionary.SysAccess->record<SysRecord>().BackUpFlag = frame.sys.BackUpFlag;
  if (!warnings) return;
  std::vector<jobs::WarningEntry> aft;
  for (const QueueEntry& e : s_.queues.snapshot()->AFT)
    aft.push_back({e.CASENR, e.FASE.str(), e.STATUS.str(), e.Date, e.Time});
  jobs_->warnings().run(frame, aft, s_.env.clock, [this](const jobs::Warning& w) {
    for (int i = 0; i < w.beeps; ++i) s_.env.ui.beep();
    CaseMessage(s_, w.caseNr, w.text);
  });
}

void MainFrame::say(const std::string& text, const std::string& caption) {
  ui::MessageRequest m;
  m.text = text;
  m.caption = caption;
  m.icon = caption.empty() ? ui::Icon::None : ui::Icon::Information;
  s_.env.ui.message(m);
}

bool MainFrame::anotherCopyRuns() {
  platform::InstanceRegistry* reg = s_.env.instances;
  if (!reg) return false;
  if (reg->isRunning(kInstanceClass)) {
    (void)reg->post(kInstanceClass, platform::InstanceRequest::kBringToFront);
    return true;
  }
  // Registering is itself the check: of two copies starting together only one gets the class.
  if (reg->registerInstance(kInstanceClass, s_.AppTitle, registration_) ==
      platform::InstanceStatus::kAlreadyRunning) {
    (void)reg->post(kInstanceClass, platform::InstanceRequest::kBringToFront);
    return true;
  }
  return false;
}

void MainFrame::findDatabaseFolder() {
  s_.DatabaseFolder = s_.AppSettings.ReadValue("Config", "DataBase");
  const bool usable = isUsableFolder(s_.DatabaseFolder) &&
                      platform::findIgnoringCase(s_.DatabaseFolder, "Sys.kvx").has_value();
  if (usable) return;
  s_.DatabaseFolder = (std::filesystem::path(s_.ProgramFolder) / "DataBase").string();
  say(" Cannot Connect to NetWork (DataBase)\r\n Switching to Local Database ! ", s_.AppTitle);
  s_.AppSettings.WriteValue("Config", "Database", s_.DatabaseFolder);
}

bool MainFrame::databaseIsCompatible() {
  if (probeDataFile(s_.DatabaseFolder, DataFile::Sys) != store::InvalidRecordDeclaration)
    return true;
  say("Databasefile(s) of Vorn Trovanel 1.1 are incompatible with this\r\nnewer version of "
      "Vorn Trovanel - Shutting down!",
      s_.AppTitle);
  s_.DatabaseFolder = (std::filesystem::path(s_.ProgramFolder) / "DataBase").string();
  s_.AppSettings.WriteValue("Config", "Database", s_.DatabaseFolder);
  signedOnMark = false;
  return false;
}

data::Level MainFrame::Init() {
  s_.AppTitle = kAppTitle;
  if (anotherCopyRuns()) {
    stopMark = true;
    return data::LevelFatal;  // no sign-on, no settings: the running copy has come to the front
  }
  s_.ProgramFolder = s_.env.programFolder.string();
  s_.env.ui.setCurrentFolder(s_.env.programFolder);
  findDatabaseFolder();
  s_.dictionary.setNames(s_.DatabaseFolder);
  if (!databaseIsCompatible()) {
    s_.env.ui.endProgram();
    return data::LevelFatal;
  }
  UseFile(*s_.dictionary.LogRelations);
  UseFile(*s_.dictionary.SysRelations);
  UseFile(*s_.dictionary.SercaseRelations);
  if (data::Level l = WindowController::Init(); l != data::LevelOk) return l;
  filesOpened = true;
  s_.FrameWindow = &window();
  window().alert(ui::KeyMouseRightUp);
  jobMessages_ = std::make_unique<FrameJobMessages>(s_.env.ui);
  jobState_ = std::make_unique<jobs::FrameState>();
  jobs_ = std::make_unique<jobs::FrameJobs>(jobs::JobEnvironment{
      *s_.dictionary.SercaseAccess, *s_.dictionary.LogAccess, *s_.dictionary.SysAccess,
      *jobMessages_, s_.env.clock, s_.DatabaseFolder, s_.ProgramFolder});
  s_.rescan = [this](bool warnings) { rescan(warnings); };
  s_.closingJobs = [this] { jobs_->closingJobs(jobState()); };
  window().setMenuHidden(MenuLogon, true);
  ReadSystemRecord();
  if (!SignOn()) return data::LevelFatal;
  ShowMenusForLevel();
  readWorkstationSettings();
  queueSort = static_cast<int>(s_.AppSettings.ReadNumber(text::toUtf8(s_.user.Name), "ViewFlag2"));
  const int t = window().timer();
  if (t < 1 || t > 100) window().setTimer(100);
  window().setStatus(1, "Current DataBase : " + s_.DatabaseFolder);
  window().setStatus(2, "User : " + text::toUtf8(s_.user.Name));
  UpdateClock();
  return data::LevelOk;
}

void MainFrame::ReadSystemRecord() {
  data::FileAccess& f = *s_.dictionary.SysAccess;
  SysRecord& r = f.record<SysRecord>();
  r.ID = 1;
  if (f.fetch("Sys:KeyID") != store::Ok) {
    say(store::lastError().text, "");
    say("No Configuration Record (sys.kvx) Available", s_.AppTitle);
    return;
  }
  SystemCopies& c = s_.sys;
  c.DoLog = r.DoLog;
  c.RefreshInterval = r.RefreshInterval;
  c.ViewFlag2 = r.ViewFlag2;
  c.DoBackup = r.DoBackup;
  c.BackUpDays = r.BackUpDays & 0xFF;
  c.BackUpTime = r.BackUpTime;
  c.Server = r.Server;
  c.DeleteClosed = r.DeleteClosed;
  c.Server2 = r.Server2;
  c.DeleteDays = r.DeleteDays;
  c.DeleteTime = r.DeleteTime;
  c.ProblemFix = r.PROBLEMFIX;
  if (r.DoBackup) r.BackUpFlag = 0;
}

void MainFrame::writeLogEntry(const char* action, const char* failureText) {
  data::FileAccess& log = *s_.dictionary.LogAccess;
  log.primeRecord();
  LogRecord& r = log.record<LogRecord>();
  r.ID = userNumber;
  r.NAME = s_.user.Name;
  r.CASENR = 0;
  r.ACTION = action;
  r.ActionDate = s_.env.clock.today();
  r.ActionTime = s_.env.clock.now();
  if (log.add() != store::Ok) say(failureText, s_.AppTitle);
}

void MainFrame::writeLogonEntry() {
  writeLogEntry("Logon", "Activity Log Update Failure");
}

bool MainFrame::SignOn() {
  int level = 0;
  std::uint16_t id = 0;
  if (!Logon(s_, level, id)) {
    if (!signedOnMark) return false;
    loggedOut = true;
    return false;
  }
  ReadSystemRecord();
  if (hasWindow()) window().setStatus(2, "User : " + text::toUtf8(s_.user.Name));
  s_.user.Level = level;
  logDays = s_.dictionary.SysAccess->record<SysRecord>().HowLong;
  signedOnMark = true;
  userNumber = id;
  s_.user.Id = id;
  if (s_.sys.DoLog == 1) writeLogonEntry();
  if (loggedOut) restoreMenusAfterSignOn();
  loggedOut = s_.LoggedOut = false;
  return true;
}

void MainFrame::ShowMenusForLevel() {
  ui::Window& w = window();
  const int level = s_.user.Level;
  w.setMenuHidden(MenuSystem, level < 1);
  w.setMenuHidden(MenuPrintSeparator, level < 1);
  w.setMenuHidden(MenuPrintActivityLog, level < 1);
  w.setMenuHidden(MenuUsers, level < 2);
}

void MainFrame::readWorkstationSettings() {
  ini::IniSettings& ini = s_.AppSettings;
  if (s_.sys.Server && s_.user.Level == 2) {
    s_.ShowCaseMessages = false;
  } else {
    const std::string v = ini.ReadValue("Config", "MessageOnOff");
    s_.ShowCaseMessages = v.empty() ? true : ini.ReadNumber("Config", "MessageOnOff") != 0;
  }
  s_.HideOnHold = ini.ReadNumber("Config", "NoOnHold") != 0;
  std::string wall = ini.ReadValue("Config", "WallSel");
  if (wall.empty()) wall = "logo2.jpg";
  if (wall == (std::filesystem::path(s_.ProgramFolder) / "logo.jpg").string())
    wall = (std::filesystem::path(s_.ProgramFolder) / "logo2.jpg").string();
  s_.WallpaperFile = wall;
  const std::int64_t colour = ini.ReadNumber("Config", "Color");
  s_.ListColor = colour == 0 ? kDefaultListColour : static_cast<int>(colour);
  if (colour == 0) ini.WriteValue("Config", "Color", std::int64_t{s_.ListColor});
  window().setMenuChecked(MenuMessage, s_.ShowCaseMessages);
  window().setMenuChecked(MenuNoOnHold, s_.HideOnHold);
}

void MainFrame::UpdateClock() {
  const std::int32_t today = s_.env.clock.today();
  window().setStatus(
      3, std::string(text::weekdayName(today)) + ", " + text::formatPicture("@D6", today));
  window().setStatus(4, text::formatPicture("@T4", s_.env.clock.now()));
}

void MainFrame::restoreMenusAfterSignOn() {
  ui::Window& w = window();
  const int level = s_.user.Level;
  w.setMenuHidden(MenuLogon, true);
  for (int m : {MenuLogout, MenuBrowse, MenuHouseHold, MenuSearch, MenuEmail, MenuPrint, MenuEdit,
                MenuWindow})
    w.setMenuHidden(m, false);
  w.setMenuHidden(MenuMessage, level == 2 && s_.sys.Server);
  w.setMenuHidden(MenuSystem, level == 0);
  w.setMenuHidden(MenuPrintSeparator, level == 0);
  w.setMenuHidden(MenuPrintActivityLog, level == 0);
  w.setMenuHidden(MenuUsers, level < 2);
  s_.env.ui.postToThread(ui::UiRuntime::currentThread(), ui::EventGainFocus);
}

void MainFrame::LogOut() {
  ui::Window& w = window();
  loggedOut = s_.LoggedOut = true;
  w.setMenuHidden(MenuLogon, false);
  for (int m : {MenuLogout, MenuBrowse, MenuHouseHold, MenuSearch, MenuEmail, MenuSystem, MenuPrint,
                MenuEdit, MenuWindow})
    w.setMenuHidden(m, true);
  for (const char* slot :
       {"ActionQueuesThread", "BrowsCasesThread", "BrowsLogThread", "WindowExportFileThread"})
    if (const int t = s_.globals.slot(slot)) s_.env.ui.postToThread(t, ui::EventCloseWindow);
  if (signedOnMark && s_.sys.DoLog == 1) {
    std::uint64_t entries = 0;
    if (s_.dictionary.LogAccess->count(&entries) == store::Ok && entries > 0)
      writeLogEntry("LogOut", "Activity Log update failure");
  }
}

void MainFrame::Exit() {
  if ((s_.sys.Server || s_.sys.Server2) && s_.user.Level == 2) {
    ui::MessageRequest m;
    m.text =
        "Warning : when this PC is configured as a Trovanel Server,\r\nthen shutting down will "
        "prevent Trovanel to Backup any files or\r\nto delete Closed Cases. Go ahead anyway?";
    m.caption = s_.AppTitle;
    m.icon = ui::Icon::Information;
    m.buttons = {"&Yes", "&No"};
    m.defaultButton = 1;
    if (s_.env.ui.message(m) != 1) {
      s_.env.ui.postToThread(ui::UiRuntime::currentThread(), ui::EventGainFocus);
      return;
    }
  }
  RESPONSE = forms::ResponseCompleted;
  window().close();
}

void MainFrame::chooseListColour() {
  ui::DialogRequest d;
  d.kind = ui::DialogKind::Colour;
  d.title = "Choose BrowseBox Color";
  d.colour = s_.ListColor;
  const ui::Answer a = s_.env.ui.dialog(d);
  if (a.ok) {
    s_.ListColor = a.colour;
    s_.AppSettings.WriteValue("Config", "Color", std::int64_t{s_.ListColor});
  } else {
    s_.ListColor = kDefaultListColour;  // for this run only
  }
  if (const int t = s_.globals.slot("BrowsCasesThread"))
    s_.env.ui.postToThread(t, ui::EventGainFocus);
}

void MainFrame::chooseWallpaper() {
  const std::filesystem::path folder = s_.env.ui.currentFolder();
  ui::DialogRequest d;
  d.kind = ui::DialogKind::FileOpen;
  d.title = "Choose Wallpaper";
  d.masks = "JPEG|*.jpg|GIF|*.gif|Bitmap|*.bmp";
  d.initial = s_.WallpaperFile;
  const ui::Answer a = s_.env.ui.dialog(d);
  s_.env.ui.setCurrentFolder(folder);
  if (a.ok) s_.WallpaperFile = a.path;
  s_.AppSettings.WriteValue("Config", "WallSel", s_.WallpaperFile);
}

namespace {

struct Command {
  int menu;
  const char* procedure;
  bool ownThread;
  const char* arg;
};

// The windows the frame starts; a procedure not yet registered says so (message 24).
constexpr Command kCommands[] = {
    {MenuBrowseCases, "BrowsCases", true, ""},
    {MenuBrowseClients, "BrowsClients", false, ""},
    {MenuBrowseProducts, "BrowsSLA", false, ""},
    {MenuBrowseArchive, "BrowseArchive", false, ""},
    {MenuPassSignature, "UpdatePass", false, ""},
    {MenuSearchCase, "Search", false, "1"},
    {MenuSearchArchive, "Search", false, "2"},
    {MenuSearchBoth, "Search", false, "0"},
    {MenuEmailSend, "SendOutLook", false, ""},
    {MenuEmailInbox, "EmailIn", true, ""},
    {MenuActivityLog, "BrowsLog", true, ""},
    {MenuProblems, "BrowsProblem", false, ""},
    {MenuOptions, "UpdateSysOptions", false, ""},
    {MenuUsers, "BrowseUsers", false, ""},
    {MenuPrintCases, "PrintAllCases", false, ""},
    {MenuPrintClients, "PrintClient", false, ""},
    {MenuPrintProducts, "PrintProducts", false, ""},
    {MenuPrintArchive, "PrintAllArchive", false, ""},
    {MenuPrintActivityLog, "PrintLog", false, ""},
    {MenuAbout, "About", true, ""},
};

}  // namespace

void MainFrame::runCommand(int menu) {
  if (menu == MenuBrowseQueues) {
    // The overview's starter owns its slot: a running overview comes to the front.
    if (const int t = s_.globals.slot("ActionQueuesThread")) {
      s_.env.ui.postToThread(t, ui::EventGainFocus);
      return;
    }
    const forms::ProcedureEntry* e = s_.procedures.find("ActionQueues");
    if (!e) {
      (void)s_.AppMessages.RaiseWithText(24, "ActionQueues");
      return;
    }
    auto body = e->body;
    s_.globals.slots["ActionQueuesThread"] = s_.env.ui.start([body] { body({}); });
    return;
  }
  for (const Command& c : kCommands) {
    if (c.menu != menu) continue;
    const forms::ProcedureEntry* e = s_.procedures.find(c.procedure);
    if (!e) {
      (void)s_.AppMessages.RaiseWithText(24, c.procedure);
      return;
    }
    s_.globals.NextRequest = 0;
    if (c.ownThread) {
      auto body = e->body;
      std::string arg = c.arg;
      const int t = s_.env.ui.start([body, arg] { body(arg); });
      if (menu == MenuAbout) s_.globals.slots["AboutThread"] = t;
    } else {
      e->body(c.arg);
    }
    return;
  }
}

void MainFrame::OnOpen() {
  WindowController::OnOpen();
  window().setMenuDisabled(MenuActivityLog, !s_.sys.DoLog);
  if (s_.user.Level == 2 && s_.sys.Server) {
    window().setMenuHidden(MenuMessage, true);
    window().setTitle(s_.AppTitle + " - Server");
  }
  if (s_.rescan) s_.rescan(false);
  ProgramState* s = &s_;
  splashThread = s_.env.ui.start([s] { AppSplash(*s); });
}

void MainFrame::popup() {
  if (loggedOut) return;  // signed out: no popup
  static constexpr int kItems[] = {MenuBrowseQueues, MenuBrowseCases,   MenuBrowseArchive,
                                   MenuSearchCase,   MenuSearchArchive, MenuSearchBoth,
                                   MenuEmailSend,    MenuBrowseClients, MenuBrowseProducts,
                                   MenuContents,     MenuExit};
  const int chosen = s_.env.ui.popup(
      "&Queues     |-|&Cases     |&Archive    |&Search{&Cases |&Archive|&Both   |}|-|E&mail      "
      "|-|C&lients    |&Products    |-|&Help     |-|&Exit    ");
  if (chosen < 1 || chosen > static_cast<int>(std::size(kItems))) return;
  window().post(ui::EventAccepted, kItems[chosen - 1]);
}

data::Level MainFrame::HandleEvent() {
  if (event().number == ui::EventAlertKey && event().control == 0 &&
      event().key == ui::KeyMouseRightUp) {
    popup();
    return data::LevelNotify;
  }
  if (event().number == ui::EventPreAlertKey && event().control == 0) return data::LevelNotify;
  return WindowController::HandleEvent();
}

data::Level MainFrame::HandleAccepted() {
  const int menu = event().control;
  if (splashThread && menu < 0) {
    s_.env.ui.postToThread(splashThread, ui::EventCloseWindow);
    splashThread = 0;
  }
  switch (menu) {
    case MenuLogon:
      if (SignOn() && s_.rescan) s_.rescan(false);
      return data::LevelNotify;
    case MenuLogout:
      LogOut();
      return data::LevelNotify;
    case MenuExit:
      Exit();
      return data::LevelNotify;
    case MenuMessage:
      s_.ShowCaseMessages = !s_.ShowCaseMessages;
      window().setMenuChecked(MenuMessage, s_.ShowCaseMessages);
      return data::LevelNotify;
    case MenuNoOnHold:
      s_.HideOnHold = !s_.HideOnHold;
      window().setMenuChecked(MenuNoOnHold, s_.HideOnHold);
      return data::LevelNotify;
    case MenuBrowseColor:
      chooseListColour();
      return data::LevelNotify;
    case MenuWallpaper:
      chooseWallpaper();
      return data::LevelNotify;
    case MenuContents:
      s_.env.ui.help("Vorn Trovanel");
      return data::LevelNotify;
    default:
      if (menu < 0) {
        runCommand(menu);
        return data::LevelNotify;
      }
      return WindowController::HandleAccepted();
  }
}

void MainFrame::Tick() {
  tickHundredths += 100;
  const int interval = s_.sys.RefreshInterval;
  if (interval >= 1 && interval <= 3 && tickHundredths > interval * 3000) {
    if (s_.rescan) s_.rescan(s_.ShowCaseMessages);
    tickHundredths = 0;
  }
  if (s_.RestartRequired) window().post(ui::EventCloseWindow);
  const bool server = s_.user.Level == 2 && (s_.sys.Server || s_.sys.Server2);
  window().setTitle(server ? s_.AppTitle + " - Administrator - Server" : s_.AppTitle);
  window().setMenuHidden(MenuMessage, server);
  UpdateClock();
}

data::Level MainFrame::HandleWindowEvent() {
  if (event().number == ui::EventTimer) {
    Tick();
    if (registration_) {
      while (auto request = registration_->nextRequest()) {
        if (*request == platform::InstanceRequest::kBringToFront)
          s_.env.ui.postToThread(ui::UiRuntime::currentThread(), ui::EventGainFocus);
        else
          window().post(ui::EventCloseWindow);
      }
    }
  } else if (event().number == ui::EventGainFocus && !loggedOut && hasWindow()) {
    ShowMenusForLevel();
    window().setMenuDisabled(MenuActivityLog, !s_.sys.DoLog);
    window().setStatus(1, "Current DataBase : " + s_.DatabaseFolder);
  }
  return WindowController::HandleWindowEvent();
}

data::Level MainFrame::Shutdown() {
  if (stopMark) return WindowController::Shutdown();  // the running copy keeps every setting
  const bool opened = OPENED;
  // The closing jobs use the frame's Log, Sys and Sercase files, which the common shutdown
  // closes: run them first.
  if (signedOnMark && !loggedOut && s_.closingJobs) s_.closingJobs();
  s_.FrameWindow = nullptr;
  const data::Level l = WindowController::Shutdown();
  if (opened || filesOpened) {
    s_.AppSettings.WriteValue("Config", "MessageOnOff", std::int64_t{s_.ShowCaseMessages});
    s_.AppSettings.WriteValue("Config", "NoOnHold", std::int64_t{s_.HideOnHold});
  }
  return l;
}

void Main(ProgramState& state) {
  MainFrame frame(state);
  frame.Run();
}

}  // namespace trv::core
