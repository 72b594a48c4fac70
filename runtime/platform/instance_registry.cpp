#include "runtime/platform/instance_registry.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace trv::platform {
namespace {

constexpr const char* kLockSuffix = ".lock";
constexpr const char* kSocketSuffix = ".sock";

// File names keep letters, digits, '.', '_' and '-'; everything else becomes %XX, so every
// class and display has its own file and none can step out of the folder.
std::string encodeName(const std::string& s) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : s) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
        c == '_' || c == '-') {
      out += char(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string fromEnv(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

// Locks of open file descriptions: they conflict between two opens of the file even inside one
// process, and can be tested without being taken.
bool lockExclusive(int fd) {
  struct flock fl = {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  return ::fcntl(fd, F_OFD_SETLK, &fl) == 0;
}

bool isLockedByOther(int fd) {
  struct flock fl = {};
  fl.l_type = F_RDLCK;
  fl.l_whence = SEEK_SET;
  if (::fcntl(fd, F_OFD_GETLK, &fl) != 0) return false;
  return fl.l_type != F_UNLCK;
}

bool fillAddress(const std::filesystem::path& path, sockaddr_un& addr) {
  const std::string s = path.string();
  if (s.size() >= sizeof addr.sun_path) return false;
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, s.c_str(), s.size() + 1);
  return true;
}

bool writeAll(int fd, const std::string& text) {
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t w = ::write(fd, text.data() + done, text.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    done += std::size_t(w);
  }
  return true;
}

std::string readSmall(int fd) {
  std::string text;
  char buf[512];
  ssize_t n;
  while ((n = ::read(fd, buf, sizeof buf)) > 0 && text.size() < 4096) text.append(buf, n);
  return text;
}

// The lock file holds "pid\nclass\ntitle\n".
std::optional<InstanceInfo> readLive(const std::filesystem::path& lockPath) {
  int fd = ::open(lockPath.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return std::nullopt;
  std::optional<InstanceInfo> info;
  if (isLockedByOther(fd)) {
    std::string text = readSmall(fd);
    InstanceInfo i;
    std::size_t a = text.find('\n');
    std::size_t b = a == std::string::npos ? a : text.find('\n', a + 1);
    std::size_t c = b == std::string::npos ? b : text.find('\n', b + 1);
    if (c != std::string::npos) {
      i.pid = std::strtol(text.c_str(), nullptr, 10);
      i.windowClass = text.substr(a + 1, b - a - 1);
      i.title = text.substr(b + 1, c - b - 1);
      info = i;
    }
  }
  ::close(fd);
  return info;
}

// The folder exists, is a folder of this user (not a link) and only this user can use it.
bool prepareFolder(const std::filesystem::path& folder) {
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  struct stat st;
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
    return false;
  if ((st.st_mode & 077) != 0 && ::chmod(folder.c_str(), 0700) != 0) return false;
  return true;
}

}  // namespace

InstanceRegistry::InstanceRegistry() {
  if (auto dir = fromEnv("TRV_INSTANCE_DIR"); !dir.empty()) {
    folder_ = dir;
  } else if (auto run = fromEnv("XDG_RUNTIME_DIR"); !run.empty()) {
    folder_ = std::filesystem::path(run) / "trv-instances";
  } else {
    folder_ = "/tmp/trv-instances-" + std::to_string(::geteuid());
  }
  display_ = fromEnv("DISPLAY");
  if (display_.empty()) display_ = fromEnv("WAYLAND_DISPLAY");
}

InstanceRegistry::InstanceRegistry(std::filesystem::path folder, std::string display)
    : folder_(std::move(folder)), display_(std::move(display)) {}

std::filesystem::path InstanceRegistry::entryPath(const std::string& windowClass,
                                                  const char* suffix) const {
  return folder_ / (encodeName(display_.empty() ? "nodisplay" : display_) + "@" +
                    encodeName(windowClass) + suffix);
}

InstanceStatus InstanceRegistry::registerInstance(const std::string& windowClass,
                                                  const std::string& title,
                                                  std::unique_ptr<InstanceRegistration>& out) {
  out.reset();
  if (windowClass.empty()) return InstanceStatus::kIoError;
  const auto lockPath = entryPath(windowClass, kLockSuffix);
  const auto socketPath = entryPath(windowClass, kSocketSuffix);
  sockaddr_un addr;
  if (!fillAddress(socketPath, addr)) return InstanceStatus::kNameTooLong;
  if (!prepareFolder(folder_)) return InstanceStatus::kNoFolder;

  std::unique_ptr<InstanceRegistration> reg(new InstanceRegistration());
  reg->info_ = {windowClass, title, long(::getpid())};
  reg->lockPath_ = lockPath;
  // An ending instance unlinks its file while it still holds the lock; a lock won on such an
  // unlinked file is worthless, so try again on the file the path names now.
  for (int attempt = 0;; ++attempt) {
    int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return InstanceStatus::kIoError;
    if (!lockExclusive(fd)) {
      ::close(fd);
      return errno == EAGAIN || errno == EACCES ? InstanceStatus::kAlreadyRunning
                                                : InstanceStatus::kIoError;
    }
    struct stat held, named;
    if (::fstat(fd, &held) == 0 && ::stat(lockPath.c_str(), &named) == 0 &&
        held.st_ino == named.st_ino && held.st_dev == named.st_dev) {
      reg->lockFd_ = fd;
      break;
    }
    ::close(fd);
    if (attempt == 10) return InstanceStatus::kIoError;
  }
  // From here on the destructor undoes what was done.
  const std::string text =
      std::to_string(reg->info_.pid) + "\n" + windowClass + "\n" + title + "\n";
  if (::ftruncate(reg->lockFd_, 0) != 0 || !writeAll(reg->lockFd_, text))
    return InstanceStatus::kIoError;

  ::unlink(socketPath.c_str());  // left by an instance that crashed
  int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (s < 0) return InstanceStatus::kIoError;
  reg->listenFd_ = s;
  if (::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(s, 8) != 0)
    return InstanceStatus::kIoError;
  reg->socketPath_ = socketPath;
  out = std::move(reg);
  return InstanceStatus::kOk;
}

std::optional<InstanceInfo> InstanceRegistry::findByClass(const std::string& windowClass) const {
  if (windowClass.empty()) return std::nullopt;
  return readLive(entryPath(windowClass, kLockSuffix));
}

std::vector<InstanceInfo> InstanceRegistry::list() const {
  std::vector<InstanceInfo> found;
  const std::string prefix = encodeName(display_.empty() ? "nodisplay" : display_) + "@";
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder_, ec)) {
    const std::string name = e.path().filename().string();
    if (name.starts_with(prefix) && name.ends_with(kLockSuffix)) {
      if (auto info = readLive(e.path())) found.push_back(*info);
    }
  }
  std::sort(found.begin(), found.end(), [](const InstanceInfo& a, const InstanceInfo& b) {
    return a.windowClass < b.windowClass;
  });
  return found;
}

std::optional<InstanceInfo> InstanceRegistry::findByTitle(const std::string& title) const {
  for (auto& info : list())
    if (info.title == title) return info;
  return std::nullopt;
}

InstanceStatus InstanceRegistry::post(const std::string& windowClass,
                                      InstanceRequest request) const {
  if (!findByClass(windowClass)) return InstanceStatus::kNotRunning;
  sockaddr_un addr;
  if (!fillAddress(entryPath(windowClass, kSocketSuffix), addr))
    return InstanceStatus::kNameTooLong;
  int s = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (s < 0) return InstanceStatus::kIoError;
  InstanceStatus status = InstanceStatus::kOk;
  if (::connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    status = errno == ENOENT || errno == ECONNREFUSED ? InstanceStatus::kNotRunning
                                                      : InstanceStatus::kIoError;
  } else if (!writeAll(s, request == InstanceRequest::kClose ? "close\n" : "front\n")) {
    status = InstanceStatus::kIoError;
  }
  ::close(s);
  return status;
}

bool InstanceRegistry::waitUntilEnded(const std::string& windowClass,
                                      std::chrono::milliseconds timeout) const {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (isRunning(windowClass)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

InstanceRegistration::~InstanceRegistration() {
  if (watcher_.joinable()) {
    watcher_.request_stop();
    watcher_.join();
  }
  if (listenFd_ >= 0) {
    ::close(listenFd_);
    if (!socketPath_.empty()) ::unlink(socketPath_.c_str());
  }
  if (lockFd_ >= 0) {
    ::unlink(lockPath_.c_str());  // still locked, so no one can take the file meanwhile
    ::close(lockFd_);
  }
}

std::optional<InstanceRequest> InstanceRegistration::nextRequest(
    std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd p{listenFd_, POLLIN, 0};
    if (::poll(&p, 1, int(std::max<long long>(0, left.count()))) <= 0) return std::nullopt;
    int c = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (c < 0) {
      if (errno == EINTR || errno == EAGAIN || errno == ECONNABORTED) continue;
      return std::nullopt;
    }
    // A sender writes its one line at once; a silent peer is dropped after a short wait.
    std::string text;
    pollfd q{c, POLLIN, 0};
    while (text.find('\n') == std::string::npos && text.size() < 64 && ::poll(&q, 1, 200) > 0) {
      char buf[64];
      ssize_t n = ::read(c, buf, sizeof buf);
      if (n <= 0) break;
      text.append(buf, std::size_t(n));
    }
    ::close(c);
    if (text.starts_with("close\n")) return InstanceRequest::kClose;
    if (text.starts_with("front\n")) return InstanceRequest::kBringToFront;
  }
}

void InstanceRegistration::watch(std::function<void(InstanceRequest)> onRequest) {
  if (watcher_.joinable() || !onRequest) return;
  watcher_ = std::jthread([this, onRequest = std::move(onRequest)](std::stop_token stop) {
    // Short waits, so that the end of the registration is never held up long.
    while (!stop.stop_requested())
      if (auto request = nextRequest(std::chrono::milliseconds(100))) onRequest(*request);
  });
}

}  // namespace trv::platform
