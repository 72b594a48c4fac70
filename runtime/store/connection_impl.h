#pragma once
// What a Connection holds: its SQLite connection, the files attached to it with their statements
// and sequences, and how it waits for other stations' locks. Private to the store: shared by
// connection.cpp (operations, transactions, opening) and schema.cpp (a file's tables, layout
// and keys).

#include <sqlite3.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "runtime/store/connection.h"
#include "runtime/store/sqlite_util.h"

namespace trv::store {

namespace detail {

constexpr int kDefaultLockWaitMs = 2000;
constexpr int kDefaultOpenWaitMs = 10000;

struct Row {
  std::int64_t id = 0;
  std::int64_t version = 0;
  std::string data;
  std::vector<std::string> memos;
  std::string image;  // the sequence key's image, for key order
};

enum class Seq { None, File, Key };
// What a sequence's read-ahead statement depends on.
struct ReadForm {
  int key = -1;  // -1 file order
  bool forward = true;
  int bound = 0;  // 0 none, 1 from a start image, 2 after the last record
  bool memos = true;
  friend bool operator==(const ReadForm&, const ReadForm&) = default;
};
}  // namespace detail
using detail::Row;
using detail::Seq;

struct OpenFile {
  const FileDecl* decl = nullptr;
  std::string path;
  std::string schema;  // "main" or "f<n>"
  bool readOnly = false;
  bool hidden = false;  // closed, but kept because it is the connection's main database
  std::map<std::string, sqlite3_stmt*> statements;
  std::string lastSql;
  std::string readSql;        // the statement of the last read of the sequence
  detail::ReadForm readForm;  // what readSql was made for
  // The texts of the insert and update statements, made on their first use: [1] numbers the
  // record (add) or checks its version (put).
  std::array<std::string, 2> addSql, putSql;
  std::vector<std::string> fetchSql;  // by key, made on first use

  Seq seq = Seq::None;
  int seqKey = -1;
  std::optional<std::string> startImage;  // where a fresh key sequence starts
  bool haveLast = false;                  // lastRow/lastImage hold the last record returned
  std::int64_t lastRow = 0;
  std::string lastImage;
  int bulkRows = 1;
  bool sequenceMemos = true;  // next/previous read the memos
  std::uint64_t writes = 0;   // writes tried and rollbacks here (part of the change stamp)
  // Records read ahead: ahead[aheadNext, aheadEnd) are still to be handed out. The rows keep
  // their storage from one read to the next (a buffer's old storage comes back to them in
  // exchange), so a long scan allocates nothing per record.
  std::vector<Row> ahead;
  std::size_t aheadNext = 0;
  std::size_t aheadEnd = 0;
  bool aheadForward = true;

  std::string table() const { return schema + ".records"; }
  std::string keyColumn(int k) const { return detail::sqlName(decl->keys[k].name); }
  std::string selectColumns(bool memos = true) const {
    std::string s = "id, version, data";
    if (memos)
      for (const MemoDecl& m : decl->memos) s += ", " + detail::sqlName(m.name);
    return s;
  }
  void forget() { aheadNext = aheadEnd = 0; }
  bool aheadEmpty() const { return aheadNext == aheadEnd; }
  void finalizeAll() {
    for (auto& [sql, s] : statements) sqlite3_finalize(s);
    statements.clear();
  }
};

struct Connection::Impl {
  using Clock = std::chrono::steady_clock;

  sqlite3* db = nullptr;
  std::vector<std::unique_ptr<OpenFile>> files;  // index = FileId; null when closed
  int nextSchema = 1;
  int lockWaitMs = detail::kDefaultLockWaitMs;
  int openWaitMs = detail::kDefaultOpenWaitMs;
  bool inTxn = false;
  std::mt19937 rng{std::random_device{}()};
  // The record the last trv_put made: what a numbering insert stored. An insert reads it here
  // rather than through RETURNING, which makes SQLite build and drop a temporary table each time.
  std::string numberedRecord;

  // --- waiting for other stations' locks ----------------------------------------------------
  // Every operation waits for locks until one deadline, whatever number of statements and
  // retries it takes, so that it ends within its wait. An open sets one deadline for all of its
  // steps (pinned); a transaction shares one between its start and its commit.
  Clock::time_point waitStart{};
  Clock::time_point deadline{};
  Clock::time_point txnDeadline{};
  bool pinned = false;

