#include "gui/desktop/desktop_front_end.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QMdiArea>
#include <QPixmap>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <variant>

#include "gui/desktop/image_loader.h"
#include "gui/desktop/qt_values.h"
#include "gui/desktop/report_printing.h"
#include "gui/desktop/requests.h"
#include "gui/desktop/standard_actions.h"
#include "gui/desktop/window_view.h"
#include "runtime/text/clock.h"
#include "runtime/ui/ui_runtime.h"

namespace trv::gui {
namespace {

constexpr int kLongestTimerPollMs = 100;

struct Opened {
  ui::WindowSnapshot snapshot;
};
struct Changed {
  ui::WindowState state;
};
struct ControlNote {
  ui::WindowId window;
  ui::ControlState control;
};
struct Closed {
  ui::WindowId window;
};
struct Req {
  ui::RequestId id;
  ui::WindowId owner;
  ui::Request request;
};
struct Beep {};
struct ToFront {
  ui::WindowId window;
};
struct Help {
  std::string file;
  std::string topic;
};
struct Shell {
  ui::RequestId id;
  std::string target;
};
struct CopyImage {
  ui::RequestId id;
  ui::WindowId window;
};
struct Ended {};
struct Pages {
  ui::WindowId window;
  std::shared_ptr<const report::Document> document;
};
struct PageTurn {
  ui::WindowId window;
  int page;
};
struct Staged {
  std::uint64_t job;
  std::shared_ptr<const report::Document> document;
};
using Note = std::variant<Opened, Changed, ControlNote, Closed, Req, Beep, ToFront, Help, Shell,
                          CopyImage, Ended, Pages, PageTurn, Staged>;

// The opener's numbers for what went wrong: no such file, no program for the file's type.
constexpr int kShellFileNotFound = 2;
constexpr int kShellNoAssociation = 31;

}  // namespace

struct DesktopFrontEnd::Impl {
  std::mutex m;
  std::deque<Note> notes;
  bool scheduled = false;
  std::atomic<std::uint64_t> lastJob{0};

  // Qt main thread only:
  std::unique_ptr<QObject> receiver;
  QTimer* timer = nullptr;
  ui::UiRuntime* rt = nullptr;
  std::map<ui::WindowId, std::unique_ptr<WindowView>> views;
  std::vector<ui::WindowId> order;  // opening order
  std::map<ui::RequestId, QPointer<QWidget>> requests;
  std::map<std::uint64_t, std::shared_ptr<const report::Document>> printJobs;
  std::function<void()> ended;
  std::filesystem::path imageFolder;
  std::vector<std::filesystem::path> dataFolders;
  std::unique_ptr<StandardActions> standard;  // made once Qt runs (attach)
  bool hasEnded = false;

  void push(Note n) {
    std::lock_guard lock(m);
    notes.push_back(std::move(n));
    scheduleLocked();
  }
  void scheduleLocked() {
    if (scheduled || !receiver) return;
    scheduled = true;
    QMetaObject::invokeMethod(
        receiver.get(), [this] { drain(); }, Qt::QueuedConnection);
  }
  void drain() {
    for (;;) {
      std::deque<Note> batch;
      {
        std::lock_guard lock(m);
        scheduled = false;
        batch.swap(notes);
      }
      if (batch.empty()) return;
      for (auto& n : batch) std::visit([this](auto& note) { show(note); }, n);
    }
  }

  WindowView* frame() const {
    for (auto id : order)
      if (auto it = views.find(id);
          it != views.end() && it->second->state().kind == ui::WindowKind::Frame)
        return it->second.get();
    return nullptr;
  }
  WindowView* innermostOf(int thread) const {
    for (auto it = order.rbegin(); it != order.rend(); ++it)
      if (auto v = views.find(*it); v != views.end() && v->second->state().thread == thread)
        return v->second.get();
    return nullptr;
  }
  // The window a new window of the thread stands above: its innermost one, passing over
  // progress windows. A progress window goes when its work ends, and what that work opened
  // (a report's preview at its first page) stays, so it must not belong to it.
  WindowView* ownerOf(int thread) const {
    for (auto it = order.rbegin(); it != order.rend(); ++it)
      if (auto v = views.find(*it); v != views.end() && v->second->state().thread == thread &&
                                    v->second->state().kind != ui::WindowKind::Progress)
        return v->second.get();
    return nullptr;
  }
  void updateInput() {
    for (auto& [id, v] : views) v->setInputEnabled(innermostOf(v->state().thread) == v.get());
  }
  std::string resolveImage(const std::string& name) const {
    std::vector<std::filesystem::path> places;
    if (rt) places.push_back(rt->currentFolder());
    places.push_back(imageFolder);
    places.insert(places.end(), dataFolders.begin(), dataFolders.end());
    return gui::resolveImage(name, places);
  }

