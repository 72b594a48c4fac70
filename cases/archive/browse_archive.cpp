#include <string>

#include "cases/archive/archive_windows.h"
#include "core/program/list_environment.h"
#include "core/program/program_state.h"
#include "runtime/data/file_access.h"
#include "runtime/list/list_window.h"
#include "runtime/ui/window.h"

namespace trv::cases {
namespace {

list::ListDecl archiveListDecl(core::ProgramState& s) {
  list::ListDecl d;
  d.procedure = "BrowseArchive";
  d.window.title = "Browse the Archive File";
  d.window.kind = ui::WindowKind::Child;
  d.window.resizable = true;
  d.window.statusZones = 1;
  d.window.controls = {
      ui::list("?Browse:1", {})
          .withNumber(ArchiveList)
          .withTip("Browsing Records")
          .at(1, 1)
          .size(100, 15),
      ui::button("?Change", "&Properties").withNumber(ArchiveProperties).at(2, 1),
      ui::button("?Delete", "&Delete").withNumber(ArchiveDelete).at(2, 2),
      ui::sheet("?CurrentTab").withNumber(ArchiveSheet).at(3, 1),
      ui::tab("?Tab:1", "ARC:CaseNrKey").withNumber(ArchiveTabCaseNr).in(ArchiveSheet),
      ui::button("?Close", "&Close").withNumber(ArchiveClose).at(4, 1),
      ui::button("?Help", "&Help").withNumber(ArchiveHelp).at(4, 2),
  };
  d.list = ArchiveList;
  d.columns = {
      {"Case Nr", 40, "ARC:CASENR", "@N06", true, 2},
      {"Product ID", 68, "ARC:IDPRODUCT", "@s16", false, 2},
      {"Client ID", 33, "ARC:SNAME", "@s6", false, 2},
      {"Problem", 165, "ARC:SProblem", "@s80", false, 2},
      {"Owner", 80, "ARC:OWNER", "@s20", false, 2},
      {"Product", 80, "ARC:Product", "@s50", false, 2},
      {"Cllient", 80, "ARC:LNAME", "@s50", false, 2},
      {"Phone", 68, "ARC:PHONE", "@s16", false, 2},
  };
  d.file = s.dictionary.ArchiveRelations.get();
  d.orders = {
      {"ARC:CaseNrKey", "ARC:CASENR", ArchiveTabCaseNr, true},
      {},  // file sequence, for the list enhancement's header menu
  };
  d.sheet = ArchiveSheet;
  d.buttons = {.change = ArchiveProperties,
               .remove = ArchiveDelete,
               .close = ArchiveClose,
               .help = ArchiveHelp};
  d.form = "ViewArchive";
  d.select = list::SelectMode::Never;
  d.enhanced = true;
  return d;
}

// The knowledge base keeps its own size and position (its default one follows the window's
// size), and always opens in case-number order whatever header sort was saved.
void archiveListSettings(listext::ListSettings& st) {
  st.allowResize = true;
  st.resizeTakesDefault = true;
  st.sortAtOpen = false;
}

class ArchiveListWindow final : public list::ListWindow {
 public:
  explicit ArchiveListWindow(core::ProgramState& s)
      : ListWindow(core::listEnvironment(s, archiveListSettings), archiveListDecl(s)), s_(s) {
    AddHelpButton(ArchiveHelp, "Browse Archive");
  }

  void OnOpen() override {
    window().setHidden(ArchiveDelete, userOnly());
    ListWindow::OnOpen();
    showCount();
  }

  data::Level HandleEvent() override {
    const data::Level l = ListWindow::HandleEvent();
    if (event().number == ui::EventNewSelection && event().control == ArchiveList && userOnly())
      window().setDisabled(ArchiveDelete, true);
    return l;
  }

 protected:
  int RunUpdate(list::ListRequest request) override {
    const int response = ListWindow::RunUpdate(request);
    // The count in the title follows a deletion.
    if (request == list::RequestDelete) showCount();
    return response;
  }

 private:
  bool userOnly() const { return s_.user.Level == 0; }

  void showCount() {
    std::uint64_t entries = 0;
    if (s_.dictionary.ArchiveAccess->count(&entries) != store::Ok) return;
    const std::string title = archiveListTitle(entries);
    window().setTitle(title);
    window().setStatus(1, title);
  }

  core::ProgramState& s_;
};

}  // namespace

std::string archiveListTitle(std::uint64_t entries) {
  return "Browse Knowlegde Base : " + std::to_string(entries) + " records available";
}

void BrowseArchive(core::ProgramState& s) {
  ArchiveListWindow list(s);
  list.Run();
}

}  // namespace trv::cases
