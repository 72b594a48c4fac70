#include "runtime/store/connection.h"

#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <random>
#include <thread>

#include "runtime/store/connection_impl.h"
#include "runtime/store/file_probes.h"
#include "runtime/store/record_codec.h"
#include "runtime/store/sqlite_util.h"
#include "runtime/store/super_journal.h"

namespace trv::store {

using detail::fromSqlite;
using detail::sqlName;
using detail::Use;

using detail::beforeOpenStep;
using detail::deniedFolder;
using detail::diskFull;
using detail::locksHonoured;
using detail::sameFolder;

namespace {

// --- SQL functions used by the one-statement auto-number insert -------------------------------

FieldType typeArg(sqlite3_value* v) {
  return static_cast<FieldType>(sqlite3_value_int(v));
}

// trv_num(image, type): the number of a key image (NULL for NULL).
void sqlNum(sqlite3_context* ctx, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return sqlite3_result_null(ctx);
  const auto* p = static_cast<const unsigned char*>(sqlite3_value_blob(argv[0]));
  const int n = sqlite3_value_bytes(argv[0]);
  std::uint64_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | p[i];
  std::int64_t out = static_cast<std::int64_t>(v);
  if (typeArg(argv[1]) == FieldType::Long)
    out = static_cast<std::int32_t>(static_cast<std::uint32_t>(v) ^ 0x80000000u);
  sqlite3_result_int64(ctx, out);
}

// trv_img(number, type): the key image of a number.
void sqlImg(sqlite3_context* ctx, int, sqlite3_value** argv) {
  const std::string img = numberImage(typeArg(argv[1]), sqlite3_value_int64(argv[0]));
  sqlite3_result_blob(ctx, img.data(), static_cast<int>(img.size()), SQLITE_TRANSIENT);
}

// trv_put(record, offset, width, number): the record with the number written into it.
void sqlPut(sqlite3_context* ctx, int, sqlite3_value** argv) {
  std::string rec(static_cast<const char*>(sqlite3_value_blob(argv[0])),
                  sqlite3_value_bytes(argv[0]));
  FieldDecl f;
  f.offset = static_cast<std::uint32_t>(sqlite3_value_int(argv[1]));
  f.width = static_cast<std::uint32_t>(sqlite3_value_int(argv[2]));
  f.type = f.width == 1 ? FieldType::Byte : f.width == 2 ? FieldType::UShort : FieldType::ULong;
  if (f.offset + f.width > rec.size() || !writeNumber(f, rec.data(), sqlite3_value_int64(argv[3])))
    return sqlite3_result_error(ctx, "auto-number exhausted", -1);
  sqlite3_result_blob(ctx, rec.data(), static_cast<int>(rec.size()), SQLITE_TRANSIENT);
  if (auto* made = static_cast<std::string*>(sqlite3_user_data(ctx))) *made = std::move(rec);
}

}  // namespace

RecordBuffer::RecordBuffer(const FileDecl& decl)
    : record(decl.recordSize, '\0'), memos(decl.memos.size()) {}

int Connection::Impl::onBusy(void* self, int) {
  Impl& m = *static_cast<Impl*>(self);
  const auto now = Clock::now();
  if (now >= m.deadline) return 0;
  const auto waited =
      std::chrono::duration_cast<std::chrono::milliseconds>(now - m.waitStart).count();
  const int step = static_cast<int>(std::clamp<long long>(1000 - 2 * waited, 100, 1000));
  const auto pause = std::chrono::microseconds(
      std::uniform_int_distribution<int>(step / 2, step + step / 2)(m.rng));
  std::this_thread::sleep_for(std::min<Clock::duration>(pause, m.deadline - now));
  return 1;
}

OpenFile* Connection::Impl::file(FileId id) {
  if (id < 0 || static_cast<std::size_t>(id) >= files.size()) return nullptr;
  OpenFile* f = files[id].get();
  return (f == nullptr || f->hidden) ? nullptr : f;
}

void Connection::Impl::closeDatabase() {
  for (auto& f : files)
    if (f) f->finalizeAll();
  files.clear();
  if (db != nullptr) sqlite3_close_v2(db);
  db = nullptr;
  inTxn = false;
}

sqlite3_stmt* Connection::Impl::prepare(OpenFile& f, const std::string& sql) {
  startWait();
  f.lastSql = sql;
  auto it = f.statements.find(sql);
  if (it != f.statements.end()) return it->second;
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &s, nullptr) !=
      SQLITE_OK) {
    fromSqlite(db, sqlite3_errcode(db));
    return nullptr;
  }
  f.statements.emplace(sql, s);
  return s;
}

int Connection::Impl::exec(const std::string& sql) {
  return retrying([&] { return sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr); });
}

int Connection::Impl::stepDone(sqlite3_stmt* s) {
  return retrying([&] {
    sqlite3_reset(s);
    int rc = sqlite3_step(s);
    while (rc == SQLITE_ROW) rc = sqlite3_step(s);
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
  });
}

