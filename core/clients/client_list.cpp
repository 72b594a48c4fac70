#include "core/clients/client_list.h"

#include <memory>

#include "core/clients/client_form.h"
#include "core/program/program_state.h"
#include "runtime/data/file_relations.h"
#include "runtime/list/list_browser.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

enum : int {
  kList = 1,
  kSelect,
  kInsert,
  kChange,
  kDelete,
  kSheet,
  kTabName,
  kImport,
  kTabFullName,
  kTabCity,
  kTabContact,
  kClose,
  kHelp,
};

struct ColumnSpec {
  const char* header;
  int width;
  const char* field;
  int chars;
};

constexpr ColumnSpec kColumns[] = {
    {"Name", 28, "CLI:SName", 6},        {"Full Name", 80, "CLI:LName", 80},
    {"Contact", 80, "CLI:Contact", 30},  {"Phone", 80, "CLI:Phone", 29},
    {"Email", 80, "CLI:Email", 99},      {"Address", 80, "CLI:Address", 30},
    {"ZIP Code", 44, "CLI:ZIPCode", 10}, {"City", 80, "CLI:City", 30},
    {"State", 80, "CLI:State", 30},
};

ui::WindowDecl listDecl() {
  ui::WindowDecl d;
  d.title = "Clients";
  d.kind = ui::WindowKind::Child;
  d.resizable = true;
  std::vector<ui::ListColumn> columns;
  for (const ColumnSpec& c : kColumns)
    columns.push_back({c.header, c.chars, "@s" + std::to_string(c.chars), false});
  d.controls = {
      ui::list("?Browse:1", columns)
          .withNumber(kList)
          .withTip("Browsing Records")
          .at(1, 1)
          .size(80, 15),
      ui::button("?Select", "&Select").withNumber(kSelect).at(2, 1),
      ui::button("?Insert", "&Insert").withNumber(kInsert).at(2, 2),
      ui::button("?Change", "&Change").withNumber(kChange).at(2, 3),
      ui::button("?Delete", "&Delete").withNumber(kDelete).at(2, 4),
      ui::sheet("?CurrentTab").withNumber(kSheet).at(3, 1),
      ui::tab("?Tab:1", "CLI:SNameKey").withNumber(kTabName).in(kSheet),
      ui::button("?Import", "Im&port").withNumber(kImport).in(kTabName),
      ui::tab("?Tab:2", "CLI:KeyFullName").withNumber(kTabFullName).in(kSheet),
      ui::tab("?Tab:3", "CLI:KeyCity").withNumber(kTabCity).in(kSheet),
      ui::tab("?Tab:4", "CLI:KeyContact").withNumber(kTabContact).in(kSheet),
      ui::button("?Close", "Close").withNumber(kClose).at(4, 1),
      ui::button("?Help", "Help").withNumber(kHelp).at(4, 2),
  };
  return d;
}

class ClientList final : public forms::WindowController {
 public:
  explicit ClientList(ProgramState& s)
      : WindowController(s.forms, "BrowsClients", listDecl()), s_(s) {
    UseFile(*s.dictionary.ClientRelations);
    AddCloseButton(kClose, forms::ResponseCancelled);
  }

  data::Level Init() override {
    if (data::Level l = WindowController::Init(); l != data::LevelOk) return l;
    browser_ = std::make_unique<list::ListBrowser>(window(), kList, *s_.dictionary.ClientAccess);
    for (const ColumnSpec& c : kColumns)
      browser_->AddField(c.field, "@s" + std::to_string(c.chars));
    const int byFullName = browser_->AddKeyOrder("CLI:KeyFullName", "CLI:LName");
    const int byCity = browser_->AddKeyOrder("CLI:KeyCity", "CLI:City");
    const int byContact = browser_->AddKeyOrder("CLI:KeyContact", "CLI:Contact");
    const int byName = browser_->AddKeyOrder("CLI:SNameKey", "CLI:SName");
    browser_->AddKeyOrder("");  // file sequence, for the list enhancement's header menu
    browser_->SetSheet(kSheet, {byName, byFullName, byCity, byContact}, byName);
    browser_->SetOrder(byName);
    browser_->SetButtons({kSelect, kInsert, kChange, kDelete, 0, 0, kClose, kHelp});
    browser_->SetSelecting(REQUEST == forms::RequestSelect);
    browser_->SetAskProcedure([this](list::ListRequest r) {
      s_.globals.NextRequest = r;
      Updateclient(s_);
      return s_.globals.LastResponse == forms::ResponseCompleted ? forms::ResponseCompleted
                                                                 : forms::ResponseCancelled;
    });
    browser_->SetListColourSource([this] { return s_.ListColor; });
    const bool admin = s_.user.Level == 2;
    window().setHidden(kImport, !admin);
    window().setDisabled(kImport, !admin);
    s_.ListColor = list::listColour(s_.AppSettings.ReadNumber("Config", "Color"));
    browser_->SetListColour(s_.ListColor);
    if (browser_->Open() != data::LevelOk) return data::LevelFatal;
    return data::LevelOk;
  }

  data::Level Shutdown() override {
    browser_.reset();
    return WindowController::Shutdown();
  }

  data::Level HandleEvent() override {
    if (browser_) {
      bool close = false;
      if (browser_->HandleEvent(event(), &close)) {
        if (close) {
          RESPONSE = browser_->response();
          window().close();
        }
        return data::LevelNotify;
      }
    }
    return WindowController::HandleEvent();
  }

  data::Level HandleAccepted() override {
    switch (event().control) {
      case kImport:
        RunProcedure("ImportClientData", 0);
        browser_->Reset();
        return data::LevelNotify;
      case kHelp:
        s_.env.ui.help("Browse Clients");
        return data::LevelNotify;
      default:
        return WindowController::HandleAccepted();
    }
  }

 private:
  ProgramState& s_;
  std::unique_ptr<list::ListBrowser> browser_;
};

}  // namespace

void BrowsClients(ProgramState& s) {
  ClientList list(s);
  list.Run();
}

void registerClientList(ProgramState& s) {
  s.procedures.add("BrowsClients",
                   forms::onCallersThread([&s](std::string_view) { BrowsClients(s); }));
}

}  // namespace trv::core
