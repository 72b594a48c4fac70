#include "runtime/store/sqlite_util.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

namespace trv::store::detail {
namespace {

// A failure to write that comes of a file of the connection gone since it was opened: SQLite
// calls it read-only ("moved"), or cannot make the journal beside it. Its folder gone is
// PathNotFound, the file alone FileNotFound; nothing when every file is still there.
bool vanishedFile(sqlite3* db, int rc, int ext) {
  const int primary = rc & 0xff;
  if (ext != SQLITE_READONLY_DBMOVED && primary != SQLITE_CANTOPEN && primary != SQLITE_IOERR)
    return false;
  for (int i = 0; const char* schema = sqlite3_db_name(db, i); ++i) {
    const char* file = sqlite3_db_filename(db, schema);
    struct stat st {};
    if (file == nullptr || *file == '\0' || ::stat(file, &st) == 0) continue;
    const std::string folder = std::filesystem::path(file).parent_path().string();
    if (::stat(folder.c_str(), &st) != 0) {
      setError(PathNotFound, ext, folder + " is gone: " + sqlite3_errmsg(db));
    } else {
      setError(FileNotFound, ext, std::string(file) + " is gone: " + sqlite3_errmsg(db));
    }
    return true;
  }
  return false;
}

}  // namespace

Code fromSqlite(sqlite3* db, int rc) {
  const int ext = db != nullptr ? sqlite3_extended_errcode(db) : rc;
  if (db != nullptr && vanishedFile(db, rc, ext)) return lastError().code;
  std::string text = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
  switch (rc & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return setError(RecordNotAvailable, ext, std::move(text));
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return setError(AccessDenied, ext, std::move(text));
    default:
      return setError(FileSystemError, ext, std::move(text));
  }
}

Code fromSqliteOpening(sqlite3* db, int rc, const std::string& path, const std::string& uri) {
  fromSqlite(db, rc);
  const Error e = lastError();
  std::string text = e.driverText;
  if (const std::size_t at = text.find(uri); at != std::string::npos)
    text.replace(at, uri.size(), path);
  else if (text.find(path) == std::string::npos)
    text += ": " + path;
  return setError(e.code, e.driverCode, std::move(text));
}

std::string fileUri(std::string_view path, std::string_view mode) {
  std::string uri = "file:";
  for (char c : path) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '%' || c == '?' || c == '#' || u < 0x21 || u >= 0x7f) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", u);
      uri += hex;
    } else {
      uri += c;
    }
  }
  uri += "?mode=";
  uri += mode;
  return uri;
}

std::string sqlName(std::string_view name) {
  std::string q = "\"";
  for (char c : name) {
    if (c == '"') q += '"';
    q += c;
  }
  q += '"';
  return q;
}

}  // namespace trv::store::detail
