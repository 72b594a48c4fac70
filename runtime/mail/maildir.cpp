#include "runtime/mail/maildir.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <random>

namespace trv::mail {
namespace fs = std::filesystem;
namespace {

MaildirResult errnoResult(const std::string& what, int err) {
  MaildirResult r;
  r.status = (err == ENOSPC || err == EDQUOT) ? MaildirStatus::DiskFull
             : err == ENOENT                  ? MaildirStatus::NotFound
                                              : MaildirStatus::Failed;
  r.detail = what + ": " + std::strerror(err);
  return r;
}

bool isValidId(std::string_view id) {
  if (id.empty() || id.size() > 200 || id.front() == '.') return false;
  return std::none_of(id.begin(), id.end(),
                      [](char c) { return c == '/' || c == ':' || c == '\0'; });
}

std::string sortedFlags(std::string flags) {
  std::sort(flags.begin(), flags.end());
  flags.erase(std::unique(flags.begin(), flags.end()), flags.end());
  std::erase_if(flags, [](char c) { return !((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')); });
  return flags;
}

std::string hostPart() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0 || host[0] == '\0') return "localhost";
  std::string out;
  for (const char* p = host; *p; ++p) {
    if (*p == '/')
      out += "\\057";
    else if (*p == ':')
      out += "\\072";
    else
      out += *p;
  }
  return out;
}

std::string uniqueName(std::int64_t seconds) {
  static std::atomic<unsigned> counter{0};
  static const unsigned salt = std::random_device{}();
  // Lists order the messages of one second by name, so within this process the microsecond part
  // only grows for a given second: `seconds` may be a virtual clock's while the microseconds are
  // the real clock's, which can wrap between two deliveries.
  static std::mutex orderMutex;
  static std::int64_t lastSeconds = -1;
  static long long lastMicros = -1;
  long long micros = std::chrono::duration_cast<std::chrono::microseconds>(
                         std::chrono::system_clock::now().time_since_epoch())
                         .count() %
                     1000000;
  {
    std::lock_guard lock(orderMutex);
    if (seconds == lastSeconds && micros <= lastMicros) micros = std::min(lastMicros + 1, 999999LL);
    lastSeconds = seconds;
    lastMicros = micros;
  }
  char buf[128];
  std::snprintf(buf, sizeof buf, "%lld.M%06lldP%dQ%010uR%08x.", static_cast<long long>(seconds),
                micros, static_cast<int>(::getpid()), ++counter, salt);
  return buf + hostPart();
}

std::optional<MaildirEntry> entryFor(const fs::path& file, bool inNew) {
  const std::string base = file.filename().string();
  if (base.empty() || base.front() == '.') return std::nullopt;
  MaildirEntry e;
  e.path = file;
  e.inNew = inNew;
  const std::size_t info = base.find(':');
  e.id = base.substr(0, info);
  if (info != std::string::npos && base.compare(info, 3, ":2,") == 0)
    e.flags = sortedFlags(base.substr(info + 3));
  // The received date is the file's modification time, as Dovecot reads it and as the tools
  // that import mail (mdeliver -M, offlineimap) keep it; the name's stamp is the time of the
  // delivery into this folder, which an import makes later.
  struct stat st {};
  if (::stat(file.c_str(), &st) == 0) {
    e.deliveredSeconds = st.st_mtime;
  } else {
    std::size_t digits = 0;
    while (digits < e.id.size() && digits < 18 && e.id[digits] >= '0' && e.id[digits] <= '9')
      ++digits;
    if (digits > 0 && (digits == e.id.size() || e.id[digits] == '.'))
      e.deliveredSeconds = std::stoll(e.id.substr(0, digits));
  }
  return e;
}

void scan(const fs::path& dir, bool inNew, std::vector<MaildirEntry>& out) {
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code fec;
    if (!it->is_regular_file(fec)) continue;
    if (auto e = entryFor(it->path(), inNew)) out.push_back(std::move(*e));
  }
}

fs::path curName(const fs::path& root, const std::string& id, const std::string& flags) {
  return root / "cur" / (id + ":2," + flags);
}

}  // namespace

bool deliveredBefore(const MaildirEntry& a, const MaildirEntry& b) {
  if (a.deliveredSeconds != b.deliveredSeconds) return a.deliveredSeconds < b.deliveredSeconds;
  return a.id < b.id;
}

std::optional<Maildir> Maildir::open(const fs::path& root, std::string* problem) {
  for (const fs::path& dir : {root, root / "new", root / "cur", root / "tmp"}) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (!fs::is_directory(dir, ec)) {
      if (problem)
        *problem = "cannot use mail folder " + dir.string() + (ec ? ": " + ec.message() : "");
      return std::nullopt;
    }
  }
  return Maildir(root);
}

std::optional<Maildir> Maildir::subfolder(std::string_view name, std::string* problem) const {
  return open(root_ / ("." + std::string(name)), problem);
}

std::vector<std::string> Maildir::subfolders() const {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(root_, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string base = it->path().filename().string();
    std::error_code dec;
    if (base.size() > 1 && base[0] == '.' && base != ".." && it->is_directory(dec) &&
        fs::is_directory(it->path() / "cur", dec))
      names.push_back(base.substr(1));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<MaildirEntry> Maildir::list() const {
  std::vector<MaildirEntry> out;
  scan(root_ / "new", true, out);
  scan(root_ / "cur", false, out);
  std::sort(out.begin(), out.end(), deliveredBefore);
  return out;
}

std::optional<MaildirEntry> Maildir::find(std::string_view id) const {
  if (!isValidId(id)) return std::nullopt;
  const std::string wanted(id);
  std::error_code ec;
  // The usual places first: unread in new/ under its bare name.
  if (fs::is_regular_file(root_ / "new" / wanted, ec))
    return entryFor(root_ / "new" / wanted, true);
  for (const bool inNew : {false, true}) {
    for (fs::directory_iterator it(root_ / (inNew ? "new" : "cur"), ec), end; !ec && it != end;
         it.increment(ec)) {
      const std::string base = it->path().filename().string();
      const bool same =
          base == wanted || (base.size() > wanted.size() && base[wanted.size()] == ':' &&
                             base.compare(0, wanted.size(), wanted) == 0);
      if (same) return entryFor(it->path(), inNew);
    }
  }
  return std::nullopt;
}

MaildirResult Maildir::read(const MaildirEntry& entry, std::string& bytes) const {
  const int fd = ::open(entry.path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errnoResult("cannot open " + entry.path.string(), errno);
  bytes.clear();
  char buf[65536];
  while (true) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      return errnoResult("cannot read " + entry.path.string(), err);
    }
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return {};
}

MaildirResult Maildir::deliver(std::string_view bytes, std::int64_t deliveredSeconds,
                               std::string_view flags, std::string* id) const {
  for (int attempt = 0; attempt < 8; ++attempt) {
    const std::string name = uniqueName(deliveredSeconds);
    const fs::path temp = root_ / "tmp" / name;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return errnoResult("cannot create " + temp.string(), errno);
    }
    std::size_t done = 0;
    int err = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        err = errno;
        break;
      }
      done += static_cast<std::size_t>(n);
    }
    // The received date lives in the modification time.
    const struct timespec times[2] = {{static_cast<time_t>(deliveredSeconds), 0},
                                      {static_cast<time_t>(deliveredSeconds), 0}};
    if (err == 0 && ::futimens(fd, times) != 0) err = errno;
    if (err == 0 && ::fsync(fd) != 0) err = errno;
    if (::close(fd) != 0 && err == 0) err = errno;
    if (err != 0) {
      ::unlink(temp.c_str());
      return errnoResult("cannot write " + temp.string(), err);
    }
    const std::string sorted = sortedFlags(std::string(flags));
    const fs::path target = sorted.empty() ? root_ / "new" / name : curName(root_, name, sorted);
    if (::link(temp.c_str(), target.c_str()) != 0) {
      const int linkErr = errno;
      ::unlink(temp.c_str());
      if (linkErr == EEXIST) continue;
      return errnoResult("cannot deliver into " + target.parent_path().string(), linkErr);
    }
    ::unlink(temp.c_str());
    if (id) *id = name;
    return {};
  }
  return {MaildirStatus::Failed, "cannot find a free message name in " + root_.string()};
}

