#include "cases/products/select_prod.h"

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "core/program/program_state.h"
#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/list/list_browser.h"
#include "runtime/ui/window.h"

namespace trv::cases {
namespace {

enum : int {
  kList = 1,
  kSelect,
  kSheet,
  kTabId,
  kTabName,
  kClose,
};

struct ColumnSpec {
  const char* header;
  int widthDlu;  // as the window declares it; the model sizes columns in characters
  const char* field;
  int chars;  // shown; the field itself may hold more
};

constexpr ColumnSpec kColumns[] = {
    {"Product ID", 68, "SLA:IDProduct", 16},
    {"Product Name", 80, "SLA:Product", 30},
};

// A horizontal dialog unit is a quarter of the average character width.
constexpr int charsOfDlu(int dlu) {
  return (dlu + 2) / 4;
}

ui::WindowDecl pickListDecl() {
  ui::WindowDecl d;
  d.title = "Select Product";
  d.kind = ui::WindowKind::Child;
  d.resizable = true;
  std::vector<ui::ListColumn> columns;
  for (const ColumnSpec& c : kColumns)
    columns.push_back({c.header, charsOfDlu(c.widthDlu), "@s" + std::to_string(c.chars), false});
  d.controls = {
      ui::list("?Browse:1", columns)
          .withNumber(kList)
          .withTip("Browsing Records")
          .at(1, 1)
          .size(40, 15),
      ui::button("?Select", "&Select").withNumber(kSelect).at(2, 1),
      ui::sheet("?CurrentTab").withNumber(kSheet).at(3, 1),
      ui::tab("?Tab:1", "Product ID").withNumber(kTabId).in(kSheet),
      ui::tab("?Tab:2", "Product Name").withNumber(kTabName).in(kSheet),
      ui::button("?Close", "Close").withNumber(kClose).at(4, 1),
  };
  return d;
}

class ProductPickList final : public forms::WindowController {
 public:
  explicit ProductPickList(core::ProgramState& s)
      : WindowController(s.forms, "SelectProd", pickListDecl()), s_(s) {
    UseFile(*s.dictionary.SlaRelations);
    AddCloseButton(kClose, forms::ResponseCancelled);
  }

  // The product chosen, copied before the file closed.
  const std::optional<store::RecordBuffer>& chosen() const { return chosen_; }

  data::Level Init() override {
    if (data::Level l = WindowController::Init(); l != data::LevelOk) return l;
    data::FileAccess& sla = *s_.dictionary.SlaAccess;
    browser_ = std::make_unique<list::ListBrowser>(window(), kList, sla);
    for (const ColumnSpec& c : kColumns)
      browser_->AddField(c.field, "@s" + std::to_string(c.chars));
    const int byName = browser_->AddKeyOrder("SLA:ProductKey", "SLA:Product");
    const int byId = browser_->AddKeyOrder("SLA:IDPRODUCTKEY", "SLA:IDProduct");
    browser_->SetSheet(kSheet, {byId, byName}, byId);
    browser_->SetOrder(byId);
    list::ListBrowser::Buttons buttons;
    buttons.select = kSelect;
    buttons.close = kClose;
    browser_->SetButtons(buttons);
    browser_->SetSelecting(REQUEST == forms::RequestSelect);
    browser_->SetListColourSource([this] { return s_.ListColor; });
    if (browser_->Open() != data::LevelOk) return data::LevelFatal;
    return data::LevelOk;
  }

  void OnOpen() override {
    s_.ListColor = pickListColour(s_.AppSettings.ReadNumber("Config", "Color"));
    browser_->SetListColour(s_.ListColor);
    browser_->Refresh();
    WindowController::OnOpen();
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
          // Closing the file drops this thread's buffer when the list was its only user.
          if (RESPONSE == forms::ResponseCompleted) chosen_ = s_.dictionary.SlaAccess->buffer();
          window().close();
        }
        return data::LevelNotify;
      }
    }
    return WindowController::HandleEvent();
  }

 private:
  core::ProgramState& s_;
  std::unique_ptr<list::ListBrowser> browser_;
  std::optional<store::RecordBuffer> chosen_;
};

}  // namespace

int pickListColour(std::int64_t configured) {
  return configured == 0 ? kPickListColour : static_cast<int>(configured);
}

void SelectProd(core::ProgramState& s) {
  ProductPickList list(s);
  const int response = list.Run();
  if (response == forms::ResponseCompleted && list.chosen())
    s.dictionary.SlaAccess->buffer() = *list.chosen();
}

void registerSelectProd(core::ProgramState& s) {
  s.procedures.add("SelectProd", forms::onCallersThread([&s](std::string_view) { SelectProd(s); }));
}

}  // namespace trv::cases
