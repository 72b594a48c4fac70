#include <array>
#include <string>

#include "cases/search/search_windows.h"
#include "core/program/program_state.h"
#include "runtime/forms/procedures.h"
#include "runtime/list/list_browser.h"
#include "runtime/list/list_format.h"
#include "runtime/list/queue_list.h"
#include "runtime/text/charset.h"
#include "runtime/text/picture.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::cases {
namespace {

using data::Level;
using data::LevelFatal;
using data::LevelNotify;
using data::LevelOk;

constexpr const char* kFormatSection = "Browses";
constexpr const char* kFormatKey = "SearchList";
constexpr int kColumns = 8;

std::vector<ui::ListColumn> resultColumns() {
  struct Decl {
    const char* header;
    int widthDlu;
    const char* picture;
    char justify;
    int indent;
  };
  const Decl decls[kColumns] = {
      {"Nr", 16, "@N_4B", 'C', 0},        {"Case Nr", 31, "@N06", 'R', 2},
      {"Name", 25, "@s6", 'L', 0},        {"Full Name", 83, "@s50", 'L', 0},
      {"Product ID", 45, "@s16", 'L', 0}, {"Product", 90, "@s50", 'L', 0},
      {"Problem", 123, "@s80", 'L', 0},   {"Source", 28, "@s7", 'L', 0},
  };
  std::vector<ui::ListColumn> columns;
  for (const Decl& d : decls) {
    ui::ListColumn c{d.header, list::charsOfDialogUnits(d.widthDlu), d.picture, d.justify == 'R'};
    c.headerJustify = c.dataJustify = d.justify;
    c.headerIndent = c.dataIndent = d.indent;
    columns.push_back(std::move(c));
  }
  return columns;
}

ui::WindowDecl resultDecl() {
  ui::WindowDecl d;
  d.title = "Search result of :";
  d.kind = ui::WindowKind::Modal;
  d.resizable = true;
  d.controls = {
      ui::list("?List", resultColumns())
          .withNumber(ResultList)
          .withTip("Browse Search Results")
          .at(1, 1)
          .size(100, 15),
      ui::button("?Print", "Pr&int").withNumber(ResultPrint).asHidden(),
      ui::button("?Properties", "&Properties").withNumber(ResultProperties),
      ui::button("?Close", "&Close").withNumber(ResultClose),
      ui::button("?Help", "&Help").withNumber(ResultHelp),
  };
  return d;
}

ui::ListRow rowOf(const SearchHit& h) {
  ui::ListRow r;
  r.cells = {text::formatPicture("@N_4B", std::int64_t{h.NR}),
             text::formatPicture("@N06", std::int64_t{h.CASENR}),
             text::toUtf8(h.SNAME),
             text::toUtf8(h.LNAME),
             text::toUtf8(h.IDPRODUCT),
             text::toUtf8(h.PRODUCT),
             text::toUtf8(h.SPROBLEM),
             text::toUtf8(h.FROMFILE)};
  return r;
}

class ResultWindow final : public forms::WindowController {
 public:
  ResultWindow(core::ProgramState& s, SearchHits& hits, std::string title)
      : WindowController(s.forms, "SearchResult", resultDecl()),
        s_(s),
        hits_(hits),
        title_(std::move(title)) {
    FIRSTFIELD = ResultList;
    AddCloseButton(ResultClose, forms::ResponseCancelled);
    AddHelpButton(ResultHelp, "Search Options");
  }

  Level Init() override {
    if (Level l = WindowController::Init(); l != LevelOk) return l;
    list_ = std::make_unique<list::QueueList>(window(), ResultList);
    for (int k : {int(ui::KeyEnter), int(ui::KeyMouseLeft), int(ui::KeyMouseRightUp)})
      window().alert(k);
    if (const ui::ControlState* c = window().control(ResultList))
      window().setColumns(
          ResultList,
          list::withListFormat(c->columns, s_.AppSettings.ReadValue(kFormatSection, kFormatKey)));
    applyColour();
    return LevelOk;
  }

