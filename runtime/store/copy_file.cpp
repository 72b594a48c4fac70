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

// Pages copied per backup step: a step of a few hundred pages is a millisecond or two of work,
// and no lock on a source is held between steps. A copy's first steps are smaller: they also
// take the memory of the copy's page caches, slow to come by on a busy machine.
constexpr int kStepPages = 400;
constexpr int kFirstStepPages = 25;
// The page caches of the copy, on both sides, in KiB: each page passes through once, so a small
// cache does.
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
    return Ok;
  }
  // Every file read once inside one transaction, so all read locks are held together: nothing
  // changes any file until endRead().
  Code beginRead() {
    if (sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
      return detail::fromSqlite(db_, sqlite3_errcode(db_));
    reading_ = true;
    for (std::size_t i = 0; i < count_; ++i) {
      const std::string sql = "SELECT count(*) FROM " + schema(i) + ".sqlite_master";
      if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return detail::fromSqlite(db_, sqlite3_errcode(db_));
    }
    return Ok;
  }
  void endRead() {
    if (reading_) sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
    reading_ = false;
  }
  // Changes whenever another connection has committed to the file since the last look.
  std::int64_t version(std::size_t i) const {
    sqlite3_stmt* s = nullptr;
    std::int64_t v = -1;
    const std::string sql = "PRAGMA " + schema(i) + ".data_version";
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
      v = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    return v;
  }
  static std::string schema(std::size_t i) { return i == 0 ? "main" : "s" + std::to_string(i); }
  void smallCache(std::size_t i) {
    const std::string sql = "PRAGMA " + schema(i) + "." + kCacheSize;
    sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
  }
  sqlite3* db() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
  std::size_t count_ = 0;
  bool reading_ = false;
};

// The copy's way to the disk: written back while the copy goes on, waited for at the end.
class Flush {
 public:
  Flush() = default;
  Flush(const Flush&) = delete;
  Flush& operator=(const Flush&) = delete;
  ~Flush() {
    if (fd_ >= 0) ::close(fd_);
  }
  // Starts writing back what is written so far, without waiting for it.
  void start(const std::string& path) {
    if (fd_ < 0) fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ >= 0) (void)::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
  }
  // True once everything written is on the disk.
  bool finish(const std::string& path) {
    if (fd_ < 0) fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    return fd_ >= 0 && ::fdatasync(fd_) == 0;
  }

 private:
  int fd_ = -1;
};

// Copies one source into `temp` with SQLite's online backup. With `between`, in steps that call
// it in between (no lock held then): a source changed meanwhile makes SQLite start the copy
// over, so the copy is always of one state of the file; `version` gets the source's version
// as it was before the last step, which names the state copied (or an older one). Without
// `between`, in one step.
Code copyOne(const Sources& sources, std::size_t i, const std::string& temp,
             const std::function<bool()>* between, std::int64_t* version) {
  // A copy made before, of a file that changed since, is emptied in steps before it goes.
  if (between != nullptr) (void)shrinkInSteps(temp, *between);
  std::remove(temp.c_str());
  (void)detail::createDataFile(temp);
  sqlite3* to = nullptr;
  const std::string uri = detail::fileUri(temp, "rwc");
  int rc = sqlite3_open_v2(uri.c_str(), &to,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr);
  Code code = Ok;
  // The copy becomes the backup only once complete and renamed: it needs no journal, and one
  // flush to the disk at the end instead of SQLite's syncs along the way.
  if (rc == SQLITE_OK) {
    const std::string settings =
        std::string("PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; PRAGMA ") + kCacheSize;
    sqlite3_exec(to, settings.c_str(), nullptr, nullptr, nullptr);
  }
  Flush flush;
  if (rc != SQLITE_OK) {
    code = detail::fromSqliteOpening(to, rc, temp, uri);
  } else if (sqlite3_backup* b =
                 sqlite3_backup_init(to, "main", sources.db(), Sources::schema(i).c_str())) {
    if (between == nullptr) {
      rc = sqlite3_backup_step(b, -1);
    } else {
      // A file changed more often than it can be copied is copied in one step at the last.
      int restarts = 0;
      int busy = 0;
      int pages = kFirstStepPages;
      std::int64_t last = sources.version(i);
      for (;;) {
        const std::int64_t now = sources.version(i);
        if (now != last && ++restarts > kRestarts) between = nullptr;
        last = now;
        if (version) *version = now;
        if (between == nullptr) {
          rc = sqlite3_backup_step(b, -1);
          break;
        }
        rc = sqlite3_backup_step(b, pages);
        pages = std::min(kStepPages, pages * 2);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
          if (++busy > kBusySteps) break;
        } else if (rc != SQLITE_OK) {
          break;
        } else {
          busy = 0;
        }
        flush.start(temp);
        if (!(*between)()) between = nullptr;  // the program ends: the rest in one go
      }
    }
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE) code = detail::fromSqlite(to, rc);
    if (code == Ok && !flush.finish(temp)) {
      const int e = errno;
      code = setError(FileSystemError, e, temp + ": " + std::strerror(e));
    }
  } else {
    code = detail::fromSqlite(to, sqlite3_errcode(to));
  }
  sqlite3_close_v2(to);
  return code;
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