int Connection::Impl::readRows(sqlite3_stmt* s, const OpenFile& f, bool memos, bool withImage,
                               std::vector<Row>& rows, std::size_t& n) {
  const std::size_t before = n;
  const std::size_t memoCount = f.decl->memos.size();
  auto assign = [&](std::string& to, int col) {
    const void* p = sqlite3_column_blob(s, col);
    if (p == nullptr)
      to.clear();
    else
      to.assign(static_cast<const char*>(p), sqlite3_column_bytes(s, col));
  };
  return retrying([&] {
    n = before;
    sqlite3_reset(s);
    int rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
      if (n == rows.size()) rows.emplace_back();
      Row& r = rows[n++];
      r.id = sqlite3_column_int64(s, 0);
      r.version = sqlite3_column_int64(s, 1);
      assign(r.data, 2);
      // Callers take a record of the declared size; a short (damaged) row is padded with zeros.
      r.data.resize(f.decl->recordSize, '\0');
      r.memos.resize(memoCount);
      int col = 3;
      for (std::string& m : r.memos) {
        if (memos)
          assign(m, col++);
        else
          m.clear();
      }
      if (withImage) assign(r.image, col);
    }
    return rc == SQLITE_DONE ? SQLITE_OK : rc;
  });
}

void Connection::Impl::forgetAll() {
  for (auto& f : files)
    if (f) f->forget();
}

void Connection::Impl::rolledBack() {
  // What this connection read inside the transaction is gone again, with no commit to move the
  // header's change counter: the change stamp moves for it.
  for (auto& f : files)
    if (f) ++f->writes;
}

Code Connection::Impl::checkBuffer(const OpenFile& f, RecordBuffer& buf) {
  if (buf.record.size() != f.decl->recordSize)
    return setError(
        InvalidRecordDeclaration, 0,
        "record buffer of " + std::to_string(buf.record.size()) + " bytes for " + f.decl->name);
  buf.memos.resize(f.decl->memos.size());
  for (std::size_t m = 0; m < f.decl->memos.size(); ++m)
    if (buf.memos[m].size() > f.decl->memos[m].maxLength)
      return setError(FileSystemError, 0,
                      f.decl->memos[m].name + " is longer than " +
                          std::to_string(f.decl->memos[m].maxLength) + " characters");
  return Ok;
}

void Connection::Impl::fill(const Row& r, RecordBuffer& buf) {
  buf.record = r.data;
  buf.memos = r.memos;
  buf.position = {r.id, r.version};
}

Code Connection::Impl::duplicateKey(OpenFile& f, const RecordBuffer& buf, std::int64_t selfRow,
                                    int ext, std::string text) {
  for (std::size_t k = 0; k < f.decl->keys.size(); ++k) {
    const KeyDecl& key = f.decl->keys[k];
    if (!key.unique) continue;
    const auto img = keyImage(*f.decl, key, buf.record.data());
    if (!img) continue;
    sqlite3_stmt* s = prepare(f, "SELECT 1 FROM " + f.table() + " WHERE " +
                                     f.keyColumn(static_cast<int>(k)) + " = ?1 AND id <> ?2");
    if (s == nullptr) continue;
    Use u(s);
    u.bindText(1, *img);
    u.bindInt(2, selfRow);
    if (sqlite3_step(s) == SQLITE_ROW) return setDuplicateKey(key.name, key.description, ext, text);
  }
  return setDuplicateKey({}, {}, ext, std::move(text));
}

Code Connection::Impl::writeFailed(OpenFile& f, const RecordBuffer& buf, std::int64_t selfRow,
                                   int rc) {
  if (rc == SQLITE_CONSTRAINT_UNIQUE || (rc & 0xff) == SQLITE_CONSTRAINT) {
    const int ext = sqlite3_extended_errcode(db);
    if (ext == SQLITE_CONSTRAINT_UNIQUE)
      return duplicateKey(f, buf, selfRow, ext, sqlite3_errmsg(db));
  }
  return fromSqlite(db, rc);
}