  void OnOpen() override {
    WindowController::OnOpen();
    window().setTitle(title_);
    list_->SetRows(rows());
    list_->Select(0);
    window().select(ResultList);
  }

  Level HandleEvent() override {
    const ui::Event& e = event();
    if (e.number == ui::EventGainFocus) applyColour();
    if (e.number == ui::EventAlertKey && e.key == ui::KeyEnter && e.control != ResultList) {
      // Enter on a button still presses it.
      if (const ui::ControlState* c = window().control(e.control);
          c && c->kind == ui::ControlKind::Button)
        window().post(ui::EventAccepted, e.control);
      return LevelNotify;
    }
    if (e.control == ResultList && e.number == ui::EventAlertKey) {
      if (e.key == ui::KeyEnter) {
        openHit();
        return LevelNotify;
      }
      if (e.key == ui::KeyMouseLeft && e.zone == ui::ListZone::Header) {
        toggleSort(e.column);
        return LevelNotify;
      }
      if (e.key == ui::KeyMouseRightUp) {
        popup();
        return LevelNotify;
      }
    }
    bool opened = false;
    if (list_ && list_->HandleEvent(e, &opened)) {
      if (opened) openHit();
      return LevelNotify;
    }
    return WindowController::HandleEvent();
  }

  Level HandleAccepted() override {
    if (event().control == ResultProperties) {
      openHit();
      return LevelNotify;
    }
    return WindowController::HandleAccepted();
  }

  Level Shutdown() override {
    if (OPENED && hasWindow())
      if (const ui::ControlState* c = window().control(ResultList))
        (void)s_.AppSettings.WriteValue(kFormatSection, kFormatKey, list::listFormat(c->columns));
    list_.reset();
    return WindowController::Shutdown();
  }

 private:
  std::vector<ui::ListRow> rows() const {
    std::vector<ui::ListRow> r;
    r.reserve(hits_.size());
    for (const SearchHit& h : hits_) r.push_back(rowOf(h));
    return r;
  }

  void applyColour() {
    s_.ListColor = list::listColour(s_.AppSettings.ReadNumber("Config", "Color"));
    if (list_) list_->SetListColour(s_.ListColor);
  }

  // The first click on a column sorts it descending, the next ascending, and so on.
  void toggleSort(int column) {
    const ui::ControlState* c = window().control(ResultList);
    if (!c || column < 1 || column > kColumns) return;
    bool& descending = descending_[static_cast<std::size_t>(column - 1)];
    descending = !descending;
    sortHits(hits_, column, descending);
    list_->SetRows(rows());
  }

  void openHit() {
    const int row = list_->selected();
    if (row < 0 || row >= static_cast<int>(hits_.size())) return;
    const SearchHit h = hits_[static_cast<std::size_t>(row)];
    RunProcedure(h.FROMFILE == "Archive" ? "ViewArchive" : "ChangeCases", forms::RequestChange,
                 std::to_string(h.CASENR));
    window().select(ResultList);
  }

  void popup() {
    switch (s_.env.ui.popup("&Properties|-|&Help|-|&Close")) {
      case 1:
        openHit();
        break;
      case 2:
        window().post(ui::EventAccepted, ResultHelp);
        break;
      case 3:
        window().post(ui::EventAccepted, ResultClose);
        break;
      default:
        break;
    }
  }

  core::ProgramState& s_;
  SearchHits& hits_;
  std::string title_;
  std::unique_ptr<list::QueueList> list_;
  std::array<bool, kColumns> descending_{};
};

}  // namespace

std::string resultTitle(std::string_view label, std::string_view phrase, std::size_t count) {
  auto clip = [](std::string_view t) {
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    return std::string(t);
  };
  return "Search result of " + clip(label) + ": " + clip(phrase) + " -- " + std::to_string(count) +
         " found";
}

void SearchResult(core::ProgramState& s, SearchHits& hits, std::string_view phrase,
                  std::string_view label) {
  sortHits(hits, sortColumnOfLabel(label), false);
  ResultWindow w(s, hits, resultTitle(label, text::toUtf8(phrase), hits.size()));
  w.Run();
}

}  // namespace trv::cases
