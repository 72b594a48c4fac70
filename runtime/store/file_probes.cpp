#include "runtime/store/file_probes.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>

#include "runtime/store/connection.h"
#include "runtime/store/error.h"

namespace trv::store {

namespace {

std::mutex gFaultsMutex;
TEST_Faults gFaults;

}  // namespace

namespace detail {

std::string deniedFolder() {
  std::lock_guard lock(gFaultsMutex);
  return gFaults.denyWriteIn;
}

bool sameFolder(const std::string& a, const std::string& b) {
  return !a.empty() &&
         std::filesystem::path(a).lexically_normal() == std::filesystem::path(b).lexically_normal();
}

// The disk-full switch for a file; sets the error when it applies.
bool diskFull(const std::string& path) {
  std::string full;
  {
    std::lock_guard lock(gFaultsMutex);
    full = gFaults.diskFullIn;
  }
  if (!sameFolder(full, std::filesystem::path(path).parent_path().string())) return false;
  setError(FileSystemError, SQLITE_FULL, "database or disk is full");
  return true;
}

void beforeOpenStep(std::string_view step) {
  std::function<void(std::string_view)> hook;
  {
    std::lock_guard lock(gFaultsMutex);
    hook = gFaults.betweenOpenSteps;
  }
  if (hook) hook(step);
}

bool locksHonoured(const std::string& folder) {
  static std::mutex m;
  static std::set<std::string> good;
  std::lock_guard lock(m);
  if (good.count(folder) != 0) return true;
  const std::string probe = folder + "/.trvnel-lockcheck-" + std::to_string(::getpid());
  // The folder is shared: a link planted at the probe's name is never followed, and the probe
  // is always a file of our own (a leftover of a crashed run with our process id is replaced).
  constexpr int kCreate = O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  int a = ::open(probe.c_str(), kCreate, 0600);
  if (a < 0 && errno == EEXIST && ::unlink(probe.c_str()) == 0)
    a = ::open(probe.c_str(), kCreate, 0600);
  if (a < 0) return true;  // cannot probe (the open will say what is wrong)
  const int b = ::open(probe.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
  struct flock fl {};
  fl.l_type = F_WRLCK;
  fl.l_whence = SEEK_SET;
  fl.l_len = 1;
  bool honoured = true;
  if (b >= 0 && ::fcntl(a, F_OFD_SETLK, &fl) == 0) {
    struct flock second = fl;
    honoured = ::fcntl(b, F_OFD_SETLK, &second) != 0 && (errno == EAGAIN || errno == EACCES);
  } else if (b >= 0 && errno == ENOLCK) {
    honoured = false;
  }
  if (b >= 0) ::close(b);
  ::close(a);
  ::unlink(probe.c_str());
  if (honoured) good.insert(folder);
  return honoured;
}

bool createDataFile(const std::string& path) {
  // Nothing of ours can hold a lock on a file that did not exist, so closing it drops none.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        kDataFileMode & ~0077u);
  if (fd < 0) return false;
  (void)::fchmod(fd, kDataFileMode);
  ::close(fd);
  return true;
}

}  // namespace detail

void TEST_setFaults(TEST_Faults faults) {
  std::lock_guard lock(gFaultsMutex);
  gFaults = std::move(faults);
}

}  // namespace trv::store