  void show(Opened& n) {
    if (views.count(n.snapshot.window.id)) return;
    WindowView* f = frame();
    WindowView* sameThread = ownerOf(n.snapshot.window.thread);
    QWidget* owner = sameThread ? sameThread->window() : (f ? f->window() : nullptr);
    // A child window goes into the frame's work area, unless the window of its thread it is
    // opened from stands outside that area (a pick list opened from a form): there it would stand
    // behind its opener, so it stands above it as a window of its own.
    const bool opensInArea = !sameThread || sameThread->state().kind == ui::WindowKind::Frame ||
                             sameThread->inWorkArea();
    QMdiArea* mdi = n.snapshot.window.kind == ui::WindowKind::Child && f && opensInArea
                        ? f->mdiArea()
                        : nullptr;
    auto post = [this](ui::Input in) {
      if (rt) rt->post(std::move(in));
    };
    auto view = std::make_unique<WindowView>(
        n.snapshot, mdi, owner, post, [this](const std::string& s) { return resolveImage(s); });
    WindowView* v = view.get();
    const int thread = n.snapshot.window.thread;
    v->onStandardAction([this](ui::StandardAction a) { runStandard(a); });
    v->onBlockedClose([this, thread] {
      QApplication::beep();
      if (WindowView* inner = innermostOf(thread)) inner->bringToFront();
    });
    views[n.snapshot.window.id] = std::move(view);
    order.push_back(n.snapshot.window.id);
    updateInput();
    v->show();
    planTimer();
  }
  void show(Changed& n) {
    if (auto it = views.find(n.state.id); it != views.end()) it->second->apply(n.state);
    planTimer();
  }
  void show(ControlNote& n) {
    if (auto it = views.find(n.window); it != views.end()) it->second->apply(n.control);
  }
  void show(Closed& n) {
    auto it = views.find(n.window);
    const int thread = it != views.end() ? it->second->state().thread : 0;
    const bool hadFocus = it != views.end() && it->second->isActive();
    if (it != views.end()) views.erase(it);
    order.erase(std::remove(order.begin(), order.end(), n.window), order.end());
    updateInput();
    // The window it was opened from takes the keyboard back, whatever the window manager picks.
    if (hadFocus)
      if (WindowView* back = innermostOf(thread)) back->bringToFront();
  }
  void show(Req& n) {
    QWidget* owner = nullptr;
    if (auto it = views.find(n.owner); it != views.end())
      owner = it->second->window();
    else if (!order.empty())
      owner = views[order.back()]->window();
    ui::RequestId id = n.id;
    auto done = [this, id, back = QPointer<QWidget>(owner)](ui::Answer a) {
      requests.erase(id);
      // The window the box stood above takes the keyboard back, at the control it had.
      if (back && back->isVisible()) back->window()->activateWindow();
      if (rt) rt->answer(id, std::move(a));
    };
    if (const auto* print = std::get_if<ui::PrintRequest>(&n.request)) {
      std::shared_ptr<const report::Document> pages;
      if (auto it = printJobs.find(print->job); it != printJobs.end()) {
        pages = std::move(it->second);
        printJobs.erase(it);
      }
      if (auto shown = showPrintDialog(std::move(pages), *print, owner, done)) requests[id] = shown;
      return;
    }
    std::filesystem::path folder = rt ? rt->currentFolder() : std::filesystem::path();
    // A request answered at once (one that cannot be shown) leaves nothing to dismiss.
    // A popup asked for below a list's column opens there.
    std::optional<QPoint> at;
    if (const auto* p = std::get_if<ui::PopupRequest>(&n.request); p && p->control != 0)
      if (auto it = views.find(n.owner); it != views.end())
        at = belowColumn(it->second->controlWidget(p->control), p->column);
    if (auto shown = showRequest(n.request, owner, folder, done, at)) requests[id] = shown;
  }
  void show(Pages& n) {
    if (auto it = views.find(n.window); it != views.end() && n.document)
      it->second->showPages(std::move(n.document));
  }
  void show(PageTurn& n) {
    if (auto it = views.find(n.window); it != views.end()) it->second->showPage(n.page);
  }
  void show(Staged& n) { printJobs[n.job] = std::move(n.document); }
  void show(ToFront& n) {
    auto it = views.find(n.window);
    if (it == views.end()) return;
    // The model may raise a window over one its thread opened later (a progress window over a
    // report's preview): it becomes its thread's innermost here too, the one taking input.
    order.erase(std::remove(order.begin(), order.end(), n.window), order.end());
    order.push_back(n.window);
    updateInput();
    it->second->bringToFront();
  }
  void show(Beep&) {
    QApplication::beep();
    for (auto& [id, v] : views) v->refused();
  }
  // The frame owns what help says: a window asking for help may be gone a moment later.
  void show(Help& n) { openHelp(n.file, n.topic, helpFolders(), lastingWindow()); }
  std::vector<std::filesystem::path> helpFolders() const {
    std::vector<std::filesystem::path> places;
    if (rt) places.push_back(rt->currentFolder());
    places.push_back(imageFolder);
    places.insert(places.end(), dataFolders.begin(), dataFolders.end());
    return places;
  }
  QWidget* lastingWindow() const {
    if (WindowView* f = frame()) return f->window();
    return order.empty() ? nullptr : views.at(order.back())->window();
  }
  void runStandard(ui::StandardAction action) {
    if (!standard) return;
    StandardActions::Context c;
    WindowView* f = frame();
    c.area = f ? f->mdiArea() : nullptr;
    c.owner = lastingWindow();
    c.helpFile = rt ? rt->helpFile() : std::string();
    c.folders = helpFolders();
    standard->run(action, c);
  }
  void show(Shell& n) {
    ui::ServiceResult r{true, 0, {}};
    // A bare name is a file of the current folder, never a web address ("XPort.CSV").
    const QUrl url = QUrl::fromUserInput(qs(n.target), QDir::currentPath(), QUrl::AssumeLocalFile);
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
      r = {false, kShellFileNotFound, "no such file"};
    else if (!QDesktopServices::openUrl(url))
      r = {false, kShellNoAssociation, "no program opens it"};
    if (rt) rt->answer(n.id, ui::serviceAnswer(r));
  }
  // The window as it stands now: the changes queued before the request are shown already.
  void show(CopyImage& n) {
    ui::ServiceResult r{false, 0, "the window is not shown"};
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (auto it = views.find(n.window); it != views.end() && it->second->window() && clipboard) {
      const QImage image = it->second->window()->grab().toImage();
      if (image.isNull()) {
        r.detail = "the window gave no image";
      } else {
        clipboard->setImage(image);
        r = {true, 0, {}};
      }
    }
    if (rt) rt->answer(n.id, ui::serviceAnswer(r));
  }
  void show(Ended&) {
    hasEnded = true;
    dismissRequests();
    if (ended) ended();
  }

