// The list's exports: every record of its view, as the list shows it, to a file.

#include <optional>

#include "listext/list_export.h"
#include "listext/progress_window.h"
#include "listext/quorix_list.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::listext {

void QuorixList::readyView() {
  RefreshSortOrder();
  list_.browser().Reset();
}

std::uint64_t QuorixList::expectedRecords() {
  list::ListBrowser& b = list_.browser();
  std::uint64_t n = 0;
  if (b.view().connection().count(b.view().file(), &n) != store::Ok || n < 1) n = b.CountAll();
  return n;
}

void QuorixList::ExportCsv() {
  exportList(ExportFormat::Csv);
}

void QuorixList::ExportHtml() {
  exportList(ExportFormat::Html);
}

void QuorixList::exportList(ExportFormat format) {
  ui::UiRuntime& ui = list_.context().ui;
  std::filesystem::path path =
      format == ExportFormat::Csv ? settings_.csvFileName : settings_.htmlFileName;
  if (path.is_relative()) path = ui.currentFolder() / path;
  RefreshColumns(true);

  // The headers as the columns' own texts: the sort mark is the list's, not the column's.
  std::vector<std::string> headers;
  for (const Column& c : model_.shown()) {
    std::string h = c.header;
    if (viewOrder_ && c.seq == sortColumn_ && !h.empty() &&
        (h.starts_with(ascToken_) || h.starts_with(descToken_)))
      h.erase(0, 1);
    headers.push_back(h);
  }
  const char separator = settings_.separator.empty() ? ',' : settings_.separator[0];

  ExportFile file(path, format);
  bool ok =
      file.Open(list_.window().title(), settings_.browseHeader ? &headers : nullptr, separator);
  list::ListBrowser& b = list_.browser();
  std::vector<store::RecordBuffer> chunk;
  std::optional<ProgressWindow> progress;
  if (ok) readyView();
  if (ok) progress.emplace(ui, expectedRecords());
  // A failed read ends the export as after the last record: what was written stays, counted.
  if (ok && b.view().first(500, chunk) == store::Ok) {
    std::vector<std::string> cells(headers.size());
    while (ok && !chunk.empty()) {
      for (const store::RecordBuffer& r : chunk) {
        progress->Step();
        for (std::size_t i = 0; i < cells.size(); ++i) cells[i] = exportValue(b.CellText(r, i));
        if (!(ok = file.WriteRecord(cells))) break;
      }
      if (!ok) break;
      store::RecordBuffer last = std::move(chunk.back());
      chunk.clear();
      if (b.view().after(last, 500, chunk) != store::Ok) break;
    }
  }
  progress.reset();
  if (ok) ok = file.Finish();
  // The list reads its page again, as after a print.
  b.Reset();
  if (!ok) {
    ui.message(file.error(), "Quorix", ui::Icon::Exclamation);
    return;
  }
  if (!settings_.shellExecute) return;
  const ui::ServiceResult opened = ui.shellOpen(file.path().string());
  if (!opened.ok)
    ui.message(shellErrorText(opened.error, file.path().string()), "Quorix", ui::Icon::None);
}

}  // namespace trv::listext
