#include <string>

#include "cases/archive/archive_windows.h"
#include "cases/notes/box_colours.h"
#include "core/data/records.h"
#include "core/program/program_state.h"
#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/message_catalog.h"
#include "runtime/forms/procedures.h"
#include "runtime/forms/program_message.h"
#include "runtime/forms/record_use.h"
#include "runtime/text/charset.h"
#include "runtime/ui/window.h"

namespace trv::cases {
namespace {

using data::Level;
using data::LevelFatal;
using data::LevelNotify;
using data::LevelOk;

constexpr const char* kViewSection = "ViewArchive";

// The history box shows the memo; nothing typed there is kept.
ui::UseVar historyMemo(data::FileAccess& f) {
  ui::UseVar u;
  u.name = "ARC:History";
  u.get = [&f] { return ui::Value(text::toUtf8(f.memo("ARC:History"))); };
  u.set = [](const ui::Value&) {};
  return u;
}

ui::WindowDecl viewDecl(data::FileAccess& f) {
  ui::WindowDecl d;
  d.title = "Knowledge Base  - View Case";
  d.kind = ui::WindowKind::Modal;
  d.resizable = true;
  d.menu = {{ViewMenuWindow,
             "?WindowMenu",
             "&Window",
             {{ViewMenuColour,
               "?ColorMenu",
               "Colo&r",
               {{ViewItemTextColour, "?TextColor", "&Text Color", {}},
                {ViewItemBackground, "?Background", "&Background", {}}}},
              {ViewItemHelp, "?HelpItem", "&Help", {}},
              {ViewItemClose, "?CloseItem", "&Close", {}}}}};
  auto& c = d.controls;
  c.push_back(ui::sheet("?Sheet").withNumber(ViewSheet).at(1, 1));
  c.push_back(ui::tab("?Tab:General", "General").withNumber(ViewTabGeneral).in(ViewSheet));
  struct Shown {
    int number;
    const char* prompt;
    const char* field;
    const char* picture;
    const char* tip;
    int width;
  };
  const Shown shown[] = {
      {ViewClientId, "Client ID :", "ARC:SNAME", "@s6", "ID- nummer", 6},
      {ViewName, "Name :", "ARC:LNAME", "@s50", "Long cleint name", 50},
      {ViewPhone, "Phone:", "ARC:PHONE", "@s16", "Phone-number", 16},
      {ViewProductId, "Product ID : ", "ARC:IDPRODUCT", "@s16", "Soort SLA", 16},
      {ViewProduct, "Product:", "ARC:Product", "@s50", "Full Name Product", 50},
      {ViewProblem, "Problem :", "ARC:SProblem", "@s80", "Short Problem Description", 80},
      {ViewStatus, "Status :", "ARC:STATUS", "@s7", "Closed or Open", 7},
      {ViewStarted, "Started :", "ARC:SDATE", "@D5", "StartDatum Incoming", 8},
      {ViewStartTime, "--", "ARC:STIME", "@T1", "Start Time Incoming", 5},
      {ViewOwner, "Owner:", "ARC:OWNER", "@s20", "Starter of case", 20},
  };
  int row = 1;
  for (const Shown& e : shown) {
    const std::string name = std::string("?") + e.field;
    c.push_back(ui::prompt("?Prompt:" + std::string(e.field), e.prompt)
                    .withNumber(e.number - 1)
                    .at(row, 1)
                    .in(ViewTabGeneral));
    c.push_back(ui::entry(name, e.picture, forms::useRecordField(f, e.field))
                    .withNumber(e.number)
                    .withTip(e.tip)
                    .size(e.width)
                    .at(row, 2)
                    .in(ViewTabGeneral)
                    .asReadOnly());
    ++row;
  }
  c.push_back(ui::prompt("?Prompt:ARC:History", "History :")
                  .withNumber(ViewHistory - 1)
                  .at(row, 1)
                  .in(ViewTabGeneral));
  c.push_back(ui::textBox("?ARC:History", historyMemo(f))
                  .withNumber(ViewHistory)
                  .withTip("Case History")
                  .size(80, 12)
                  .at(row + 1, 1)
                  .in(ViewTabGeneral)
                  .asReadOnly());
  c.push_back(ui::button("?OK", "&OK").withNumber(ViewOk).asHidden());
  c.push_back(ui::button("?Print", "&Print").withNumber(ViewPrint));
  c.push_back(ui::button("?Close", "&Close").withNumber(ViewClose));
  c.push_back(ui::button("?Help", "&Help").withNumber(ViewHelp));
  return d;
}

class ArchiveView final : public forms::WindowController {
 public:
  ArchiveView(core::ProgramState& s, std::optional<std::uint32_t> caseNr)
      : WindowController(s.forms, "ViewArchive", viewDecl(*s.dictionary.ArchiveAccess)),
        s_(s),
        caseNr_(caseNr) {
    PRIMARY = s.dictionary.ArchiveRelations.get();
    OKCONTROL = ViewOk;
    DELETEACTION = 2;  // a delete asks first and never shows the entry
    FIRSTFIELD = ViewClientId;
    UseFile(*s.dictionary.ArchiveRelations);
    AddCloseButton(ViewClose, forms::ResponseCancelled);
    AddHelpButton(ViewHelp, "View Archive");
    for (int control : {ViewClientId, ViewName, ViewPhone, ViewProductId, ViewProduct, ViewProblem,
                        ViewStatus, ViewStarted, ViewStartTime, ViewOwner, ViewHistory})
      RememberHistoryField(control);
  }

