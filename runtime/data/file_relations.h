#pragma once
// FileRelations: a data file with the files related to it, for changes that must keep them
// consistent.
//
// A parent's relation names the child file, the linking fields (parent field to child field)
// and the child's key over them, with a rule for a changed link and one for a deleted parent.
// update() and remove() run inside one transaction over the file and its related files (all on
// the calling thread's store connection), so another station sees all of a change or none.
// Opening a file through its relations opens the file at once and its related files lazily.

#include <string>
#include <utility>
#include <vector>

#include "runtime/data/file_access.h"
#include "runtime/data/level.h"
#include "runtime/store/error.h"

namespace trv::data {

enum class Rule {
  None,
  Cascade,   // the children follow (a changed link is copied, a deleted parent's children go)
  Restrict,  // refused while children exist
  Clear,     // the children's linking fields are cleared
};

// The result of a change through the relations: the level and, when it failed, the store code
// (also readable as store::lastError()).
struct [[nodiscard]] Outcome {
  Level level = LevelOk;
  store::Code code = store::Ok;
  bool ok() const { return level == LevelOk; }
};

class FileRelations {
 public:
  explicit FileRelations(FileAccess& file);
  FileRelations(const FileRelations&) = delete;
  FileRelations& operator=(const FileRelations&) = delete;

  FileAccess& file() { return file_; }

  // Adds a relation from this (parent) file to `child`: links are (parent field, child field)
  // names; childKey is the child's key over the child fields. The child is linked back
  // without rules.
  void addRelation(FileRelations& child, std::string childKey, Rule onUpdate, Rule onDelete,
                   std::vector<std::pair<std::string, std::string>> links);
  // Makes `other` a related file without rules (opened with this one).
  void addLink(FileRelations& other);

  // Opens the file at once and counts its related files (opened on first use).
  [[nodiscard]] Level open();
  void close();
  // Writes the file's buffer over its record (at the buffer's position) in one transaction with
  // the children that must follow a link changed from the stored record's. A restricted change
  // shows message 31, resets the linking fields and writes nothing. A duplicated unique key shows
  // message 13. Any other failure (the record changed by another station: code RecordChanged) is
  // returned without a message. A change that fails, at its commit too, leaves the buffer's
  // position (and the version it was read at) as it was, so trying it again is checked against
  // the same version.
  Outcome update();
  // Deletes the buffer's record in one transaction with what each relation's rule asks of its
  // children; refused with message 30 while a restricting relation has children.
  Outcome remove();
  // Removes the placeholder that the file reserved on this thread.
  [[nodiscard]] Level cancelAutoNumber();
  // Closes the file on this thread for good (program end).
  void shutdown();

 private:
  struct Relation {
    FileRelations* child;
    std::string childKey;
    Rule onUpdate;
    Rule onDelete;
    std::vector<std::pair<int, int>> links;  // field indexes: parent, child
  };
  class TemporaryOpens;
  Level openRelated(TemporaryOpens& temporary);
  bool linksChanged(const Relation& r, const std::string& before) const;
  // For each child record whose link equals `linkValues` of the parent buffer: call f.
  template <typename F>
  store::Code forChildren(const Relation& r, const store::RecordBuffer& parent, F&& f);

  FileAccess& file_;
  std::vector<Relation> children_;
  std::vector<FileRelations*> linked_;
};

}  // namespace trv::data