  // Closing a box answers it, which takes it off the list: close from a copy.
  void dismissRequests() {
    auto open = std::move(requests);
    requests.clear();
    for (auto& [id, w] : open)
      if (w) w->close();
  }

  void planTimer() {
    if (!timer || !rt) return;
    auto due = rt->nextTimerDue();
    std::int64_t wait = kLongestTimerPollMs;
    if (due)
      wait = std::clamp<std::int64_t>((*due - rt->clock().monotonicHundredths()) * 10, 0,
                                      kLongestTimerPollMs);
    timer->start(static_cast<int>(wait));
  }
  void tick() {
    if (!rt) return;
    rt->checkTimers();
    planTimer();
  }
};

DesktopFrontEnd::DesktopFrontEnd() : impl_(std::make_unique<Impl>()) {}

DesktopFrontEnd::~DesktopFrontEnd() {
  detach();
}

void DesktopFrontEnd::attach(ui::UiRuntime& runtime) {
  impl_->rt = &runtime;
  if (!impl_->standard) impl_->standard = std::make_unique<StandardActions>();
  impl_->receiver = std::make_unique<QObject>();
  impl_->timer = new QTimer(impl_->receiver.get());
  impl_->timer->setSingleShot(true);
  QObject::connect(impl_->timer, &QTimer::timeout, impl_->receiver.get(),
                   [this] { impl_->tick(); });
  impl_->planTimer();
  std::lock_guard lock(impl_->m);
  if (!impl_->notes.empty()) impl_->scheduleLocked();
}

void DesktopFrontEnd::detach() {
  if (!impl_ || !impl_->rt) return;
  impl_->rt = nullptr;
  impl_->dismissRequests();
  impl_->views.clear();
  impl_->order.clear();
  impl_->printJobs.clear();
  {
    std::lock_guard lock(impl_->m);
    impl_->notes.clear();
    impl_->scheduled = false;
  }
  impl_->timer = nullptr;
  impl_->receiver.reset();
}

void DesktopFrontEnd::onProgramEnded(std::function<void()> ended) {
  impl_->ended = std::move(ended);
}

void DesktopFrontEnd::setImageFolder(std::filesystem::path folder) {
  impl_->imageFolder = std::move(folder);
}

void DesktopFrontEnd::setDataFolders(std::vector<std::filesystem::path> folders) {
  impl_->dataFolders = std::move(folders);
}

void DesktopFrontEnd::windowOpened(const ui::WindowSnapshot& snapshot) {
  impl_->push(Opened{snapshot});
}
void DesktopFrontEnd::windowChanged(const ui::WindowState& state) {
  impl_->push(Changed{state});
}
void DesktopFrontEnd::controlChanged(ui::WindowId window, const ui::ControlState& control) {
  impl_->push(ControlNote{window, control});
}
void DesktopFrontEnd::windowClosed(ui::WindowId window) {
  impl_->push(Closed{window});
}
void DesktopFrontEnd::request(ui::RequestId id, ui::WindowId owner, const ui::Request& request) {
  impl_->push(Req{id, owner, request});
}
void DesktopFrontEnd::beep() {
  impl_->push(Beep{});
}
void DesktopFrontEnd::bringToFront(ui::WindowId window) {
  impl_->push(ToFront{window});
}
void DesktopFrontEnd::help(const std::string& file, const std::string& topic) {
  impl_->push(Help{file, topic});
}
std::optional<ui::ServiceResult> DesktopFrontEnd::shellOpen(ui::RequestId id,
                                                            const std::string& target) {
  impl_->push(Shell{id, target});
  return std::nullopt;
}
std::optional<ui::ServiceResult> DesktopFrontEnd::copyWindowImage(ui::RequestId id,
                                                                  ui::WindowId window) {
  impl_->push(CopyImage{id, window});
  return std::nullopt;
}
void DesktopFrontEnd::programEnded() {
  impl_->push(Ended{});
}

void DesktopFrontEnd::showPages(ui::WindowId window,
                                std::shared_ptr<const report::Document> document) {
  impl_->push(Pages{window, std::move(document)});
}
void DesktopFrontEnd::showPage(ui::WindowId window, int page) {
  impl_->push(PageTurn{window, page});
}
std::uint64_t DesktopFrontEnd::stagePrint(std::shared_ptr<const report::Document> document) {
  const std::uint64_t job = ++impl_->lastJob;
  impl_->push(Staged{job, std::move(document)});
  return job;
}

void DesktopFrontEnd::flush() {
  impl_->drain();
}

WindowView* DesktopFrontEnd::view(ui::WindowId window) const {
  auto it = impl_->views.find(window);
  return it == impl_->views.end() ? nullptr : it->second.get();
}

std::vector<ui::WindowId> DesktopFrontEnd::windows() const {
  return impl_->order;
}

std::vector<QWidget*> DesktopFrontEnd::requestWidgets() const {
  std::vector<QWidget*> out;
  for (const auto& [id, w] : impl_->requests)
    if (w) out.push_back(w);
  return out;
}

}  // namespace trv::gui
