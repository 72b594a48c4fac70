#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "runtime/store/connection.h"
#include "runtime/store/file_probes.h"
#include "runtime/store/file_shrink.h"
#include "runtime/store/sqlite_util.h"

namespace trv::store {
namespace {

// Bytes copied per step: a step of a megabyte or two is a millisecond or two of work, and no
// lock on a source is held between steps. A copy's first steps are smaller: the buffer's memory
// can be slow to come by on a busy machine. Steps are whole pages of the source.
constexpr std::int64_t kStepBytes = 1536 * 1024;
constexpr std::int64_t kFirstStepBytes = 96 * 1024;
// The page cache of the sources' connection, in KiB: it reads only their schemas and headers.
constexpr const char* kCacheSize = "cache_size=-256";
// Rounds of stepwise copies before the files that keep changing are copied under one lock.
constexpr int kSteppedRounds = 3;
// Restarts of one file's stepwise copy before the rest of it is copied in one step.
constexpr int kRestarts = 3;
// Steps in a row that find a source locked by a writer before the copy fails.
constexpr int kBusySteps = 100;

// The source files attached read-only to one connection.
class Sources {
 public:
  ~Sources() {
    if (db_ != nullptr) {
      endRead();
      sqlite3_close_v2(db_);
    }
  }
  Code open(const std::vector<std::pair<std::string, std::string>>& files) {
    for (std::size_t i = 0; i < files.size(); ++i) {
      const std::string uri = detail::fileUri(files[i].first, "ro");
      if (i == 0) {
        const int rc =
            sqlite3_open_v2(uri.c_str(), &db_, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
        if (rc != SQLITE_OK) return detail::fromSqliteOpening(db_, rc, files[i].first, uri);
        sqlite3_busy_timeout(db_, 5000);
        smallCache(0);
        continue;
      }
      sqlite3_stmt* s = nullptr;
      sqlite3_prepare_v2(db_, ("ATTACH DATABASE ?1 AS s" + std::to_string(i)).c_str(), -1, &s,
                         nullptr);
      sqlite3_bind_text(s, 1, uri.c_str(), -1, SQLITE_TRANSIENT);
      const int rc = sqlite3_step(s);
      sqlite3_finalize(s);
      if (rc != SQLITE_DONE) return detail::fromSqliteOpening(db_, rc, files[i].first, uri);
      smallCache(i);
    }
    count_ = files.size();
    for (const auto& f : files) paths_.push_back(f.first);
    return Ok;
  }
  // The file read inside a transaction: it holds the file's read lock, so no one changes the
  // file until endRead().
  Code beginRead(std::size_t i) {
    if (Code c = begin(); c != Ok) return c;
    return read(i);
  }
  // Every file read once inside one transaction, so all read locks are held together: nothing
  // changes any file until endRead().
  Code beginRead() {
    if (Code c = begin(); c != Ok) return c;
    for (std::size_t i = 0; i < count_; ++i)
      if (Code c = read(i); c != Ok) return c;
    return Ok;
  }
  void endRead() {
    if (reading_) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    reading_ = false;
  }
  // Changes whenever another connection has committed to the file since the last look.
  std::int64_t version(std::size_t i) const { return pragma(i, "data_version"); }
  // The file's page size and its pages' bytes, as read under its read lock (-1 when unknown).
  std::int64_t pageSize(std::size_t i) const { return pragma(i, "page_size"); }
  std::int64_t bytes(std::size_t i) const {
    const std::int64_t pages = pragma(i, "page_count"), size = pageSize(i);
    return pages < 0 || size <= 0 ? -1 : pages * size;
  }
  // SQLite's own handle of the file: reads through it take no lock and drop none.
  sqlite3_file* file(std::size_t i) const {
    sqlite3_file* f = nullptr;
    if (sqlite3_file_control(db_, schema(i).c_str(), SQLITE_FCNTL_FILE_POINTER, &f) != SQLITE_OK)
      return nullptr;
    return f != nullptr && f->pMethods != nullptr ? f : nullptr;
  }
  const std::string& path(std::size_t i) const { return paths_[i]; }
  static std::string schema(std::size_t i) { return i == 0 ? "main" : "s" + std::to_string(i); }
  void smallCache(std::size_t i) {
    const std::string sql = "PRAGMA " + schema(i) + "." + kCacheSize;
    sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
  }

 private:
  Code begin() {
    if (sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
      return detail::fromSqlite(db_, sqlite3_errcode(db_));
    reading_ = true;
    return Ok;
  }
  // Reads the file's schema, which takes its read lock. SQLite's message is given with the
  // file's name ("database disk image is malformed" alone does not say which).
  Code read(std::size_t i) {
    const std::string sql = "SELECT count(*) FROM " + schema(i) + ".sqlite_master";
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK) return Ok;
    const Code c = detail::fromSqlite(db_, sqlite3_errcode(db_));
    const Error e = lastError();
    if (e.driverText.find(paths_[i]) != std::string::npos) return c;
    return setError(c, e.driverCode, paths_[i] + ": " + e.driverText);
  }
  std::int64_t pragma(std::size_t i, const char* name) const {
    sqlite3_stmt* s = nullptr;
    std::int64_t v = -1;
    const std::string sql = "PRAGMA " + schema(i) + "." + name;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
      v = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    return v;
  }

  sqlite3* db_ = nullptr;
  std::size_t count_ = 0;
  std::vector<std::string> paths_;
  bool reading_ = false;
};

// The copy being written: a new file of the data files' mode, open for writing. No one else has
// it open, so closing it drops no lock.
class Target {
 public:
  Target() = default;
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;
  ~Target() {
    if (fd_ >= 0) ::close(fd_);
  }
  Code open(const std::string& path) {
    path_ = path;
    std::remove(path.c_str());
    (void)detail::createDataFile(path);
    fd_ = ::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    return fd_ >= 0 ? Ok : failed();
  }
  Code write(const char* data, std::size_t size, std::int64_t at) {
    while (size > 0) {
      const ssize_t n = ::pwrite(fd_, data, size, static_cast<off_t>(at));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return failed();
      if (n == 0) return failed(EIO);
      data += n, size -= static_cast<std::size_t>(n), at += n;
    }
    return Ok;
  }
  // The copy ends where the source's pages do (an earlier pass may have written more).
  Code end(std::int64_t size) {
    return ::ftruncate(fd_, static_cast<off_t>(size)) == 0 ? Ok : failed();
  }
  // Starts writing back what is written so far, without waiting for it.
  void startFlush() { (void)::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE); }
  // Everything written is on the disk.
  Code flush() { return ::fdatasync(fd_) == 0 ? Ok : failed(); }

