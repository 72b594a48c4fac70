#include "gui/desktop/report_printing.h"

#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <algorithm>

#include "gui/desktop/qt_values.h"
#include "gui/pdf/pdf_renderer.h"

namespace trv::gui {
namespace {

// Where the pages went, or would have gone: a PDF file or a printer.
std::string destination(const QPrinter& printer) {
  if (printer.outputFormat() == QPrinter::PdfFormat) return us(printer.outputFileName());
  return us(printer.printerName());
}

ui::PrintResult printOn(const report::Document& document, QPrinter& printer) {
  using Outcome = ui::PrintResult::Outcome;
  const std::string where = destination(printer);
  if (printReport(document, printer)) return {Outcome::Printed, where};
  if (printer.outputFormat() == QPrinter::PdfFormat)
    return {Outcome::Failed, "cannot write " + where};
  return {Outcome::Failed, where.empty() ? std::string("there is no printer")
                                         : "the printer " + where + " did not take the pages"};
}

}  // namespace

void preparePrinter(QPrinter& printer, const report::Document& document) {
  const auto& s = document.setup;
  QSizeF inches(s.width / 1000.0, s.height / 1000.0);
  if (s.landscape) inches.transpose();
  printer.setPageSize(QPageSize(inches, QPageSize::Inch, QString(), QPageSize::ExactMatch));
  printer.setPageOrientation(s.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
  printer.setFullPage(true);
  printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Inch);
  printer.setDocName(qs(document.title));
}

bool printReport(const report::Document& document, QPrinter& printer) {
  const int count = static_cast<int>(document.pages.size());
  int first = 1;
  int last = count;
  if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
    first = std::max(printer.fromPage(), 1);
    last = std::min(printer.toPage() > 0 ? printer.toPage() : count, count);
  }
  if (first > last) return false;
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  for (int n = first; n <= last; ++n) {
    if (n > first && !printer.newPage()) return false;
    drawPage(painter, document.pages[static_cast<std::size_t>(n - 1)], printer.resolution());
  }
  return painter.end();
}

namespace {

// What the printer set-up chose; Qt main thread only.
struct PrinterChoice {
  bool made = false;
  QString printerName;
  QString outputFile;
  int copies = 1;
  QPrinter::ColorMode colour = QPrinter::Color;
  QPrinter::DuplexMode duplex = QPrinter::DuplexNone;
};

PrinterChoice& choice() {
  static PrinterChoice c;
  return c;
}

void rememberChoice(const QPrinter& printer) {
  PrinterChoice& c = choice();
  c.made = true;
  c.printerName = printer.printerName();
  c.outputFile = printer.outputFileName();
  c.copies = printer.copyCount();
  c.colour = printer.colorMode();
  c.duplex = printer.duplex();
}

}  // namespace

void applyPrinterChoice(QPrinter& printer) {
  const PrinterChoice& c = choice();
  if (!c.made) return;
  if (!c.outputFile.isEmpty()) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(c.outputFile);
  } else {
    printer.setOutputFormat(QPrinter::NativeFormat);
    printer.setPrinterName(c.printerName);
  }
  printer.setCopyCount(c.copies);
  printer.setColorMode(c.colour);
  printer.setDuplex(c.duplex);
}

QPointer<QWidget> showPrinterSetup(QWidget* owner) {
  auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
  applyPrinterChoice(*printer);
  auto* dialog = new QPrintDialog(printer.get(), owner);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(QStringLiteral("Print Setup"));
  dialog->setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
  QObject::connect(dialog, &QDialog::finished, dialog, [printer](int result) {
    if (result == QDialog::Accepted) rememberChoice(*printer);
  });
  dialog->open();
  return dialog;
}

QPointer<QWidget> showPrintDialog(std::shared_ptr<const report::Document> document,
                                  const ui::PrintRequest& request, QWidget* owner, AnswerFn done) {
  if (!document || document->pages.empty()) {
    done(ui::printAnswer({ui::PrintResult::Outcome::Failed, "the report has no pages"}));
    return nullptr;
  }
  auto printer = std::make_shared<QPrinter>(QPrinter::HighResolution);
  applyPrinterChoice(*printer);
  preparePrinter(*printer, *document);
  if (!request.title.empty()) printer->setDocName(qs(request.title));
  auto* dialog = new QPrintDialog(printer.get(), owner);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setMinMax(1, static_cast<int>(document->pages.size()));
  dialog->setOption(QAbstractPrintDialog::PrintPageRange);
  // The dialog works on the printer it was given: the connection keeps it as long as the dialog.
  QObject::connect(dialog, &QDialog::finished, dialog, [printer, document, done](int result) {
    if (result != QDialog::Accepted) {
      done(ui::printAnswer({}));
      return;
    }
    done(ui::printAnswer(printOn(*document, *printer)));
  });
  dialog->open();
  return dialog;
}

}  // namespace trv::gui
