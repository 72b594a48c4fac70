#include "runtime/store/sort_snapshot.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <cstring>

#include "runtime/store/record_codec.h"
#include "runtime/store/sqlite_util.h"
#include "runtime/text/charset.h"

namespace trv::store {

using detail::fromSqlite;
using detail::sqlName;
using detail::Use;

namespace {

bool isText(FieldType t) {
  return t == FieldType::String || t == FieldType::CString;
}

// A text field without trailing blanks (and, for a zero-ended one, without what follows the zero).
std::string_view textOf(const FieldDecl& f, const char* record) {
  std::string_view raw(record + f.offset, f.width);
  if (f.type == FieldType::CString) raw = raw.substr(0, strnlen(raw.data(), raw.size()));
  while (!raw.empty() && raw.back() == ' ') raw.remove_suffix(1);
  return raw;
}

// Appends one part's image; `terminated` false leaves a text without its ending zero.
void appendPart(const FileDecl& decl, const SortPart& p, const char* record, bool terminated,
                std::string& out) {
  const std::size_t start = out.size();
  const FieldDecl& f = decl.fields[static_cast<std::size_t>(p.field)];
  if (isText(f.type)) {
    for (char ch : textOf(f, record)) {
      const char c = p.caseBlind ? text::upper1252(ch) : ch;
      // Zero and one are escaped so that the terminator sorts a shorter text first.
      if (c == '\0' || c == '\1') {
        out += '\1';
        out += static_cast<char>(c + 1);
      } else {
        out += c;
      }
    }
    if (terminated) out += '\0';
  } else {
    out += numberImage(f.type, readNumber(f, record));
  }
  if (p.descending)
    for (std::size_t i = start; i < out.size(); ++i) out[i] = static_cast<char>(~out[i]);
}

bool usable(const FileDecl& decl, const SortPart& p) {
  return p.field >= 0 && static_cast<std::size_t>(p.field) < decl.fields.size();
}

std::atomic<int> gNextTable{1};

}  // namespace

std::string sortValue(const FileDecl& decl, const std::vector<SortPart>& parts,
                      const char* record) {
  std::string v;
  for (const SortPart& p : parts)
    if (usable(decl, p)) appendPart(decl, p, record, true, v);
  return v;
}

std::string sortPrefix(const FileDecl& decl, const std::vector<SortPart>& parts,
                       const char* record) {
  std::string v;
  for (const SortPart& p : parts) {
    if (!usable(decl, p)) continue;
    appendPart(decl, p, record, false, v);
    break;
  }
  return v;
}

// The snapshot's prepared statements, made again when its file is attached under another schema.
struct SortSnapshot::Statements {
  sqlite3* db = nullptr;
  std::string schema;
  sqlite3_stmt* forward = nullptr;
  sqlite3_stmt* backward = nullptr;
  sqlite3_stmt* at = nullptr;

