#include "mailauto/vxmapi/folder_list.h"

#include <algorithm>

#include "runtime/text/charset.h"

namespace trv::mailauto {

std::string folderKey(std::string_view name) {
  return text::upper1252(name.substr(0, 20));
}

void FolderList::insert(std::size_t position, FolderEntry e) {
  entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(std::min(position, size())),
                  std::move(e));
}

std::optional<FolderEntry> FolderList::find(std::string_view name) const {
  // Sorted by name, the first of equal names wins: that is the one kept in tree order.
  const std::string key = folderKey(name);
  for (const FolderEntry& e : entries_)
    if (e.name == key) return e;
  return std::nullopt;
}

}  // namespace trv::mailauto
