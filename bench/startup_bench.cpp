// The program itself, headless, on a starter database whose case file is the generated one:
// the start up to the sign-on window, the sign-on up to the frame with its first rescan, a
// rescan run by the frame's thread, and how long another thread's window waits for its turn
// when input reaches it during that rescan. Times are wall times (the work runs on the
// program's threads). Goal: a window waits at most a small part of a rescan.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "bench/bench_support.h"
#include "core/data/database_tool.h"
#include "core/data/files.h"
#include "core/frame/core_procedures.h"
#include "core/program/program_body.h"
#include "core/program/program_state.h"
#include "runtime/text/clock.h"
#include "runtime/text/date_time.h"
#include "runtime/ui/headless.h"
#include "runtime/ui/ui_runtime.h"
#include "runtime/ui/window.h"

namespace {

using namespace trv;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kLogonTitle = "Vorn Trovanel 1.2 - Logon";
enum LogonControl : int { kName = 5, kPassword = 6, kOk = 7 };

// A workstation's folders: a starter database whose case file is the generated one.
struct Workstation {
  fs::path root, program, config;

  Workstation() {
    std::string tmpl = (fs::temp_directory_path() / "trvstartXXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
    root = tmpl;
    program = root / "program";
    config = root / "config";
    const fs::path db = program / "DataBase";
    fs::create_directories(config);
    if (!core::createStarterDatabase(db.string()).ok) std::abort();
    // The starter's empty case file makes way for the generated one (a link: the file is only
    // read, as nobody's closed cases are due for deletion and no backup is set).
    const fs::path cases = core::filePath(db.string(), core::DataFile::Sercase);
    fs::remove(cases);
    fs::create_symlink(bench::caseFilePath(), cases);
    std::ofstream(config / "trvnel12.ini") << "[Config]\nDataBase=" << db.string() << "\n";
  }
  ~Workstation() {
    std::error_code ec;
    fs::remove_all(root, ec);
  }
};

Workstation& workstation() {
  static Workstation w;
  return w;
}

// One run of the program, ended when it goes.
struct Program {
  text::ManualClock clock{bench::benchToday(), *text::timeNumber(12, 0)};
  ui::HeadlessFrontEnd fe;
  ui::UiRuntime rt{clock, fe};
  ui::HeadlessDriver driver{rt, fe, &clock};
  std::unique_ptr<core::ProgramState> state;
  int frameThread = 0;

  Program() {
    const Workstation& w = workstation();
    state = std::make_unique<core::ProgramState>(
        core::ProgramEnvironment{clock, rt, nullptr, w.config, w.program, nullptr, nullptr});
    core::registerCoreProcedures(*state);
  }
  ~Program() {
    rt.endProgram();
    rt.waitFinished(std::chrono::seconds(60));
  }

