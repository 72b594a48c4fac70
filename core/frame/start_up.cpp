#include "core/frame/start_up.h"

#include <filesystem>
#include <system_error>

#include "core/data/database_tool.h"
#include "core/data/records.h"
#include "core/program/program_state.h"
#include "runtime/data/file_access.h"
#include "runtime/forms/program_message.h"
#include "runtime/list/list_browser.h"
#include "runtime/platform/folders.h"
#include "runtime/platform/instance_registry.h"
#include "runtime/store/error.h"
#include "runtime/ui/ui_runtime.h"

namespace trv::core {
namespace {

bool isUsableFolder(const std::string& folder) {
  std::error_code ec;
  return !folder.empty() && std::filesystem::is_directory(folder, ec);
}

std::string localDatabase(const ProgramState& s) {
  return (std::filesystem::path(s.ProgramFolder) / "DataBase").string();
}

}  // namespace

bool anotherCopyRuns(ProgramState& s,
                     std::unique_ptr<platform::InstanceRegistration>& registration) {
  platform::InstanceRegistry* reg = s.env.instances;
  if (!reg) return false;
  if (reg->isRunning(kInstanceClass)) {
    (void)reg->post(kInstanceClass, platform::InstanceRequest::kBringToFront);
    return true;
  }
  // Registering is itself the check: of two copies starting together only one gets the class.
  if (reg->registerInstance(kInstanceClass, s.AppTitle, registration) ==
      platform::InstanceStatus::kAlreadyRunning) {
    (void)reg->post(kInstanceClass, platform::InstanceRequest::kBringToFront);
    return true;
  }
  // A later copy's request is answered when it comes, whatever window this thread shows then
  // (the frame's own timer stops while a form holds it).
  if (registration) {
    ui::UiRuntime& ui = s.env.ui;
    const int thread = ui::UiRuntime::currentThread();
    registration->watch([&ui, thread](platform::InstanceRequest request) {
      if (request == platform::InstanceRequest::kBringToFront)
        ui.bringToFront(thread);
      else
        ui.postToThread(thread, ui::EventCloseWindow);
    });
  }
  return false;
}

void findDatabaseFolder(ProgramState& s) {
  s.DatabaseFolder = s.AppSettings.ReadValue("Config", "DataBase");
  const bool usable = isUsableFolder(s.DatabaseFolder) &&
                      platform::findIgnoringCase(s.DatabaseFolder, "Sys.kvx").has_value();
  if (usable) return;
  s.DatabaseFolder = localDatabase(s);
  forms::tell(s.forms, " Cannot Connect to NetWork (DataBase)\r\n Switching to Local Database ! ",
              ui::Icon::Information);
  s.AppSettings.WriteValue("Config", "Database", s.DatabaseFolder);
}

bool databaseIsCompatible(ProgramState& s) {
  if (probeDataFile(s.DatabaseFolder, DataFile::Sys) != store::InvalidRecordDeclaration)
    return true;
  forms::tell(s.forms,
              "Databasefile(s) of Vorn Trovanel 1.1 are incompatible with this\r\nnewer version "
              "of Vorn Trovanel - Shutting down!",
              ui::Icon::Information);
  s.DatabaseFolder = localDatabase(s);
  s.AppSettings.WriteValue("Config", "Database", s.DatabaseFolder);
  return false;
}

bool readSystemRecord(ProgramState& s) {
  data::FileAccess& f = *s.dictionary.SysAccess;
  SysRecord& r = f.record<SysRecord>();
  r.ID = 1;
  if (f.fetch("Sys:KeyID") != store::Ok) {
    forms::tell(s.forms, store::lastError().text, ui::Icon::None, forms::Caption::None);
    forms::tell(s.forms, "No Configuration Record (sys.kvx) Available", ui::Icon::Information);
    return false;
  }
  s.sys = systemCopies(r);
  if (r.DoBackup) r.BackUpFlag = 0;
  return true;
}

void readWorkstationSettings(ProgramState& s) {
  ini::IniSettings& ini = s.AppSettings;
  if (s.sys.Server && s.user.Level == 2) {
    s.ShowCaseMessages = false;
  } else {
    const std::string v = ini.ReadValue("Config", "MessageOnOff");
    s.ShowCaseMessages = v.empty() ? true : ini.ReadNumber("Config", "MessageOnOff") != 0;
  }
  s.HideOnHold = ini.ReadNumber("Config", "NoOnHold") != 0;
  std::string wall = ini.ReadValue("Config", "WallSel");
  if (wall.empty()) wall = "logo2.jpg";
  if (wall == (std::filesystem::path(s.ProgramFolder) / "logo.jpg").string())
    wall = (std::filesystem::path(s.ProgramFolder) / "logo2.jpg").string();
  s.WallpaperFile = wall;
  const std::int64_t colour = ini.ReadNumber("Config", "Color");
  s.ListColor = list::listColour(colour);
  if (colour == 0) ini.WriteValue("Config", "Color", std::int64_t{s.ListColor});
}

}  // namespace trv::core