 private:
  Code failed(int e = errno) {
    return setError(FileSystemError, e, path_ + ": " + std::strerror(e));
  }
  std::string path_;
  int fd_ = -1;
};

Code unreadable(const Sources& sources, std::size_t i) {
  return setError(FileSystemError, 0, sources.path(i) + ": cannot be read");
}

// Copies bytes [from, to) of source `i` to the target, under the source's read lock held by the
// caller, through SQLite's own handle of the file: a read and a write for many pages, where
// SQLite's online backup takes one of each for every page.
Code copyRange(const Sources& sources, std::size_t i, Target& target, std::int64_t from,
               std::int64_t to, std::vector<char>& buffer) {
  sqlite3_file* file = sources.file(i);
  if (file == nullptr) return unreadable(sources, i);
  while (from < to) {
    const int n = static_cast<int>(std::min(kStepBytes, to - from));
    if (buffer.size() < static_cast<std::size_t>(n)) buffer.resize(static_cast<std::size_t>(n));
    const int rc = file->pMethods->xRead(file, buffer.data(), n, from);
    if (rc == SQLITE_IOERR_SHORT_READ)
      return setError(FileSystemError, 0, sources.path(i) + ": shorter than its pages");
    if (rc != SQLITE_OK)
      return setError(FileSystemError, rc, sources.path(i) + ": " + sqlite3_errstr(rc));
    // A file in write-ahead-log mode keeps its latest pages beside it: its own bytes are not a
    // copy of it. The store's files never are.
    if (from == 0 && n > 18 && buffer[18] == 2)
      return setError(FileSystemError, 0, sources.path(i) + ": in write-ahead-log mode");
    if (Code c = target.write(buffer.data(), static_cast<std::size_t>(n), from); c != Ok) return c;
    from += n;
  }
  return Ok;
}

// Copies source `i` into `temp`. With `between`, in steps that call it in between, each step
// under the source's read lock and none held between them: a source changed meanwhile has the
// copy start over, so the copy is always of one state of the file; `version` gets the source's
// version during the steps, which names the state copied. Without `between`, at once under the
// read lock the caller holds.
Code copyOne(Sources& sources, std::size_t i, const std::string& temp,
             const std::function<bool()>* between, std::int64_t* version) {
  // A copy made before, of a file that changed since, is emptied in steps before it goes.
  if (between != nullptr) (void)shrinkInSteps(temp, *between);
  Target target;
  if (Code c = target.open(temp); c != Ok) return c;
  std::vector<char> buffer;
  std::int64_t size = 0;
  if (between == nullptr) {
    size = sources.bytes(i);
    if (size < 0) return unreadable(sources, i);
    if (Code c = copyRange(sources, i, target, 0, size, buffer); c != Ok) return c;
  } else {
    // A file changed more often than it can be copied is copied in one step at the last.
    int restarts = 0;
    int busy = 0;
    std::int64_t copied = 0;
    std::int64_t state = -1;  // the version being copied
    std::int64_t step = kFirstStepBytes;
    for (;;) {
      Code c = sources.beginRead(i);
      if (c == RecordNotAvailable && ++busy <= kBusySteps) {
        sources.endRead();  // a writer holds the file: it is given the time of a turn
        if (between != nullptr && !(*between)()) between = nullptr;
        continue;
      }
      if (c == Ok) {
        busy = 0;
        const std::int64_t now = sources.version(i);
        if (now != state) {
          if (state != -1 && ++restarts > kRestarts) between = nullptr;
          state = now;
          copied = 0;
        }
        if (version) *version = now;
        size = sources.bytes(i);
        const std::int64_t page = sources.pageSize(i);
        if (size < 0 || page <= 0) {
          c = unreadable(sources, i);
        } else {
          const std::int64_t end =
              between == nullptr ? size
                                 : std::min(size, copied + std::max(page, step / page * page));
          c = copyRange(sources, i, target, copied, end, buffer);
          copied = end;
        }
      }
      sources.endRead();
      if (c != Ok) return c;
      if (copied >= size) break;
      step = std::min(kStepBytes, step * 2);
      target.startFlush();
      if (between != nullptr && !(*between)())
        between = nullptr;  // the program ends: the rest at once
    }
  }
  if (Code c = target.end(size); c != Ok) return c;
  return target.flush();
}

}  // namespace

Code copyFiles(const std::vector<std::pair<std::string, std::string>>& files,
               const std::function<bool()>& betweenSteps) {
  clearError();
  for (const auto& [source, target] : files) {
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0) return setError(FileNotFound, errno, source);
  }
  if (files.empty()) return Ok;
  Sources sources;
  if (Code c = sources.open(files); c != Ok) return c;
  std::vector<std::string> temps;
  for (const auto& file : files) temps.push_back(file.second + ".tmp" + std::to_string(::getpid()));
  auto removeTemps = [&] {
    for (const std::string& t : temps) std::remove(t.c_str());
  };
  // Stepwise, each file is a copy of one state of itself; the copies agree with each other once
  // no file has changed since its copy, as seen under one read of them all. Files that did are
  // copied again, and after a few rounds under that one read.
  std::vector<std::size_t> pending(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) pending[i] = i;
  std::vector<std::int64_t> versions(files.size(), -1);
  for (int round = 0; betweenSteps && round < kSteppedRounds && !pending.empty(); ++round) {
    for (std::size_t i : pending) {
      if (Code c = copyOne(sources, i, temps[i], &betweenSteps, &versions[i]); c != Ok) {
        removeTemps();
        return c;
      }
    }
    if (Code c = sources.beginRead(); c != Ok) {
      removeTemps();
      return c;
    }
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < files.size(); ++i)
      if (sources.version(i) != versions[i]) changed.push_back(i);
    pending = std::move(changed);
    if (!pending.empty()) sources.endRead();
  }
  if (!pending.empty()) {
    if (Code c = sources.beginRead(); c != Ok) {
      removeTemps();
      return c;
    }
    for (std::size_t i : pending) {
      if (Code c = copyOne(sources, i, temps[i], nullptr, nullptr); c != Ok) {
        removeTemps();
        return c;
      }
    }
  }
  sources.endRead();
  // Stepwise, the backups the copies replace keep a second name meanwhile, so that renaming over
  // them frees nothing; they are emptied in steps afterwards.
  std::vector<std::string> replaced;
  if (betweenSteps) {
    for (const auto& file : files) {
      const std::string old = file.second + ".old" + std::to_string(::getpid());
      std::remove(old.c_str());
      if (::link(file.second.c_str(), old.c_str()) == 0) replaced.push_back(old);
    }
  }
  // Only when every copy is complete does any target change.
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (std::rename(temps[i].c_str(), files[i].second.c_str()) != 0) {
      const int e = errno;
      removeTemps();
      // The targets not renamed over still name their old backups: only the second names go.
      for (const std::string& old : replaced) std::remove(old.c_str());
      return setError(FileSystemError, e, files[i].second + ": " + std::strerror(e));
    }
  }
  for (const std::string& old : replaced) {
    (void)shrinkInSteps(old, betweenSteps);
    std::remove(old.c_str());
  }
  return Ok;
}

Code copyFile(const std::string& source, const std::string& target) {
  return copyFiles({{source, target}});
}

}  // namespace trv::store
