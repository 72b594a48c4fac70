#include "runtime/list/list_window.h"

#include <algorithm>

#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/record_use.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/list/list_format.h"
#include "runtime/ui/window.h"

namespace trv::list {
namespace {

// A control's number as the window gives it: its own, or its place in the declaration.
int numberOf(const ui::WindowDecl& d, std::size_t index) {
  const int n = d.controls[index].number;
  return n != 0 ? n : static_cast<int>(index) + 1;
}

// The window with the list control's columns taken from the column table.
ui::WindowDecl withColumns(ui::WindowDecl window, int list,
                           const std::vector<ListColumnDecl>& columns) {
  for (std::size_t i = 0; i < window.controls.size(); ++i) {
    if (numberOf(window, i) != list) continue;
    std::vector<ui::ListColumn>& shown = window.controls[i].columns;
    shown.clear();
    for (const ListColumnDecl& c : columns) {
      if (c.hidden) continue;
      ui::ListColumn col{c.header, charsOfDialogUnits(c.widthDlu), c.picture, c.rightAligned};
      col.headerJustify = c.headerJustify;
      col.dataJustify = c.dataJustify;
      col.headerIndent = col.dataIndent = c.indent;
      shown.push_back(std::move(col));
    }
  }
  return window;
}

// The numbers of an in-place list's cell entries, one per column, after the window's controls.
std::vector<int> cellEditorNumbers(const ListDecl& d) {
  std::vector<int> numbers;
  if (!d.inPlace || !d.file) return numbers;
  int highest = 0;
  for (std::size_t i = 0; i < d.window.controls.size(); ++i)
    highest = std::max(highest, numberOf(d.window, i));
  for (std::size_t c = 0; c < d.columns.size(); ++c)
    numbers.push_back(highest + 1 + static_cast<int>(c));
  return numbers;
}

// The window of the list: the list control's columns from the column table, and an in-place
// list's cell entries, each named by its column's field.
ui::WindowDecl windowOf(const ListDecl& d) {
  ui::WindowDecl window = withColumns(d.window, d.list, d.columns);
  const std::vector<int> editors = cellEditorNumbers(d);
  for (std::size_t c = 0; c < editors.size(); ++c) {
    const ListColumnDecl& column = d.columns[c];
    window.controls.push_back(ui::cellEditor("?EditInPlace:" + column.field, d.list,
                                             static_cast<int>(c) + 1, column.picture,
                                             forms::useRecordField(d.file->file(), column.field))
                                  .withNumber(editors[c]));
  }
  return window;
}

// The tabs of the sheet, in the order the sheet shows them.
std::vector<int> tabsOf(const ui::WindowDecl& window, int sheet) {
  std::vector<int> tabs;
  for (std::size_t i = 0; i < window.controls.size(); ++i)
    if (window.controls[i].kind == ui::ControlKind::Tab && window.controls[i].parent == sheet)
      tabs.push_back(numberOf(window, i));
  return tabs;
}

}  // namespace

std::vector<ui::ControlDecl> browseControls(const ListDecl& d, std::string tip, int width,
                                            int height) {
  std::vector<ui::ControlDecl> c = {ui::list("?Browse:1", {})
                                        .withNumber(d.list)
                                        .withTip(std::move(tip))
                                        .at(1, 1)
                                        .size(width, height)};
  const std::pair<int, const char*> row[] = {{d.buttons.select, "Select"},
                                             {d.buttons.insert, "Insert"},
                                             {d.buttons.change, "Change"},
                                             {d.buttons.remove, "Delete"}};
  int column = 0;
  for (const auto& [number, name] : row)
    if (number)
      c.push_back(ui::button(std::string("?") + name, std::string("&") + name)
                      .withNumber(number)
                      .at(2, ++column));
  return c;
}

ListWindow::ListWindow(const ListEnvironment& environment, ListDecl decl)
    : WindowController(environment.forms, decl.procedure, windowOf(decl)),
      env_(environment),
      decl_(std::move(decl)),
      editors_(cellEditorNumbers(decl_)) {
  SINGLESLOT = decl_.singleSlot;
  if (decl_.file) UseFile(*decl_.file);
  if (decl_.buttons.close) AddCloseButton(decl_.buttons.close, forms::ResponseCancelled);
}

ListWindow::~ListWindow() = default;

int ListWindow::Run() {
  const int response = WindowController::Run();
  // Closing the file drops this thread's buffer when the list was its only user.
  if (response == forms::ResponseCompleted && chosen_) decl_.file->file().buffer() = *chosen_;
  return response;
}

data::Level ListWindow::Init() {
  if (data::Level l = WindowController::Init(); l != data::LevelOk) return l;
  if (!decl_.file) return data::LevelFatal;
  if (keepsFormat()) {
    if (const ui::ControlState* list = window().control(decl_.list))
      window().setColumns(decl_.list,
                          withListFormat(list->columns, context().settings->ReadValue(
                                                            decl_.formatSection, decl_.formatKey)));
  }
  browser_ = std::make_unique<ListBrowser>(window(), decl_.list, decl_.file->file());
  std::vector<int> shown;
  for (std::size_t i = 0; i < decl_.columns.size(); ++i) {
    browser_->AddField(decl_.columns[i].field, decl_.columns[i].picture);
    if (!decl_.columns[i].hidden) shown.push_back(static_cast<int>(i));
  }
  if (shown.size() != decl_.columns.size()) browser_->SetDisplayColumns(std::move(shown));

  int fallback = 0;
  std::vector<std::pair<int, int>> orderOfTab;  // (tab control, order)
  for (const KeyOrderDecl& o : decl_.orders) {
    const int order = browser_->AddKeyOrder(o.key, o.locator, o.collecting);
    if (o.byDefault && fallback == 0) fallback = order;
    if (o.tab) orderOfTab.emplace_back(o.tab, order);
  }
  if (fallback == 0) fallback = 1;
  if (decl_.sheet) {
    std::vector<int> byTab;
    for (int tab : tabsOf(decl_.window, decl_.sheet)) {
      int order = fallback;
      for (const auto& [t, o] : orderOfTab)
        if (t == tab) order = o;
      byTab.push_back(order);
    }
    browser_->SetSheet(decl_.sheet, std::move(byTab), fallback);
  }
  browser_->SetOrder(fallback);

  browser_->SetButtons(decl_.buttons);
  browser_->SetOwnPopupItems(decl_.popup);
  browser_->SetClosingPopupTexts(decl_.popupClose, decl_.popupHelp);
  browser_->SetSelecting(decl_.select == SelectMode::OnRequest && REQUEST == forms::RequestSelect);
  browser_->SetAskProcedure([this](ListRequest r) { return RunUpdate(r); });
  browser_->SetListColourSource([this] { return env_.listColour; });
  if (decl_.enhanced && env_.enhancement) extension_ = env_.enhancement(*this);
  if (decl_.inPlace)
    editor_ = std::make_unique<RowEditor>(*this, window(), decl_.list, *browser_, *decl_.file,
                                          editors_, decl_.inPlace->arrowAction);
  if (browser_->Open() != data::LevelOk) return data::LevelFatal;
  return data::LevelOk;
}

void ListWindow::OnOpen() {
  const std::int64_t configured =
      context().settings ? context().settings->ReadNumber("Config", "Color") : 0;
  env_.listColour = listColour(configured, decl_.defaultColour);
  if (browser_) browser_->SetListColour(env_.listColour);
  WindowController::OnOpen();
}

data::Level ListWindow::Shutdown() {
  if (extension_) extension_->Closing();
  extension_.reset();
  editor_.reset();
  browser_.reset();
  if (keepsFormat() && OPENED && hasWindow()) {
    if (const ui::ControlState* list = window().control(decl_.list))
      (void)context().settings->WriteValue(decl_.formatSection, decl_.formatKey,
                                           listFormat(list->columns));
  }
  return WindowController::Shutdown();
}

data::Level ListWindow::HandleEvent() {
  if (editor_ && editor_->HandleEvent(event())) return data::LevelNotify;
  if (extension_ && extension_->HandleEvent(event())) return data::LevelNotify;
  if (browser_) {
    bool close = false;
    if (browser_->HandleEvent(event(), &close)) {
      if (close) {
        RESPONSE = browser_->response();
        if (RESPONSE == forms::ResponseCompleted) chosen_ = decl_.file->file().buffer();
        window().close();
      }
      return data::LevelNotify;
    }
  }
  return WindowController::HandleEvent();
}

bool ListWindow::keepsFormat() {
  return !decl_.formatKey.empty() && context().settings != nullptr;
}

int ListWindow::RunUpdate(ListRequest request) {
  if (editor_) return editor_->Start(request);
  if (decl_.form.empty()) return forms::ResponseCancelled;
  return RunProcedure(decl_.form, request);
}

}  // namespace trv::list
