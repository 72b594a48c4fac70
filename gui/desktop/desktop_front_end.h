#pragma once
// DesktopFrontEnd: the window model shown as a Qt desktop.
//
// The model calls the FrontEnd notifications on program threads (or the driver's); each one is a
// copy, queued and shown later on the Qt main thread, in the order it came. The desktop never
// takes the model's baton: what the user does goes back through UiRuntime::post and
// UiRuntime::answer, and the model's timers are fired from its own clock by the desktop's
// polling of UiRuntime::checkTimers.
//
// Windows of one program thread stack: only the innermost takes input, as the thread waits on
// that one. A window brought to the front becomes its thread's innermost (the model raises a
// report's progress window over the preview opened after it). A child window goes into the frame's
// work area when a frame is open, unless its thread's window in front stands outside that area (a
// pick list opened from a form): it then stands above that window. A window opened takes the
// keyboard; when the window with the keyboard closes, its thread's window in front takes it back.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "runtime/ui/front_end.h"

class QWidget;

namespace trv::report {
struct Document;
}
namespace trv::ui {
class UiRuntime;
}

namespace trv::gui {

class WindowView;

class DesktopFrontEnd final : public ui::FrontEnd {
 public:
  DesktopFrontEnd();
  ~DesktopFrontEnd() override;
  DesktopFrontEnd(const DesktopFrontEnd&) = delete;
  DesktopFrontEnd& operator=(const DesktopFrontEnd&) = delete;

  // Starts showing the runtime's windows. Requires the Qt main thread and a QApplication; the
  // runtime must stay alive until detach(). Notifications that came before are shown now.
  void attach(ui::UiRuntime& runtime);
  // Stops sending input and closes every window shown; call before the runtime goes.
  void detach();
  // Called on the Qt main thread once the program has ended (after its last notification).
  void onProgramEnded(std::function<void()> ended);
  // Where relative image names of the model are looked for, after the runtime's current folder.
  void setImageFolder(std::filesystem::path folder);
  // Looked in after the image folder, for images and the help folder.
  void setDataFolders(std::vector<std::filesystem::path> folders);

  // FrontEnd: thread-safe.
  void windowOpened(const ui::WindowSnapshot& snapshot) override;
  void windowChanged(const ui::WindowState& state) override;
  void controlChanged(ui::WindowId window, const ui::ControlState& control) override;
  void windowClosed(ui::WindowId window) override;
  void request(ui::RequestId id, ui::WindowId owner, const ui::Request& request) override;
  void beep() override;
  void bringToFront(ui::WindowId window) override;
  void help(const std::string& file, const std::string& topic) override;
  // Answered on the Qt main thread: the opener's start, the window's image on the clipboard.
  std::optional<ui::ServiceResult> shellOpen(ui::RequestId id, const std::string& target) override;
  std::optional<ui::ServiceResult> copyWindowImage(ui::RequestId id, ui::WindowId window) override;
  void programEnded() override;

  // Report pages (thread-safe, queued in order with the notifications; the document is shared
  // and must not change any more). The preview window `window` shows `document` from page 1,
  // then turns to `page` (from 1).
  void showPages(ui::WindowId window, std::shared_ptr<const report::Document> document);
  void showPage(ui::WindowId window, int page);
  // Hands over pages for a print request to come; the request names them by the job returned.
  // The desktop lets go of them once it has answered that request, or when it detaches.
  std::uint64_t stagePrint(std::shared_ptr<const report::Document> document);

  // Qt main thread: shows every notification queued so far (tests; the queue also drains by
  // itself from the event loop).
  void flush();
  // Qt main thread: the view of an open window (null when none), the windows open in the
  // order they opened (a window brought to the front moves last), and the request boxes now
  // shown.
  WindowView* view(ui::WindowId window) const;
  std::vector<ui::WindowId> windows() const;
  std::vector<QWidget*> requestWidgets() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace trv::gui
