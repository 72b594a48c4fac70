#pragma once
// A configuration file on disk in the private-profile format, shared by threads and processes.
//
// Reads see the file as another program last left it (it is read again whenever it changed).
// Every write is one whole-file replacement: under an exclusive lock on "<file>.lock" the file is
// read again, edited, written to a temporary file beside it, flushed and renamed over it, so a
// crash or a second program never leaves a torn file or loses another writer's key. A failed
// write (full disk, folder not writable) leaves the file as it was and returns false.
// Thread-safe.

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/ini/profile_text.h"

namespace trv::ini {

class ProfileFile {
 public:
  explicit ProfileFile(std::filesystem::path path);

  const std::filesystem::path& path() const { return path_; }

  // The key's value, or nothing when the file, section or key is missing.
  std::optional<std::string> read(std::string_view section, std::string_view key);

  // Sets one key. False when the text cannot be held (see ProfileText::write) or the file could
  // not be replaced; the file is then unchanged.
  bool write(std::string_view section, std::string_view key, std::string_view value);

  // Applies several edits in one replacement of the file. The edit returns false to write
  // nothing. False when nothing was written.
  bool update(const std::function<bool(ProfileText&)>& edit);

 private:
  struct Stamp {
    std::uintmax_t size = 0;
    std::int64_t mtimeNs = 0;
    std::uint64_t inode = 0;
    bool exists = false;
    friend bool operator==(const Stamp&, const Stamp&) = default;
  };
  Stamp stamp() const;
  void loadIfChanged();  // requires mutex_
  bool replaceFile(const std::string& text);

  std::filesystem::path path_;
  std::mutex mutex_;
  ProfileText cached_;
  std::optional<Stamp> cachedStamp_;
};

}  // namespace trv::ini