Code Connection::Impl::attach(const std::string& path, const char* mode,
                              const std::string& schema) {
  const std::string uri = detail::fileUri(path, mode);
  if (db == nullptr) {
    const int rc = sqlite3_open_v2(
        uri.c_str(), &db,
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX,
        nullptr);
    if (rc != SQLITE_OK) {
      const Code c = detail::fromSqliteOpening(db, rc, path, uri);
      sqlite3_close_v2(db);
      db = nullptr;
      return c;
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_handler(db, &Impl::onBusy, this);
    sqlite3_create_function(db, "trv_num", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, sqlNum,
                            nullptr, nullptr);
    sqlite3_create_function(db, "trv_img", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, sqlImg,
                            nullptr, nullptr);
    sqlite3_create_function(db, "trv_put", 4, SQLITE_UTF8 | SQLITE_DETERMINISTIC, &numberedRecord,
                            sqlPut, nullptr, nullptr);
    return Ok;
  }
  sqlite3_stmt* s = nullptr;
  if (sqlite3_prepare_v2(db, ("ATTACH DATABASE ?1 AS " + schema).c_str(), -1, &s, nullptr) !=
      SQLITE_OK)
    return fromSqlite(db, sqlite3_errcode(db));
  sqlite3_bind_text(s, 1, uri.c_str(), -1, SQLITE_TRANSIENT);
  const int rc = sqlite3_step(s);
  sqlite3_finalize(s);
  return rc == SQLITE_DONE ? Ok : detail::fromSqliteOpening(db, rc, path, uri);
}

void Connection::Impl::detach(FileId id) {
  OpenFile& f = *files[id];
  f.finalizeAll();
  if (f.schema == "main") {
    f.hidden = true;
  } else {
    sqlite3_exec(db, ("DETACH DATABASE " + f.schema).c_str(), nullptr, nullptr, nullptr);
    files[id].reset();
  }
  const bool anyVisible =
      std::any_of(files.begin(), files.end(), [](const auto& p) { return p && !p->hidden; });
  if (!anyVisible) closeDatabase();
}

Connection::Connection() : impl_(std::make_unique<Impl>()) {}
Connection::~Connection() = default;

std::size_t Connection::openFiles() const {
  return static_cast<std::size_t>(std::count_if(impl_->files.begin(), impl_->files.end(),
                                                [](const auto& p) { return p && !p->hidden; }));
}

bool Connection::isOpen(FileId id) const {
  return impl_->file(id) != nullptr;
}

void Connection::setOpenWaitSeconds(int seconds) {
  impl_->openWaitMs = std::clamp(seconds, 1, 60) * 1000;
}

void Connection::setLockRecoverySeconds(int seconds) {
  impl_->lockWaitMs = std::clamp(seconds, 1, 60) * 1000;
}

Code Connection::send(std::string_view command) {
  clearError();
  constexpr std::string_view kRecover = "Recover=";
  if (command.substr(0, kRecover.size()) == kRecover) {
    const std::string_view value = command.substr(kRecover.size());
    int seconds = 0;
    const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (ec == std::errc() && end == value.data() + value.size() && seconds > 0) {
      setLockRecoverySeconds(seconds);
      return Ok;
    }
  }
  return setError(EntryNotFound, 0, "unknown driver command: " + std::string(command));
}

Code Connection::open(const FileDecl& decl, const std::string& path, OpenMode mode, FileId* id,
                      OpenNotes* notesOut) {
  clearError();
  OpenNotes notes;
  Impl& m = *impl_;
  if (std::string why = checkDeclaration(decl); !why.empty())
    return setError(InvalidRecordDeclaration, 0, why);

  std::error_code ec;
  const std::filesystem::path fsPath = std::filesystem::absolute(path, ec);
  const std::string full = fsPath.lexically_normal().string();
  const std::string folder = fsPath.parent_path().string();

  FileId reuse = -1;
  for (std::size_t i = 0; i < m.files.size(); ++i) {
    if (!m.files[i] || m.files[i]->path != full) continue;
    if (!m.files[i]->hidden) return setError(FileAlreadyOpen, 0, full);
    reuse = static_cast<FileId>(i);
  }
  if (reuse >= 0 && m.files[reuse]->readOnly != (mode == OpenMode::ReadOnly)) {
    // The hidden main database was opened with the other mode: start the connection afresh
    // once nothing else is open, else refuse rather than give the wrong access.
    if (openFiles() != 0) return setError(FileAlreadyOpen, 0, full + " is held with other access");
    m.closeDatabase();
    reuse = -1;
  }

  struct stat st {};
  bool exists = ::stat(full.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode))
    return setError(FileSystemError, EISDIR, full + " is a folder");
  if (!exists) {
    struct stat dirSt {};
    if (::stat(folder.c_str(), &dirSt) != 0 || !S_ISDIR(dirSt.st_mode))
      return setError(PathNotFound, errno ? errno : ENOTDIR, folder);
    if (!decl.createWhenMissing || mode == OpenMode::ReadOnly)
      return setError(FileNotFound, ENOENT, full);
  }
  if (mode == OpenMode::Shared) {
    const std::string denied = deniedFolder();
    const bool faulted = sameFolder(denied, folder);
    if (faulted || ::access(folder.c_str(), W_OK) != 0 ||
        (exists && ::access(full.c_str(), W_OK) != 0))
      return setError(AccessDenied, faulted ? EACCES : errno, full + " cannot be written");
  }

  if (mode == OpenMode::Shared && !locksHonoured(folder))
    return setError(FileSystemError, ENOLCK,
                    "the file system of " + folder +
                        " does not keep file locks; use a local disk or a share with locking");
  if (mode == OpenMode::Shared) detail::removeStaleSuperJournals(folder);

  // One wait for all the steps of the open, longer than an operation's: a file that cannot be
  // opened may end the program.
  m.startWait(std::chrono::milliseconds(std::max(m.openWaitMs, m.lockWaitMs)));
  m.pinned = true;
  struct Unpin {
    bool& pinned;
    ~Unpin() { pinned = false; }
  } unpin{m.pinned};

  FileId fid = reuse;
  if (fid < 0) {
    auto f = std::make_unique<OpenFile>();
    f->decl = &decl;
    f->path = full;
    f->readOnly = mode == OpenMode::ReadOnly;
    f->schema = m.db == nullptr ? "main" : "f" + std::to_string(m.nextSchema++);
    const char* uriMode = f->readOnly ? "ro" : (exists ? "rw" : "rwc");
    const bool made = !exists && !f->readOnly && detail::createDataFile(full);
    if (Code c = m.attach(full, uriMode, f->schema); c != Ok) {
      if (made) ::unlink(full.c_str());  // the empty file made for it, never opened
      return c;
    }
    if (!f->readOnly) {
      m.exec("PRAGMA " + f->schema + ".journal_mode=DELETE");
      m.exec("PRAGMA " + f->schema + ".synchronous=FULL");
    }
    m.files.push_back(std::move(f));
    fid = static_cast<FileId>(m.files.size() - 1);
  } else {
    m.files[fid]->decl = &decl;
    m.files[fid]->addSql = {};
    m.files[fid]->putSql = {};
    m.files[fid]->fetchSql.clear();
    m.files[fid]->readSql.clear();
    m.files[fid]->hidden = false;
  }
  OpenFile& f = *m.files[fid];

  auto fail = [&](Code c) {
    const Error keep = lastError();
    m.detach(fid);
    setError(keep.code, keep.driverCode, keep.driverText);
    return c;
  };

  beforeOpenStep("tables");
  const int tables = m.tableCount(f);
  if (tables < 0) return fail(lastError().code);
  if (tables == 0) {
    // A file without tables is a file whose creation never completed: create it when allowed.
    if (!decl.createWhenMissing || f.readOnly)
      return fail(setError(InvalidRecordDeclaration, 0, full + " holds no records table"));
    if (Code c = m.createSchema(f); c != Ok) return fail(c);
    notes.created = true;
  }
  beforeOpenStep("layout");
  if (Code c = m.checkLayout(f); c != Ok) return fail(c);
  beforeOpenStep("keys");
  if (Code c = m.checkIndexes(f, notes); c != Ok) return fail(c);

  notes.readOnly = f.readOnly;
  if (notesOut != nullptr) *notesOut = notes;
  *id = fid;
  return Ok;
}

