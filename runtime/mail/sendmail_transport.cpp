#include "runtime/mail/sendmail_transport.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace trv::mail {
namespace {

class Fd {
 public:
  Fd() = default;
  explicit Fd(int fd) : fd_(fd) {}
  Fd(Fd&& o) noexcept : fd_(o.release()) {}
  Fd& operator=(Fd&& o) noexcept {
    reset(o.release());
    return *this;
  }
  ~Fd() { reset(); }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

constexpr std::size_t kMaxErrorOutput = 2000;

std::string tidyOutput(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  for (char& c : s)
    if (c == '\n' || c == '\r') c = ' ';
  return s;
}

}  // namespace

TransportResult SendmailTransport::send(const OutgoingMail& mail) {
  const std::string command = command_.string();
  int sv[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, sv) != 0)
    return {TransportStatus::Failed,
            std::string("cannot start ") + command + ": " + std::strerror(errno)};
  Fd toChild(sv[0]), childIn(sv[1]);
  int pp[2];
  if (::pipe2(pp, O_CLOEXEC) != 0)
    return {TransportStatus::Failed,
            std::string("cannot start ") + command + ": " + std::strerror(errno)};
  Fd fromChild(pp[0]), childOut(pp[1]);

  std::vector<std::string> args{command, "-i", "-f", mail.envelopeFrom, "--"};
  args.insert(args.end(), mail.recipients.begin(), mail.recipients.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, childIn.get(), 0);
  posix_spawn_file_actions_adddup2(&actions, childOut.get(), 1);
  posix_spawn_file_actions_adddup2(&actions, childOut.get(), 2);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);  // no database file reaches the command
#endif
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGDEF);
  pid_t pid = 0;
  // A bare command name is looked up on the search path, as a shell would.
  const bool bare = command.find('/') == std::string::npos;
  const int spawned =
      bare ? ::posix_spawnp(&pid, command.c_str(), &actions, &attr, argv.data(), environ)
           : ::posix_spawn(&pid, command.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  childIn.reset();
  childOut.reset();
  if (spawned != 0)
    return {TransportStatus::Failed, "cannot start " + command + ": " + std::strerror(spawned)};

  std::string output;
  std::size_t written = 0;
  bool writeFailed = false;
  const auto deadline = std::chrono::steady_clock::now() + timeout_;
  bool timedOut = false;
  while (fromChild.get() >= 0 || toChild.get() >= 0) {
    pollfd fds[2];
    nfds_t count = 0;
    int readIndex = -1, writeIndex = -1;
    if (fromChild.get() >= 0) {
      readIndex = static_cast<int>(count);
      fds[count++] = {fromChild.get(), POLLIN, 0};
    }
    if (toChild.get() >= 0) {
      writeIndex = static_cast<int>(count);
      fds[count++] = {toChild.get(), POLLOUT, 0};
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timedOut = true;
      break;
    }
    const int ready = ::poll(fds, count, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) break;
    if (writeIndex >= 0 && (fds[writeIndex].revents & (POLLOUT | POLLERR | POLLHUP))) {
      const ssize_t n = ::send(toChild.get(), mail.wire.data() + written,
                               mail.wire.size() - written, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n < 0 && errno != EAGAIN && errno != EINTR) writeFailed = true;
      if (written == mail.wire.size() || writeFailed) toChild.reset();  // end of the message
    }
    if (readIndex >= 0 && (fds[readIndex].revents & (POLLIN | POLLHUP | POLLERR))) {
      char buf[4096];
      const ssize_t n = ::read(fromChild.get(), buf, sizeof buf);
      if (n > 0 && output.size() < kMaxErrorOutput) output.append(buf, static_cast<std::size_t>(n));
      if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN)) fromChild.reset();
    }
  }
  toChild.reset();
  fromChild.reset();
  if (timedOut) ::kill(pid, SIGKILL);
  int status = 0;
  pid_t waited;
  while ((waited = ::waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
  }
  output = tidyOutput(output.substr(0, kMaxErrorOutput));
  const std::string suffix = output.empty() ? std::string() : ": " + output;
  if (waited != pid)
    return {TransportStatus::Failed,
            "cannot learn whether " + command + " took the message" + suffix};
  if (timedOut)
    return {TransportStatus::Failed, command + " did not finish in time and was stopped" + suffix};
  if (WIFSIGNALED(status))
    return {TransportStatus::Failed,
            command + " was ended by signal " + std::to_string(WTERMSIG(status)) + suffix};
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code == 127) return {TransportStatus::Failed, "cannot start " + command + suffix};
    return {TransportStatus::Failed,
            command + " exited with status " + std::to_string(code) + suffix};
  }
  if (writeFailed || written != mail.wire.size())
    return {TransportStatus::Failed, command + " did not take the whole message" + suffix};
  return {TransportStatus::Sent, {}};
}

}  // namespace trv::mail