  std::string frontTitle() {
    std::string t;
    if (!driver.inspect([&] { t = rt.front() ? rt.front()->title() : ""; })) return "(busy)";
    return t;
  }
  // Starts the program and answers the mail logon's message (no mail system here).
  bool startToLogon() {
    frameThread = rt.start([this] { core::RunProgram(*state); });
    return driver.waitIdle() && driver.answerMessage("OK") && frontTitle() == kLogonTitle;
  }
  void post(ui::Input::Kind kind, int control, std::string text = {}) {
    (void)driver.inspect([&] {
      ui::Input in;
      in.kind = kind;
      in.window = rt.front()->id();
      in.control = control;
      in.text = std::move(text);
      rt.post(in);
    });
  }
  // Signs on as the starter's administrator and waits until the program is idle again (the
  // frame open, its first rescan done).
  bool signOn() {
    post(ui::Input::Kind::Accept, kName, "Admin");
    post(ui::Input::Kind::Accept, kPassword, "admin");
    post(ui::Input::Kind::Press, kOk);
    return driver.waitIdle() && frontTitle() != kLogonTitle;
  }
};

void BM_StartToSignOnWindow(benchmark::State& state) {
  for (auto _ : state) {
    Program p;
    const auto start = Clock::now();
    if (!p.startToLogon()) state.SkipWithError("no sign-on window");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
}

void BM_SignOnToFrame(benchmark::State& state) {
  for (auto _ : state) {
    Program p;
    if (!p.startToLogon()) state.SkipWithError("no sign-on window");
    const auto start = Clock::now();
    if (!p.signOn()) state.SkipWithError("not signed on");
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
  }
}

// The program signed on, with a window on a thread of its own that notes when input reaches it.
struct Running {
  Program p;
  std::atomic<Clock::rep> answered{0};
  ui::WindowId other = 0;

  Running() {
    if (!p.startToLogon() || !p.signOn()) std::abort();
    const int thread = p.rt.start([this] {
      ui::WindowDecl d;
      d.title = "Other";
      d.controls = {ui::button("?OK", "&OK")};
      auto w = p.rt.open(d);
      ui::Event e;
      while (w->accept(e)) {
        if (e.number == ui::EventAccepted) answered = Clock::now().time_since_epoch().count();
        if (e.number == ui::EventCloseWindow) w->close();
      }
    });
    if (!p.driver.inspect([&] { other = p.rt.threadWindows(thread).front()->id(); })) std::abort();
  }
};

Running& running() {
  static Running r;
  return r;
}

// Waits until `when` is set; false after a minute (the program is stuck).
bool waitFor(const std::atomic<Clock::rep>& when) {
  const auto deadline = Clock::now() + std::chrono::minutes(1);
  while (when == 0) {
    if (Clock::now() > deadline) return false;
    std::this_thread::yield();
  }
  return true;
}

// A rescan run by the frame's thread, as its timer runs it. range(0) 1: input reaches the other
// window just after the rescan has begun, and the time measured is how long that window waits.
void BM_FrameRescan(benchmark::State& state) {
  Running& r = running();
  const bool answer = state.range(0) == 1;
  Clock::duration rescans{};
  for (auto _ : state) {
    // Shared with the task, which may outlive a failed iteration.
    struct Marks {
      std::atomic<Clock::rep> began{0}, ended{0};
    };
    const auto marks = std::make_shared<Marks>();
    std::atomic<Clock::rep>& began = marks->began;
    std::atomic<Clock::rep>& ended = marks->ended;
    r.answered = 0;
    core::ProgramState* program = r.p.state.get();
    if (!r.p.rt.postTask(r.p.frameThread, [marks, program] {
          marks->began = Clock::now().time_since_epoch().count();
          program->rescan(false);
          marks->ended = Clock::now().time_since_epoch().count();
        }))
      state.SkipWithError("no frame");
    if (!waitFor(began)) {
      state.SkipWithError("the rescan did not start");
      break;
    }
    Clock::time_point posted;
    if (answer) {
      ui::Input in;
      in.kind = ui::Input::Kind::Press;
      in.window = r.other;
      in.control = 1;
      posted = Clock::now();
      r.p.rt.post(in);
      if (!waitFor(r.answered)) {
        state.SkipWithError("the other window never answered");
        break;
      }
    }
    if (!waitFor(ended)) {
      state.SkipWithError("the rescan did not end");
      break;
    }
    const Clock::time_point from(Clock::duration(began.load()));
    const Clock::time_point to(Clock::duration(ended.load()));
    const Clock::time_point seen(Clock::duration(r.answered.load()));
    rescans += to - from;
    state.SetIterationTime(
        std::chrono::duration<double>(answer ? seen - posted : to - from).count());
    if (!r.p.driver.waitIdle()) state.SkipWithError("not idle");
  }
  state.counters["rescan_ms"] =
      std::chrono::duration<double, std::milli>(rescans).count() / double(state.iterations());
}

BENCHMARK(BM_StartToSignOnWindow)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SignOnToFrame)->UseManualTime()->Unit(benchmark::kMillisecond);
// A few iterations each: every one is a whole rescan, however short the time measured.
BENCHMARK(BM_FrameRescan)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return bench::runBenchmarks(
      argc, argv,
      {{"window_wait_during_rescan_vs_rescan", "BM_FrameRescan/1/iterations:3/manual_time",
        "BM_FrameRescan/0/iterations:3/manual_time", bench::Ratio::kWall}});
}
