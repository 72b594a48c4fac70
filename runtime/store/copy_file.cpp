#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "runtime/store/connection.h"
#include "runtime/store/sqlite_util.h"

namespace trv::store {

Code copyFile(const std::string& source, const std::string& target) {
  clearError();
  struct stat st {};
  if (::stat(source.c_str(), &st) != 0) return setError(FileNotFound, errno, source);
  sqlite3* from = nullptr;
  sqlite3* to = nullptr;
  const std::string temp = target + ".tmp" + std::to_string(::getpid());
  auto finish = [&](Code c) {
    if (from != nullptr) sqlite3_close_v2(from);
    if (to != nullptr) sqlite3_close_v2(to);
    if (c != Ok) std::remove(temp.c_str());
    return c;
  };
  int rc = sqlite3_open_v2(detail::fileUri(source, "ro").c_str(), &from,
                           SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
  if (rc != SQLITE_OK) return finish(detail::fromSqlite(from, rc));
  std::remove(temp.c_str());
  rc = sqlite3_open_v2(detail::fileUri(temp, "rwc").c_str(), &to,
                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI, nullptr);
  if (rc != SQLITE_OK) return finish(detail::fromSqlite(to, rc));
  sqlite3_busy_timeout(from, 5000);
  sqlite3_backup* b = sqlite3_backup_init(to, "main", from, "main");
  if (b == nullptr) return finish(detail::fromSqlite(to, sqlite3_errcode(to)));
  // One step copies everything under one read lock, so the copy is never torn.
  rc = sqlite3_backup_step(b, -1);
  sqlite3_backup_finish(b);
  if (rc != SQLITE_DONE) return finish(detail::fromSqlite(to, rc));
  sqlite3_close_v2(to);
  to = nullptr;
  if (std::rename(temp.c_str(), target.c_str()) != 0)
    return finish(setError(FileSystemError, errno, std::strerror(errno)));
  return finish(Ok);
}

}  // namespace trv::store
