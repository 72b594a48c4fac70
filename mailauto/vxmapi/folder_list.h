#pragma once
// The folder list the library keeps for itself: each folder of the mail system's tree with its
// depth, found by its name (upper case, 20 characters).

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trv::mailauto {

struct FolderEntry {
  std::string name;  // FOLDERNAME: upper case, at most 20 characters; the lookup key
  int level = 0;     // FOLDERLEVEL: depth below the root (0)
  std::string id;    // FOLDERID: the server's identity of the folder
};

// A folder name as the list keeps it: upper case (Windows-1252), cut to 20 characters.
std::string folderKey(std::string_view name);

class FolderList {
 public:
  bool empty() const { return entries_.empty(); }
  std::size_t size() const { return entries_.size(); }
  const FolderEntry& at(std::size_t i) const { return entries_[i]; }
  const std::vector<FolderEntry>& entries() const { return entries_; }
  void add(FolderEntry e) { entries_.push_back(std::move(e)); }
  // Inserts e to become entry number position (from 0).
  void insert(std::size_t position, FolderEntry e);
  void clear() { entries_.clear(); }
  // The first folder (in name order) whose name is folderKey(name); nothing when none is.
  std::optional<FolderEntry> find(std::string_view name) const;

 private:
  std::vector<FolderEntry> entries_;
};

}  // namespace trv::mailauto
