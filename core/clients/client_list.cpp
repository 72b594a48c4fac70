#include "core/clients/client_list.h"

#include "core/program/list_environment.h"
#include "core/program/program_state.h"
#include "runtime/forms/procedures.h"
#include "runtime/list/list_window.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

using enum clientlist::Control;

list::ListDecl clientListDecl(ProgramState& s) {
  list::ListDecl d;
  d.procedure = "BrowsClients";
  d.window.title = "Clients";
  d.window.kind = ui::WindowKind::Child;
  d.window.resizable = true;
  d.list = kList;
  d.buttons = {.select = kSelect, .insert = kInsert, .change = kChange, .remove = kDelete};
  d.buttons.close = kClose;
  d.buttons.help = kHelp;
  d.window.controls = list::browseControls(d, "Browsing Records", 80, 15);
  d.window.controls.insert(
      d.window.controls.end(),
      {ui::sheet("?CurrentTab").withNumber(kSheet).at(3, 1),
       ui::tab("?Tab:1", "CLI:SNameKey").withNumber(kTabName).in(kSheet),
       ui::button("?Import", "Im&port").withNumber(kImport).in(kTabName),
       ui::tab("?Tab:2", "CLI:KeyFullName").withNumber(kTabFullName).in(kSheet),
       ui::tab("?Tab:3", "CLI:KeyCity").withNumber(kTabCity).in(kSheet),
       ui::tab("?Tab:4", "CLI:KeyContact").withNumber(kTabContact).in(kSheet),
       ui::button("?Close", "Close").withNumber(kClose).at(4, 1),
       ui::button("?Help", "Help").withNumber(kHelp).at(4, 2)});
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
      {"CLI:KeyFullName", "CLI:LName", kTabFullName},
      {"CLI:KeyCity", "CLI:City", kTabCity},
      {"CLI:KeyContact", "CLI:Contact", kTabContact},
      {"CLI:SNameKey", "CLI:SName", kTabName, true},
      {},  // file sequence, for the list enhancement's header menu
  };
  d.sheet = kSheet;
  d.form = "Updateclient";
  d.popupClose = "Close";
  d.popupHelp = "Help";
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
    AddHelpButton(kHelp, "Browse Clients");
  }

  void OnOpen() override {
    const bool admin = s_.user.Level == 2;
    window().setHidden(kImport, !admin);
    window().setDisabled(kImport, !admin);
    ListWindow::OnOpen();
  }

  data::Level HandleAccepted() override {
    switch (event().control) {
      case kImport:
        RunProcedure("ImportClientData", 0);
        browser().view().Resort();  // the import added clients: a sorted order sorts again
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
