#include "runtime/data/file_access.h"

#include <sys/stat.h>

#include <atomic>
#include <cstring>
#include <unordered_map>

#include "runtime/store/record_codec.h"

namespace trv::data {

struct FileAccess::ThreadState {
  int count = 0;
  bool lazy = false;  // counted, not yet opened
  store::FileId id = -1;
  bool readOnly = false;
  store::RecordBuffer buffer;
  store::Position reserved;  // placeholder of primeAutoInc
};

namespace {

std::atomic<std::uint64_t> gNextSerial{1};

// How many times an open is tried while the file stays busy.
constexpr int kBusyOpenTries = 3;

// Keyed by the object's serial, not its address, so a new FileAccess at a freed address never
// finds a dead object's state.
using StateMap = std::unordered_map<std::uint64_t, std::unique_ptr<FileAccess::ThreadState>>;

// What a thread holds of every file, with its store connection. Objects destroyed late in the
// thread's exit (statics of the main thread) may still close their files: they find nothing
// once this is gone; the flag is trivially destructible, so it stays readable to the end.
thread_local bool tGone = false;
struct PerThread {
  store::Connection connection;
  StateMap states;  // destroyed before the connection
  ~PerThread() { tGone = true; }
};
thread_local PerThread tPerThread;

StateMap* states() {
  return tGone ? nullptr : &tPerThread.states;
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

store::Connection& FileAccess::threadConnection() {
  if (tGone) std::abort();  // files used after their thread ended
  return tPerThread.connection;
}

FileAccess::FileAccess(store::FileDecl decl, MessageSink& sink)
    : serial_(gNextSerial++), decl_(std::move(decl)), sink_(sink) {}

FileAccess::~FileAccess() {
  shutdown();
}

void FileAccess::setName(std::string path) {
  std::lock_guard lock(mutex_);
  name_ = std::move(path);
}

std::string FileAccess::name() const {
  std::lock_guard lock(mutex_);
  return name_;
}

void FileAccess::setNewRecordDefault(std::string fieldName, std::string value) {
  const int f = decl_.findField(fieldName);
  if (f >= 0) defaults_.emplace_back(f, std::move(value));
}

FileAccess::ThreadState* FileAccess::state() const {
  StateMap* all = states();
  if (all == nullptr) return nullptr;
  auto it = all->find(serial_);
  return it == all->end() ? nullptr : it->second.get();
}

FileAccess::ThreadState& FileAccess::stateOrCreate() {
  StateMap* all = states();
  if (all == nullptr) std::abort();  // files used after their thread ended
  auto& slot = (*all)[serial_];
  if (!slot) {
    slot = std::make_unique<ThreadState>();
    slot->buffer = store::RecordBuffer(decl_);
  }
  return *slot;
}

Level FileAccess::openPhysically(ThreadState& s) {
  const std::string path = name();
  sink_.setFileName(path);
  if (textFile_) {
    s.lazy = false;
    return LevelOk;
  }
  store::Connection& conn = threadConnection();
  const bool missing = !exists(path);
  store::OpenNotes notes;
  // Other stations' locks are waited for as long as the file's lock recovery says, and a file
  // still busy after that is tried again: a file that cannot be opened ends the program.
  conn.setOpenWaitSeconds(lockRecovery_);
  auto openAs = [&](store::OpenMode mode) {
    store::Code c = conn.open(decl_, path, mode, &s.id, &notes);
    for (int tries = 1; c == store::RecordNotAvailable && tries < kBusyOpenTries; ++tries)
      c = conn.open(decl_, path, mode, &s.id, &notes);
    return c;
  };
  store::Code code = openAs(store::OpenMode::Shared);
  if (code == store::AccessDenied) {
    (void)conn.send("Recover=" + std::to_string(lockRecovery_));
    code = openAs(store::OpenMode::Shared);
    if (code == store::AccessDenied) {
      const store::Error denied = store::lastError();
      if (sink_.raise(2) == LevelFatal) return LevelFatal;
      code = openAs(store::OpenMode::ReadOnly);
      if (code != store::Ok) store::setError(denied.code, denied.driverCode, denied.driverText);
    }
  }
  if (code == store::InvalidKeyFile)
    return sink_.raise(26) == LevelFatal ? LevelFatal : LevelNotify;
  if (code != store::Ok) {
    const Level l = sink_.raise(missing && decl_.createWhenMissing ? 10 : 23);
    return l == LevelFatal ? LevelFatal : LevelNotify;
  }
  if (notes.keysRebuilt && sink_.raise(27) == LevelFatal) return LevelFatal;
  s.readOnly = notes.readOnly;
  s.lazy = false;
  return LevelOk;
}

Level FileAccess::open(bool lazy) {
  ThreadState& s = stateOrCreate();
  ++s.count;
  if (s.count > 1 && !s.lazy) return LevelOk;
  if (lazy) {
    if (s.count == 1) s.lazy = true;
    return LevelOk;
  }
  const Level l = openPhysically(s);
  if (l != LevelOk) --s.count;
  return l;
}

void FileAccess::close() {
  ThreadState* s = state();
  if (s == nullptr || s->count == 0) return;
  if (--s->count > 0) return;
  if (s->id >= 0) threadConnection().close(s->id);
  states()->erase(serial_);
}

void FileAccess::shutdown() {
  ThreadState* s = state();
  if (s == nullptr) return;
  if (s->id >= 0) threadConnection().close(s->id);
  states()->erase(serial_);
}

Level FileAccess::notOpened() {
  sink_.setFileName(name());
  store::setError(store::FileNotOpen);
  const Level l = sink_.raise(39);
  return l == LevelOk ? LevelProgram : l;
}

Level FileAccess::useFile() {
  ThreadState* s = state();
  if (s == nullptr || s->count == 0) return notOpened();
  if (s->lazy) return openPhysically(*s);
  return LevelOk;
}

int FileAccess::openCount() const {
  const ThreadState* s = state();
  return s == nullptr ? 0 : s->count;
}

bool FileAccess::readOnly() const {
  const ThreadState* s = state();
  return s != nullptr && s->readOnly;
}

store::RecordBuffer& FileAccess::buffer() {
  return stateOrCreate().buffer;
}

std::string& FileAccess::memo(std::string_view memoName) {
  const int m = decl_.findMemo(memoName);
  if (m < 0) std::abort();  // a memo this file does not declare
  return buffer().memos[static_cast<std::size_t>(m)];
}

void FileAccess::primeRecord() {
  store::RecordBuffer& b = buffer();
  std::memset(b.record.data(), 0, b.record.size());
  for (const store::FieldDecl& f : decl_.fields)
    if (f.type == store::FieldType::String) std::memset(b.record.data() + f.offset, ' ', f.width);
  for (std::string& m : b.memos) m.clear();
  b.position = {};
  for (const auto& [field, value] : defaults_)
    (void)store::setFieldText(decl_.fields[field], b.record.data(), value);
}

store::FileId FileAccess::fileId() {
  const ThreadState* s = state();
  return s == nullptr ? -1 : s->id;
}

namespace {
// The common frame of the buffer operations: the file usable on this thread, then the call.
template <typename F>
store::Code withFile(FileAccess& fa, F&& f) {
  if (fa.textFile()) return store::setError(store::FileNotOpen, 0, "not a keyed file");
  if (fa.useFile() != LevelOk) return store::setError(store::FileNotOpen, 0, fa.name());
  return f(FileAccess::threadConnection(), fa.fileId());
}

int keyIndex(const store::FileDecl& d, std::string_view keyName) {
  return d.findKey(keyName);
}
}  // namespace

store::Code FileAccess::fetch(std::string_view keyName) {
  return withFile(*this, [&](store::Connection& c, store::FileId id) {
    return c.fetch(id, keyIndex(decl_, keyName), buffer());
  });
}

store::Code FileAccess::setKeyOrder(std::string_view keyName, bool fromBuffer) {
  return withFile(*this, [&](store::Connection& c, store::FileId id) {
    return c.setKeyOrder(id, keyIndex(decl_, keyName), fromBuffer ? &buffer() : nullptr);
  });
}

store::Code FileAccess::setFileOrder() {
  return withFile(*this,
                  [&](store::Connection& c, store::FileId id) { return c.setFileOrder(id); });
}

store::Code FileAccess::next() {
  return withFile(*this,
                  [&](store::Connection& c, store::FileId id) { return c.next(id, buffer()); });
}

store::Code FileAccess::previous() {
  return withFile(*this,
                  [&](store::Connection& c, store::FileId id) { return c.previous(id, buffer()); });
}

store::Code FileAccess::reget(store::Position pos) {
  return withFile(*this,
                  [&](store::Connection& c, store::FileId id) { return c.get(id, pos, buffer()); });
}

store::Code FileAccess::add() {
  return withFile(*this,
                  [&](store::Connection& c, store::FileId id) { return c.add(id, buffer()); });
}

store::Code FileAccess::put() {
  return withFile(*this,
                  [&](store::Connection& c, store::FileId id) { return c.put(id, buffer()); });
}

store::Code FileAccess::remove() {
  return withFile(*this, [&](store::Connection& c, store::FileId id) {
    return c.remove(id, buffer().position);
  });
}

store::Code FileAccess::count(std::uint64_t* n) {
  return withFile(*this, [&](store::Connection& c, store::FileId id) { return c.count(id, n); });
}

store::Code FileAccess::emptyFile() {
  return withFile(*this, [&](store::Connection& c, store::FileId id) { return c.empty(id); });
}

void FileAccess::setBulkRows(int rows) {
  if (useFile() == LevelOk) threadConnection().setBulkRows(fileId(), rows);
}

Level FileAccess::insert() {
  ThreadState& s = stateOrCreate();
  store::Code code;
  if (s.reserved.valid()) {
    s.buffer.position = s.reserved;
    code = put();
    if (code == store::Ok) s.reserved = {};
  } else {
    code = add();
  }
  if (code == store::Ok) return LevelOk;
  sink_.setFileName(name());
  const store::Error e = store::lastError();
  const Level l =
      code == store::DuplicateKey ? sink_.raiseWithText(13, e.keyDescription) : sink_.raise(4);
  return l == LevelFatal ? LevelFatal : LevelNotify;
}

namespace {

// Moves the placeholder just added in `b` past the numbers `taken` names. A number another
// station reserved meanwhile is refused by the unique key, and the next one is tried.
store::Code skipTakenNumbers(FileAccess& f, const store::FieldDecl& nf, store::RecordBuffer& b,
                             const std::function<bool(std::int64_t)>& taken) {
  std::int64_t stored = store::readNumber(nf, b.record.data());
  std::int64_t n = stored;
  while (taken(n)) ++n;
  while (n != stored) {
    store::writeNumber(nf, b.record.data(), n);
    const store::Code code = f.put();
    if (code == store::Ok) return store::Ok;
    if (code != store::DuplicateKey) {
      store::writeNumber(nf, b.record.data(), stored);
      return code;
    }
    do ++n;
    while (taken(n));
  }
  return store::Ok;
}

}  // namespace

Level FileAccess::primeAutoInc(const std::function<bool(std::int64_t)>& numberTaken) {
  if (decl_.autoNumberKey() < 0) return LevelOk;
  const store::FieldDecl& nf = decl_.fields[decl_.keys[decl_.autoNumberKey()].components[0]];
  const std::string primed = buffer().record;
  for (;;) {
    for (int attempt = 0; attempt < 3; ++attempt) {
      store::RecordBuffer& b = buffer();
      b.record = primed;
      store::writeNumber(nf, b.record.data(), 0);
      if (add() != store::Ok) continue;
      if (numberTaken && skipTakenNumbers(*this, nf, b, numberTaken) != store::Ok) {
        (void)remove();
        continue;
      }
      stateOrCreate().reserved = b.position;
      return LevelOk;
    }
    sink_.setFileName(name());
    const Level answer = sink_.raise(32);
    if (answer != LevelOk) return answer == LevelFatal ? LevelFatal : LevelNotify;
  }
}

bool FileAccess::hasReservation() const {
  const ThreadState* s = state();
  return s != nullptr && s->reserved.valid();
}

Level FileAccess::cancelAutoNumber() {
  ThreadState* s = state();
  if (s == nullptr || !s->reserved.valid()) return LevelOk;
  const store::Position pos = s->reserved;
  s->reserved = {};
  const store::Code code = withFile(*this, [&](store::Connection& c, store::FileId id) {
    return c.remove(id, {pos.row, 0});
  });
  // Already gone (another station deleted it) is as good as removed.
  if (code == store::Ok || code == store::RecordNotFound) return LevelOk;
  sink_.setFileName(name());
  return sink_.raise(11) == LevelFatal ? LevelFatal : LevelNotify;
}

}  // namespace trv::data
