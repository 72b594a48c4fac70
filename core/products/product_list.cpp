#include "core/products/product_list.h"

#include "core/program/list_environment.h"
#include "core/program/program_state.h"
#include "runtime/list/list_window.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

list::ListDecl productListDecl(ProgramState& s) {
  list::ListDecl d;
  d.procedure = "BrowsSLA";
  d.window.title = "Products";
  d.window.kind = ui::WindowKind::Child;
  d.window.resizable = true;
  d.list = ProductsList;
  d.buttons = {.select = ProductsSelect,
               .insert = ProductsInsert,
               .change = ProductsChange,
               .remove = ProductsDelete,
               .close = ProductsClose,
               .help = ProductsHelp};
  d.window.controls = list::browseControls(d, "Browsing Records", 100, 15);
  d.window.controls.insert(
      d.window.controls.end(),
      {ui::sheet("?CurrentTab").withNumber(ProductsSheet).at(3, 1),
       ui::tab("?Tab:1", "Product ID").withNumber(ProductsTabId).in(ProductsSheet),
       ui::tab("?Tab:2", "Product Name").withNumber(ProductsTabName).in(ProductsSheet),
       ui::button("?Close", "Cl&ose").withNumber(ProductsClose).at(4, 1),
       ui::button("?Help", "Help").withNumber(ProductsHelp).at(4, 2)});
  // Empty times show as blanks, except the first escalation's, which shows 0:00.
  d.columns = {
      {"Product ID", 57, "SLA:IDProduct", "@s16", false, 2, 'L', 'L'},
      {"Product Name", 120, "SLA:Product", "@s30", false, 2, 'L', 'L'},
      {"Respons", 33, "SLA:Respons", "@T1B", false, 0, 'C', 'C'},
      {"Start", 25, "SLA:ServiceStart", "@T1B", false, 2, 'L', 'L'},
      {"End", 23, "SLA:ServiceEnd", "@T1B", false, 0, 'C', 'C'},
      {"Esc1", 25, "SLA:FirstEsc", "@T1", false, 0, 'C', 'C'},
      {"Days1", 34, "SLA:FirstEscDays", "@n1", false, 0, 'C', 'C'},
      {"Esc2", 25, "SLA:SecEsc", "@T1B", false, 0, 'C', 'C'},
      {"Days2", 36, "SLA:SecEscDays", "@n1", false, 0, 'C', 'C'},
      {"Esc3", 26, "SLA:ThdEsc", "@T1B", false, 0, 'C', 'C'},
      {"Days3", 28, "SLA:ThirdEscDays", "@n1", false, 0, 'L', 'L'},
  };

  d.file = s.dictionary.SlaRelations.get();
  d.orders = {
      {"SLA:ProductKey", "SLA:Product", ProductsTabName},
      {"SLA:IDPRODUCTKEY", "SLA:IDProduct", ProductsTabId, true},
  };
  d.sheet = ProductsSheet;
  d.form = "UpdateSLA";
  d.popupClose = "Close";
  d.popupHelp = "Help";
  // The widths the user left last time; a damaged setting keeps the built-in ones.
  d.formatSection = "Browses";
  d.formatKey = "SLABrowse";
  return d;
}

class ProductList final : public list::ListWindow {
 public:
  explicit ProductList(ProgramState& s)
      : ListWindow(listEnvironment(s), productListDecl(s)), s_(s) {
    AddHelpButton(ProductsHelp, "Browse Products");
  }

  void OnOpen() override {
    showUpdateButtons();
    ListWindow::OnOpen();
  }

  data::Level HandleEvent() override {
    // Users look at products only: a double click (or anything else that changes) opens nothing.
    if (!mayUpdate() && event().control == ProductsList && event().number == ui::EventAccepted)
      return data::LevelNotify;
    const data::Level l = ListWindow::HandleEvent();
    if (event().control == 0 && event().number == ui::EventGainFocus) showUpdateButtons();
    if (event().control == ProductsList && event().number == ui::EventNewSelection)
      for (int b : {ProductsInsert, ProductsChange, ProductsDelete})
        window().setDisabled(b, !mayUpdate());
    return l;
  }

 private:
  bool mayUpdate() const { return s_.user.Level >= 1; }

  void showUpdateButtons() {
    for (int b : {ProductsInsert, ProductsChange, ProductsDelete})
      window().setHidden(b, !mayUpdate());
  }

  ProgramState& s_;
};

}  // namespace

void BrowsSLA(ProgramState& s) {
  ProductList list(s);
  list.Run();
}

void registerBrowsSLA(ProgramState& s) {
  s.procedures.add("BrowsSLA", forms::onCallersThread([&s](std::string_view) { BrowsSLA(s); }));
}

}  // namespace trv::core
