#include "core/clients/client_list.h"

#include "core/program/list_environment.h"
#include "core/program/program_state.h"
#include "runtime/list/list_window.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

list::ListDecl clientListDecl(ProgramState& s) {
  list::ListDecl d;
  d.procedure = "BrowsClients";
  d.window.title = "Clients";
  d.window.kind = ui::WindowKind::Child;
  d.window.resizable = true;
  d.window.controls = {
      ui::list("?Browse:1", {})
          .withNumber(ClientsList)
          .withTip("Browsing Records")
          .at(1, 1)
          .size(80, 15),
      ui::button("?Select", "&Select").withNumber(ClientsSelect).at(2, 1),
      ui::button("?Insert", "&Insert").withNumber(ClientsInsert).at(2, 2),
      ui::button("?Change", "&Change").withNumber(ClientsChange).at(2, 3),
      ui::button("?Delete", "&Delete").withNumber(ClientsDelete).at(2, 4),
      ui::sheet("?CurrentTab").withNumber(ClientsSheet).at(3, 1),
      ui::tab("?Tab:1", "CLI:SNameKey").withNumber(ClientsTabName).in(ClientsSheet),
      ui::button("?Import", "Im&port").withNumber(ClientsImport).in(ClientsTabName),
      ui::tab("?Tab:2", "CLI:KeyFullName").withNumber(ClientsTabFullName).in(ClientsSheet),
      ui::tab("?Tab:3", "CLI:KeyCity").withNumber(ClientsTabCity).in(ClientsSheet),
      ui::tab("?Tab:4", "CLI:KeyContact").withNumber(ClientsTabContact).in(ClientsSheet),
      ui::button("?Close", "Close").withNumber(ClientsClose).at(4, 1),
      ui::button("?Help", "Help").withNumber(ClientsHelp).at(4, 2),
  };
  d.list = ClientsList;
  // Every column left-justified with an indent of 2 (and resizable by the user).
  d.columns = {
      {"Name", 28, "CLI:SName", "@s6", false, 2},
      {"Full Name", 80, "CLI:LName", "@s80", false, 2},
      {"Contact", 80, "CLI:Contact", "@s30", false, 2},
      {"Phone", 80, "CLI:Phone", "@s29", false, 2},
      {"Email", 80, "CLI:Email", "@s99", false, 2},
      {"Address", 80, "CLI:Address", "@s30", false, 2},
      {"ZIP Code", 44, "CLI:ZIPCode", "@s10", false, 2},
      {"City", 80, "CLI:City", "@s30", false, 2},
      {"State", 80, "CLI:State", "@s30", false, 2},
  };
  d.file = s.dictionary.ClientRelations.get();
  d.orders = {
      {"CLI:KeyFullName", "CLI:LName", ClientsTabFullName},
      {"CLI:KeyCity", "CLI:City", ClientsTabCity},
      {"CLI:KeyContact", "CLI:Contact", ClientsTabContact},
      {"CLI:SNameKey", "CLI:SName", ClientsTabName, true},
      {},  // file sequence, for the list enhancement's header menu
  };
  d.sheet = ClientsSheet;
  d.buttons = {.select = ClientsSelect,
               .insert = ClientsInsert,
               .change = ClientsChange,
               .remove = ClientsDelete,
               .close = ClientsClose,
               .help = ClientsHelp};
  d.form = "Updateclient";
  d.enhanced = true;
  return d;
}

// The client list's own values for the list enhancement: the column table's widths and
// descriptions (every column shown and sortable, text sorted without regard to case).
void clientListSettings(listext::ListSettings& st) {
  static const std::pair<int, const char*> kTable[] = {
      {24, "ID- nummer"},   {200, "Client Name"},  {120, "Contact Person"},
      {64, "Phone Number"}, {396, "Email Addess"}, {120, "Address"},
      {40, "ZIP Code"},     {120, "City"},         {120, "State"}};
  for (std::size_t i = 0; i < st.columns.size() && i < std::size(kTable); ++i) {
    st.columns[i].widthDlu = kTable[i].first;
    st.columns[i].description = kTable[i].second;
  }
}

class ClientList final : public list::ListWindow {
 public:
  explicit ClientList(ProgramState& s)
      : ListWindow(listEnvironment(s, clientListSettings), clientListDecl(s)), s_(s) {
    AddHelpButton(ClientsHelp, "Browse Clients");
  }

  void OnOpen() override {
    const bool admin = s_.user.Level == 2;
    window().setHidden(ClientsImport, !admin);
    window().setDisabled(ClientsImport, !admin);
    ListWindow::OnOpen();
  }

  data::Level HandleAccepted() override {
    switch (event().control) {
      case ClientsImport:
        RunProcedure("ImportClientData", 0);
        browser().Reset();
        return data::LevelNotify;
      default:
        return ListWindow::HandleAccepted();
    }
  }

 private:
  ProgramState& s_;
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
