#include "runtime/store/super_journal.h"

#include <dirent.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <ctime>
#include <fstream>
#include <iterator>
#include <vector>

#include "runtime/store/sqlite_util.h"

namespace trv::store::detail {
namespace {

// A commit over several files writes the names of their journals into a super-journal, names it
// at the end of each journal, writes the files, and then deletes the super-journal: that
// deletion is the commit. A journal that names a super-journal which still exists is rolled
// back; one whose super-journal is gone is taken as committed. So deleting a super-journal that
// a journal still names, or that a live commit is still writing, would commit half a
// transaction. It may go only when
//  - no live commit uses it: a committing connection holds the write (reserved) lock of every
//    file it lists from before it writes the super-journal until after it has deleted it, so
//    taking those locks ourselves (without waiting) proves it, and keeps new commits off them
//    while we look; taking them also rolls back, through SQLite's own recovery, every hot
//    journal of those files;
//  - and then none of the journals it lists is left in a state SQLite would play back, so none
//    can name it.
// A super-journal that lists nothing gives no files to lock: a live commit writes its list right
// after making the file, so only one left empty for a long time is a crash's leftover.
constexpr std::time_t kEmptyLeftoverSeconds = 600;

bool isSuperJournalName(const std::string& name) {
  const std::size_t at = name.rfind("-mj");
  if (at == std::string::npos || at == 0 || name.size() != at + 3 + 9) return false;
  for (std::size_t i = at + 3; i < name.size(); ++i)
    if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
  return true;
}

std::vector<std::string> listedJournals(const std::string& content) {
  std::vector<std::string> names;
  std::size_t i = 0;
  while (i < content.size()) {
    std::size_t end = content.find('\0', i);
    if (end == std::string::npos) end = content.size();
    if (end > i) names.push_back(content.substr(i, end - i));
    i = end + 1;
  }
  return names;
}

// Whether SQLite would play the journal back: it exists and its first byte is not zero. (With
// full syncs a journal's header stays zero until its content is safely on disk, and only then
// is the data file written; a journal with a zero first byte is never rolled back.)
bool playable(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  char first = 0;
  return in && in.get(first) && first != 0;
}

bool exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

// Deletes the super-journal at `path` (a regular file) when no commit can need it.
void removeIfUnneeded(const std::string& path, const struct stat& st) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return;
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const auto journals = listedJournals(content);
  if (journals.empty()) {
    if (std::time(nullptr) - st.st_mtime > kEmptyLeftoverSeconds) ::unlink(path.c_str());
    return;
  }

  constexpr std::string_view kSuffix = "-journal";
  std::vector<std::string> files;
  for (const auto& j : journals) {
    if (j.size() <= kSuffix.size() || j.compare(j.size() - kSuffix.size(), kSuffix.size(), kSuffix))
      return;  // not a journal we know how to judge
    const std::string file = j.substr(0, j.size() - kSuffix.size());
    if (exists(file))
      files.push_back(file);
    else if (exists(j))
      return;  // a journal without its file: leave both to whoever restores the file
  }

  sqlite3* db = nullptr;
  if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_URI, nullptr) !=
      SQLITE_OK) {
    sqlite3_close_v2(db);
    return;
  }
  bool ok = true;
  for (std::size_t i = 0; ok && i < files.size(); ++i) {
    sqlite3_stmt* s = nullptr;
    const std::string sql = "ATTACH DATABASE ?1 AS s" + std::to_string(i);
    ok = sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) == SQLITE_OK;
    if (ok) {
      const std::string uri = fileUri(files[i], "rw");
      sqlite3_bind_text(s, 1, uri.c_str(), -1, SQLITE_TRANSIENT);
      ok = sqlite3_step(s) == SQLITE_DONE;
    }
    sqlite3_finalize(s);
  }
  // No busy handler: a lock held elsewhere means a commit may be live, and the file stays.
  ok = ok && sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
  if (ok) {
    for (const auto& j : journals) ok = ok && !playable(j);
    // Deleted while the locks are held, so no commit can start on these files meanwhile.
    if (ok) ::unlink(path.c_str());
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  sqlite3_close_v2(db);
}

}  // namespace

void removeStaleSuperJournals(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> found;
  while (const dirent* e = ::readdir(dir))
    if (isSuperJournalName(e->d_name)) found.push_back(folder + "/" + e->d_name);
  ::closedir(dir);
  for (const auto& path : found) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    removeIfUnneeded(path, st);
  }
}

}  // namespace trv::store::detail