void Connection::close(FileId id) {
  clearError();
  if (impl_->file(id) == nullptr) return;
  if (impl_->inTxn) rollback();
  impl_->detach(id);
}

Code Connection::Impl::countRows(OpenFile& f, const std::string& sql, std::uint64_t* n) {
  sqlite3_stmt* s = prepare(f, sql);
  if (s == nullptr) return lastError().code;
  Use u(s);
  const int rc = retrying([&] {
    sqlite3_reset(s);
    return sqlite3_step(s);
  });
  if (rc != SQLITE_ROW) return fromSqlite(db, rc);
  *n = static_cast<std::uint64_t>(sqlite3_column_int64(s, 0));
  return Ok;
}

Code Connection::count(FileId id, std::uint64_t* n) {
  clearError();
  OpenFile* f = impl_->file(id);
  if (f == nullptr) return setError(FileNotOpen);
  return impl_->countRows(*f, "SELECT count(*) FROM " + f->table(), n);
}

Code Connection::countKeyed(FileId id, int key, std::uint64_t* n) {
  clearError();
  OpenFile* f = impl_->file(id);
  if (f == nullptr) return setError(FileNotOpen);
  if (key < 0 || static_cast<std::size_t>(key) >= f->decl->keys.size())
    return setError(EntryNotFound, 0, "no such key");
  return impl_->countRows(
      *f, "SELECT count(*) FROM " + f->table() + " WHERE " + f->keyColumn(key) + " IS NOT NULL", n);
}

Code Connection::countKeyed(FileId id, int key, std::uint64_t* n,
                            const std::function<bool()>& betweenSteps, int stepKeys) {
  if (!betweenSteps || impl_->inTxn || stepKeys < 1) return countKeyed(id, key, n);
  clearError();
  Impl& m = *impl_;
  OpenFile* f = m.file(id);
  if (f == nullptr) return setError(FileNotOpen);
  if (key < 0 || static_cast<std::size_t>(key) >= f->decl->keys.size())
    return setError(EntryNotFound, 0, "no such key");
  // Each step finds the last key of the step (key image and row, so that a run of equal keys
  // may be cut anywhere) by walking the index from the end of the step before.
  const std::string col = f->keyColumn(key);
  const std::string pick = "SELECT " + col + ", id FROM " + f->table() + " WHERE ";
  const std::string after = col + " = ?1 AND id > ?2 UNION ALL " + pick + col + " > ?1";
  const std::string last = " ORDER BY 1, 2 LIMIT 1 OFFSET ?3";
  // The first steps are small: the key of a file not read for a while comes from the disk.
  int step = std::max(1, stepKeys / 32);
  std::uint64_t total = 0;
  bool started = false;
  std::string image;
  std::int64_t row = 0;
  for (;;) {
    {
      sqlite3_stmt* s =
          m.prepare(*f, started ? pick + after + last : pick + col + " IS NOT NULL" + last);
      if (s == nullptr) return lastError().code;
      Use u(s);
      if (started) {
        u.bindText(1, image);
        u.bindInt(2, row);
      }
      u.bindInt(3, step - 1);
      const int rc = m.retrying([&] {
        sqlite3_reset(s);
        return sqlite3_step(s);
      });
      if (rc == SQLITE_DONE) break;
      if (rc != SQLITE_ROW) return fromSqlite(m.db, rc);
      image = u.blob(0);
      row = u.integer(1);
    }
    started = true;
    total += static_cast<std::uint64_t>(step);
    step = std::min(stepKeys, step * 2);
    const bool more = betweenSteps();
    f = m.file(id);
    if (f == nullptr) return setError(FileNotOpen);
    if (!more) break;
  }
  std::uint64_t rest = 0;
  if (!started) {
    if (Code c = countKeyed(id, key, &rest); c != Ok) return c;
  } else {
    sqlite3_stmt* s = m.prepare(*f, "SELECT count(*) FROM (" + pick + after + ")");
    if (s == nullptr) return lastError().code;
    Use u(s);
    u.bindText(1, image);
    u.bindInt(2, row);
    const int rc = m.retrying([&] {
      sqlite3_reset(s);
      return sqlite3_step(s);
    });
    if (rc != SQLITE_ROW) return fromSqlite(m.db, rc);
    rest = static_cast<std::uint64_t>(u.integer(0));
  }
  *n = total + rest;
  return Ok;
}

