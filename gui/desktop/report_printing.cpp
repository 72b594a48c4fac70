#include "gui/desktop/report_preview.h"

#include <QApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScreen>
#include <QThread>
#include <future>
#include <mutex>

#include "gui/desktop/qt_values.h"
#include "gui/pdf/pdf_renderer.h"

namespace trv::gui {
namespace {

constexpr const char* kPreviewTitle = "Report Preview";

PreviewResult runPreview(const report::Document& document, const ui::Placement& placement,
                         std::function<void(PreviewResult)> done, bool wait) {
  QPrinter* printer = new QPrinter(QPrinter::HighResolution);
  preparePrinter(*printer, document);
  auto* dialog = new QPrintPreviewDialog(printer);
  dialog->setAttribute(Qt::WA_DeleteOnClose);
  dialog->setWindowTitle(kPreviewTitle);
  auto copy = std::make_shared<report::Document>(document);
  QObject::connect(dialog, &QPrintPreviewDialog::paintRequested, dialog,
                   [copy](QPrinter* p) { (void)printReport(*copy, *p); });
  if (placement.width > 0 && placement.height > 0) {
    dialog->resize(placement.width, placement.height);
  } else if (QScreen* s = QGuiApplication::primaryScreen()) {
    QRect area = s->availableGeometry();
    dialog->resize(area.width() * 3 / 4, area.height() * 9 / 10);
  }
  if (placement.x != 0 || placement.y != 0) dialog->move(placement.x, placement.y);
  auto result = std::make_shared<PreviewResult>();
  result->shown = true;
  QObject::connect(dialog, &QPrintPreviewDialog::finished, dialog, [dialog, result, printer, done] {
    result->placement.maximized = dialog->isMaximized();
    QRect g =
        dialog->isMaximized() ? dialog->normalGeometry() : QRect(dialog->pos(), dialog->size());
    result->placement.x = g.x();
    result->placement.y = g.y();
    result->placement.width = g.width();
    result->placement.height = g.height();
    delete printer;
    if (done) done(*result);
  });
  if (placement.maximized) dialog->setWindowState(Qt::WindowMaximized);
  if (wait) {
    dialog->exec();
    return *result;
  }
  dialog->open();
  return {};
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
  QPainter painter;
  if (!painter.begin(&printer)) return false;
  for (std::size_t i = 0; i < document.pages.size(); ++i) {
    if (i > 0 && !printer.newPage()) return false;
    drawPage(painter, document.pages[i], printer.resolution());
  }
  return painter.end();
}

PreviewResult previewReport(const report::Document& document, const ui::Placement& placement) {
  auto* app = QCoreApplication::instance();
  if (!app || document.pages.empty()) return {};
  if (QThread::currentThread() == app->thread()) return runPreview(document, placement, {}, true);
  // Answered once: by the window closing, or by the application quitting under it.
  struct Waiting {
    std::promise<PreviewResult> promise;
    std::once_flag once;
    QMetaObject::Connection quit;
  };
  auto waiting = std::make_shared<Waiting>();
  auto future = waiting->promise.get_future();
  auto resolve = [waiting](PreviewResult r) {
    std::call_once(waiting->once, [&] {
      QObject::disconnect(waiting->quit);
      waiting->promise.set_value(r);
    });
  };
  waiting->quit =
      QObject::connect(app, &QCoreApplication::aboutToQuit, app, [resolve] { resolve({}); });
  QMetaObject::invokeMethod(
      app, [copy = document, placement, resolve] { runPreview(copy, placement, resolve, false); },
      Qt::QueuedConnection);
  return future.get();
}

}  // namespace trv::gui
