#pragma once
// FileAccess: one data file as every window procedure, list and job uses it.
//
// One FileAccess object per data file is shared by all threads; what each thread does with it
// is its own: every thread has its own open count, its own record buffer (with the memos and
// the record's position) and its own handle on the file, on that thread's store connection.
// Two threads therefore see two buffers, as two workstations would.
//
// Opening on first use: open() counts a user of the file on the calling thread; the file itself
// is opened at once, or on its first use when opened lazily (a form's related files). Opening
// is shared for reading and writing; when access is refused the store is sent the lock-recovery
// value and the open is tried again, and if it is still refused message 2 is shown and the file
// is opened read-only. A missing file is created when its declaration allows it (failure: fatal
// message 10), else fatal message 23. Another station's lock is waited for the lock-recovery
// time, and a file still busy is tried twice more before that fatal message. A rebuilt key shows
// message 27 (failure: fatal 26). Any use on a thread that has not opened the file gives
// message 39. The last close() of a thread closes the file for that thread.
//
// Lifetime: destroy a FileAccess only after every thread that opened it has closed it (the
// dictionary is released after the program's other threads have ended).
//
// Messages go through the MessageSink given at construction (the message catalog); the file's
// name is set on it before each message. Operations that show no message return the store's
// code and leave the store's last error for the caller (store::lastError()).

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "runtime/data/level.h"
#include "runtime/data/message_sink.h"
#include "runtime/store/connection.h"

namespace trv::data {

class FileAccess {
 public:
  // `sink` must outlive this object.
  FileAccess(store::FileDecl decl, MessageSink& sink);
  ~FileAccess();
  FileAccess(const FileAccess&) = delete;
  FileAccess& operator=(const FileAccess&) = delete;

  const store::FileDecl& decl() const { return decl_; }
  // The file's full path. Set before the file is first opened (and again when the database
  // folder changes; threads that have it open keep their open file).
  void setName(std::string path);
  std::string name() const;
  // Seconds an open waits for other stations' locks, and the "Recover=" value sent to the store
  // when access is refused.
  void setLockRecovery(int seconds) { lockRecovery_ = seconds; }
  // A field value given to every record that primeRecord() prepares.
  void setNewRecordDefault(std::string fieldName, std::string value);
  // A file declared but never opened through the store (the case export text file).
  void setTextFile(bool textFile) { textFile_ = textFile; }
  bool textFile() const { return textFile_; }

  // --- per thread: opening ---------------------------------------------------------------------
  // Counts a user on this thread and opens the file (at once, or on first use when lazy).
  // LevelOk, or LevelFatal when a fatal message ended the program.
  [[nodiscard]] Level open(bool lazy = false);
  // Ends one user on this thread; the last one closes the file.
  void close();
  // Makes the file usable on this thread: opens it physically when opened lazily. LevelFatal
  // (after message 39) when this thread never opened it.
  [[nodiscard]] Level useFile();
  int openCount() const;
  bool readOnly() const;
  // Closes the file on this thread whatever its count; later use gives message 39.
  void shutdown();

  // --- per thread: the record buffer -----------------------------------------------------------
  store::RecordBuffer& buffer();
  // The buffer as the file's record struct. The reference stays valid until the thread closes
  // the file for the last time.
  template <typename R>
  R& record() {
    static_assert(std::is_trivially_copyable_v<R>);
    store::RecordBuffer& b = buffer();
    if (b.record.size() != sizeof(R)) std::abort();  // a record type of another file
    return *std::launder(reinterpret_cast<R*>(b.record.data()));
  }
  // A memo of the buffer by its name ("SER:History"); aborts on a name not declared.
  std::string& memo(std::string_view memoName);
  store::Position position() { return buffer().position; }
  // Clears the buffer (text blank, numbers 0, memos empty) and applies the new-record defaults.
  void primeRecord();

  // --- per thread: operations on the buffer, returning the store's code --------------------------
  [[nodiscard]] store::Code fetch(std::string_view keyName);  // by the key fields in the buffer
  [[nodiscard]] store::Code setKeyOrder(std::string_view keyName, bool fromBuffer);
  [[nodiscard]] store::Code setFileOrder();
  [[nodiscard]] store::Code next();
  [[nodiscard]] store::Code previous();
  // Reads the record at `pos` again (its latest version, which later writes are checked
  // against): the change watch.
  [[nodiscard]] store::Code reget(store::Position pos);
  [[nodiscard]] store::Code add();     // the buffer as a new record
  [[nodiscard]] store::Code put();     // the buffer over the record at its position
  [[nodiscard]] store::Code remove();  // the record at the buffer's position
  [[nodiscard]] store::Code count(std::uint64_t* n);
  [[nodiscard]] store::Code emptyFile();
  void setBulkRows(int rows);

  // --- per thread: operations with messages ------------------------------------------------------
  // Writes the buffer as a new record: over the reserved placeholder when primeAutoInc reserved
  // one, else added. A duplicated unique key shows message 13 with the key's description; any
  // other failure message 4. LevelOk or LevelNotify.
  [[nodiscard]] Level insert();
  // Reserves the next auto-number by adding the primed buffer at once as a placeholder: three
  // tries, then message 32 asks whether to try again. LevelOk, or LevelNotify when given up.
  // `numberTaken`, when given, names numbers that are used elsewhere (another file keeps them):
  // the placeholder moves on past them while it is held, so the number it ends on is reserved
  // as surely as the first, and two stations never end on the same one.
  [[nodiscard]] Level primeAutoInc(const std::function<bool(std::int64_t)>& numberTaken = {});
  bool hasReservation() const;
  // Removes the placeholder reserved on this thread, so that its number is free again.
  [[nodiscard]] Level cancelAutoNumber();

  // The thread's store connection and this file's handle on it (for transactions over several
  // files). useFile() must have succeeded.
  static store::Connection& threadConnection();
  store::FileId fileId();
  MessageSink& sink() { return sink_; }

  struct ThreadState;  // internal: what one thread holds of this file

 private:
  ThreadState* state() const;
  ThreadState& stateOrCreate();
  Level openPhysically(ThreadState& s);
  Level notOpened();

  const std::uint64_t serial_;
  store::FileDecl decl_;
  MessageSink& sink_;
  mutable std::mutex mutex_;
  std::string name_;
  int lockRecovery_ = 10;
  bool textFile_ = false;
  std::vector<std::pair<int, std::string>> defaults_;
};

}  // namespace trv::data