Code Connection::changeStamp(FileId id, std::uint64_t* stamp) {
  clearError();
  OpenFile* f = impl_->file(id);
  if (f == nullptr) return setError(FileNotOpen);
  // The change counter of the file's header moves with every commit to the file, at any station
  // (rollback journal). It is read without a lock, four bytes through SQLite's own handle of the
  // file, where a statement would take the file's read lock and give it back: a sorted list asks
  // at every refresh. A commit going on meanwhile shows as a change now or at the next look.
  sqlite3_file* file = nullptr;
  if (sqlite3_file_control(impl_->db, f->schema.c_str(), SQLITE_FCNTL_FILE_POINTER, &file) ==
          SQLITE_OK &&
      file != nullptr && file->pMethods != nullptr) {
    unsigned char counter[4] = {};
    const int rc = file->pMethods->xRead(file, counter, sizeof counter, 24);
    // A file still empty reads short, as zeros.
    if (rc == SQLITE_OK || rc == SQLITE_IOERR_SHORT_READ) {
      const std::uint64_t n = std::uint64_t{counter[0]} << 24 | std::uint64_t{counter[1]} << 16 |
                              std::uint64_t{counter[2]} << 8 | counter[3];
      *stamp = n + f->writes;
      return Ok;
    }
  }
  // data_version moves with every commit of another connection, never with this one's own.
  sqlite3_stmt* s = impl_->prepare(*f, "PRAGMA " + f->schema + ".data_version");
  if (s == nullptr) return lastError().code;
  Use u(s);
  const int rc = impl_->retrying([&] {
    sqlite3_reset(s);
    return sqlite3_step(s);
  });
  if (rc != SQLITE_ROW) return fromSqlite(impl_->db, rc);
  *stamp = static_cast<std::uint64_t>(sqlite3_column_int64(s, 0)) + f->writes;
  return Ok;
}

Code Connection::fetch(FileId id, int key, RecordBuffer& buf) {
  clearError();
  OpenFile* f = impl_->file(id);
  if (f == nullptr) return setError(FileNotOpen);
  if (key < 0 || static_cast<std::size_t>(key) >= f->decl->keys.size())
    return setError(EntryNotFound, 0, "no such key");
  if (buf.record.size() != f->decl->recordSize) return impl_->checkBuffer(*f, buf);
  const auto img = keyImage(*f->decl, f->decl->keys[key], buf.record.data());
  if (!img) return setError(RecordNotFound);
  if (f->fetchSql.size() != f->decl->keys.size()) f->fetchSql.assign(f->decl->keys.size(), {});
  std::string& sql = f->fetchSql[static_cast<std::size_t>(key)];
  if (sql.empty())
    sql = "SELECT " + f->selectColumns() + " FROM " + f->table() + " WHERE " + f->keyColumn(key) +
          " = ?1 ORDER BY id LIMIT 1";
  sqlite3_stmt* s = impl_->prepare(*f, sql);
  if (s == nullptr) return lastError().code;
  Use u(s);
  u.bindText(1, *img);
  std::vector<Row> rows;
  std::size_t n = 0;
  if (int rc = impl_->readRows(s, *f, true, false, rows, n); rc != SQLITE_OK)
    return fromSqlite(impl_->db, rc);
  if (n == 0) return setError(RecordNotFound);
  Impl::fill(rows[0], buf);
  return Ok;
}

std::string Connection::TEST_fetchPlan(FileId id, int key) {
  OpenFile* f = impl_->file(id);
  if (f == nullptr) return {};
  const std::string sql = "EXPLAIN QUERY PLAN SELECT " + f->selectColumns() + " FROM " +
                          f->table() + " WHERE " + f->keyColumn(key) + " = ?1 ORDER BY id LIMIT 1";
  sqlite3_stmt* s = nullptr;
  std::string plan;
  if (sqlite3_prepare_v2(impl_->db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK)
    while (sqlite3_step(s) == SQLITE_ROW)
      plan += std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 3))) + "\n";
  sqlite3_finalize(s);
  return plan;
}

namespace {
std::string explain(sqlite3* db, const std::string& sql) {
  sqlite3_stmt* s = nullptr;
  std::string plan;
  if (sqlite3_prepare_v2(db, ("EXPLAIN QUERY PLAN " + sql).c_str(), -1, &s, nullptr) == SQLITE_OK)
    while (sqlite3_step(s) == SQLITE_ROW)
      plan += std::string(reinterpret_cast<const char*>(sqlite3_column_text(s, 3))) + "\n";
  sqlite3_finalize(s);
  return plan;
}
}  // namespace

std::string Connection::TEST_lastPlan(FileId id) {
  OpenFile* f = impl_->file(id);
  return f == nullptr ? std::string() : explain(impl_->db, f->lastSql);
}

std::string Connection::TEST_lastReadPlan(FileId id) {
  OpenFile* f = impl_->file(id);
  return f == nullptr ? std::string() : explain(impl_->db, f->readSql);
}

Code Connection::get(FileId id, Position pos, RecordBuffer& buf) {
  clearError();
  OpenFile* f = impl_->file(id);
  if (f == nullptr) return setError(FileNotOpen);
  sqlite3_stmt* s =
      impl_->prepare(*f, "SELECT " + f->selectColumns() + " FROM " + f->table() + " WHERE id = ?1");
  if (s == nullptr) return lastError().code;
  Use u(s);
  u.bindInt(1, pos.row);
  std::vector<Row> rows;
  std::size_t n = 0;
  if (int rc = impl_->readRows(s, *f, true, false, rows, n); rc != SQLITE_OK)
    return fromSqlite(impl_->db, rc);
  if (n == 0) return setError(RecordNotFound);
  Impl::fill(rows[0], buf);
  return Ok;
}

Code Connection::setKeyOrder(FileId id, int key, const RecordBuffer* from) {
  clearError();
  OpenFile* f = impl_->file(id);
  if (f == nullptr) return setError(FileNotOpen);
  if (key < 0 || static_cast<std::size_t>(key) >= f->decl->keys.size())
    return setError(EntryNotFound, 0, "no such key");
  f->seq = Seq::Key;
  f->seqKey = key;
  f->haveLast = false;
  f->startImage.reset();
  f->forget();
  if (from != nullptr && from->record.size() == f->decl->recordSize)
    f->startImage = keyImage(*f->decl, f->decl->keys[key], from->record.data());
  return Ok;
}