  Level PrepareRequest() override {
    if (REQUEST == forms::RequestInsert) {
      RecordResponse(forms::ResponseCancelled);
      return ERRORS->Raise(20) == LevelFatal ? LevelFatal : LevelNotify;
    }
    if (caseNr_ && *caseNr_ != 0) {
      entry().CASENR = *caseNr_;
      if (archive().fetch("ARC:CaseNrKey") != store::Ok) {
        // Never show another entry under the number asked for.
        forms::tell(s_.forms, "Can not find Case record");
        RecordResponse(forms::ResponseCancelled);
        return LevelNotify;
      }
    }
    return WindowController::PrepareRequest();
  }

  Level Init() override {
    if (Level l = WindowController::Init(); l != LevelOk) return l;
    colours_ = storedBoxColours(s_.AppSettings, kViewSection);
    window().setColours(ViewHistory, colours_.text, colours_.background);
    return LevelOk;
  }

  void OnOpen() override {
    WindowController::OnOpen();
    window().setTitle("Knowledge Base - View Case Nr. :  " + std::to_string(entry().CASENR));
  }

  Level HandleAccepted() override {
    switch (event().control) {
      case ViewItemTextColour:
      case ViewItemBackground:
        if (chooseBoxColour(s_, kViewSection, event().control == ViewItemTextColour, colours_))
          window().setColours(ViewHistory, colours_.text, colours_.background);
        window().display(ViewHistory);
        return LevelNotify;
      case ViewItemHelp:
        window().post(ui::EventAccepted, ViewHelp);
        return LevelNotify;
      case ViewItemClose:
        window().post(ui::EventAccepted, ViewClose);
        return LevelNotify;
      case ViewPrint:
        RunProcedure("PrintArchiveCase", 0, std::to_string(entry().CASENR));
        window().display();
        return LevelNotify;
      default:
        return WindowController::HandleAccepted();
    }
  }

 private:
  data::FileAccess& archive() { return *s_.dictionary.ArchiveAccess; }
  core::ArchiveRecord& entry() { return archive().record<core::ArchiveRecord>(); }

  core::ProgramState& s_;
  std::optional<std::uint32_t> caseNr_;
  BoxColours colours_;
};

}  // namespace

void ViewArchive(core::ProgramState& s, std::optional<std::uint32_t> caseNr) {
  ArchiveView view(s, caseNr);
  view.Run();
}

void registerArchive(core::ProgramState& s) {
  s.procedures.add("BrowseArchive",
                   forms::onCallersThread([&s](std::string_view) { BrowseArchive(s); }));
  s.procedures.add("ViewArchive", forms::onCallersThread([&s](std::string_view arg) {
                     forms::ProcedureArgs args(arg);
                     const std::optional<std::uint32_t> nr = args.next<std::uint32_t>();
                     ViewArchive(s, args.done() ? nr : std::nullopt);
                   }));
}

}  // namespace trv::cases
