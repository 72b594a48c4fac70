#include "runtime/data/file_relations.h"

#include <cstring>

#include "runtime/store/record_codec.h"

namespace trv::data {

namespace {

// Rolls back on every path out unless committed.
class Transaction {
 public:
  explicit Transaction(store::Connection& c) : c_(c) {}
  ~Transaction() {
    if (open_) c_.rollback();
  }
  store::Code begin() {
    const store::Code code = c_.begin();
    open_ = code == store::Ok;
    return code;
  }
  store::Code commit() {
    open_ = false;
    return c_.commit();
  }
  // Ends the transaction before a message waits for the user: the lock must not be held meanwhile.
  void rollback() {
    if (open_) c_.rollback();
    open_ = false;
  }

 private:
  store::Connection& c_;
  bool open_ = false;
};

Outcome failed(store::Code code, Level level = LevelNotify) {
  return {level, code};
}

// The buffer's position as it was before a change, put back unless the change is committed.
// A write inside the transaction raises the position's version; left raised after a failed
// commit, a save tried again would match another station's later version and overwrite it.
class KeepPosition {
 public:
  explicit KeepPosition(store::RecordBuffer& b) : b_(b), kept_(b.position) {}
  ~KeepPosition() {
    if (!committed_) b_.position = kept_;
  }
  KeepPosition(const KeepPosition&) = delete;
  KeepPosition& operator=(const KeepPosition&) = delete;
  void committed() { committed_ = true; }

 private:
  store::RecordBuffer& b_;
  store::Position kept_;
  bool committed_ = false;
};

}  // namespace

FileRelations::FileRelations(FileAccess& file) : file_(file) {}

void FileRelations::addRelation(FileRelations& child, std::string childKey, Rule onUpdate,
                                Rule onDelete,
                                std::vector<std::pair<std::string, std::string>> links) {
  Relation r{&child, std::move(childKey), onUpdate, onDelete, {}};
  for (const auto& [p, c] : links)
    r.links.emplace_back(file_.decl().findField(p), child.file().decl().findField(c));
  children_.push_back(std::move(r));
  child.addLink(*this);
}

void FileRelations::addLink(FileRelations& other) {
  linked_.push_back(&other);
}

Level FileRelations::open() {
  const Level l = file_.open(false);
  if (l != LevelOk) return l;
  for (const Relation& r : children_) (void)r.child->file().open(true);
  for (FileRelations* o : linked_) (void)o->file().open(true);
  return LevelOk;
}

void FileRelations::close() {
  for (FileRelations* o : linked_) o->file().close();
  for (const Relation& r : children_) r.child->file().close();
  file_.close();
}

void FileRelations::shutdown() {
  file_.shutdown();
}

Level FileRelations::cancelAutoNumber() {
  return file_.cancelAutoNumber();
}

// Children opened only for one change are closed again when it ends.
class FileRelations::TemporaryOpens {
 public:
  ~TemporaryOpens() {
    for (FileAccess* f : opened_) f->close();
  }
  void add(FileAccess* f) { opened_.push_back(f); }

