#include <filesystem>

#include "core/frame/frame_menu.h"
#include "core/frame/main_frame.h"
#include "core/program/program_state.h"
#include "core/program/thread_slots.h"
#include "runtime/data/file_access.h"
#include "runtime/forms/procedures.h"
#include "runtime/forms/program_message.h"
#include "runtime/list/list_browser.h"
#include "runtime/store/error.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

// The frame's menu commands and its right-click popup.

namespace trv::core {

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

data::Level MainFrame::HandleAccepted() {
  const int menu = event().control;
  if (splashThread && menu < 0) {
    s_.env.ui.postToThread(splashThread, ui::EventCloseWindow);
    splashThread = 0;
  }
  switch (menu) {
    case MenuLogon:
      // The queues are built again whatever the sign-on window answered.
      (void)SignOn();
      if (s_.rescan) s_.rescan(false);
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

void MainFrame::LogOut() {
  ui::Window& w = window();
  loggedOut = s_.LoggedOut = true;
  w.setMenuHidden(MenuLogon, false);
  for (int m : {MenuLogout, MenuBrowse, MenuHouseHold, MenuSearch, MenuEmail, MenuSystem, MenuPrint,
                MenuEdit, MenuWindow})
    w.setMenuHidden(m, true);
  for (const char* slot :
       {kActionQueuesThread, kBrowsCasesThread, kBrowsLogThread, kWindowExportFileThread})
    if (const int t = s_.globals.slot(slot)) s_.env.ui.postToThread(t, ui::EventCloseWindow);
  if (signedOnMark && s_.sys.DoLog == 1) {
    std::uint64_t entries = 0;
    if (s_.dictionary.LogAccess->count(&entries) == store::Ok && entries > 0)
      writeLogEntry("LogOut", "Activity Log update failure");
  }
}

void MainFrame::Exit() {
  if ((s_.sys.Server || s_.sys.Server2) && s_.user.Level == 2) {
    const int answer = forms::ask(
        s_.forms,
        "Warning : when this PC is configured as a Trovanel Server,\r\nthen shutting down will "
        "prevent Trovanel to Backup any files or\r\nto delete Closed Cases. Go ahead anyway?",
        ui::Icon::Information, {"&Yes", "&No"});
    if (answer != 1) {
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
    s_.ListColor = list::kDefaultListColour;  // for this run only
  }
  if (const int t = s_.globals.slot(kBrowsCasesThread))
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
  window().setImage(kFrameWallpaper, s_.WallpaperFile);
}

namespace {

struct Command {
  int menu;
  const char* procedure;
  const char* arg;
};

// The windows the frame starts, each as its registration says (on the frame's thread or on a
// thread of its own); a procedure not yet registered says so (message 24).
constexpr Command kCommands[] = {
    {MenuBrowseQueues, "ActionQueues", ""},
    {MenuBrowseCases, "BrowsCases", ""},
    {MenuBrowseClients, "BrowsClients", ""},
    {MenuBrowseProducts, "BrowsSLA", ""},
    {MenuBrowseArchive, "BrowseArchive", ""},
    {MenuPassSignature, "UpdatePass", ""},
    {MenuSearchCase, "Search", "1"},
    {MenuSearchArchive, "Search", "2"},
    {MenuSearchBoth, "Search", "0"},
    {MenuEmailSend, "SendOutLook", ""},
    {MenuEmailInbox, "EmailIn", ""},
    {MenuActivityLog, "BrowsLog", ""},
    {MenuProblems, "BrowsProblem", ""},
    {MenuOptions, "UpdateSysOptions", ""},
    {MenuUsers, "BrowseUsers", ""},
    {MenuPrintCases, "PrintAllCases", ""},
    {MenuPrintClients, "PrintClient", ""},
    {MenuPrintProducts, "PrintProducts", ""},
    {MenuPrintArchive, "PrintAllArchive", ""},
    {MenuPrintActivityLog, "PrintLog", ""},
    {MenuAbout, "About", ""},
};

}  // namespace

void MainFrame::runCommand(int menu) {
  for (const Command& c : kCommands) {
    if (c.menu != menu) continue;
    const forms::ProcedureEntry* e = s_.procedures.find(c.procedure);
    if (!e) {
      (void)s_.AppMessages.RaiseWithText(24, c.procedure);
      return;
    }
    s_.globals.NextRequest = 0;
    forms::startProcedure(s_.forms, *e, c.arg);
    return;
  }
}

}  // namespace trv::core
