#include "gui/desktop/run_desktop.h"

#include <fcntl.h>
#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QMainWindow>
#include <QPixmap>
#include <QSocketNotifier>
#include <chrono>
#include <csignal>
#include <memory>
#include <vector>

#include "gui/desktop/desktop_front_end.h"
#include "gui/desktop/desktop_report_output.h"
#include "gui/desktop/image_loader.h"
#include "runtime/ui/ui_runtime.h"

namespace trv::gui {
namespace {

// The end of the desktop session (or a `kill`) asks the program to end as its frame's close box
// does, so that open forms cancel and the closing jobs run; a second request ends it at once.
int stopPipe[2] = {-1, -1};
volatile std::sig_atomic_t stopAsked = 0;

extern "C" void askToStop(int sig) {
  if (stopAsked) {
    std::signal(sig, SIG_DFL);
    std::raise(sig);
    return;
  }
  stopAsked = 1;
  const char one = 1;
  [[maybe_unused]] const ssize_t n = ::write(stopPipe[1], &one, 1);
}

// While it lives, the stop signals close the frame, on the Qt main thread.
class StopSignals {
 public:
  StopSignals() {
    if (stopPipe[0] < 0 && ::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    stopAsked = 0;
    notifier_ = std::make_unique<QSocketNotifier>(stopPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [] {
      char drained[16];
      while (::read(stopPipe[0], drained, sizeof drained) > 0) {
      }
      for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* frame = qobject_cast<QMainWindow*>(w)) frame->close();
    });
    for (int sig : kSignals) before_.push_back(std::signal(sig, askToStop));
  }
  ~StopSignals() {
    for (std::size_t i = 0; i < before_.size(); ++i) std::signal(kSignals[i], before_[i]);
  }
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

 private:
  static constexpr int kSignals[] = {SIGTERM, SIGHUP, SIGINT};
  std::unique_ptr<QSocketNotifier> notifier_;
  std::vector<void (*)(int)> before_;
};

}  // namespace

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
    const StopSignals stopSignals;
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
