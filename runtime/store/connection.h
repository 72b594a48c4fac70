#pragma once
// The keyed-record store: data files on SQLite, reached through one Connection per thread.
//
// Each data file is one SQLite database (readable with the stock sqlite3 client): a table
// "records" holding the packed record as a blob, a version that every write raises, one
// key-image column per key with a partial index (unique keys a unique index), the memos, and a
// table "layout" with the declaration's canonical text. Row ids are never reused, so a
// remembered Position can never match another record.
//
// Threads: a Connection belongs to one thread at a time and is not thread-safe. Files opened on
// one Connection are attached to one SQLite connection, so a transaction over several of them
// commits atomically across them (rollback journal, never WAL). Two Connections in one process
// behave as two stations. No read statement stays open when an operation returns, so a caller
// may yield between any two calls; it must not yield inside a transaction.
//
// Errors: every operation returns a Code (Ok or the failure) and sets the calling thread's last
// error (error.h). A lock that cannot be had within the lock-recovery time gives
// RecordNotAvailable, never a hang: an operation waits that long in all, however many
// statements it runs, and so does a transaction from its begin to its commit; an open waits the
// longer open wait. Waiting stations try again in short steps, so none is starved by the others.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/store/declaration.h"
#include "runtime/store/error.h"

struct sqlite3;

namespace trv::store {

// What the store's own extensions kept in files of their own (sort snapshots) reach of an open
// file: the SQLite connection it is attached to and the schema it is attached under.
struct RawFile {
  sqlite3* db = nullptr;  // null when the file is not open
  std::string schema;
  const FileDecl* decl = nullptr;
};

// Where a record is: its row and the version it had when it was read.
struct Position {
  std::int64_t row = 0;
  std::int64_t version = 0;  // 0: not watched (a put or delete does not check for changes)
  bool valid() const { return row > 0; }
  friend bool operator==(const Position&, const Position&) = default;
};

// A record with its memos and its position, as read or to be written.
struct RecordBuffer {
  std::string record;              // exactly the declaration's recordSize bytes
  std::vector<std::string> memos;  // one per declared memo
  Position position;

  explicit RecordBuffer(const FileDecl& decl);
  RecordBuffer() = default;
};

enum class OpenMode { Shared, ReadOnly };

// What an open found and did besides opening.
struct OpenNotes {
  bool created = false;      // the file was missing and has been created empty
  bool keysRebuilt = false;  // a key index was missing and has been rebuilt
  bool readOnly = false;
};

using FileId = int;

class Connection {
 public:
  Connection();
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Opens the data file at `path` as declared. A missing file is created empty when
  // decl.createWhenMissing, else FileNotFound (PathNotFound when its folder is missing). An open
  // for Shared on a file or folder that cannot be written gives AccessDenied (the caller may
  // retry ReadOnly). A file whose stored layout differs gives InvalidRecordDeclaration; a file
  // that is no data file FileSystemError; a path already open here FileAlreadyOpen. A missing
  // key index is rebuilt (notes->keysRebuilt; InvalidKeyFile when it cannot be). A folder whose
  // file system does not keep file locks (probed once per folder) is refused with
  // FileSystemError. `decl` must outlive the open file.
  [[nodiscard]] Code open(const FileDecl& decl, const std::string& path, OpenMode mode, FileId* id,
                          OpenNotes* notes = nullptr);
  // Closes a file opened here; its id becomes invalid.
  void close(FileId id);
  bool isOpen(FileId id) const;
  std::size_t openFiles() const;

  // Sets how long an operation waits for another station's lock ("Recover=" seconds).
  void setLockRecoverySeconds(int seconds);
  // Sets how long an open (with the check of the file's layout and keys) waits for another
  // station's lock: 10 seconds unless set, and never less than an operation waits.
  void setOpenWaitSeconds(int seconds);
  // A driver command as text: "Recover=N" sets the lock-recovery time to N seconds. Any other
  // command gives EntryNotFound.
  [[nodiscard]] Code send(std::string_view command);

  [[nodiscard]] Code count(FileId id, std::uint64_t* n);
  // The records that key `key` holds: those whose key fields are not all zero or blank. Read
  // from the key alone, so much quicker than count() on a file of large records.
  [[nodiscard]] Code countKeyed(FileId id, int key, std::uint64_t* n);
  // As countKeyed, in steps of up to `stepKeys` keys, calling `betweenSteps` in between with no
  // statement open (a long count lets other threads in there); its false has the rest counted
  // without further calls. Outside a transaction; inside one, or without `betweenSteps`, in one
  // go. Keys added or removed between the steps may or may not be counted.
  [[nodiscard]] Code countKeyed(FileId id, int key, std::uint64_t* n,
                                const std::function<bool()>& betweenSteps, int stepKeys = 20000);
  // A number that differs from the one given before whenever the file may have changed since,
  // here or at any station (equal numbers: nothing was written in between). Costs one read of
  // four bytes of the file's header, without a lock.
  [[nodiscard]] Code changeStamp(FileId id, std::uint64_t* stamp);

