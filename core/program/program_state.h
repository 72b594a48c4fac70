#pragma once
// The program's state for one run: the services every window uses and the globals the windows
// share. The program body creates one with the runtime's environment; nothing of it is static,
// so a scenario (or a second start in one process) begins from a fresh state.
//
// Threads: shared by every program thread; only the thread holding the runtime's baton touches
// it, so it needs no lock (per-thread data lives in the data files' access objects).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "core/data/dictionary.h"
#include "core/queues/shared_queues.h"
#include "runtime/forms/form_globals.h"
#include "runtime/forms/message_catalog.h"
#include "runtime/forms/procedures.h"
#include "runtime/forms/window_controller.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/mail/mapi.h"

namespace trv::mail {
class SimpleMapi;
}
namespace trv::platform {
class InstanceRegistry;
}
namespace trv::report {
class ReportOutput;
}
namespace trv::text {
class Clock;
}
namespace trv::ui {
class UiRuntime;
class Window;
}  // namespace trv::ui

namespace trv::core {

inline constexpr const char* kAppTitle = "Vorn Trovanel 1.2";
inline constexpr const char* kIniFileName = "trvnel12.ini";
inline constexpr const char* kHelpFile = "Vkt2a.hlp";
// The class under which a running copy registers with the instance registry.
inline constexpr const char* kInstanceClass = "trvnel01";

// The outside world as the program body is given it. Everything must outlive the run.
struct ProgramEnvironment {
  const text::Clock& clock;
  ui::UiRuntime& ui;
  mail::SimpleMapi* mapi = nullptr;                 // null: no mail system on this workstation
  std::filesystem::path configFolder;               // the workstation's "Windows folder"
  std::filesystem::path programFolder;              // the installation folder
  platform::InstanceRegistry* instances = nullptr;  // null: no single-copy check
  report::ReportOutput* reports = nullptr;
};

// The signed-on user, kept from one sign-on to the next. Texts are Windows-1252 as in records.
struct SignedOnUser {
  std::string Name, Greet, FullName, Position, Company, Email, Phone, Fax;
  int Level = 0;
  std::uint16_t Id = 0;  // the users file numbers users in 16 bits
};

// The frame's copies of the system record.
struct SystemCopies {
  int DoLog = 0, RefreshInterval = 0, ViewFlag2 = 0, DoBackup = 0, BackUpDays = 0;
  std::int32_t BackUpTime = 0;
  int Server = 0, DeleteClosed = 0, Server2 = 0, DeleteDays = 0;
  std::int32_t DeleteTime = 0;
  int ProblemFix = 0;
};

struct SysRecord;
// The copies taken from the stored system record.
SystemCopies systemCopies(const SysRecord& r);

class ProgramState {
 public:
  explicit ProgramState(ProgramEnvironment env);
  ~ProgramState();
  ProgramState(const ProgramState&) = delete;
  ProgramState& operator=(const ProgramState&) = delete;

  ProgramEnvironment env;
  forms::MessageCatalog AppMessages;
  ini::IniSettings AppSettings;
  forms::FormGlobals globals;
  forms::ProcedureRegistry procedures;
  forms::FormContext forms;
  Dictionary dictionary;

  std::string AppTitle;
  SignedOnUser user;
  std::string ProgramFolder;  // UTF-8 paths
  std::string DatabaseFolder;
  SystemCopies sys;
  bool ShowCaseMessages = true;
  bool HideOnHold = false;
  std::string WallpaperFile;
  int ListColor;  // the lists' colour: list::kDefaultListColour until the frame reads it

  // The frame's rescan of the case file, run by its timer: with `warnings` the overdue warnings
  // (which rebuild the queues first), else the queue rebuild alone. Unset: no rescan.
  std::function<void(bool warnings)> rescan;
  // Set by the system options when the database folder changed: the frame then closes.
  bool RestartRequired = false;
  // The closing jobs of a signed-on run (log cleaning, "LogOut", the backup at the end).
  std::function<void()> closingJobs;

  // The frame's window while it is open.
  ui::Window* FrameWindow = nullptr;
  // The frame has logged out and no user is signed on again yet.
  bool LoggedOut = false;

  // The action queues AFT and BEF, shared by every thread.
  SharedQueues queues;

  mail::MapiHandle MapiSession = 0;
  mail::MapiHandle MapiAltSession = 0;
  std::uint32_t MapiResult = 0;
};

}  // namespace trv::core
