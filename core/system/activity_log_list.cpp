#include "core/system/activity_log_list.h"

#include "core/data/records.h"
#include "core/jobs/system_record.h"
#include "core/program/list_environment.h"
#include "core/program/program_state.h"
#include "core/program/thread_slots.h"
#include "core/system/log_counts.h"
#include "runtime/forms/message_catalog.h"
#include "runtime/forms/program_message.h"
#include "runtime/list/list_window.h"
#include "runtime/text/clock.h"
#include "runtime/text/picture.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

list::ListDecl logListDecl(ProgramState& s) {
  list::ListDecl d;
  d.procedure = "BrowsLog";
  d.window.title = "Activity Log";
  d.window.kind = ui::WindowKind::Child;
  d.window.resizable = true;
  d.window.controls = {
      ui::list("?Browse:1", {}).withNumber(LogList).withTip("Browse Log").at(1, 1).size(60, 15),
      ui::button("?Select", "&Select").withNumber(LogSelect).at(2, 1),
      ui::string("?SincePrompt", "Counting Since :").withNumber(LogSincePrompt).at(3, 1),
      ui::string("?Sys:LastLogDate", "").withNumber(LogSinceDate).at(3, 2),
      ui::string("?ActiveLabel", " Active").withNumber(LogActiveLabel).at(4, 1),
      ui::string("?ActiveCount", "").withPicture("@n6").withNumber(LogActiveCount).at(4, 2),
      ui::progress("?ActiveBar").withNumber(LogActiveBar).at(4, 3),
      ui::group("?CasesGroup", "Cases").withNumber(LogCasesGroup).at(5, 1),
      ui::string("?CreatedCount", "")
          .withPicture("@n6")
          .withNumber(LogCreatedCount)
          .in(LogCasesGroup)
          .at(1, 2),
      ui::string("?ReopenCount", "")
          .withPicture("@n6")
          .withNumber(LogReopenCount)
          .in(LogCasesGroup)
          .at(2, 2),
      ui::string("?OnHoldCount", "")
          .withPicture("@n6")
          .withNumber(LogOnHoldCount)
          .in(LogCasesGroup)
          .at(4, 2),
      ui::string("?ClosedCount", "")
          .withPicture("@n6")
          .withNumber(LogClosedCount)
          .in(LogCasesGroup)
          .at(3, 2),
      ui::string("?Sys:LastLogTime", "").withNumber(LogSinceTime).at(3, 3),
      ui::string("?CreatedLabel", "* Created")
          .withNumber(LogCreatedLabel)
          .in(LogCasesGroup)
          .at(1, 1),
      ui::progress("?CreatedBar").withNumber(LogCreatedBar).in(LogCasesGroup).at(1, 3),
      ui::string("?ReopenLabel", "* Re-Opened")
          .withNumber(LogReopenLabel)
          .in(LogCasesGroup)
          .at(2, 1),
      ui::string("?ClosedLabel", "Closed").withNumber(LogClosedLabel).in(LogCasesGroup).at(3, 1),
      ui::progress("?ReopenBar").withNumber(LogReopenBar).in(LogCasesGroup).at(2, 3),
      ui::string("?OnHoldLabel", "On Hold").withNumber(LogOnHoldLabel).in(LogCasesGroup).at(4, 1),
      ui::progress("?OnHoldBar").withNumber(LogOnHoldBar).in(LogCasesGroup).at(4, 3),
      ui::progress("?ClosedBar").withNumber(LogClosedBar).in(LogCasesGroup).at(3, 3),
      ui::button("?Print", "&Print").withNumber(LogPrint).at(6, 1),
      ui::button("?EmptyLog", "&Empty Log").withNumber(LogEmpty).at(6, 2),
      ui::sheet("?CurrentTab").withNumber(LogSheet).at(7, 1),
      ui::tab("?Tab:1", "LOG:KeyName").withNumber(LogTab).in(LogSheet),
      ui::button("?Close", "&Close").withNumber(LogClose).at(8, 1),
      ui::button("?Help", "&Help").withNumber(LogHelp).at(8, 2),
  };
  d.list = LogList;
  d.columns = {
      {"ID", 22, "LOG:ID", "@n3", false, 0, 'C', 'C'},
      {"Name", 45, "LOG:NAME", "@s20", false, 2},
      {"Case Nr", 31, "LOG:CASENR", "@N06B", false, 0, 'R', 'C'},
      {"Action", 31, "LOG:ACTION", "@s7", false, 0, 'C', 'C'},
      {"Date", 35, "Log:ActionDate", "@D5B", false, 0, 'R', 'C'},
      {"Time", 30, "Log:ActionTime", "@T7"},
      {"Nr", 52, "LOG:NR", "@n13", true, 0, 0, 0, true},
  };
  d.file = s.dictionary.LogRelations.get();
  d.orders = {
      {"Log:KEYDATE", "Log:ActionDate", 0, true},
      {},  // stored order, for the list enhancement's header menu
  };
  d.buttons = {.select = LogSelect, .close = LogClose, .help = LogHelp};
  d.singleSlot = kBrowsLogThread;
  d.enhanced = true;
  return d;
}

