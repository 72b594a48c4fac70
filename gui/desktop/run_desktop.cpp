#include "gui/desktop/run_desktop.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <chrono>
#include <memory>

#include "gui/desktop/desktop_front_end.h"
#include "gui/desktop/desktop_report_output.h"
#include "gui/desktop/image_loader.h"
#include "runtime/ui/ui_runtime.h"

namespace trv::gui {

int runDesktop(int& argc, char** argv, const text::Clock& clock,
               std::function<void(ui::UiRuntime&, report::ReportOutput&)> programBody,
               const DesktopOptions& options) {
  std::unique_ptr<QApplication> own;
  if (!QCoreApplication::instance()) own = std::make_unique<QApplication>(argc, argv);
  QImage icon;
  if (!options.applicationIcon.empty()) {
    std::vector<std::filesystem::path> places{options.imageFolder};
    places.insert(places.end(), options.dataFolders.begin(), options.dataFolders.end());
    icon = loadImage(resolveImage(options.applicationIcon, places), nullptr);
  }
  QApplication::setWindowIcon(icon.isNull() ? QIcon(":/trv/images/trvnel.png")
                                            : QIcon(QPixmap::fromImage(icon)));
  QApplication::setQuitOnLastWindowClosed(false);  // the program decides when it ends
  if (!options.applicationTitle.empty())
    QApplication::setApplicationName(QString::fromStdString(options.applicationTitle));
  if (!options.desktopFileName.empty())
    QGuiApplication::setDesktopFileName(QString::fromStdString(options.desktopFileName));

  DesktopFrontEnd desktop;
  desktop.setImageFolder(options.imageFolder);
  desktop.setDataFolders(options.dataFolders);
  int code = 1;
  {
    ui::UiRuntime runtime(clock, desktop);
    DesktopReportOutput reports(runtime, desktop);
    desktop.attach(runtime);
    desktop.onProgramEnded([] { QCoreApplication::exit(0); });
    int thread = runtime.start([&runtime, &reports, body = std::move(programBody)] {
      body(runtime, reports);
      runtime.endProgram();
    });
    if (thread != 0) code = QApplication::exec();
    runtime.endProgram();
    // The program threads unwind now; their last notifications are no longer shown.
    desktop.detach();
  }  // joins every program thread
  return code;
}

}  // namespace trv::gui