Code Connection::setFileOrder(FileId id) {
  clearError();
  OpenFile* f = impl_->file(id);
  if (f == nullptr) return setError(FileNotOpen);
  f->seq = Seq::File;
  f->haveLast = false;
  f->startImage.reset();
  f->forget();
  return Ok;
}

Code Connection::setSequenceAt(FileId id, int key, const RecordBuffer& at) {
  clearError();
  OpenFile* f = impl_->file(id);
  if (f == nullptr) return setError(FileNotOpen);
  if (key >= 0 && static_cast<std::size_t>(key) >= f->decl->keys.size())
    return setError(EntryNotFound, 0, "no such key");
  if (at.record.size() != f->decl->recordSize)
    return setError(EntryNotFound, 0, "record of another file");
  f->startImage.reset();
  f->forget();
  if (key < 0) {
    f->seq = Seq::File;
    f->haveLast = true;
    f->lastRow = at.position.row;
    return Ok;
  }
  auto image = keyImage(*f->decl, f->decl->keys[key], at.record.data());
  if (!image) return setError(EntryNotFound, 0, "record is not in that key");
  f->seq = Seq::Key;
  f->seqKey = key;
  f->haveLast = true;
  f->lastRow = at.position.row;
  f->lastImage = std::move(*image);
  return Ok;
}

void Connection::setBulkRows(FileId id, int rows) {
  if (OpenFile* f = impl_->file(id)) {
    f->bulkRows = std::clamp(rows, 1, 1000);
    f->forget();
    // Keep no more rows' storage than a read can use.
    if (f->ahead.size() > static_cast<std::size_t>(f->bulkRows))
      f->ahead.resize(static_cast<std::size_t>(f->bulkRows));
  }
}

void Connection::setSequenceMemos(FileId id, bool read) {
  if (OpenFile* f = impl_->file(id)) {
    f->sequenceMemos = read;
    f->forget();
  }
}

namespace {
// The text of readAhead's statement for the file's sequence (`bound` as there).
std::string readStatement(const OpenFile& f, bool forward, int bound) {
  const bool byKey = f.seq == Seq::Key;
  const char* dir = forward ? "" : " DESC";
  const char* beyond = forward ? " > " : " < ";
  const std::string col = byKey ? f.keyColumn(f.seqKey) : std::string();
  const std::string select = "SELECT " + f.selectColumns(f.sequenceMemos) +
                             (byKey ? ", " + col : std::string()) + " FROM " + f.table() +
                             " WHERE ";
  const std::string order =
      (byKey ? " ORDER BY " + col + dir + ", id" : std::string(" ORDER BY id")) + dir + " LIMIT ?3";
  std::string where;
  if (!byKey) {
    where = bound == 2 ? std::string("id") + beyond + "?2" : "1";
  } else if (bound == 2 && f.decl->keys[f.seqKey].unique) {
    where = col + beyond + "?1";  // no run of equal keys to finish first
  } else if (bound == 2) {
    where = col + " = ?1 AND id" + beyond + "?2 UNION ALL " + select + col + beyond + "?1";
  } else if (bound == 1) {
    where = col + (forward ? " >= ?1" : " <= ?1");
  } else {
    where = col + " IS NOT NULL";
  }
  return select + where + order;
}
}  // namespace

// Fills f.ahead with the next bulkRows records of the sequence, with one statement that is an
// index search wherever the sequence stands. Going on from a record inside a run of equal keys
// takes two searches merged in key order: the rest of the run (k = ? AND id > ?, a search on
// the key and the row) and the keys beyond it (k > ?). One bound on the pair (k, id) would make
// SQLite search on k alone and step over the run's earlier records one by one, so a page inside
// a long run would cost the run.
int Connection::Impl::readAhead(OpenFile& f, bool forward) {
  const bool byKey = f.seq == Seq::Key;
  // 0 none, 1 the start image, 2 the last record
  const int bound = f.haveLast ? 2 : (byKey && f.startImage ? 1 : 0);
  // A long scan reads batch after batch with one statement: its text is made once.
  const detail::ReadForm form{byKey ? f.seqKey : -1, forward, bound, f.sequenceMemos};
  if (f.readSql.empty() || !(f.readForm == form)) {
    f.readForm = form;
    f.readSql = readStatement(f, forward, bound);
  }
  sqlite3_stmt* s = prepare(f, f.readSql);
  if (s == nullptr) return kNotPrepared;
  Use u(s);
  if (bound == 1) u.bindText(1, *f.startImage);
  if (bound == 2) {
    if (byKey) u.bindText(1, f.lastImage);
    u.bindInt(2, f.lastRow);
  }
  u.bindInt(3, f.bulkRows);
  return readRows(s, f, f.sequenceMemos, byKey, f.ahead, f.aheadEnd);
}

Code Connection::Impl::step(OpenFile& f, bool forward, RecordBuffer& buf) {
  if (f.seq == Seq::None) f.seq = Seq::File;
  if (!f.aheadEmpty() && f.aheadForward != forward) f.forget();
  if (f.aheadEmpty()) {
    f.forget();
    f.aheadForward = forward;
    if (int rc = readAhead(f, forward); rc != SQLITE_OK) {
      f.forget();
      return rc == kNotPrepared ? lastError().code : fromSqlite(db, rc);
    }
    if (f.aheadEmpty()) return setError(RecordNotFound);
  }
  Row& r = f.ahead[f.aheadNext++];
  f.haveLast = true;
  f.lastRow = r.id;
  f.lastImage.swap(r.image);
  // The buffer takes the row's storage and leaves its own for the next read.
  buf.record.swap(r.data);
  buf.memos.swap(r.memos);
  buf.position = {r.id, r.version};
  return Ok;
}

