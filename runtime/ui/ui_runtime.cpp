#include "runtime/ui/ui_runtime.h"

#include <algorithm>
#include <filesystem>

#include "runtime/text/clock.h"
#include "runtime/ui/window.h"

namespace trv::ui {
namespace {

constexpr int kDriver = -1;
thread_local int tlsThread = 0;
thread_local UiRuntime* tlsRuntime = nullptr;

}  // namespace

UiRuntime::UiRuntime(const text::Clock& clock, FrontEnd& frontEnd)
    : clock_(clock), frontEnd_(frontEnd) {}

UiRuntime::~UiRuntime() {
  endProgram();
  for (auto& t : handles_)
    if (t.joinable()) t.join();
}

int UiRuntime::currentThread() {
  return tlsThread;
}
UiRuntime* UiRuntime::current() {
  return tlsRuntime;
}

int UiRuntime::start(std::function<void()> body) {
  std::lock_guard lock(m_);
  if (ended_) return 0;
  int number = 1;
  while (threads_.count(number)) ++number;
  threads_[number] = ThreadRec{};
  handles_.emplace_back(&UiRuntime::threadMain, this, number, std::move(body));
  cv_.notify_all();
  return number;
}

void UiRuntime::threadMain(int number, std::function<void()> body) {
  tlsThread = number;
  tlsRuntime = this;
  {
    std::unique_lock lock(m_);
    acquireLocked(lock, number);
  }
  if (!ended()) body();
  std::lock_guard lock(m_);
  threads_.erase(number);
  releaseLocked();
}

int UiRuntime::adopt() {
  std::unique_lock lock(m_);
  if (ended_ || tlsThread != 0) return 0;
  int number = 1;
  while (threads_.count(number)) ++number;
  threads_[number].adopted = true;
  tlsThread = number;
  tlsRuntime = this;
  cv_.notify_all();
  acquireLocked(lock, number);
  return number;
}

void UiRuntime::leave() {
  std::lock_guard lock(m_);
  auto it = tlsRuntime == this ? threads_.find(tlsThread) : threads_.end();
  if (it == threads_.end() || !it->second.adopted) return;
  threads_.erase(it);
  tlsThread = 0;
  tlsRuntime = nullptr;
  releaseLocked();
}

void UiRuntime::endProgram() {
  {
    std::lock_guard lock(m_);
    if (ended_) return;
    ended_ = true;
    cv_.notify_all();
  }
  frontEnd_.programEnded();
}

bool UiRuntime::ended() const {
  std::lock_guard lock(m_);
  return ended_;
}

std::vector<int> UiRuntime::threads() const {
  std::lock_guard lock(m_);
  std::vector<int> out;
  for (const auto& [n, rec] : threads_) out.push_back(n);
  return out;
}

void UiRuntime::awaitOtherThreads() {
  const int me = tlsThread;
  if (me == 0 || tlsRuntime != this) return;
  std::unique_lock lock(m_);
  threads_[me].state = ThreadState::WaitingOthers;
  releaseLocked();
  acquireLocked(lock, me);
}

bool UiRuntime::readyLocked(const ThreadRec& rec) const {
  switch (rec.state) {
    case ThreadState::Starting:
      return true;
    case ThreadState::Running:
      return false;
    case ThreadState::Yielding:
    case ThreadState::Returning:
      return true;
    case ThreadState::Outside:
      return false;
    case ThreadState::WaitingEvent:
      return ended_ || !rec.waitingOn->open_ || !rec.waitingOn->queue_.empty() ||
             (rec.deadline && std::chrono::steady_clock::now() >= *rec.deadline);
    case ThreadState::WaitingAnswer: {
      if (ended_) return true;
      auto it = answers_.find(rec.waitingFor);
      return it == answers_.end() || it->second.has_value();
    }
    case ThreadState::WaitingOthers:
      return std::none_of(threads_.begin(), threads_.end(),
                          [&rec](const auto& t) { return &t.second != &rec && !t.second.adopted; });
  }
  return false;
}

bool UiRuntime::idleLocked() const {
  if (batonOwner_ != 0) return false;
  return std::none_of(threads_.begin(), threads_.end(), [this](const auto& t) {
    return t.second.state == ThreadState::Outside || readyLocked(t.second);
  });
}

int UiRuntime::nextRunnerLocked() const {
  if (batonOwner_ != 0) return 0;
  // Threads that yielded go after every other thread that can run, the earliest first.
  int yielder = 0;
  std::uint64_t turn = 0;
  for (const auto& [n, rec] : threads_) {
    if (!readyLocked(rec)) continue;
    if (rec.state != ThreadState::Yielding) return n;
    if (yielder == 0 || rec.yieldTurn < turn) {
      yielder = n;
      turn = rec.yieldTurn;
    }
  }
  return yielder;
}

bool UiRuntime::yieldBaton() {
  const int me = currentThread();
  std::unique_lock lock(m_);
  if (ended_) return false;
  if (me == 0 || current() != this || batonOwner_ != me) return true;
  const bool othersReady = std::any_of(threads_.begin(), threads_.end(), [&](const auto& t) {
    return t.first != me && readyLocked(t.second);
  });
  if (!othersReady) return true;
  ThreadRec& rec = threads_[me];
  rec.state = ThreadState::Yielding;
  rec.yieldTurn = ++yieldTurns_;
  releaseLocked();
  acquireLocked(lock, me);
  return !ended_;
}

void UiRuntime::withoutBaton(const std::function<void()>& work) {
  const int me = currentThread();
  std::unique_lock lock(m_);
  if (me == 0 || current() != this || batonOwner_ != me) {
    lock.unlock();
    work();
    return;
  }
  threads_[me].state = ThreadState::Outside;
  releaseLocked();
  lock.unlock();
  work();
  lock.lock();
  threads_[me].state = ThreadState::Returning;
  acquireLocked(lock, me);
}

void UiRuntime::acquireLocked(std::unique_lock<std::mutex>& lock, int me) {
  while (nextRunnerLocked() != me) {
    // A wait with a time limit wakes by itself once: it is ready from then on, and the next
    // release of the baton notifies it like any other ready thread.
    const auto& deadline = threads_[me].deadline;
    if (deadline && std::chrono::steady_clock::now() < *deadline)
      cv_.wait_until(lock, *deadline);
    else
      cv_.wait(lock);
  }
  batonOwner_ = me;
  threads_[me].state = ThreadState::Running;
}

void UiRuntime::releaseLocked() {
  batonOwner_ = 0;
  cv_.notify_all();
}

UiRuntime::Hold::~Hold() {
  if (!rt_) return;
  std::lock_guard lock(rt_->m_);
  rt_->releaseLocked();
}

std::optional<UiRuntime::Hold> UiRuntime::holdWhenIdle(std::chrono::milliseconds timeout) {
  std::unique_lock lock(m_);
  if (!cv_.wait_for(lock, timeout, [this] { return idleLocked(); })) return std::nullopt;
  batonOwner_ = kDriver;
  return Hold(this);
}

bool UiRuntime::waitFinished(std::chrono::milliseconds timeout) {
  std::unique_lock lock(m_);
  return cv_.wait_for(lock, timeout, [this] { return threads_.empty(); });
}

std::unique_ptr<Window> UiRuntime::open(WindowDecl decl) {
  int me = currentThread();
  if (me == 0 || current() != this) return nullptr;
  std::unique_ptr<Window> w;
  {
    std::lock_guard lock(m_);
    w.reset(new Window(*this, ++nextWindow_, me, std::move(decl)));
    zorder_.push_back(w.get());
    threads_[me].stack.push_back(w.get());
    w->queue_.emplace_back(Event(EventOpenWindow));
    w->timerDue_ = clock_.monotonicHundredths() + w->state_.timerHundredths;
  }
  w->display();
  frontEnd_.windowOpened(w->snapshot());
  return w;
}

std::vector<Window*> UiRuntime::windows() const {
  std::lock_guard lock(m_);
  return zorder_;
}

Window* UiRuntime::front() const {
  std::lock_guard lock(m_);
  return zorder_.empty() ? nullptr : zorder_.back();
}

Window* UiRuntime::find(WindowId id) const {
  std::lock_guard lock(m_);
  for (Window* w : zorder_)
    if (w->id() == id) return w;
  return nullptr;
}

std::vector<Window*> UiRuntime::threadWindows(int thread) const {
  std::lock_guard lock(m_);
  auto it = threads_.find(thread);
  return it == threads_.end() ? std::vector<Window*>{} : it->second.stack;
}

bool UiRuntime::raise(Window& window) {
  {
    std::lock_guard lock(m_);
    const int me = currentThread();
    if (me == 0 || current() != this || window.thread() != me || !window.isOpen()) return false;
    auto& stack = threads_[me].stack;
    auto it = std::find(stack.begin(), stack.end(), &window);
    if (it == stack.end()) return false;
    stack.erase(it);
    stack.push_back(&window);
    toFrontLocked(&window);
  }
  frontEnd_.bringToFront(window.id());
  return true;
}

void UiRuntime::pushLocked(Window* w, Input in) {
  w->queue_.emplace_back(std::move(in));
  cv_.notify_all();
}

namespace {

// What the user does in a window, as opposed to what happens to it (moves, activation).
bool isAction(Input::Kind kind) {
  switch (kind) {
    case Input::Kind::Place:
    case Input::Kind::Activate:
    case Input::Kind::Deactivate:
    case Input::Kind::ColumnWidth:
      return false;
    default:
      return true;
  }
}

}  // namespace

void UiRuntime::post(Input input) {
  {
    std::lock_guard lock(m_);
    auto w = std::find_if(zorder_.begin(), zorder_.end(),
                          [&](Window* x) { return x->id() == input.window; });
    if (w == zorder_.end()) return;
    // A window with another window of its thread in front of it is not listening: what the
    // user does there is refused at once, never kept to act when that window closes.
    auto t = threads_.find((*w)->thread());
    const bool listening =
        t == threads_.end() || t->second.stack.empty() || t->second.stack.back() == *w;
    if (listening || !isAction(input.kind)) return pushLocked(*w, std::move(input));
  }
  frontEnd_.beep();
}

void UiRuntime::postEvent(WindowId window, Event event) {
  std::lock_guard lock(m_);
  for (Window* w : zorder_)
    if (w->id() == window) {
      w->queue_.emplace_back(event);
      cv_.notify_all();
      return;
    }
}

void UiRuntime::toFrontLocked(Window* w) {
  auto it = std::find(zorder_.begin(), zorder_.end(), w);
  if (it == zorder_.end()) return;
  zorder_.erase(it);
  zorder_.push_back(w);
}

bool UiRuntime::postToThread(int thread, int event) {
  std::lock_guard lock(m_);
  auto it = threads_.find(thread);
  if (it == threads_.end() || it->second.stack.empty()) return false;
  Window* inner = it->second.stack.back();
  if (event == EventGainFocus) {
    toFrontLocked(inner);
  } else if (event == EventCloseWindow) {
    it->second.pendingCloses = static_cast<int>(it->second.stack.size()) - 1;
  } else {
    return false;
  }
  inner->queue_.emplace_back(Event(event));
  cv_.notify_all();
  return true;
}

bool UiRuntime::bringToFront(int thread) {
  WindowId id = 0;
  {
    std::lock_guard lock(m_);
    auto it = threads_.find(thread);
    if (it == threads_.end() || it->second.stack.empty()) return false;
    id = it->second.stack.back()->id();
  }
  if (!postToThread(thread, EventGainFocus)) return false;
  frontEnd_.bringToFront(id);
  return true;
}

bool UiRuntime::postTask(int thread, std::function<void()> task) {
  std::lock_guard lock(m_);
  auto it = threads_.find(thread);
  if (it == threads_.end() || it->second.stack.empty()) return false;
  it->second.stack.back()->queue_.emplace_back(std::move(task));
  cv_.notify_all();
  return true;
}

void UiRuntime::detach(Window* w) {
  std::lock_guard lock(m_);
  zorder_.erase(std::remove(zorder_.begin(), zorder_.end(), w), zorder_.end());
  auto it = threads_.find(w->thread());
  if (it == threads_.end()) return;
  auto& stack = it->second.stack;
  stack.erase(std::remove(stack.begin(), stack.end(), w), stack.end());
  if (it->second.pendingCloses > 0 && !stack.empty()) {
    --it->second.pendingCloses;
    stack.back()->queue_.emplace_back(Event(EventCloseWindow));
  } else {
    it->second.pendingCloses = 0;
  }
  cv_.notify_all();
}

void UiRuntime::answer(RequestId id, Answer a) {
  std::lock_guard lock(m_);
  auto it = answers_.find(id);
  if (it == answers_.end() || it->second) return;
  it->second = std::move(a);
  cv_.notify_all();
}

void UiRuntime::checkTimers() {
  std::lock_guard lock(m_);
  std::int64_t now = clock_.monotonicHundredths();
  for (auto& [n, rec] : threads_) {
    if (rec.stack.empty()) continue;
    Window* w = rec.stack.back();
    int period = w->state_.timerHundredths;
    if (period <= 0 || w->timerHolds_ > 0 || now < w->timerDue_) continue;
    if (!w->timerPending_) {
      w->timerPending_ = true;
      w->queue_.emplace_back(Event(EventTimer));
    }
    w->timerDue_ = now + period;
  }
  cv_.notify_all();
}

std::optional<std::int64_t> UiRuntime::nextTimerDue() const {
  std::lock_guard lock(m_);
  std::optional<std::int64_t> due;
  for (const auto& [n, rec] : threads_) {
    if (rec.stack.empty() || rec.stack.back()->state_.timerHundredths <= 0 ||
        rec.stack.back()->timerHolds_ > 0)
      continue;
    std::int64_t d = rec.stack.back()->timerDue_;
    if (!due || d < *due) due = d;
  }
  return due;
}

Answer UiRuntime::waitAnswer(RequestId id, const Request& request) {
  int me = currentThread();
  Window* owner = front();
  frontEnd_.request(id, owner ? owner->id() : 0, request);
  return awaitAnswer(me, id).value_or(Answer{});
}

std::optional<Answer> UiRuntime::awaitAnswer(int me, RequestId id) {
  std::unique_lock lock(m_);
  auto& rec = threads_[me];
  rec.state = ThreadState::WaitingAnswer;
  rec.waitingFor = id;
  releaseLocked();
  acquireLocked(lock, me);
  std::optional<Answer> a;
  if (auto it = answers_.find(id); it != answers_.end()) {
    if (it->second && !ended_) a = *it->second;
    answers_.erase(it);
  }
  return a;
}

int UiRuntime::message(const MessageRequest& request) {
  RequestId id;
  {
    std::lock_guard lock(m_);
    if (ended_ || currentThread() == 0) return 0;
    id = ++nextRequest_;
    answers_[id];
  }
  int button = waitAnswer(id, request).button;
  return button >= 1 && button <= static_cast<int>(request.buttons.size()) ? button : 0;
}

void UiRuntime::message(std::string text, std::string caption, Icon icon) {
  MessageRequest m;
  m.text = std::move(text);
  m.caption = std::move(caption);
  m.icon = icon;
  (void)message(m);
}

Answer UiRuntime::dialog(const DialogRequest& request) {
  RequestId id;
  {
    std::lock_guard lock(m_);
    if (ended_ || currentThread() == 0) return {};
    id = ++nextRequest_;
    answers_[id];
  }
  Answer a = waitAnswer(id, request);
  if (a.ok && request.kind == DialogKind::FileSave && !a.path.empty() &&
      std::filesystem::exists(std::filesystem::path(a.path))) {
    // The question comes from here, not from the front end, so that every front end asks it.
    MessageRequest q;
    q.text = std::filesystem::path(a.path).filename().string() +
             " already exists.\r\nDo you want to replace it?";
    q.caption = request.title;
    q.icon = Icon::Exclamation;
    q.buttons = {"&Yes", "&No"};
    q.defaultButton = 2;
    if (message(q) != 1) return dialog(request);  // the dialog again, as before the choice
  }
  if (a.ok && (request.kind == DialogKind::FileOpen || request.kind == DialogKind::FileSave ||
               request.kind == DialogKind::Folder)) {
    std::filesystem::path p(a.path);
    setCurrentFolder(request.kind == DialogKind::Folder ? p : p.parent_path());
  }
  return a;
}

int UiRuntime::popup(std::string_view menuText, int control, int column) {
  PopupRequest request{std::string(menuText), parsePopupMenu(menuText), control, column};
  RequestId id;
  {
    std::lock_guard lock(m_);
    if (ended_ || currentThread() == 0) return 0;
    id = ++nextRequest_;
    answers_[id];
  }
  int chosen = waitAnswer(id, request).button;
  for (const auto& item : request.items)
    if (item.number == chosen && chosen != 0 && !item.disabled) return chosen;
  return 0;
}

PrintResult UiRuntime::print(const PrintRequest& request) {
  RequestId id;
  {
    std::lock_guard lock(m_);
    if (ended_ || currentThread() == 0) return {};
    id = ++nextRequest_;
    answers_[id];
  }
  return printResult(waitAnswer(id, request));
}

void UiRuntime::beep() {
  frontEnd_.beep();
}

void UiRuntime::setHelpFile(std::string file) {
  std::lock_guard lock(m_);
  helpFile_ = std::move(file);
}

std::string UiRuntime::helpFile() const {
  std::lock_guard lock(m_);
  return helpFile_;
}

void UiRuntime::help(const std::string& topic) {
  std::string file;
  {
    std::lock_guard lock(m_);
    file = helpFile_;
  }
  frontEnd_.help(file, topic);
}

ServiceResult UiRuntime::shellOpen(const std::string& target) {
  return waitService([&](RequestId id) { return frontEnd_.shellOpen(id, target); });
}

ServiceResult UiRuntime::copyWindowImage(WindowId window) {
  return waitService([&](RequestId id) { return frontEnd_.copyWindowImage(id, window); });
}

// As waitAnswer, for a front end that may also give the result at once.
ServiceResult UiRuntime::waitService(
    const std::function<std::optional<ServiceResult>(RequestId)>& ask) {
  const int me = currentThread();
  RequestId id;
  {
    std::lock_guard lock(m_);
    if (ended_ || me == 0 || current() != this) return {};
    id = ++nextRequest_;
    answers_[id];
  }
  if (std::optional<ServiceResult> now = ask(id)) {
    std::lock_guard lock(m_);
    answers_.erase(id);
    return *now;
  }
  const std::optional<Answer> a = awaitAnswer(me, id);
  return a ? serviceResult(*a) : ServiceResult{};
}

std::filesystem::path UiRuntime::currentFolder() const {
  std::lock_guard lock(m_);
  return currentFolder_;
}

void UiRuntime::setCurrentFolder(std::filesystem::path folder) {
  std::lock_guard lock(m_);
  currentFolder_ = std::move(folder);
}

}  // namespace trv::ui
