// trvnel01: the help-desk case tracker at the desktop.

#include <filesystem>
#include <system_error>

#include "app/trvnel01/installed_files.h"
#include "cases/procedures/case_procedures.h"
#include "core/frame/core_procedures.h"
#include "core/program/program_body.h"
#include "core/program/program_state.h"
#include "gui/desktop/run_desktop.h"
#include "runtime/mail/mail_system.h"
#include "runtime/mail/window_mail_dialogs.h"
#include "runtime/platform/folders.h"
#include "runtime/platform/instance_registry.h"
#include "runtime/text/clock.h"

int main(int argc, char** argv) {
  using namespace trv;
  const text::SystemClock clock;
  const std::filesystem::path config = platform::configFolder();
  const std::filesystem::path program = platform::programFolder();
  std::error_code ec;
  std::filesystem::create_directories(config, ec);
  std::filesystem::create_directories(program, ec);

  gui::DesktopOptions options;
  options.imageFolder = program;
  options.applicationTitle = core::kAppTitle;
  options.desktopFileName = "trvnel01";  // its entry trvnel01.desktop
  options.applicationIcon = "zoruve.ico";
  if (auto data = app::installedDataFolder(app::runningProgram())) options.dataFolders = {*data};

  // Without mail settings the logon reports it and the program goes on without mail.
  mail::MailSystem mail(mail::MailEnvironment{config, &clock, nullptr});
  platform::InstanceRegistry instances;

  return gui::runDesktop(
      argc, argv, clock,
      [&](ui::UiRuntime& ui, report::ReportOutput& reports) {
        // The address book and the send dialog are windows of the program's own runtime.
        mail::WindowMailDialogs dialogs(ui);
        mail.setDialogs(&dialogs);
        core::ProgramState state(
            core::ProgramEnvironment{clock, ui, &mail, config, program, &instances, &reports});
        core::registerCoreProcedures(state);
        cases::registerCaseProcedures(state);
        core::RunProgram(state);
        mail.setDialogs(nullptr);
      },
      options);
}