MaildirResult Maildir::markSeen(MaildirEntry& entry) const {
  if (entry.seen() && !entry.inNew) return {};
  for (int attempt = 0; attempt < 2; ++attempt) {
    const std::string flags = sortedFlags(entry.flags + "S");
    const fs::path target = curName(root_, entry.id, flags);
    if (::rename(entry.path.c_str(), target.c_str()) == 0) {
      entry.path = target;
      entry.flags = flags;
      entry.inNew = false;
      return {};
    }
    if (errno != ENOENT) return errnoResult("cannot mark " + entry.id + " as read", errno);
    // Another client moved it meanwhile (its own flag change): look again.
    auto moved = find(entry.id);
    if (!moved) return {MaildirStatus::NotFound, "message " + entry.id + " is gone"};
    entry = *moved;
    if (entry.seen() && !entry.inNew) return {};
  }
  return {MaildirStatus::Failed, "message " + entry.id + " keeps moving"};
}

MaildirResult Maildir::moveTo(const MaildirEntry& entry, const Maildir& target,
                              std::string_view extraFlags) const {
  const fs::path to =
      curName(target.root_, entry.id, sortedFlags(entry.flags + std::string(extraFlags)));
  if (::rename(entry.path.c_str(), to.c_str()) != 0)
    return errnoResult("cannot move " + entry.id, errno);
  return {};
}

}  // namespace trv::mail
