#include "cases/products/select_prod.h"

#include <string>

#include "core/program/list_environment.h"
#include "core/program/program_state.h"
#include "runtime/list/list_window.h"

namespace trv::cases {
namespace {

list::ListDecl pickListDecl(core::ProgramState& s) {
  list::ListDecl d;
  d.procedure = "SelectProd";
  d.window.title = "Select Product";
  d.window.kind = ui::WindowKind::Child;
  d.window.resizable = true;
  d.window.controls = {
      ui::list("?Browse:1", {})
          .withNumber(PickList)
          .withTip("Browsing Records")
          .at(1, 1)
          .size(40, 15),
      ui::button("?Select", "&Select").withNumber(PickSelect).at(2, 1),
      ui::sheet("?CurrentTab").withNumber(PickSheet).at(3, 1),
      ui::tab("?Tab:1", "Product ID").withNumber(PickTabId).in(PickSheet),
      ui::tab("?Tab:2", "Product Name").withNumber(PickTabName).in(PickSheet),
      ui::button("?Close", "Close").withNumber(PickClose).at(4, 1),
  };
  d.list = PickList;
  // The name field holds 50 characters; the list shows 30.
  d.columns = {
      {"Product ID", 68, "SLA:IDProduct", "@s16"},
      {"Product Name", 80, "SLA:Product", "@s30"},
  };
  d.file = s.dictionary.SlaRelations.get();
  d.orders = {
      {"SLA:ProductKey", "SLA:Product", PickTabName},
      {"SLA:IDPRODUCTKEY", "SLA:IDProduct", PickTabId, true},
  };
  d.sheet = PickSheet;
  d.buttons = {.select = PickSelect, .close = PickClose};
  d.defaultColour = kPickListColour;
  return d;
}

}  // namespace

int pickListColour(std::int64_t configured) {
  return list::listColour(configured, kPickListColour);
}

void SelectProd(core::ProgramState& s) {
  list::ListWindow list(core::listEnvironment(s), pickListDecl(s));
  list.Run();
}

void registerSelectProd(core::ProgramState& s) {
  s.procedures.add("SelectProd", forms::onCallersThread([&s](std::string_view) { SelectProd(s); }));
}

}  // namespace trv::cases
