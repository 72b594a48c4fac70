#include "runtime/ini/profile_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <sstream>

namespace trv::ini {
namespace {

// Holds an flock on a lock file beside the configuration file for its lifetime.
class FileLock {
 public:
  explicit FileLock(const std::filesystem::path& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd_ < 0) return;
    while (::flock(fd_, LOCK_EX) != 0) {
      if (errno != EINTR) {
        ::close(fd_);
        fd_ = -1;
        return;
      }
    }
  }
  ~FileLock() {
    if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;
  bool held() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

std::optional<std::string> readWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// A new file of our own at `path`, never one planted there: a link is not followed and an
// existing entry (a link, or the leftover of a crashed run with our process id) is removed and
// the file made afresh. -1 when that cannot be had.
int createExclusive(const std::filesystem::path& path) {
  constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  int fd = ::open(path.c_str(), kFlags, 0644);
  if (fd < 0 && errno == EEXIST && ::unlink(path.c_str()) == 0)
    fd = ::open(path.c_str(), kFlags, 0644);
  return fd;
}

}  // namespace

ProfileFile::ProfileFile(std::filesystem::path path) : path_(std::move(path)) {}

ProfileFile::Stamp ProfileFile::stamp() const {
  struct stat st {};
  if (::stat(path_.c_str(), &st) != 0) return {};
  return {static_cast<std::uintmax_t>(st.st_size),
          static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
          static_cast<std::uint64_t>(st.st_ino), true};
}

void ProfileFile::loadIfChanged() {
  const Stamp now = stamp();
  if (cachedStamp_ && *cachedStamp_ == now) return;
  const auto text = now.exists ? readWholeFile(path_) : std::nullopt;
  cached_ = ProfileText(text.value_or(""));
  cachedStamp_ = now;
}

std::optional<std::string> ProfileFile::read(std::string_view section, std::string_view key) {
  std::lock_guard lock(mutex_);
  loadIfChanged();
  return cached_.read(section, key);
}

bool ProfileFile::write(std::string_view section, std::string_view key, std::string_view value) {
  if (!ProfileText::canHold(section, key, value)) return false;
  return update([&](ProfileText& t) { return t.write(section, key, value); });
}

bool ProfileFile::update(const std::function<bool(ProfileText&)>& edit) {
  std::lock_guard lock(mutex_);
  std::filesystem::path lockPath = path_;
  lockPath += ".lock";
  FileLock fileLock(lockPath);
  if (!fileLock.held()) return false;
  cachedStamp_.reset();  // another process may have written since our last look
  loadIfChanged();
  ProfileText edited = cached_;
  if (!edit(edited)) return false;
  if (!replaceFile(edited.text())) return false;
  cached_ = std::move(edited);
  cachedStamp_ = stamp();
  return true;
}

bool ProfileFile::replaceFile(const std::string& text) {
  std::filesystem::path temp = path_;
  temp += ".tmp." + std::to_string(::getpid());
  const int fd = createExclusive(temp);
  if (fd < 0) return false;
  const bool ok = writeAll(fd, text) && ::fsync(fd) == 0;
  if (::close(fd) != 0 || !ok || ::rename(temp.c_str(), path_.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace trv::ini
