#include "core/program/program_body.h"

#include "core/program/mapi_messages.h"
#include "core/program/program_state.h"
#include "runtime/forms/program_message.h"
#include "runtime/mail/simple_mapi.h"
#include "runtime/ui/ui_runtime.h"

namespace trv::core {
namespace {

// The mail results are shown in a box with no icon and no caption.
void reportMailResult(ProgramState& s, const std::optional<std::string>& text) {
  if (text) forms::tell(s.forms, *text, ui::Icon::None, forms::Caption::None);
}

}  // namespace

void RunProgram(ProgramState& s) {
  ui::UiRuntime& ui = s.env.ui;
  ui.setHelpFile(kHelpFile);
  s.AppMessages.Init();
  s.AppSettings.Init(s.env.configFolder, kIniFileName);
  s.dictionary.setUp(s.AppMessages);

  // One session for the whole run; a failed logon is reported once and not retried.
  s.MapiSession = 0;
  s.MapiResult = s.env.mapi
                     ? s.env.mapi->MAPILogon(0, "", "", mail::kMapiNewSession, 0, s.MapiSession)
                     : mail::MapiFailure;
  s.MapiAltSession = 0;
  if (!ui.ended()) reportMailResult(s, logonResultText(s.MapiResult));

  if (const forms::ProcedureEntry* main = s.procedures.find("Main"); main && !ui.ended())
    main->body({});

  // The frame has closed: the windows it started on threads of their own close too, and every
  // one of them has given its files back before the files are taken down.
  for (const int t : ui.threads())
    if (t != ui::UiRuntime::currentThread()) (void)ui.postToThread(t, ui::EventCloseWindow);
  ui.awaitOtherThreads();

  s.AppSettings.BeforeShutdown();
  s.AppSettings.Shutdown();
  const std::uint32_t off =
      s.env.mapi ? s.env.mapi->MAPILogoff(s.MapiSession, 0, 0, 0) : mail::MapiInvalidSession;
  if (!ui.ended()) reportMailResult(s, logoffResultText(off));
  s.MapiAltSession = 0;
  s.dictionary.release();
  s.AppMessages.Shutdown();
}

}  // namespace trv::core