Code Connection::next(FileId id, RecordBuffer& buf) {
  clearError();
  OpenFile* f = impl_->file(id);
  if (f == nullptr) return setError(FileNotOpen);
  return impl_->step(*f, true, buf);
}

Code Connection::previous(FileId id, RecordBuffer& buf) {
  clearError();
  OpenFile* f = impl_->file(id);
  if (f == nullptr) return setError(FileNotOpen);
  return impl_->step(*f, false, buf);
}

Code Connection::add(FileId id, RecordBuffer& buf) {
  clearError();
  Impl& m = *impl_;
  OpenFile* f = m.file(id);
  if (f == nullptr) return setError(FileNotOpen);
  if (f->readOnly) return setError(AccessDenied, 0, f->path + " is open read-only");
  if (diskFull(f->path)) return FileSystemError;
  if (Code c = m.checkBuffer(*f, buf); c != Ok) return c;
  m.forgetAll();
  ++f->writes;
  const FileDecl& d = *f->decl;
  const int autoKey = d.autoNumberKey();
  const bool numbering =
      autoKey >= 0 && readNumber(d.fields[d.keys[autoKey].components[0]], buf.record.data()) == 0;

  // The statement's text depends only on the file and on numbering: made once.
  std::string& sql = f->addSql[numbering ? 1 : 0];
  if (sql.empty()) {
    int param = 2;
    std::string cols = "version, data";
    std::string vals;
    for (const KeyDecl& k : d.keys) cols += ", " + sqlName(k.name);
    for (const MemoDecl& mm : d.memos) cols += ", " + sqlName(mm.name);
    if (numbering) {
      const FieldDecl& nf = d.fields[d.keys[autoKey].components[0]];
      const std::string t = std::to_string(static_cast<int>(nf.type));
      vals =
          "1, trv_put(?1, " + std::to_string(nf.offset) + ", " + std::to_string(nf.width) + ", n)";
      for (std::size_t k = 0; k < d.keys.size(); ++k)
        vals += static_cast<int>(k) == autoKey ? ", trv_img(n, " + t + ")"
                                               : ", ?" + std::to_string(param++);
      for (std::size_t i = 0; i < d.memos.size(); ++i) vals += ", ?" + std::to_string(param++);
      const std::string ac = f->keyColumn(autoKey);
      sql = "INSERT INTO " + f->table() + " (" + cols + ") SELECT " + vals +
            " FROM (SELECT coalesce(trv_num(max(" + ac + "), " + t + "), 0) + 1 AS n FROM " +
            f->table() + " WHERE " + ac + " IS NOT NULL)";
    } else {
      vals = "1, ?1";
      for (std::size_t k = 0; k < d.keys.size() + d.memos.size(); ++k)
        vals += ", ?" + std::to_string(param++);
      sql = "INSERT INTO " + f->table() + " (" + cols + ") VALUES (" + vals + ")";
    }
  }
  sqlite3_stmt* s = m.prepare(*f, sql);
  if (s == nullptr) return lastError().code;
  Use u(s);
  u.bindText(1, buf.record);
  int param = 2;
  for (std::size_t k = 0; k < d.keys.size(); ++k) {
    if (numbering && static_cast<int>(k) == autoKey) continue;
    const auto img = keyImage(d, d.keys[k], buf.record.data());
    if (img)
      u.bindText(param, *img);
    else
      u.bindNull(param);
    ++param;
  }
  for (const std::string& memo : buf.memos) u.bindText(param++, memo);

  m.numberedRecord.clear();
  const int rc = m.retrying([&] {
    sqlite3_reset(s);
    const int r = sqlite3_step(s);
    return r == SQLITE_DONE ? SQLITE_OK : r;
  });
  if (rc != SQLITE_OK) return m.writeFailed(*f, buf, 0, sqlite3_extended_errcode(m.db));
  buf.position = {sqlite3_last_insert_rowid(m.db), 1};
  // The record stored is the one bound, or with its number the one trv_put made.
  if (numbering) {
    if (m.numberedRecord.size() != buf.record.size()) return get(id, buf.position, buf);
    buf.record.swap(m.numberedRecord);
  }
  return Ok;
}