  ~Statements() { clear(); }
  Statements& on(const RawFile& raw) {
    if (db != raw.db || schema != raw.schema) {
      clear();
      db = raw.db;
      schema = raw.schema;
    }
    return *this;
  }
  void clear() {
    for (sqlite3_stmt* s : {forward, backward, at}) sqlite3_finalize(s);
    forward = backward = at = nullptr;
    db = nullptr;
  }
};

SortSnapshot::SortSnapshot(Connection& connection, FileId file, std::vector<SortPart> parts)
    : connection_(connection),
      file_(file),
      parts_(std::move(parts)),
      table_("trv_sort_" + std::to_string(gNextTable++)),
      statements_(std::make_unique<Statements>()) {}

SortSnapshot::~SortSnapshot() {
  statements_->clear();
  // A file closed first leaves the table to the connection's end.
  if (sqlite3* db = connection_.raw(file_).db)
    sqlite3_exec(db, ("DROP TABLE IF EXISTS temp." + table_).c_str(), nullptr, nullptr, nullptr);
}

Code SortSnapshot::take(Connection& connection, FileId file, std::vector<SortPart> parts,
                        std::unique_ptr<SortSnapshot>* out) {
  clearError();
  // The snapshot's table would belong to the transaction and vanish with its rollback, leaving
  // later pages with no table to read.
  if (connection.inTransaction())
    return setError(FileSystemError, 0, "a sorted snapshot cannot be taken inside a transaction");
  std::unique_ptr<SortSnapshot> s(new SortSnapshot(connection, file, std::move(parts)));
  if (const Code c = s->build(); c != Ok) return c;
  *out = std::move(s);
  return Ok;
}

Code SortSnapshot::build() {
  const RawFile raw = connection_.raw(file_);
  if (raw.db == nullptr) return setError(FileNotOpen);
  const FileDecl& decl = *raw.decl;
  sqlite3* db = raw.db;

  // Every record's sort value and row, in one pass that keeps no statement open.
  struct Entry {
    std::string value;
    std::int64_t row;
    std::size_t scanned;  // its index in rows_
  };
  std::vector<Entry> entries;
  rows_.clear();
  placeOfScanned_.clear();
  {
    sqlite3_stmt* scan = nullptr;
    const std::string sql = "SELECT id, data FROM " + raw.schema + ".records ORDER BY id";
    if (int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &scan, nullptr); rc != SQLITE_OK)
      return fromSqlite(db, rc);
    std::string padded;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(scan)) == SQLITE_ROW) {
      const auto* data = static_cast<const char*>(sqlite3_column_blob(scan, 1));
      const auto bytes = static_cast<std::size_t>(sqlite3_column_bytes(scan, 1));
      if (data == nullptr || bytes < decl.recordSize) {
        // A damaged record sorts as blanks where it has no bytes.
        padded.assign(decl.recordSize, '\0');
        if (data != nullptr) std::memcpy(padded.data(), data, bytes);
        data = padded.data();
      }
      const std::int64_t row = sqlite3_column_int64(scan, 0);
      entries.push_back({sortValue(decl, parts_, data), row, rows_.size()});
      rows_.push_back(row);
    }
    sqlite3_finalize(scan);
    if (rc != SQLITE_DONE) return fromSqlite(db, rc);
  }
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    const int c = a.value.compare(b.value);
    return c != 0 ? c < 0 : a.row < b.row;
  });
  placeOfScanned_.resize(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i)
    placeOfScanned_[entries[i].scanned] = static_cast<std::int64_t>(i);

  // Temporary tables live in memory; the setting is made before the first one exists (changing
  // it later would drop every temporary table of the connection).
  {
    sqlite3_stmt* q = nullptr;
    int store = 0;
    if (sqlite3_prepare_v2(db, "PRAGMA temp_store", -1, &q, nullptr) == SQLITE_OK &&
        sqlite3_step(q) == SQLITE_ROW)
      store = sqlite3_column_int(q, 0);
    sqlite3_finalize(q);
    if (store != 2) {
      sqlite3_stmt* t = nullptr;
      int tables = 0;
      if (sqlite3_prepare_v2(db, "SELECT count(*) FROM temp.sqlite_master", -1, &t, nullptr) ==
              SQLITE_OK &&
          sqlite3_step(t) == SQLITE_ROW)
        tables = sqlite3_column_int(t, 0);
      sqlite3_finalize(t);
      if (tables == 0) sqlite3_exec(db, "PRAGMA temp_store=MEMORY", nullptr, nullptr, nullptr);
    }
  }

  auto exec = [&](const std::string& sql) {
    return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  };
  if (int rc = exec("SAVEPOINT trv_sort"); rc != SQLITE_OK) return fromSqlite(db, rc);
  auto fail = [&](int rc) {
    const Code c = fromSqlite(db, rc);
    exec("ROLLBACK TO trv_sort");
    exec("RELEASE trv_sort");
    return c;
  };
  if (int rc = exec("CREATE TEMP TABLE " + table_ +
                    " (seq INTEGER PRIMARY KEY, rid INTEGER NOT NULL, v BLOB NOT NULL)");
      rc != SQLITE_OK)
    return fail(rc);
  {
    sqlite3_stmt* ins = nullptr;
    if (int rc = sqlite3_prepare_v2(
            db, ("INSERT INTO temp." + table_ + " (seq, rid, v) VALUES (?1, ?2, ?3)").c_str(), -1,
            &ins, nullptr);
        rc != SQLITE_OK)
      return fail(rc);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      sqlite3_bind_int64(ins, 1, static_cast<std::int64_t>(i));
      sqlite3_bind_int64(ins, 2, entries[i].row);
      sqlite3_bind_blob(ins, 3, entries[i].value.data(), static_cast<int>(entries[i].value.size()),
                        SQLITE_STATIC);
      const int rc = sqlite3_step(ins);
      sqlite3_reset(ins);
      if (rc != SQLITE_DONE) {
        sqlite3_finalize(ins);
        return fail(rc);
      }
    }
    sqlite3_finalize(ins);
  }
  if (int rc = exec("RELEASE trv_sort"); rc != SQLITE_OK) return fail(rc);
  size_ = static_cast<std::int64_t>(entries.size());
  return Ok;
}

