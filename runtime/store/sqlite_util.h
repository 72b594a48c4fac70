#pragma once
// SQLite helpers private to the store: statements that reset themselves, the one conversion of
// SQLite results to the store's codes, and file-name URIs.

#include <sqlite3.h>

#include <string>
#include <string_view>

#include "runtime/store/error.h"

namespace trv::store::detail {

// Sets the thread's last error from a SQLite result: busy and locked give RecordNotAvailable,
// read-only and permission AccessDenied, anything else FileSystemError, each with SQLite's
// extended code and message. A write that fails because a file of the connection is gone since
// it was opened gives PathNotFound when its folder is gone too, else FileNotFound.
Code fromSqlite(sqlite3* db, int rc);

// fromSqlite for a file that could not be opened through `uri`: SQLite's message names the file
// by its path, never by the URI.
Code fromSqliteOpening(sqlite3* db, int rc, const std::string& path, const std::string& uri);

// A "file:" URI for path with the given mode ("ro", "rw", "rwc").
std::string fileUri(std::string_view path, std::string_view mode);

// An SQL identifier in double quotes.
std::string sqlName(std::string_view name);

// A prepared statement owned by a cache; Use resets it and clears its bindings when it ends,
// so no read statement is left open when an operation returns.
class Use {
 public:
  explicit Use(sqlite3_stmt* s) : s_(s) {}
  ~Use() {
    if (s_ != nullptr) {
      sqlite3_reset(s_);
      sqlite3_clear_bindings(s_);
    }
  }
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;
  sqlite3_stmt* get() const { return s_; }
  explicit operator bool() const { return s_ != nullptr; }

  void bindText(int i, std::string_view v) {
    sqlite3_bind_blob(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
  }
  void bindInt(int i, std::int64_t v) { sqlite3_bind_int64(s_, i, v); }
  void bindNull(int i) { sqlite3_bind_null(s_, i); }
  std::string blob(int col) const {
    const void* p = sqlite3_column_blob(s_, col);
    const int n = sqlite3_column_bytes(s_, col);
    return p == nullptr ? std::string() : std::string(static_cast<const char*>(p), n);
  }
  std::int64_t integer(int col) const { return sqlite3_column_int64(s_, col); }

 private:
  sqlite3_stmt* s_;
};

}  // namespace trv::store::detail