 private:
  std::vector<FileAccess*> opened_;
};

Level FileRelations::openRelated(TemporaryOpens& temporary) {
  if (Level l = file_.useFile(); l != LevelOk) return l;
  for (const Relation& r : children_) {
    FileAccess& child = r.child->file();
    if (child.openCount() == 0) {
      if (Level l = child.open(true); l != LevelOk) return l;
      temporary.add(&child);
    }
    if (Level l = child.useFile(); l != LevelOk) return l;
  }
  return LevelOk;
}

bool FileRelations::linksChanged(const Relation& r, const std::string& before) const {
  const std::string& now = file_.buffer().record;
  for (const auto& [p, c] : r.links) {
    const store::FieldDecl& f = file_.decl().fields[p];
    if (store::fieldText(f, before.data()) != store::fieldText(f, now.data())) return true;
  }
  return false;
}

template <typename F>
store::Code FileRelations::forChildren(const Relation& r, const store::RecordBuffer& parent,
                                       F&& f) {
  FileAccess& child = r.child->file();
  store::Connection& conn = FileAccess::threadConnection();
  const store::FileDecl& cd = child.decl();
  const int key = cd.findKey(r.childKey);
  // The children are read with a buffer of their own: the child's thread buffer may be what a
  // window shows.
  store::RecordBuffer probe(cd);
  for (const auto& [p, c] : r.links)
    (void)store::setFieldText(cd.fields[c], probe.record.data(),
                              store::fieldText(file_.decl().fields[p], parent.record.data()));
  const auto want = store::keyImage(cd, cd.keys[key], probe.record.data());
  if (!want) return store::Ok;  // a blank link names no children
  if (store::Code code = conn.setKeyOrder(child.fileId(), key, &probe); code != store::Ok)
    return code;
  store::RecordBuffer row(cd);
  for (;;) {
    const store::Code code = conn.next(child.fileId(), row);
    if (code == store::RecordNotFound) return store::Ok;
    if (code != store::Ok) return code;
    if (store::keyImage(cd, cd.keys[key], row.record.data()) != want) return store::Ok;
    bool stop = false;
    if (store::Code c = f(row, stop); c != store::Ok) return c;
    if (stop) return store::Ok;
  }
}

Outcome FileRelations::update() {
  TemporaryOpens temporary;
  if (Level l = openRelated(temporary); l != LevelOk) return failed(store::FileNotOpen, l);
  store::Connection& conn = FileAccess::threadConnection();
  MessageSink& sink = file_.sink();
  store::RecordBuffer& mine = file_.buffer();
  KeepPosition readPosition(mine);

  Transaction txn(conn);
  if (store::Code code = txn.begin(); code != store::Ok) {
    sink.setFileName(file_.name());
    return failed(code, sink.raise(21) == LevelFatal ? LevelFatal : LevelNotify);
  }
  // The links are compared with the record as stored, read under the transaction's lock: the
  // children carry the stored value, whatever the caller remembered.
  store::RecordBuffer before(file_.decl());
  if (store::Code code = conn.get(file_.fileId(), mine.position, before); code != store::Ok)
    return failed(code);
  if (mine.position.version != 0 && before.position.version != mine.position.version)
    return failed(store::setError(store::RecordChanged));
  for (const Relation& r : children_) {
    if (!linksChanged(r, before.record)) continue;
    FileAccess& child = r.child->file();
    if (r.onUpdate == Rule::Restrict) {
      bool any = false;
      if (store::Code code = forChildren(r, before,
                                         [&](store::RecordBuffer&, bool& stop) {
                                           any = stop = true;
                                           return store::Ok;
                                         });
          code != store::Ok)
        return failed(code);
      if (any) {
        // The linking fields go back to what they were, and nothing is written.
        for (const auto& [p, c] : r.links) {
          const store::FieldDecl& f = file_.decl().fields[p];
          std::memcpy(mine.record.data() + f.offset, before.record.data() + f.offset, f.width);
        }
        txn.rollback();
        sink.setFileName(child.name());
        return failed(store::Ok, sink.raise(31) == LevelFatal ? LevelFatal : LevelNotify);
      }
      continue;
    }
    if (r.onUpdate != Rule::Cascade && r.onUpdate != Rule::Clear) continue;
    const store::Code code = forChildren(r, before, [&](store::RecordBuffer& row, bool&) {
      for (const auto& [p, c] : r.links) {
        const store::FieldDecl& cf = child.decl().fields[c];
        const std::string value = r.onUpdate == Rule::Cascade
                                      ? store::fieldText(file_.decl().fields[p], mine.record.data())
                                      : std::string();
        if (cf.type == store::FieldType::String || cf.type == store::FieldType::CString)
          (void)store::setFieldText(cf, row.record.data(), value.substr(0, cf.width));
        else
          (void)store::setFieldText(cf, row.record.data(), value.empty() ? "0" : value);
      }
      return conn.put(child.fileId(), row);
    });
    if (code != store::Ok) return failed(code);
  }
  if (store::Code code = conn.put(file_.fileId(), mine); code != store::Ok) {
    if (code == store::DuplicateKey) {
      sink.setFileName(file_.name());
      const std::string description = store::lastError().keyDescription;
      const store::Error keep = store::lastError();
      txn.rollback();
      (void)store::setDuplicateKey(keep.keyName, keep.keyDescription, keep.driverCode,
                                   keep.driverText);
      const Level l = sink.raiseWithText(13, description);
      return failed(keep.code, l == LevelFatal ? LevelFatal : LevelNotify);
    }
    return failed(code);
  }
  if (store::Code code = txn.commit(); code != store::Ok) return failed(code);
  readPosition.committed();
  return {};
}

Outcome FileRelations::remove() {
  TemporaryOpens temporary;
  if (Level l = openRelated(temporary); l != LevelOk) return failed(store::FileNotOpen, l);
  store::Connection& conn = FileAccess::threadConnection();
  MessageSink& sink = file_.sink();

  Transaction txn(conn);
  if (store::Code code = txn.begin(); code != store::Ok) {
    sink.setFileName(file_.name());
    return failed(code, sink.raise(21) == LevelFatal ? LevelFatal : LevelNotify);
  }
  // The children are found by the stored record's links, not by what a form may have edited.
  store::RecordBuffer mine(file_.decl());
  const store::Position at = file_.buffer().position;
  if (store::Code code = conn.get(file_.fileId(), at, mine); code != store::Ok) return failed(code);
  if (at.version != 0 && mine.position.version != at.version)
    return failed(store::setError(store::RecordChanged));
  for (const Relation& r : children_) {
    if (r.onDelete == Rule::None) continue;
    FileAccess& child = r.child->file();
    bool refused = false;
    const store::Code code = forChildren(r, mine, [&](store::RecordBuffer& row, bool& stop) {
      switch (r.onDelete) {
        case Rule::Restrict:
          refused = stop = true;
          return store::Ok;
        case Rule::Cascade:
          return conn.remove(child.fileId(), row.position);
        case Rule::Clear:
          for (const auto& [p, c] : r.links) {
            const store::FieldDecl& cf = child.decl().fields[c];
            const bool text =
                cf.type == store::FieldType::String || cf.type == store::FieldType::CString;
            (void)store::setFieldText(cf, row.record.data(), text ? "" : "0");
          }
          return conn.put(child.fileId(), row);
        case Rule::None:
          break;
      }
      return store::Ok;
    });
    if (refused) {
      txn.rollback();
      sink.setFileName(child.name());
      return failed(store::Ok, sink.raise(30) == LevelFatal ? LevelFatal : LevelNotify);
    }
    if (code != store::Ok) return failed(code);
  }
  if (store::Code code = conn.remove(file_.fileId(), mine.position); code != store::Ok)
    return failed(code);
  if (store::Code code = txn.commit(); code != store::Ok) return failed(code);
  return {};
}

}  // namespace trv::data
