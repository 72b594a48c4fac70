#pragma once
// Other stations and other programs on a data file, as separate processes: a child process
// running a body, and a program holding a lock on a file (a backup reading it, the sqlite3
// client with a transaction open).
//
// Fork only from a test that runs no other thread of its own.

#include <poll.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

namespace trv::store::testing {

// Runs body in a child process; returns its pid. The child exits with body's result.
template <typename F>
pid_t spawn(F body) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    int rc = 1;
    try {
      rc = body();
    } catch (...) {
    }
    ::_exit(rc);
  }
  return pid;
}

// The child's exit code; 100 + the signal when a signal ended it.
inline int exitCode(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 100 + WTERMSIG(status);
}

// Another program holding a lock on a data file, from construction until release() (or for a
// given time): Read holds a read transaction, Write the file's exclusive lock.
class LockHolder {
 public:
  enum Kind { Read, Write };

  LockHolder(const std::string& path, Kind kind,
             std::chrono::milliseconds holdFor = std::chrono::hours(1)) {
    int ready[2], done[2];
    if (::pipe(ready) != 0 || ::pipe(done) != 0) return;
    pid_ = spawn([&] {
      ::close(ready[0]);
      ::close(done[1]);
      sqlite3* db = nullptr;
      if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return 2;
      const char* sql = kind == Read ? "BEGIN; SELECT count(*) FROM sqlite_master;"
                                     : "BEGIN EXCLUSIVE; SELECT count(*) FROM sqlite_master;";
      if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) return 3;
      char ch = 'r';
      if (::write(ready[1], &ch, 1) != 1) return 4;
      // Until released, or until the time is over.
      const auto end = std::chrono::steady_clock::now() + holdFor;
      for (;;) {
        pollfd p{done[0], POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            end - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) != 0) break;
      }
      sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
      sqlite3_close(db);
      return 0;
    });
    ::close(ready[1]);
    ::close(done[0]);
    done_ = done[1];
    char ch;
    held_ = ::read(ready[0], &ch, 1) == 1;
    ::close(ready[0]);
  }
  ~LockHolder() { release(); }
  LockHolder(const LockHolder&) = delete;
  LockHolder& operator=(const LockHolder&) = delete;

  bool held() const { return held_; }
  // Ends the transaction and waits for the program to end.
  void release() {
    if (pid_ <= 0) return;
    ::close(done_);
    exitCode(pid_);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  int done_ = -1;
  bool held_ = false;
};

}  // namespace trv::store::testing
