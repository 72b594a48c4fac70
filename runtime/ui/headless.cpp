#include "runtime/ui/headless.h"

#include <algorithm>
#include <utility>

#include "runtime/text/clock.h"
#include "runtime/ui/control_lookup.h"
#include "runtime/ui/window.h"

namespace trv::ui {

void HeadlessFrontEnd::request(RequestId id, WindowId owner, const Request& request) {
  std::lock_guard lock(m_);
  pending_.push_back({id, owner, request});
}

void HeadlessFrontEnd::beep() {
  std::lock_guard lock(m_);
  ++beeps_;
}

void HeadlessFrontEnd::help(const std::string& file, const std::string& topic) {
  std::lock_guard lock(m_);
  help_.push_back(file + "#" + topic);
}

std::optional<ServiceResult> HeadlessFrontEnd::shellOpen(RequestId, const std::string& target) {
  std::lock_guard lock(m_);
  shell_.push_back(target);
  return shellResult_;
}

std::optional<ServiceResult> HeadlessFrontEnd::copyWindowImage(RequestId, WindowId window) {
  std::lock_guard lock(m_);
  copies_.push_back(window);
  return copyResult_;
}

void HeadlessFrontEnd::setShellOpenResult(ServiceResult result) {
  std::lock_guard lock(m_);
  shellResult_ = std::move(result);
}

void HeadlessFrontEnd::setCopyResult(ServiceResult result) {
  std::lock_guard lock(m_);
  copyResult_ = std::move(result);
}

std::vector<WindowId> HeadlessFrontEnd::windowCopies() const {
  std::lock_guard lock(m_);
  return copies_;
}

void HeadlessFrontEnd::bringToFront(WindowId) {
  std::lock_guard lock(m_);
  ++raised_;
}

int HeadlessFrontEnd::broughtToFront() const {
  std::lock_guard lock(m_);
  return raised_;
}

void HeadlessFrontEnd::programEnded() {
  std::lock_guard lock(m_);
  ended_ = true;
  pending_.clear();
}

std::vector<HeadlessFrontEnd::Pending> HeadlessFrontEnd::pending() const {
  std::lock_guard lock(m_);
  return pending_;
}

void HeadlessFrontEnd::forget(RequestId id) {
  std::lock_guard lock(m_);
  std::erase_if(pending_, [id](const Pending& p) { return p.id == id; });
}

int HeadlessFrontEnd::takeBeeps() {
  std::lock_guard lock(m_);
  return std::exchange(beeps_, 0);
}

std::vector<std::string> HeadlessFrontEnd::helpTopics() const {
  std::lock_guard lock(m_);
  return help_;
}

std::vector<std::string> HeadlessFrontEnd::shellOpens() const {
  std::lock_guard lock(m_);
  return shell_;
}

bool HeadlessFrontEnd::ended() const {
  std::lock_guard lock(m_);
  return ended_;
}

HeadlessDriver::HeadlessDriver(UiRuntime& runtime, HeadlessFrontEnd& frontEnd,
                               text::ManualClock* clock)
    : rt_(runtime), fe_(frontEnd), clock_(clock) {}

bool HeadlessDriver::inspect(const std::function<void()>& look) {
  auto hold = rt_.holdWhenIdle(kIdleTimeout);
  if (!hold) return false;
  look();
  return true;
}

bool HeadlessDriver::waitIdle() {
  return rt_.holdWhenIdle(kIdleTimeout).has_value();
}

namespace {
template <typename T>
std::optional<std::pair<RequestId, T>> firstOf(const HeadlessFrontEnd& fe) {
  for (const auto& p : fe.pending())
    if (const T* r = std::get_if<T>(&p.request)) return std::make_pair(p.id, *r);
  return std::nullopt;
}
}  // namespace

std::optional<std::pair<RequestId, MessageRequest>> HeadlessDriver::message() const {
  return firstOf<MessageRequest>(fe_);
}
std::optional<std::pair<RequestId, DialogRequest>> HeadlessDriver::dialog() const {
  return firstOf<DialogRequest>(fe_);
}
std::optional<std::pair<RequestId, PopupRequest>> HeadlessDriver::popup() const {
  return firstOf<PopupRequest>(fe_);
}
std::optional<std::pair<RequestId, PrintRequest>> HeadlessDriver::print() const {
  return firstOf<PrintRequest>(fe_);
}

bool HeadlessDriver::answerMessage(std::string_view button) {
  auto m = message();
  if (!m) return false;
  std::string want = withoutAmpersand(button);
  const auto& buttons = m->second.buttons;
  for (std::size_t i = 0; i < buttons.size(); ++i)
    if (withoutAmpersand(buttons[i]) == want) {
      fe_.forget(m->first);
      rt_.answer(m->first, Answer{static_cast<int>(i) + 1, true, {}, 0, {}});
      return true;
    }
  return false;
}

bool HeadlessDriver::answerDialog(Answer answer) {
  auto d = dialog();
  if (!d) return false;
  fe_.forget(d->first);
  rt_.answer(d->first, std::move(answer));
  return true;
}

bool HeadlessDriver::answerPopup(std::string_view item) {
  auto p = popup();
  if (!p) return false;
  int chosen = 0;
  if (!item.empty()) {
    // Menu texts may be padded with blanks for alignment; the first item of that text wins.
    auto trimmed = [](std::string s) {
      const auto b = s.find_first_not_of(' ');
      if (b == std::string::npos) return std::string();
      return s.substr(b, s.find_last_not_of(' ') - b + 1);
    };
    const std::string want = trimmed(withoutAmpersand(item));
    for (const auto& it : p->second.items)
      if (chosen == 0 && it.number != 0 && !it.disabled &&
          trimmed(withoutAmpersand(it.text)) == want)
        chosen = it.number;
    if (chosen == 0) return false;
  }
  fe_.forget(p->first);
  rt_.answer(p->first, Answer{chosen, chosen != 0, {}, 0, {}});
  return true;
}

bool HeadlessDriver::answerPrint(PrintResult result) {
  auto p = print();
  if (!p) return false;
  fe_.forget(p->first);
  rt_.answer(p->first, printAnswer(result));
  return true;
}

bool HeadlessDriver::advance(std::int64_t hundredths) {
  if (!clock_) return false;
  std::int64_t end = clock_->monotonicHundredths() + hundredths;
  for (;;) {
    if (!waitIdle()) return false;
    std::int64_t now = clock_->monotonicHundredths();
    if (now >= end) return true;
    auto due = rt_.nextTimerDue();
    std::int64_t step = due && *due <= end ? std::max<std::int64_t>(*due - now, 0) : end - now;
    clock_->advance(step);
    rt_.checkTimers();
    if (step == 0 && !(due && *due <= now)) return waitIdle();
  }
}

std::string HeadlessDriver::describe() {
  std::string out;
  auto hold = rt_.holdWhenIdle(std::chrono::milliseconds(2000));
  if (!hold) out += "  (the program is not idle)\n";
  auto ws = rt_.windows();
  if (ws.empty()) out += "  no window open\n";
  for (auto it = ws.rbegin(); it != ws.rend(); ++it) {
    const Window* w = *it;
    out += "  window \"" + w->title() + "\" (thread " + std::to_string(w->thread()) +
           (it == ws.rbegin() ? ", in front" : "") + ")\n";
    out += describeControls(*w);
  }
  if (auto m = message())
    out += "  message box \"" + m->second.caption + "\": \"" + m->second.text + "\"\n";
  if (dialog()) out += "  a standard dialog is shown\n";
  if (auto p = popup()) out += "  popup menu \"" + p->second.menuText + "\"\n";
  if (auto p = print()) out += "  the print dialog for \"" + p->second.title + "\" is shown\n";
  if (fe_.ended()) out += "  the program has ended\n";
  return out;
}

}  // namespace trv::ui
