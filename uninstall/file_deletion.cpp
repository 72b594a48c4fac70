#include "uninstall/file_deletion.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "uninstall/folder_removal.h"

namespace trv::uninstall {
namespace {

// An open file descriptor, closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Descriptor& operator=(Descriptor&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = other.fd_;
      other.fd_ = -1;
    }
    return *this;
  }
  ~Descriptor() { reset(); }
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

 private:
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  int fd_;
};

// The parts of an absolute path; doubled separators give no empty parts.
std::vector<std::string> partsOf(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i < path.size()) {
    std::size_t j = path.find('/', i);
    if (j == std::string_view::npos) j = path.size();
    if (j > i) parts.emplace_back(path.substr(i, j - i));
    i = j + 1;
  }
  return parts;
}

// The folder `name` inside `dir`, as a handle that only names it; nothing when it is a link or
// no folder.
Descriptor enterFolder(int dir, const std::string& name) {
  Descriptor next(::openat(dir, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  struct stat st;
  // O_PATH with O_NOFOLLOW would hand back the link itself; only a real folder is entered.
  if (!next.valid() || ::fstat(next.get(), &st) != 0 || !S_ISDIR(st.st_mode)) return Descriptor(-1);
  return next;
}

}  // namespace

bool deleteListedFile(std::string_view path) {
  // Relative paths would resolve against wherever the program happened to be started; a zero
  // byte would cut the path short to another file; a closing "/" names a folder.
  if (path.empty() || path.front() != '/' || path.back() == '/') return false;
  if (path.size() > kMaxPathLength || path.find('\0') != std::string_view::npos) return false;
  const auto parts = partsOf(path);
  if (parts.empty()) return false;
  for (const auto& part : parts)
    if (part == "." || part == "..") return false;

  Descriptor dir(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  for (std::size_t i = 0; dir.valid() && i + 1 < parts.size(); ++i)
    dir = enterFolder(dir.get(), parts[i]);
  if (!dir.valid()) return false;

  const std::string& name = parts.back();
  struct stat st;
  if (::fstatat(dir.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (S_ISDIR(st.st_mode)) return false;
  // Without AT_REMOVEDIR this removes a link itself and refuses a folder put in its place.
  return ::unlinkat(dir.get(), name.c_str(), 0) == 0;
}

}  // namespace trv::uninstall