Code Connection::put(FileId id, RecordBuffer& buf) {
  clearError();
  Impl& m = *impl_;
  OpenFile* f = m.file(id);
  if (f == nullptr) return setError(FileNotOpen);
  if (f->readOnly) return setError(AccessDenied, 0, f->path + " is open read-only");
  if (diskFull(f->path)) return FileSystemError;
  if (!buf.position.valid()) return setError(RecordNotFound, 0, "no current record");
  if (Code c = m.checkBuffer(*f, buf); c != Ok) return c;
  m.forgetAll();
  ++f->writes;
  const FileDecl& d = *f->decl;
  const bool watched = buf.position.version != 0;
  const int rowParam = 2 + static_cast<int>(d.keys.size() + d.memos.size());
  // Made once for each of the two forms.
  std::string& sql = f->putSql[watched ? 1 : 0];
  if (sql.empty()) {
    sql = "UPDATE " + f->table() + " SET version = version + 1, data = ?1";
    int param = 2;
    for (const KeyDecl& k : d.keys)
      sql += ", " + sqlName(k.name) + " = ?" + std::to_string(param++);
    for (const MemoDecl& mm : d.memos)
      sql += ", " + sqlName(mm.name) + " = ?" + std::to_string(param++);
    sql += " WHERE id = ?" + std::to_string(rowParam);
    if (watched) sql += " AND version = ?" + std::to_string(rowParam + 1);
  }
  sqlite3_stmt* s = m.prepare(*f, sql);
  if (s == nullptr) return lastError().code;
  Use u(s);
  u.bindText(1, buf.record);
  int param = 2;
  for (const KeyDecl& k : d.keys) {
    const auto img = keyImage(d, k, buf.record.data());
    if (img)
      u.bindText(param, *img);
    else
      u.bindNull(param);
    ++param;
  }
  for (const std::string& memo : buf.memos) u.bindText(param++, memo);
  u.bindInt(rowParam, buf.position.row);
  if (watched) u.bindInt(rowParam + 1, buf.position.version);

  const int rc = m.retrying([&] {
    sqlite3_reset(s);
    const int r = sqlite3_step(s);
    return r == SQLITE_DONE ? SQLITE_OK : r;
  });
  if (rc != SQLITE_OK)
    return m.writeFailed(*f, buf, buf.position.row, sqlite3_extended_errcode(m.db));
  if (sqlite3_changes64(m.db) == 0) {
    RecordBuffer probe(d);
    const Code c = get(id, buf.position, probe);
    if (c == Ok) return setError(RecordChanged);
    return c == RecordNotFound ? setError(RecordNotFound, 0, "the record has been deleted") : c;
  }
  // Matched on its version, the row now has the next one.
  if (watched) ++buf.position.version;
  return Ok;
}

Code Connection::remove(FileId id, Position pos) {
  clearError();
  Impl& m = *impl_;
  OpenFile* f = m.file(id);
  if (f == nullptr) return setError(FileNotOpen);
  if (f->readOnly) return setError(AccessDenied, 0, f->path + " is open read-only");
  if (diskFull(f->path)) return FileSystemError;
  m.forgetAll();
  ++f->writes;
  const bool watched = pos.version != 0;
  sqlite3_stmt* s = m.prepare(
      *f, "DELETE FROM " + f->table() + " WHERE id = ?1" + (watched ? " AND version = ?2" : ""));
  if (s == nullptr) return lastError().code;
  Use u(s);
  u.bindInt(1, pos.row);
  if (watched) u.bindInt(2, pos.version);
  if (int rc = m.stepDone(s); rc != SQLITE_OK) return fromSqlite(m.db, rc);
  if (sqlite3_changes(m.db) == 0) {
    RecordBuffer probe(*f->decl);
    const Code c = get(id, pos, probe);
    return c == Ok ? setError(RecordChanged) : c;
  }
  return Ok;
}

Code Connection::empty(FileId id) {
  clearError();
  Impl& m = *impl_;
  OpenFile* f = m.file(id);
  if (f == nullptr) return setError(FileNotOpen);
  if (f->readOnly) return setError(AccessDenied, 0, f->path + " is open read-only");
  if (diskFull(f->path)) return FileSystemError;
  m.forgetAll();
  ++f->writes;
  sqlite3_stmt* s = m.prepare(*f, "DELETE FROM " + f->table());
  if (s == nullptr) return lastError().code;
  Use u(s);
  if (int rc = m.stepDone(s); rc != SQLITE_OK) return fromSqlite(m.db, rc);
  return Ok;
}

Code Connection::begin() {
  clearError();
  Impl& m = *impl_;
  if (m.db == nullptr) return setError(FileNotOpen);
  if (m.inTxn) return setError(FileSystemError, 0, "a transaction is already open");
  m.forgetAll();
  // A transaction waits for other stations' locks no longer in all than one operation: its
  // start takes at most seven eighths of the wait, its commit what is left (an eighth at least).
  const auto wait = std::chrono::milliseconds(m.lockWaitMs);
  m.startWait(wait - wait / 8);
  m.txnDeadline = m.waitStart + wait;
  if (int rc = m.exec("BEGIN IMMEDIATE"); rc != SQLITE_OK) return fromSqlite(m.db, rc);
  m.inTxn = true;
  return Ok;
}

Code Connection::commit() {
  clearError();
  Impl& m = *impl_;
  if (!m.inTxn) return setError(FileSystemError, 0, "no transaction is open");
  // Commit waits for readers to finish; that wait is not a deadlock, so keep retrying.
  m.inTxn = false;
  m.startWait(std::max<Impl::Clock::duration>(m.txnDeadline - Impl::Clock::now(),
                                              std::chrono::milliseconds(m.lockWaitMs) / 8));
  const int rc = m.exec("COMMIT");
  if (rc != SQLITE_OK) {
    const Code c = fromSqlite(m.db, rc);
    const Error keep = lastError();
    sqlite3_exec(m.db, "ROLLBACK", nullptr, nullptr, nullptr);
    m.rolledBack();
    setError(keep.code, keep.driverCode, keep.driverText);
    return c;
  }
  return Ok;
}

void Connection::rollback() {
  Impl& m = *impl_;
  if (!m.inTxn) return;
  m.forgetAll();
  sqlite3_exec(m.db, "ROLLBACK", nullptr, nullptr, nullptr);
  m.rolledBack();
  m.inTxn = false;
}

bool Connection::inTransaction() const {
  return impl_->inTxn;
}

RawFile Connection::raw(FileId id) {
  OpenFile* f = impl_->file(id);
  if (f == nullptr) return {};
  // The extension's statements wait for other stations' locks as an operation of the store does.
  impl_->startWait();
  return {impl_->db, f->schema, f->decl};
}

}  // namespace trv::store
