#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/store/connection.h"
#include "runtime/store/file_probes.h"
#include "runtime/store/sqlite_util.h"

namespace trv::store {
namespace {

// The source files attached read-only to one connection, read under one read transaction.
class Snapshot {
 public:
  ~Snapshot() {
    if (db_ != nullptr) {
      sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
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
        continue;
      }
      sqlite3_stmt* s = nullptr;
      sqlite3_prepare_v2(db_, ("ATTACH DATABASE ?1 AS s" + std::to_string(i)).c_str(), -1, &s,
                         nullptr);
      sqlite3_bind_text(s, 1, uri.c_str(), -1, SQLITE_TRANSIENT);
      const int rc = sqlite3_step(s);
      sqlite3_finalize(s);
      if (rc != SQLITE_DONE) return detail::fromSqliteOpening(db_, rc, files[i].first, uri);
    }
    // Every file is read once inside the transaction, so all read locks are held together and
    // the copies agree with each other.
    if (sqlite3_exec(db_, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
      return detail::fromSqlite(db_, sqlite3_errcode(db_));
    for (std::size_t i = 0; i < files.size(); ++i) {
      const std::string sql = "SELECT count(*) FROM " + schema(i) + ".sqlite_master";
      if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        return detail::fromSqlite(db_, sqlite3_errcode(db_));
    }
    return Ok;
  }
  static std::string schema(std::size_t i) { return i == 0 ? "main" : "s" + std::to_string(i); }
  sqlite3* db() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

Code copyOne(sqlite3* source, const std::string& schema, const std::string& temp) {
  std::remove(temp.c_str());
  (void)detail::createDataFile(temp);
  sqlite3* to = nullptr;
  const std::string uri = detail::fileUri(temp, "rwc");
  int rc = sqlite3_open_v2(uri.c_str(), &to,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr);
  Code code = Ok;
  if (rc != SQLITE_OK) {
    code = detail::fromSqliteOpening(to, rc, temp, uri);
  } else if (sqlite3_backup* b = sqlite3_backup_init(to, "main", source, schema.c_str())) {
    rc = sqlite3_backup_step(b, -1);  // everything in one step
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE) code = detail::fromSqlite(to, rc);
  } else {
    code = detail::fromSqlite(to, sqlite3_errcode(to));
  }
  sqlite3_close_v2(to);
  return code;
}

}  // namespace

Code copyFiles(const std::vector<std::pair<std::string, std::string>>& files) {
  clearError();
  for (const auto& [source, target] : files) {
    struct stat st {};
    if (::stat(source.c_str(), &st) != 0) return setError(FileNotFound, errno, source);
  }
  if (files.empty()) return Ok;
  Snapshot snapshot;
  if (Code c = snapshot.open(files); c != Ok) return c;
  std::vector<std::string> temps;
  auto removeTemps = [&] {
    for (const std::string& t : temps) std::remove(t.c_str());
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    temps.push_back(files[i].second + ".tmp" + std::to_string(::getpid()));
    if (Code c = copyOne(snapshot.db(), Snapshot::schema(i), temps.back()); c != Ok) {
      removeTemps();
      return c;
    }
  }
  // Only when every copy is complete does any target change.
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (std::rename(temps[i].c_str(), files[i].second.c_str()) != 0) {
      const int e = errno;
      removeTemps();
      return setError(FileSystemError, e, files[i].second + ": " + std::strerror(e));
    }
  }
  return Ok;
}

Code copyFile(const std::string& source, const std::string& target) {
  return copyFiles({{source, target}});
}

}  // namespace trv::store
