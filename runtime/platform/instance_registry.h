#pragma once
// The running-instance registry: which of this user's programs run on this display.
//
// A program registers itself under its main window's class and title. While it stays
// registered, other processes of the same user and display can find it (by class or by title),
// ask it to come to the front, or post it a close request. Only one live instance can hold a
// class at a time, so registering is also the single-copy check.
//
// Each instance is a lock file, held locked for the instance's life, and a Unix-domain socket
// beside it, in one folder per user: TRV_INSTANCE_DIR, else $XDG_RUNTIME_DIR/trv-instances,
// else /tmp/trv-instances-<uid>. An instance that ended without unregistering (a crash) leaves
// an unlocked file, which counts as not running and is cleaned up by the next registration.
//
// Requests arrive on the instance's socket; the owner collects them with nextRequest() (for
// example from its event loop, waiting on requestFd()). Objects may be used from any thread,
// one call at a time per object.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace trv::platform {

enum class InstanceRequest { kBringToFront, kClose };

enum class InstanceStatus {
  kOk,
  kAlreadyRunning,  // another live instance holds the class
  kNotRunning,      // no live instance is registered under the class or title
  kNoFolder,        // the registry's folder cannot be made or used
  kNameTooLong,     // the socket's path does not fit a Unix-domain address
  kIoError,         // the socket or lock file failed otherwise
};

struct InstanceInfo {
  std::string windowClass;
  std::string title;
  long pid = 0;
};

class InstanceRegistration;

class InstanceRegistry {
 public:
  // The registry for this user and the display named by $DISPLAY or $WAYLAND_DISPLAY.
  InstanceRegistry();
  // A registry in `folder` for `display`, for tests and for callers that know better.
  InstanceRegistry(std::filesystem::path folder, std::string display);

  const std::filesystem::path& folder() const { return folder_; }

  // Registers the calling process under `windowClass` (required, not empty) with `title`.
  // On kOk `out` holds the registration; it ends when that object is destroyed.
  [[nodiscard]] InstanceStatus registerInstance(const std::string& windowClass,
                                                const std::string& title,
                                                std::unique_ptr<InstanceRegistration>& out);

  // The live instance registered under `windowClass`, if any.
  std::optional<InstanceInfo> findByClass(const std::string& windowClass) const;
  // The first live instance (in class order) whose title is `title`, if any.
  std::optional<InstanceInfo> findByTitle(const std::string& title) const;
  bool isRunning(const std::string& windowClass) const {
    return findByClass(windowClass).has_value();
  }

  // Posts a request to the instance of `windowClass` and returns at once, without waiting for
  // the instance to act on it. kNotRunning when there is none.
  [[nodiscard]] InstanceStatus post(const std::string& windowClass, InstanceRequest request) const;

  // Waits until no instance of `windowClass` runs, or `timeout` passes; true when none runs.
  bool waitUntilEnded(const std::string& windowClass, std::chrono::milliseconds timeout) const;

  // Every live instance of this display, in class order.
  std::vector<InstanceInfo> list() const;

 private:
  std::filesystem::path entryPath(const std::string& windowClass, const char* suffix) const;

  std::filesystem::path folder_;
  std::string display_;
};

// A live registration. Destroying it unregisters the instance.
class InstanceRegistration {
 public:
  ~InstanceRegistration();
  InstanceRegistration(const InstanceRegistration&) = delete;
  InstanceRegistration& operator=(const InstanceRegistration&) = delete;

  const InstanceInfo& info() const { return info_; }

  // A descriptor that becomes readable when a request may be waiting, for event loops.
  int requestFd() const { return listenFd_; }

  // The next request that arrived, waiting at most `timeout` (zero: only look).
  std::optional<InstanceRequest> nextRequest(
      std::chrono::milliseconds timeout = std::chrono::milliseconds(0));

  // Answers requests as they arrive: `onRequest` runs on a thread of the registration's own
  // (so it must only use thread-safe calls) until the registration ends. Call once; the owner
  // then no longer calls nextRequest.
  void watch(std::function<void(InstanceRequest)> onRequest);

 private:
  friend class InstanceRegistry;
  InstanceRegistration() = default;

  InstanceInfo info_;
  std::jthread watcher_;  // stopped and joined first when the registration ends
  std::filesystem::path lockPath_;
  std::filesystem::path socketPath_;
  int lockFd_ = -1;
  int listenFd_ = -1;
};

}  // namespace trv::platform
