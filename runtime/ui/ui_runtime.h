#pragma once
// UiRuntime: the program's windows, threads, timers, message boxes and dialogs.
//
// Thread rules. Program threads are real threads started through start(); they pass one
// baton, so exactly one runs at a time. A program thread gives the baton away only while it
// waits for an event (Window::accept), shows a message box, dialog or popup menu, prints, when
// it yields in the middle of long work (yieldBaton), while it runs a call that touches only its
// own things (withoutBaton), and when it ends. Program code may therefore read and change any
// window's state without locks. When several threads could run, the lowest
// thread number goes first, so runs are repeatable. Calls marked "thread-safe" may come from any
// thread (the desktop's, a test's); everything else requires a program thread holding the baton.
//
// The driver (tests, the scenario runner) waits until the program is idle (every program
// thread waiting, nothing pending for any of them), then holds the baton itself to inspect
// windows and post input: see holdWhenIdle().
//
// Ending the program (endProgram) wakes every program thread: from then on accept() returns
// false, message boxes, dialogs and printing return "cancelled" at once and start() refuses, so
// each procedure unwinds through its normal closing code. No program thread calls exit.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "runtime/ui/front_end.h"

namespace trv::text {
class Clock;
}

namespace trv::ui {

class Window;

class UiRuntime {
 public:
  // Both must outlive the runtime.
  UiRuntime(const text::Clock& clock, FrontEnd& frontEnd);
  // Ends the program when it still runs and waits for every program thread to finish.
  ~UiRuntime();
  UiRuntime(const UiRuntime&) = delete;
  UiRuntime& operator=(const UiRuntime&) = delete;

  // --- threads ---
  // Starts body on a new program thread (thread-safe). It runs once the baton is free. Returns
  // its thread number (the lowest free number from 1), 0 after the program ended.
  [[nodiscard]] int start(std::function<void()> body);
  // Makes the calling thread, which is no program thread, a program thread with the lowest free
  // number, as though start() had begun it there: returns its number once it holds the baton
  // (thread-safe). 0 when the program ended or the thread already is a program thread. A host
  // program's own thread joins this way; it gives the baton up for good with leave().
  [[nodiscard]] int adopt();
  // The calling thread, adopted by adopt(), gives the baton up and stops being a program thread.
  // Its windows must be closed first. Does nothing on any other thread.
  void leave();
  // The calling program thread's number; 0 on any other thread.
  static int currentThread();
  // The runtime of the calling program thread; nullptr on any other thread.
  static UiRuntime* current();
  // Ends the program (thread-safe); see the header comment.
  void endProgram();
  bool ended() const;
  // Thread numbers of the running program threads, ascending (thread-safe).
  std::vector<int> threads() const;
  // Lets every other program thread that can run take its turn first, then goes on: long work
  // (a rescan of a large file) calls it between steps so that the other threads' windows keep
  // answering. Threads that yield take turns in the order they yielded. Returns at once when no
  // other thread can run. The caller must hold nothing another thread may need: no open read
  // statement and no transaction. Returns false once the program has ended (the work should
  // stop), true otherwise; off a program thread it only says whether the program still runs.
  bool yieldBaton();
  // Runs `work` on the calling program thread without the baton, the other program threads
  // taking their turns meanwhile, then takes the baton back: for a call in long work that waits
  // on the disk (a commit's flush). `work` must reach nothing that another program thread may
  // use (no window, no runtime call): only the calling thread's own things, such as its store
  // connection. The program is not idle while it runs. Off a program thread it just runs `work`.
  void withoutBaton(const std::function<void()>& work);
  // The calling program thread gives the baton away until every other program thread started
  // by start() has ended (adopted host threads are not waited for); the others run meanwhile.
  // The program body calls it after its frame has closed, so that no window outlives the
  // services it uses. Does nothing off a program thread.
  void awaitOtherThreads();

  // --- the driver's view (thread-safe) ---
  class Hold {
   public:
    Hold(Hold&& other) noexcept : rt_(other.rt_) { other.rt_ = nullptr; }
    Hold& operator=(Hold&&) = delete;
    ~Hold();

   private:
    friend class UiRuntime;
    explicit Hold(UiRuntime* rt) : rt_(rt) {}
    UiRuntime* rt_;
  };
  // Waits until the program is idle, then holds the baton until the Hold is dropped. Nothing
  // when the program did not become idle within timeout. Must not be called by a program thread.
  [[nodiscard]] std::optional<Hold> holdWhenIdle(std::chrono::milliseconds timeout);
  // True once every program thread has finished, within timeout.
  bool waitFinished(std::chrono::milliseconds timeout);

  // --- windows (baton) ---
  // Opens a window on the calling program thread; its loop starts with the open-window event.
  // nullptr when not called on a program thread.
  [[nodiscard]] std::unique_ptr<Window> open(WindowDecl decl);
  // Open windows from back to front; front() is the window in front (nullptr when none).
  std::vector<Window*> windows() const;
  Window* front() const;
  Window* find(WindowId id) const;
  // The thread's open windows from the outermost to the innermost.
  std::vector<Window*> threadWindows(int thread) const;
  // Makes `window`, open on the calling program thread, the innermost of its thread's windows
  // and the window in front of all, and has the front end show it in front (no focus event):
  // for a window that must stay in front of one its thread opened after it (the progress window
  // of a report over the preview the report opened at its first page). The thread then waits
  // in that window's loop, and its other windows refuse what the user does (see post()) until
  // it closes; the others keep their order. False, with nothing changed, for a closed window,
  // one of another thread, or off a program thread.
  bool raise(Window& window);

