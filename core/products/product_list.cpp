#include "core/products/product_list.h"

#include "core/program/list_environment.h"
#include "core/program/program_state.h"
#include "runtime/list/list_format.h"
#include "runtime/list/list_window.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::core {
namespace {

constexpr const char* kFormatSection = "Browses";
constexpr const char* kFormatKey = "SLABrowse";

list::ListDecl productListDecl(ProgramState& s) {
  list::ListDecl d;
  d.procedure = "BrowsSLA";
  d.window.title = "Products";
  d.window.kind = ui::WindowKind::Child;
  d.window.resizable = true;
  d.window.controls = {
      ui::list("?Browse:1", {})
          .withNumber(ProductsList)
          .withTip("Browsing Records")
          .at(1, 1)
          .size(100, 15),
      ui::button("?Select", "&Select").withNumber(ProductsSelect).at(2, 1),
      ui::button("?Insert", "&Insert").withNumber(ProductsInsert).at(2, 2),
      ui::button("?Change", "&Change").withNumber(ProductsChange).at(2, 3),
      ui::button("?Delete", "&Delete").withNumber(ProductsDelete).at(2, 4),
      ui::sheet("?CurrentTab").withNumber(ProductsSheet).at(3, 1),
      ui::tab("?Tab:1", "Product ID").withNumber(ProductsTabId).in(ProductsSheet),
      ui::tab("?Tab:2", "Product Name").withNumber(ProductsTabName).in(ProductsSheet),
      ui::button("?Close", "Cl&ose").withNumber(ProductsClose).at(4, 1),
      ui::button("?Help", "Help").withNumber(ProductsHelp).at(4, 2),
  };
  d.list = ProductsList;
  // Empty times show as blanks, except the first escalation's, which shows 0:00.
  d.columns = {
      {"Product ID", 57, "SLA:IDProduct", "@s16"}, {"Product Name", 120, "SLA:Product", "@s30"},
      {"Respons", 33, "SLA:Respons", "@T1B"},      {"Start", 25, "SLA:ServiceStart", "@T1B"},
      {"End", 23, "SLA:ServiceEnd", "@T1B"},       {"Esc1", 25, "SLA:FirstEsc", "@T1"},
      {"Days1", 34, "SLA:FirstEscDays", "@n1"},    {"Esc2", 25, "SLA:SecEsc", "@T1B"},
      {"Days2", 36, "SLA:SecEscDays", "@n1"},      {"Esc3", 26, "SLA:ThdEsc", "@T1B"},
      {"Days3", 28, "SLA:ThirdEscDays", "@n1"},
  };
  d.file = s.dictionary.SlaRelations.get();
  d.orders = {
      {"SLA:ProductKey", "SLA:Product", ProductsTabName},
      {"SLA:IDPRODUCTKEY", "SLA:IDProduct", ProductsTabId, true},
  };
  d.sheet = ProductsSheet;
  d.buttons = {.select = ProductsSelect,
               .insert = ProductsInsert,
               .change = ProductsChange,
               .remove = ProductsDelete,
               .close = ProductsClose,
               .help = ProductsHelp};
  d.form = "UpdateSLA";
  return d;
}

class ProductList final : public list::ListWindow {
 public:
  explicit ProductList(ProgramState& s)
      : ListWindow(listEnvironment(s), productListDecl(s)), s_(s) {}

  data::Level Init() override {
    if (data::Level l = ListWindow::Init(); l != data::LevelOk) return l;
    // The widths the user left last time; a damaged setting keeps the built-in ones.
    if (const ui::ControlState* c = window().control(ProductsList))
      window().setColumns(
          ProductsList,
          list::withListFormat(c->columns, s_.AppSettings.ReadValue(kFormatSection, kFormatKey)));
    return data::LevelOk;
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

  data::Level HandleAccepted() override {
    if (event().control == ProductsHelp) {
      s_.env.ui.help("Browse Products");
      return data::LevelNotify;
    }
    return ListWindow::HandleAccepted();
  }

  data::Level Shutdown() override {
    if (hasWindow())
      if (const ui::ControlState* c = window().control(ProductsList))
        (void)s_.AppSettings.WriteValue(kFormatSection, kFormatKey, list::listFormat(c->columns));
    return ListWindow::Shutdown();
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