// The activity log's own values for the list enhancement: its column table, text sorted with
// regard to case.
void logListSettings(listext::ListSettings& st) {
  struct Entry {
    int width;
    const char* description;
    char justify;
  };
  static constexpr Entry kTable[] = {{24, "ID", 'R'},     {80, "Name", 'L'}, {52, "CaseNr", 'L'},
                                     {28, "Action", 'L'}, {32, "Date", 'R'}, {20, "Time", 'R'},
                                     {52, "Nr", 'R'}};
  st.upper = false;
  for (std::size_t i = 0; i < st.columns.size() && i < std::size(kTable); ++i) {
    st.columns[i].widthDlu = kTable[i].width;
    st.columns[i].description = kTable[i].description;
    st.columns[i].headerJustify = kTable[i].justify;
  }
}

class ActivityLog final : public list::ListWindow {
 public:
  explicit ActivityLog(ProgramState& s)
      : ListWindow(listEnvironment(s, logListSettings), logListDecl(s)), s_(s) {
    UseFile(*s.dictionary.SysRelations);
    AddHelpButton(LogHelp, "Activity Log");
    RESTOREONFOCUS = true;
  }

  data::Level Init() override {
    if (data::Level l = ListWindow::Init(); l != data::LevelOk) return l;
    readStamp();
    return data::LevelOk;
  }

  void OnOpen() override {
    ListWindow::OnOpen();
    count();
  }

  data::Level HandleEvent() override {
    const data::Level l = ListWindow::HandleEvent();
    if (event().control == 0 && event().number == ui::EventGainFocus) {
      // Entries written meanwhile, here or at other stations, show now.
      reread();
      count();
    }
    return l;
  }

  data::Level HandleAccepted() override {
    switch (event().control) {
      case LogEmpty:
        window().update();
        empty();
        return data::LevelNotify;
      case LogPrint:
        window().update();
        printLog();
        return data::LevelNotify;
      default:
        return ListWindow::HandleAccepted();
    }
  }

 private:
  SysRecord& sys() { return s_.dictionary.SysAccess->record<SysRecord>(); }

  // The list from the top, a header sort taken again from the file as it is now.
  void reread() {
    if (browser().view().sorted()) browser().view().Resort();
    browser().Reset();
  }

  void readStamp() {
    data::FileAccess& f = *s_.dictionary.SysAccess;
    sys().ID = 1;
    if (f.fetch("Sys:KeyID") != store::Ok)
      forms::tell(s_.forms, "System : No Configuration Record (sys.kvx) Available");
    showStamp();
  }

  void showStamp() {
    window().setText(LogSinceDate, text::formatPicture("@D5B", sys().LastLogDate));
    window().setText(LogSinceTime, text::formatPicture("@T1B", sys().LastLogTime));
  }

  void count() {
    counts_ = countLog(*s_.dictionary.LogAccess);
    // Closing the message gives focus back, which counts again: tell once per run of failures.
    if (counts_.code != store::Ok) {
      if (!countFailed_) {
        countFailed_ = true;
        forms::tell(s_.forms, "Error Reading Log File");
      }
    } else {
      countFailed_ = false;
    }
    showCounts();
  }

  void showCounts() {
    const LogCounts& n = counts_;
    window().setDisabled(LogEmpty, !n.any);
    window().setDisabled(LogPrint, !n.any);
    const std::pair<int, std::uint16_t> shown[] = {{LogActiveCount, n.active},
                                                   {LogCreatedCount, n.created},
                                                   {LogReopenCount, n.reopened},
                                                   {LogOnHoldCount, n.onHold},
                                                   {LogClosedCount, n.closed}};
    // The strings are the counters: each holds its count and shows it in six digits.
    for (const auto& [control, value] : shown) window().setValue(control, std::int64_t{value});
    const std::pair<int, std::uint16_t> bars[] = {{LogActiveBar, n.active},
                                                  {LogCreatedBar, n.created},
                                                  {LogReopenBar, n.reopened},
                                                  {LogOnHoldBar, n.onHold},
                                                  {LogClosedBar, n.closed}};
    for (const auto& [control, value] : bars)
      window().setValue(control, std::int64_t{n.percent(value)});
  }

  void empty() {
    const text::Clock& clock = s_.env.clock;
    const std::int32_t today = clock.today();
    const std::int32_t now = clock.now();
    const bool emptied =
        emptyLog(*s_.dictionary.LogAccess, s_.user.Id, s_.user.Name, today, now) == store::Ok;
    if (!emptied) forms::tell(s_.forms, "Unable to Update Log");
    reread();
    count();
    // A failed emptying kept every entry: the log is not "since today".
    if (!emptied) return;
    jobs::SystemStamps stamp;
    stamp.log = true;
    stamp.logLimit = today;
    stamp.today = today;
    stamp.now = now;
    SysRecord written;
    if (jobs::stampSystemRecord(*s_.dictionary.SysAccess, stamp, &written) !=
        jobs::StampResult::Ok) {
      forms::tell(s_.forms, "Unable to Update System Configuration(1)");
      return;
    }
    sys() = written;
    showStamp();
  }

  void printLog() {
    const forms::ProcedureEntry* e = s_.procedures.find("PrintLog");
    if (!e) {
      (void)s_.AppMessages.RaiseWithText(24, "PrintLog");
      return;
    }
    s_.globals.NextRequest = 0;
    forms::startProcedure(s_.forms, *e);
  }

  ProgramState& s_;
  LogCounts counts_;
  bool countFailed_ = false;  // "Error Reading Log File" shown, no good count since
};

}  // namespace

void BrowsLog(ProgramState& s) {
  ActivityLog list(s);
  list.Run();
}

void registerActivityLog(ProgramState& s) {
  s.procedures.add("BrowsLog", forms::onOwnThread([&s](std::string_view) { BrowsLog(s); }));
}

}  // namespace trv::core
