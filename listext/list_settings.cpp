#include "listext/list_settings.h"

#include "runtime/list/list_window.h"

namespace trv::listext {

ListSettings defaultSettings(const list::ListDecl& decl) {
  ListSettings s;
  s.section = decl.procedure;
  for (std::size_t i = 0; i < decl.window.controls.size(); ++i) {
    const ui::ControlDecl& c = decl.window.controls[i];
    if ((c.number != 0 ? c.number : static_cast<int>(i) + 1) == decl.list) s.control = c.equate;
  }
  if (s.control.empty()) s.control = "?Browse:1";
  for (const list::ListColumnDecl& c : decl.columns) {
    ColumnEntry e;
    e.field = c.field;
    e.widthDlu = c.widthDlu;
    e.header = c.header;
    e.picture = c.picture;
    e.description = c.header;
    e.headerJustify = c.headerJustify ? c.headerJustify : c.rightAligned ? 'R' : 'L';
    e.display = !c.hidden;
    s.columns.push_back(std::move(e));
  }
  return s;
}

}  // namespace trv::listext