  // Reads the first record (lowest row) whose key `key` equals the key fields of buf.record.
  // RecordNotFound when none (or when those fields are all blank or zero).
  [[nodiscard]] Code fetch(FileId id, int key, RecordBuffer& buf);
  // Reads the record at buf.position (its current version). RecordNotFound when it is gone.
  [[nodiscard]] Code get(FileId id, Position pos, RecordBuffer& buf);

  // Sets the file's sequence: key order from the start (`from` null) or from the first record
  // whose key is at or after the key fields of `from` (next) / at or before them (previous).
  [[nodiscard]] Code setKeyOrder(FileId id, int key, const RecordBuffer* from = nullptr);
  // File order (the order records were added) from the start.
  [[nodiscard]] Code setFileOrder(FileId id);
  // Sets the sequence to go on from the record `at` (its key fields and its row): next reads the
  // records after it and previous the ones before it, in the order of key `key`, or in file
  // order when `key` is -1. Lets a list page on from any row, duplicates included: each read
  // costs an index search wherever the record stands in a run of equal keys. EntryNotFound when
  // the record's key fields leave it out of that key.
  [[nodiscard]] Code setSequenceAt(FileId id, int key, const RecordBuffer& at);
  // The next / previous record of the sequence; RecordNotFound at its end. Records added,
  // changed or deleted in between (here or by other stations) are seen, the current one
  // included: deleting the record just read and then reading next goes on with the one after.
  [[nodiscard]] Code next(FileId id, RecordBuffer& buf);
  [[nodiscard]] Code previous(FileId id, RecordBuffer& buf);
  // Reading hint: next/previous read this many records at a time (1 to 1000). Records read
  // ahead are returned as they were read; any write through this connection drops them.
  void setBulkRows(FileId id, int rows);
  // Reading hint: with `read` false, next/previous leave the memos of buf empty, for a scan that
  // needs only the records (it reads less). fetch and get always read the memos.
  void setSequenceMemos(FileId id, bool read);

  // Adds buf as a new record. With an auto-numbered key whose field is 0, the record gets the
  // highest number plus one (1 in an empty file), taken and added in one statement; buf.record
  // then holds the number. Sets buf.position. DuplicateKey (with the first such key's
  // description) when a unique key would be duplicated.
  [[nodiscard]] Code add(FileId id, RecordBuffer& buf);
  // Writes buf over the record at buf.position. With a watched position, RecordChanged when
  // another write came in between, RecordNotFound when the record is gone. Raises the version
  // in buf.position.
  [[nodiscard]] Code put(FileId id, RecordBuffer& buf);
  // Deletes the record at pos (checked as put checks).
  [[nodiscard]] Code remove(FileId id, Position pos);
  // Deletes every record (auto-numbers then start again at 1; row ids are still never reused).
  [[nodiscard]] Code empty(FileId id);

  // A transaction over every file open here; all or nothing. Commit failure rolls back.
  [[nodiscard]] Code begin();
  [[nodiscard]] Code commit();
  void rollback();
  bool inTransaction() const;

  // Explains the plan of the statement that `fetch` would run (for tests: every key read is an
  // index search).
  std::string TEST_fetchPlan(FileId id, int key);
  // Explains the plan of the last statement this file ran (for tests of key sequences).
  std::string TEST_lastPlan(FileId id);
  // Explains the plan of the statement that the last read of the file's sequence ran (the last
  // next/previous that read from the file rather than from the records read ahead).
  std::string TEST_lastReadPlan(FileId id);

  // For the store's extensions only (see RawFile); no statement of theirs may stay open when
  // their operation returns. Starts an operation's wait for other stations' locks: take it
  // afresh at the start of each operation.
  RawFile raw(FileId id);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Copies a closed or open data file to `target`, its bytes read under its read lock (so no one
// writes it meanwhile), through a temporary file beside the target renamed over it, so the copy
// is never torn.
[[nodiscard]] Code copyFile(const std::string& source, const std::string& target);
// Copies several data files (source, target) as copyFile does, so that the copies agree with
// each other (one state of all the files); no target changes unless every copy succeeded.
// FileNotFound when a source is missing. With `betweenSteps`, each file is copied in steps of a
// megabyte and a half, calling it in between with no lock held on any source (long work lets
// other threads in there); its false (the program ends) has the rest copied without further calls.
// A file that changes meanwhile is copied again, and at the last under one read of all files,
// so the copy ends. Without it, all files are copied in one go under one read transaction.
[[nodiscard]] Code copyFiles(const std::vector<std::pair<std::string, std::string>>& files,
                             const std::function<bool()>& betweenSteps = {});

// Test switches, for the paths that permission bits cannot show when tests run as root:
// `denyWriteIn` makes every Shared open of a file in that folder fail with AccessDenied, as a
// folder without write permission would; `diskFullIn` makes every add, put, remove and empty of
// a file in that folder fail with FileSystemError, as a full disk would.
// `betweenOpenSteps` is called by every open before each of its steps ("tables", "layout",
// "keys"), with no lock held, so that a test can take another station's lock just there.
struct TEST_Faults {
  std::string denyWriteIn = {};
  std::string diskFullIn = {};
  std::function<void(std::string_view step)> betweenOpenSteps = {};
};
void TEST_setFaults(TEST_Faults faults);

}  // namespace trv::store
