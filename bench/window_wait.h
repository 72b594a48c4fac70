#pragma once
// How long another program thread's window waits for its turn while long work runs: a window on
// a program thread of its own is sent an event every millisecond or so (one at a time) from a
// thread outside the program, and the longest time from sending to handling while the work runs
// is the answer. With TRV_BENCH_WAITS set, each new longest wait is printed to standard error
// with the moment it began (from the start of the work), to find which part of the work it is.

#include <functional>

namespace trv::ui {
class UiRuntime;
}

namespace trv::bench {

// Runs `work` on a new program thread of `rt` beside a watching window's thread and returns the
// longest wait of that window during the work, in seconds (a negative number when the program
// threads could not start). Returns once both threads have ended; `rt` may hold no other
// program thread.
double longestWindowWait(ui::UiRuntime& rt, const std::function<void()>& work);

}  // namespace trv::bench
