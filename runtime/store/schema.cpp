// A data file's own tables: creating them, and checking on each open that the stored layout is
// the declared one and that every key has its index (rebuilding a missing one).

#include <sqlite3.h>

#include <string>

#include "runtime/store/connection_impl.h"
#include "runtime/store/record_codec.h"
#include "runtime/store/sqlite_util.h"

namespace trv::store {

using detail::fromSqlite;
using detail::sqlName;

namespace {

// Another station's lock, as SQLite reports it.
bool busy(int rc) {
  return (rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED;
}

}  // namespace

std::string Connection::Impl::createSql(const OpenFile& f) const {
  const FileDecl& d = *f.decl;
  std::string sql = "CREATE TABLE IF NOT EXISTS " + f.table() +
                    " (id INTEGER PRIMARY KEY AUTOINCREMENT, version INTEGER NOT NULL, data BLOB "
                    "NOT NULL";
  for (const KeyDecl& k : d.keys) sql += ", " + sqlName(k.name) + " BLOB";
  for (const MemoDecl& m : d.memos) sql += ", " + sqlName(m.name) + " BLOB";
  sql += ");\nCREATE TABLE IF NOT EXISTS " + f.schema + ".layout (text TEXT NOT NULL);\n";
  for (std::size_t k = 0; k < d.keys.size(); ++k) sql += indexSql(f, static_cast<int>(k)) + ";\n";
  return sql;
}

std::string Connection::Impl::indexSql(const OpenFile& f, int k) const {
  const KeyDecl& key = f.decl->keys[k];
  return std::string("CREATE ") + (key.unique ? "UNIQUE " : "") + "INDEX IF NOT EXISTS " +
         f.schema + "." + sqlName(key.name + " index") + " ON records(" + sqlName(key.name) +
         ") WHERE " + sqlName(key.name) + " IS NOT NULL";
}

Code Connection::Impl::createSchema(OpenFile& f) {
  // Two stations may create the same missing file at once: the write lock orders them and the
  // second finds the tables already there.
  if (exec("BEGIN IMMEDIATE") != SQLITE_OK) return fromSqlite(db, sqlite3_errcode(db));
  inTxn = true;
  int rc = sqlite3_exec(db, createSql(f).c_str(), nullptr, nullptr, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_stmt* s = nullptr;
    rc = sqlite3_prepare_v2(
        db,
        ("INSERT INTO " + f.schema + ".layout (text) SELECT ?1 WHERE NOT EXISTS (SELECT 1 FROM " +
         f.schema + ".layout)")
            .c_str(),
        -1, &s, nullptr);
    if (rc == SQLITE_OK) {
      const std::string layout = layoutText(*f.decl);
      sqlite3_bind_text(s, 1, layout.c_str(), -1, SQLITE_TRANSIENT);
      rc = sqlite3_step(s) == SQLITE_DONE ? SQLITE_OK : sqlite3_errcode(db);
    }
    sqlite3_finalize(s);
  }
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  inTxn = false;
  if (rc != SQLITE_OK) {
    const Code c = fromSqlite(db, rc);
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    return c;
  }
  return Ok;
}

int Connection::Impl::tableCount(OpenFile& f) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(
          db, ("SELECT count(*) FROM " + f.schema + ".sqlite_master WHERE type='table'").c_str(),
          -1, &s, nullptr) != SQLITE_OK) {
    fromSqlite(db, sqlite3_errcode(db));
    return -1;
  }
  int n = -1;
  const int rc = retrying([&] {
    sqlite3_reset(s);
    return sqlite3_step(s);
  });
  if (rc == SQLITE_ROW)
    n = sqlite3_column_int(s, 0);
  else
    fromSqlite(db, rc);
  sqlite3_finalize(s);
  return n;
}

Code Connection::Impl::checkLayout(OpenFile& f) {
  sqlite3_stmt* s = nullptr;
  if (int rc = sqlite3_prepare_v2(db, ("SELECT text FROM " + f.schema + ".layout").c_str(), -1, &s,
                                  nullptr);
      rc != SQLITE_OK) {
    // A file without the layout table is no file of ours; one that is busy is only busy.
    if (busy(rc)) return fromSqlite(db, rc);
    const std::string msg = sqlite3_errmsg(db);
    return setError(InvalidRecordDeclaration, sqlite3_extended_errcode(db), msg);
  }
  std::string stored;
  const int rc = retrying([&] {
    sqlite3_reset(s);
    return sqlite3_step(s);
  });
  if (rc == SQLITE_ROW)
    stored = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
  else if (rc != SQLITE_DONE) {
    const Code c = fromSqlite(db, rc);
    sqlite3_finalize(s);
    return c;
  }
  sqlite3_finalize(s);
  if (stored != layoutText(*f.decl))
    return setError(InvalidRecordDeclaration, 0,
                    f.path + " was written with another record layout");
  return Ok;
}

Code Connection::Impl::hasIndex(OpenFile& f, const std::string& name, bool* present) {
  sqlite3_stmt* s = nullptr;
  int rc = sqlite3_prepare_v2(
      db, ("SELECT 1 FROM " + f.schema + ".sqlite_master WHERE type='index' AND name=?1").c_str(),
      -1, &s, nullptr);
  if (rc == SQLITE_OK) {
    sqlite3_bind_text(s, 1, name.c_str(), -1, SQLITE_TRANSIENT);
    rc = retrying([&] {
      sqlite3_reset(s);
      return sqlite3_step(s);
    });
  }
  sqlite3_finalize(s);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) return fromSqlite(db, rc);
  *present = rc == SQLITE_ROW;
  return Ok;
}

Code Connection::Impl::checkIndexes(OpenFile& f, OpenNotes& notes) {
  for (std::size_t k = 0; k < f.decl->keys.size(); ++k) {
    bool present = false;
    if (Code c = hasIndex(f, f.decl->keys[k].name + " index", &present); c != Ok) return c;
    if (present) continue;
    if (f.readOnly)
      return setError(InvalidKeyFile, 0,
                      "key " + f.decl->keys[k].name + " of " + f.path +
                          " is missing and the file is read-only");
    // A unique key that no longer holds (edited by hand) cannot be rebuilt: say which.
    if (int rc = exec(indexSql(f, static_cast<int>(k))); rc != SQLITE_OK) {
      if (busy(rc)) return fromSqlite(db, rc);
      const std::string msg = sqlite3_errmsg(db);
      return setError(InvalidKeyFile, sqlite3_extended_errcode(db), msg);
    }
    notes.keysRebuilt = true;
  }
  if (notes.keysRebuilt) setError(InvalidKeyFile, 0, "keys of " + f.path + " rebuilt");
  return Ok;
}

}  // namespace trv::store