  void startWait(Clock::duration wait) {
    if (pinned) return;
    waitStart = Clock::now();
    deadline = waitStart + wait;
  }
  void startWait() { startWait(std::chrono::milliseconds(lockWaitMs)); }

  // SQLite's own busy handler sleeps longer and longer between tries (up to 100 ms), so under
  // steady load a station that has waited a while loses every free moment to stations that
  // have just come, and its save or open runs out of time. Try again in short random steps
  // instead, more often the longer this operation has waited, so that the station that has
  // waited longest is the likeliest to get the lock next.
  static int onBusy(void* self, int);

  ~Impl() { closeDatabase(); }

  // The open file `id`; null when it is not open here.
  OpenFile* file(FileId id);
  void closeDatabase();
  void forgetAll();
  // After a rollback: every file's change stamp moves.
  void rolledBack();

  // --- statements ------------------------------------------------------------------------------
  // Prepares (or finds) a statement of an operation, and starts the operation's wait.
  sqlite3_stmt* prepare(OpenFile& f, const std::string& sql);
  // Runs a one-off statement (schema work, transactions), waiting out other stations' locks.
  int exec(const std::string& sql);
  // Repeats a step that meets another station's lock until the operation's wait is over.
  // Needed besides the busy handler: a reader that must become a writer is told "busy" at once
  // (SQLite's deadlock rule) and has to start its statement again. Inside a transaction every
  // lock is already held, so there is nothing to wait for.
  template <typename F>
  int retrying(F&& step) {
    for (;;) {
      const int rc = step();
      if ((rc & 0xff) != SQLITE_BUSY || inTxn || onBusy(this, 0) == 0) return rc;
    }
  }
  // The one number a `SELECT count(*) ...` of `f` answers.
  Code countRows(OpenFile& f, const std::string& sql, std::uint64_t* n);
  // Steps a statement that returns no rows (or whose rows are not wanted).
  int stepDone(sqlite3_stmt* s);
  // Reads every row of a select (id, version, data, the memos when `memos`, then the key image
  // when `withImage`) into rows[n], rows[n + 1], ..., reusing their storage, and advances n.
  int readRows(sqlite3_stmt* s, const OpenFile& f, bool memos, bool withImage,
               std::vector<Row>& rows, std::size_t& n);

  // --- records ---------------------------------------------------------------------------------
  Code checkBuffer(const OpenFile& f, RecordBuffer& buf);
  Code step(OpenFile& f, bool forward, RecordBuffer& buf);
  // A SQLite result code, or kNotPrepared (the error set) when a statement could not be made.
  static constexpr int kNotPrepared = -1;
  int readAhead(OpenFile& f, bool forward);
  static void fill(const Row& r, RecordBuffer& buf);
  // After a unique-index failure: the first key, in declaration order, that buf duplicates.
  Code duplicateKey(OpenFile& f, const RecordBuffer& buf, std::int64_t selfRow, int ext,
                    std::string text);
  Code writeFailed(OpenFile& f, const RecordBuffer& buf, std::int64_t selfRow, int rc);

  // --- opening ---------------------------------------------------------------------------------
  Code attach(const std::string& path, const char* mode, const std::string& schema);
  void detach(FileId id);

  // --- a file's tables (schema.cpp) ------------------------------------------------------------
  std::string createSql(const OpenFile& f) const;
  std::string indexSql(const OpenFile& f, int k) const;
  Code createSchema(OpenFile& f);
  // Counts the tables of the file; -1 (error set) when it cannot be read.
  int tableCount(OpenFile& f);
  Code checkLayout(OpenFile& f);
  // Whether a key's index is in the file; an error (set) when the list cannot be read.
  Code hasIndex(OpenFile& f, const std::string& name, bool* present);
  // Rebuilds the key indexes missing from the file. A busy file is busy (RecordNotAvailable),
  // never taken for a missing key.
  Code checkIndexes(OpenFile& f, OpenNotes& notes);
};

}  // namespace trv::store
