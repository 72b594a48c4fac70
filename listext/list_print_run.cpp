// The list's print: every record of the view, or the rows on show, as a table report.

#include <memory>

#include "listext/list_print.h"
#include "listext/list_text.h"
#include "listext/progress_window.h"
#include "listext/quorix_list.h"
#include "runtime/report/print_previewer.h"
#include "runtime/text/charset.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/text/picture.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace trv::listext {
std::string QuorixList::headerText(const Column& c) const {
  std::string h = c.header;
  if (viewOrder_ && c.seq == sortColumn_ && (h.starts_with(ascToken_) || h.starts_with(descToken_)))
    h.erase(0, 1);
  return h;
}

std::string QuorixList::orderText() {
  if (viewOrder_) {
    if (const Column* c = model_.at(sortColumn_))
      return (c->ascDesc == 1 ? "-" : "+") + text::upper1252(clipped(c->field));
  }
  const int order = list_.browser().order();
  const auto& orders = list_.decl().orders;
  if (order >= 1 && order <= static_cast<int>(orders.size()))
    return orders[static_cast<std::size_t>(order - 1)].key;
  return {};
}

std::string QuorixList::filterText() const {
  std::string out;
  for (const auto& [field, limit] : limitTexts_) {
    if (!out.empty()) out += " AND ";
    out += field + " " + limit;
  }
  return out;
}

void QuorixList::noteLimit(const std::string& field, const std::string& limit) {
  if (field.empty()) {
    limitTexts_.clear();
  } else {
    limitTexts_[field] = limit;
  }
}

std::vector<PrintColumn> QuorixList::printColumns() {
  RefreshColumns(true);
  const ui::ControlState* list = list_.window().control(list_.decl().list);
  std::vector<PrintColumn> out;
  for (Column& c : model_.shown()) {
    int widest = 0;
    if (list)
      for (const ui::ListRow& r : list->rows)
        if (static_cast<std::size_t>(c.seq) <= r.cells.size())
          widest = std::max(widest, charCount(r.cells[static_cast<std::size_t>(c.seq - 1)]));
    const std::string header = clipped(headerText(c));
    const int headerWidth = charCount(header) * kDluPerChar;
    const int dataWidth = widest * kDluPerChar;
    // Kept in a full int: a wide column (an e-mail address) is wider than a byte holds.
    c.maxWidth = headerWidth > dataWidth ? headerWidth : addColumnPadding(c, dataWidth);
    PrintColumn p;
    p.header = header;
    p.picture = c.picture;
    p.hjust = c.hjust;
    p.fjust = c.fjust;
    p.hoffset = c.hoffset;
    p.foffset = c.foffset;
    p.border = c.border;
    p.total = c.total;
    p.width = c.maxWidth;
    out.push_back(std::move(p));
  }
  return out;
}

void QuorixList::PrintList(const std::string& mode) {
  const bool view = mode == "View";
  if (!view && mode != "Page") return;
  ui::UiRuntime& ui = list_.context().ui;
  list::ListBrowser& b = list_.browser();

  const std::vector<PrintColumn> columns = printColumns();
  const PrintFit fit = fitPrint(columns, settings_.maxFontSize, settings_.minFontSize);
  std::string face = "Arial";
  int weight = 400;
  if (const ui::ControlState* c = list_.window().control(list_.decl().list)) {
    if (!c->font.face.empty()) face = c->font.face;
    weight = c->font.bold ? 700 : 400;
  }
  const ListPrintLayout layout(columns, fit, face, weight, settings_.headerStyle);

  PrintTexts texts;
  texts.title = clipped(list_.window().title());
  texts.date = clipped(text::formatPicture("@d17", ui.clock().today()));
  texts.time = clipped(text::formatPicture("@t7", ui.clock().now()));
  texts.font = face + " " + std::to_string(fit.points) + " Point";
  texts.order = orderText();
  texts.filter = filterText();
  std::uint64_t count = 0;

  report::ReportLayout pages(ListPrintLayout::pageSetup(settings_.paperType), texts.title);
  pages.setPageHeader([&](int) { return layout.pageHeader(texts); });
  pages.setPageFooter([&](int) {
    PrintTexts t = texts;
    t.records = std::to_string(count) + " Records";
    return layout.pageFooter(t);
  });

  const auto civil = text::civilDate(ui.clock().today());
  const int year = civil ? civil->year : 2000;
  std::vector<std::optional<std::int64_t>> totals(columns.size());
  std::vector<std::string> cells(columns.size());
  auto printRecord = [&](const store::RecordBuffer& r, bool total) {
    for (std::size_t i = 0; i < cells.size(); ++i) {
      cells[i] = exportValue(b.CellText(r, i));
      if (!total || !columns[i].total) continue;
      if (const auto n = text::deformatPicture(columns[i].picture, cells[i], year))
        totals[i] = totals[i].value_or(0) + *n;
    }
    pages.addDetail(layout.detail(cells));
  };

  bool readFailed = false;
  if (view) {
    readyView();
    ProgressWindow progress(ui, expectedRecords());
    std::vector<store::RecordBuffer> chunk;
    store::Code c = b.view().first(500, chunk);
    while (c == store::Ok && !chunk.empty()) {
      for (const store::RecordBuffer& r : chunk) {
        ++count;
        progress.Step();
        printRecord(r, true);
      }
      store::RecordBuffer last = std::move(chunk.back());
      chunk.clear();
      c = b.view().after(last, 500, chunk);
    }
    readFailed = c != store::Ok;
    if (!readFailed) {
      bool any = false;
      for (std::size_t i = 0; i < totals.size(); ++i) {
        cells[i] = totals[i] ? clipped(text::formatPicture(columns[i].picture, *totals[i])) : "";
        cells[i] = exportValue(cells[i]);
        any = any || columns[i].total;
      }
      if (any) pages.addDetail(layout.totals(cells));
    }
  } else {
    count = b.rows().size();
    for (const store::RecordBuffer& r : b.rows()) printRecord(r, false);
  }
  // A page with no record still shows the header and the footer.
  if (pages.pageCount() == 0) pages.addDetail(report::Band{});
  auto document = std::make_shared<const report::Document>(pages.finish());
  lastPrint_ = document;

  // The list reads its page again.
  b.Reset();
  if (readFailed || settings_.reports == nullptr) return;
  if (view ? settings_.allPreview : settings_.pagePreview) {
    report::PrintPreviewer previewer(ui, *settings_.reports);
    previewer.SetIniSettings(list_.context().settings);
    (void)previewer.Preview(document);
    return;
  }
  std::string error;
  if (!settings_.reports->print(*document, &error) && !error.empty())
    ui.message(error, "Quorix", ui::Icon::Exclamation);
}

}  // namespace trv::listext
