#include "core/frame/main_frame.h"

#include "core/data/records.h"
#include "core/frame/app_splash.h"
#include "core/frame/case_message.h"
#include "core/frame/frame_menu.h"
#include "core/frame/start_up.h"
#include "core/jobs/frame_jobs.h"
#include "core/program/program_state.h"
#include "core/program/thread_slots.h"
#include "core/queues/queue_rebuild.h"
#include "core/signon/logon.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/procedures.h"
#include "runtime/forms/program_message.h"
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

ui::WindowDecl frameDecl() {
  ui::WindowDecl d;
  d.title = kAppTitle;
  d.kind = ui::WindowKind::Frame;
  d.icon = "Zoruve.ico";
  d.controls = {ui::image("?Wallpaper", "").withNumber(kFrameWallpaper)};
  d.menu = frameMenu();
  d.statusZones = 4;
  d.resizable = true;
  return d;
}

// The jobs' messages: a box with the information icon that waits for the user; a message
// without a caption goes without an icon too.
class FrameJobMessages final : public jobs::JobMessages {
 public:
  explicit FrameJobMessages(ProgramState& s) : s_(s) {}
  void show(std::string_view text, std::string_view caption) override {
    if (caption.empty())
      forms::tell(s_.forms, std::string(text), ui::Icon::None, forms::Caption::None);
    else
      forms::tell(s_.forms, std::string(text), ui::Icon::Information);
  }

 private:
  ProgramState& s_;
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
    if (jobs_->closedCase(frame, kase, at) != jobs::DeletionOutcome::Deleted) return false;
    if (const int t = s_.globals.slot(kBrowsCasesThread))
      s_.env.ui.postToThread(t, ui::EventGainFocus);
    return true;
  };
  // A large case file takes a while to read: the other threads' windows answer in between.
  hooks.betweenBatches = [this] { return s_.env.ui.yieldBaton(); };
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

data::Level MainFrame::Init() {
  s_.AppTitle = kAppTitle;
  if (anotherCopyRuns(s_, registration_)) {
    stopMark = true;
    return data::LevelFatal;  // no sign-on, no settings: the running copy has come to the front
  }
  s_.ProgramFolder = s_.env.programFolder.string();
  s_.env.ui.setCurrentFolder(s_.env.programFolder);
  findDatabaseFolder(s_);
  s_.dictionary.setNames(s_.DatabaseFolder);
  if (!databaseIsCompatible(s_)) {
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
  jobMessages_ = std::make_unique<FrameJobMessages>(s_);
  jobState_ = std::make_unique<jobs::FrameState>();
  jobs_ = std::make_unique<jobs::FrameJobs>(jobs::JobEnvironment{
      *s_.dictionary.SercaseAccess, *s_.dictionary.LogAccess, *s_.dictionary.SysAccess,
      *jobMessages_, s_.env.clock, s_.DatabaseFolder, s_.ProgramFolder,
      // The backup of a large database takes a while: the other threads' windows answer.
      [this] { return s_.env.ui.yieldBaton(); }});
  s_.rescan = [this](bool warnings) { rescan(warnings); };
  s_.closingJobs = [this] { jobs_->closingJobs(jobState()); };
  window().setMenuHidden(MenuLogon, true);
  (void)readSystemRecord(s_);
  if (!SignOn()) return data::LevelFatal;
  ShowMenusForLevel();
  readWorkstationSettings(s_);
  window().setMenuChecked(MenuMessage, s_.ShowCaseMessages);
  window().setMenuChecked(MenuNoOnHold, s_.HideOnHold);
  queueSort = static_cast<int>(s_.AppSettings.ReadNumber(text::toUtf8(s_.user.Name), "ViewFlag2"));
  const int t = window().timer();
  if (t < 1 || t > 100) window().setTimer(100);
  window().setStatus(1, "Current DataBase : " + s_.DatabaseFolder);
  window().setStatus(2, "User : " + text::toUtf8(s_.user.Name));
  UpdateClock();
  return data::LevelOk;
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
  if (log.add() != store::Ok) forms::tell(s_.forms, failureText, ui::Icon::Information);
}

void MainFrame::writeLogonEntry() {
  writeLogEntry("Logon", "Activity Log Update Failure");
}

bool MainFrame::SignOn() {
  int level = 0;
  std::uint16_t id = 0;
  if (!Logon(s_, level, id)) {
    if (!signedOnMark) return false;
    loggedOut = s_.LoggedOut = true;
    return false;
  }
  (void)readSystemRecord(s_);
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

void MainFrame::OnOpen() {
  window().setImage(kFrameWallpaper, s_.WallpaperFile);
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

data::Level MainFrame::HandleEvent() {
  if (event().number == ui::EventAlertKey && event().control == 0 &&
      event().key == ui::KeyMouseRightUp) {
    popup();
    return data::LevelNotify;
  }
  if (event().number == ui::EventPreAlertKey && event().control == 0) return data::LevelNotify;
  return WindowController::HandleEvent();
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

void registerMain(ProgramState& s) {
  s.procedures.add("Main", forms::onCallersThread([&s](std::string_view) { Main(s); }));
}

}  // namespace trv::core