  // --- input and events (thread-safe) ---
  // Queues the input for its window. What the user does (a press, a key, a close ...) in a
  // window behind another window of its thread is refused with a beep instead: that window's
  // loop is not running, and the input must not act later when it runs again.
  void post(Input input);
  void postEvent(WindowId window, Event event);
  // Gain focus goes to the thread's innermost window (which comes to the front); close window
  // closes the thread's windows from the innermost outwards. Other events are ignored. False
  // when the thread has no window.
  bool postToThread(int thread, int event);
  // Posts gain focus to the thread's innermost window and has the front end show that window
  // in front of every other (restored when iconized): a second start of the program, a single
  // window asked for again. False when the thread has no window.
  bool bringToFront(int thread);
  // Runs task on the thread, inside the event loop of its innermost window, as though that
  // window's procedure had called it (a procedure called "on the frame's thread"). False when
  // the thread has no window.
  bool postTask(int thread, std::function<void()> task);
  // Answers a message box, dialog or popup request; unknown ids are ignored.
  void answer(RequestId id, Answer answer);
  // Fires the timers that are due by the clock: at most one pending timer event per window,
  // and only for the innermost window of each thread.
  void checkTimers();
  // The monotonic moment (hundredths) of the next timer due, over the innermost windows.
  std::optional<std::int64_t> nextTimerDue() const;

  // --- services for program threads (they give way while the user answers) ---
  // The position of the button pressed (from 1); 0 when the program ended.
  int message(const MessageRequest& request);
  // A box with OK only.
  void message(std::string text, std::string caption, Icon icon = Icon::Information);
  // A save dialog answered with an existing file asks "<name> already exists.\r\nDo you want to
  // replace it?" (Yes / No, No the default); No shows the dialog again.
  Answer dialog(const DialogRequest& request);
  // The chosen item's number; 0 for none. It opens at the pointer, or below list `control` of the
  // thread's window in front, at the middle of its column `column` (from 1).
  int popup(std::string_view menuText, int control = 0, int column = 0);
  // Has the front end print request.job (its print dialog, then the printing) while this
  // thread waits without the baton. Cancelled when the program ended or off a program thread.
  [[nodiscard]] PrintResult print(const PrintRequest& request);
  void beep();
  void setHelpFile(std::string file);
  // The help file set for the run (thread-safe).
  std::string helpFile() const;
  void help(const std::string& topic);
  // Has the front end open `target` with the desktop's program for it / copy the image of
  // `window` to the clipboard, while this thread waits without the baton; how it went. A failure
  // without a number when the program ended or off a program thread.
  ServiceResult shellOpen(const std::string& target);
  ServiceResult copyWindowImage(WindowId window);

  const text::Clock& clock() const { return clock_; }
  FrontEnd& frontEnd() { return frontEnd_; }
  // The current folder that relative names resolve against; file dialogs move it.
  std::filesystem::path currentFolder() const;
  void setCurrentFolder(std::filesystem::path folder);

 private:
  friend class Window;
  enum class ThreadState {
    Starting,
    Running,
    WaitingEvent,
    WaitingAnswer,
    Yielding,
    WaitingOthers,
    Outside,   // running work without the baton (withoutBaton)
    Returning  // back from that work, to have the baton again
  };
  struct ThreadRec {
    ThreadState state = ThreadState::Starting;
    std::uint64_t yieldTurn = 0;  // while Yielding: the order in which it yielded
    Window* waitingOn = nullptr;
    RequestId waitingFor = 0;
    std::vector<Window*> stack;
    int pendingCloses = 0;
    bool adopted = false;
    // While waiting for an event: the moment of real time the wait gives up (Window::acceptWithin).
    std::optional<std::chrono::steady_clock::time_point> deadline;
  };

  bool readyLocked(const ThreadRec& rec) const;
  bool idleLocked() const;
  int nextRunnerLocked() const;
  void acquireLocked(std::unique_lock<std::mutex>& lock, int me);
  void releaseLocked();
  Answer waitAnswer(RequestId id, const Request& request);
  // The calling thread `me` gives the baton up until request `id` is answered; nothing when the
  // program ended or the answer never came.
  std::optional<Answer> awaitAnswer(int me, RequestId id);
  ServiceResult waitService(const std::function<std::optional<ServiceResult>(RequestId)>& ask);
  void threadMain(int number, std::function<void()> body);
  void pushLocked(Window* w, Input in);
  void detach(Window* w);  // a window closed
  void toFrontLocked(Window* w);

  const text::Clock& clock_;
  FrontEnd& frontEnd_;
  mutable std::mutex m_;
  std::condition_variable cv_;
  int batonOwner_ = 0;  // a thread number, kDriver, or 0 when free
  std::uint64_t yieldTurns_ = 0;
  bool ended_ = false;
  std::map<int, ThreadRec> threads_;
  std::vector<std::thread> handles_;
  std::vector<Window*> zorder_;
  std::map<RequestId, std::optional<Answer>> answers_;
  RequestId nextRequest_ = 0;
  WindowId nextWindow_ = 0;
  std::string helpFile_;
  std::filesystem::path currentFolder_;
};

}  // namespace trv::ui
