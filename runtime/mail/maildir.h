#pragma once
// One Maildir folder (new/, cur/, tmp/): listing, reading, delivery, seen marks and moves.
//
// A message's identifier is its unique file name without the ":2,FLAGS" suffix, so it stays
// the same while its flags change or it moves from new/ to cur/. Deliveries are written under
// tmp/ and linked into place, so a reader never sees part of a message and two writers never
// share a name. Identifiers from callers are checked: one that names no message of this folder
// (or tries to leave it) is simply not found.
//
// A Maildir object holds only its path; several may name the same folder, from several
// processes. Not synchronised: callers serialise their own calls.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trv::mail {

struct MaildirEntry {
  std::string id;
  std::filesystem::path path;
  std::string flags;  // the Maildir flag letters, sorted ("RS")
  bool inNew = false;
  // The received date: the file's modification time (deliver sets it), else the name's stamp.
  std::int64_t deliveredSeconds = 0;

  bool seen() const { return flags.find('S') != std::string::npos; }
};

enum class MaildirStatus { Ok, NotFound, DiskFull, Failed };

struct MaildirResult {
  MaildirStatus status = MaildirStatus::Ok;
  std::string detail;  // what failed, with the system's reason
  bool ok() const { return status == MaildirStatus::Ok; }
};

class Maildir {
 public:
  // Opens the folder at root, creating root, new/, cur/ and tmp/ when missing.
  [[nodiscard]] static std::optional<Maildir> open(const std::filesystem::path& root,
                                                   std::string* problem = nullptr);

  const std::filesystem::path& root() const { return root_; }
  // A Maildir++ subfolder ("Sent" is root/.Sent), opened the same way.
  [[nodiscard]] std::optional<Maildir> subfolder(std::string_view name,
                                                 std::string* problem = nullptr) const;

  // Names of the Maildir++ subfolders ("Sent", "Trash", "Clients.Acme"), sorted.
  std::vector<std::string> subfolders() const;

  // Every message, oldest delivery first (ties by identifier).
  std::vector<MaildirEntry> list() const;
  std::optional<MaildirEntry> find(std::string_view id) const;

  [[nodiscard]] MaildirResult read(const MaildirEntry& entry, std::string& bytes) const;

  // Stores bytes as a new message delivered at deliveredSeconds (seconds since the epoch), which
  // the file keeps as its modification time.
  // With flags the message goes to cur/ with them, else to new/.
  [[nodiscard]] MaildirResult deliver(std::string_view bytes, std::int64_t deliveredSeconds,
                                      std::string_view flags = {}, std::string* id = nullptr) const;

  // Adds the seen flag; updates entry to where the message now is.
  [[nodiscard]] MaildirResult markSeen(MaildirEntry& entry) const;

  // Moves the message into target's cur/, keeping its identifier, adding extraFlags.
  [[nodiscard]] MaildirResult moveTo(const MaildirEntry& entry, const Maildir& target,
                                     std::string_view extraFlags = {}) const;

 private:
  explicit Maildir(std::filesystem::path root) : root_(std::move(root)) {}
  std::filesystem::path root_;
};

// Orders entries as list() does.
bool deliveredBefore(const MaildirEntry& a, const MaildirEntry& b);

}  // namespace trv::mail
