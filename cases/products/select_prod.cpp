#include "cases/products/select_prod.h"

#include <string>

#include "core/program/list_environment.h"
#include "core/program/program_state.h"
#include "runtime/list/list_window.h"

namespace trv::cases {
namespace {

using enum productpick::Control;

list::ListDecl pickListDecl(core::ProgramState& s) {
  list::ListDecl d;
  d.procedure = "SelectProd";
  d.window.title = "Select Product";
  d.window.kind = ui::WindowKind::Child;
  d.window.resizable = true;
  d.list = kList;
  d.buttons = {.select = kSelect, .close = kClose};
  d.window.controls = list::browseControls(d, "Browsing Records", 40, 15);
  d.window.controls.insert(d.window.controls.end(),
                           {ui::sheet("?CurrentTab").withNumber(kSheet).at(3, 1),
                            ui::tab("?Tab:1", "Product ID").withNumber(kTabId).in(kSheet),
                            ui::tab("?Tab:2", "Product Name").withNumber(kTabName).in(kSheet),
                            ui::button("?Close", "Close").withNumber(kClose).at(4, 1)});
  // The name field holds 50 characters; the list shows 30.
  d.columns = {
      {"Product ID", 68, "SLA:IDProduct", "@s16"},
      {"Product Name", 80, "SLA:Product", "@s30"},
  };
  d.file = s.dictionary.SlaRelations.get();
  d.orders = {
      {"SLA:ProductKey", "SLA:Product", kTabName},
      {"SLA:IDPRODUCTKEY", "SLA:IDProduct", kTabId, true},
  };
  d.sheet = kSheet;
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