namespace {

sqlite3_stmt* prepared(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) !=
      SQLITE_OK) {
    fromSqlite(db, sqlite3_errcode(db));
    sqlite3_finalize(s);
    return nullptr;
  }
  return s;
}

// What a page reads: from a place on, one record each (the memos come with it). CROSS JOIN keeps
// the snapshot as the outer loop: a seek by place, then one row each.
std::string pageSql(const RawFile& raw, const std::string& table, bool forward) {
  std::string columns = "s.seq, r.id, r.version, r.data";
  for (const MemoDecl& m : raw.decl->memos) columns += ", r." + sqlName(m.name);
  return "SELECT " + columns + " FROM temp." + table + " AS s CROSS JOIN " + raw.schema +
         ".records AS r ON r.id = s.rid WHERE s.seq " +
         (forward ? ">= ?1 ORDER BY s.seq" : "<= ?1 ORDER BY s.seq DESC") + " LIMIT ?2";
}

// What a binary search over the places reads at each step.
std::string placeSql(const std::string& table) {
  return "SELECT v, rid FROM temp." + table + " WHERE seq = ?1";
}

}  // namespace

Code SortSnapshot::read(std::int64_t from, bool forward, int count, std::vector<RecordBuffer>& out,
                        std::vector<std::int64_t>& places) {
  clearError();
  if (count <= 0 || from < 0 || from >= size_) return Ok;
  const RawFile raw = connection_.raw(file_);
  if (raw.db == nullptr) return setError(FileNotOpen);
  Statements& st = statements_->on(raw);
  sqlite3_stmt*& s = forward ? st.forward : st.backward;
  if (s == nullptr) {
    s = prepared(raw.db, pageSql(raw, table_, forward));
    if (s == nullptr) return lastError().code;
  }
  Use u(s);
  u.bindInt(1, from);
  u.bindInt(2, count);
  const std::size_t memos = raw.decl->memos.size();
  int rc = SQLITE_ROW;
  while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
    RecordBuffer b(*raw.decl);
    b.record = u.blob(3);
    b.record.resize(raw.decl->recordSize, '\0');
    for (std::size_t m = 0; m < memos; ++m) b.memos[m] = u.blob(4 + static_cast<int>(m));
    b.position = {u.integer(1), u.integer(2)};
    places.push_back(u.integer(0));
    out.push_back(std::move(b));
  }
  if (rc != SQLITE_DONE) return fromSqlite(raw.db, rc);
  return Ok;
}

Code SortSnapshot::placeOf(std::int64_t row, std::int64_t* place) const {
  clearError();
  const auto it = std::lower_bound(rows_.begin(), rows_.end(), row);
  *place = it != rows_.end() && *it == row
               ? placeOfScanned_[static_cast<std::size_t>(it - rows_.begin())]
               : -1;
  return Ok;
}

Code SortSnapshot::lowerBound(std::string_view value, std::int64_t row, std::int64_t* place) {
  clearError();
  *place = size_;
  const RawFile raw = connection_.raw(file_);
  if (raw.db == nullptr) return setError(FileNotOpen);
  Statements& st = statements_->on(raw);
  if (st.at == nullptr) {
    st.at = prepared(raw.db, placeSql(table_));
    if (st.at == nullptr) return lastError().code;
  }
  // Places are in (value, row) order: a binary search of point reads.
  std::int64_t lo = 0;
  std::int64_t hi = size_;
  while (lo < hi) {
    const std::int64_t mid = lo + (hi - lo) / 2;
    Use u(st.at);
    u.bindInt(1, mid);
    const int rc = sqlite3_step(st.at);
    if (rc != SQLITE_ROW) return fromSqlite(raw.db, rc == SQLITE_DONE ? SQLITE_CORRUPT : rc);
    const std::string v = u.blob(0);
    const int c = std::string_view(v).compare(value);
    const bool before = c != 0 ? c < 0 : u.integer(1) < row;
    if (before) {
      lo = mid + 1;
    } else {
      hi = mid;
    }
  }
  *place = lo;
  return Ok;
}

std::string SortSnapshot::TEST_plans() {
  const RawFile raw = connection_.raw(file_);
  if (raw.db == nullptr) return {};
  std::string plans;
  for (const std::string& sql :
       {pageSql(raw, table_, true), pageSql(raw, table_, false), placeSql(table_)}) {
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(raw.db, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &s, nullptr) ==
        SQLITE_OK)
      while (sqlite3_step(s) == SQLITE_ROW)
        plans += std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 3))) + "\n";
    sqlite3_finalize(s);
  }
  return plans;
}

}  // namespace trv::store
