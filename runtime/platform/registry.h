#pragma once
// A file-backed store of keys and values, standing in for the system registry.
//
// Keys form a tree and are named by their full path with "\" between the parts
// ("HKEY_LOCAL_MACHINE\Software\..."); names of keys and values compare without regard to ASCII
// letter case, as the registry's do, and keep the spelling they were created with. A value has a
// type and a run of bytes.
//
// Every call of FileRegistry is one transaction on the file: it is read under a lock on a lock
// file beside it and, when it changes, written to a temporary file and renamed over the old one,
// so several processes (an installer, the uninstaller) can share one store and a failed write
// never leaves a torn file. Calls on one object may come from several threads.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace trv::platform {

enum class RegistryStatus {
  kOk,
  kNotFound,     // the key or value does not exist
  kHasSubkeys,   // a key with subkeys is never deleted
  kInvalidName,  // an empty key path, an empty part ("a\\b"), or a key name of a value
  kMalformed,    // the store's file cannot be parsed; it is left as it is
  kIoError,      // the store's file cannot be read or written
};

// Value types, numbered as the registry numbers them.
enum class RegistryType : std::uint32_t {
  kString = 1,
  kBinary = 3,
  kDword = 4,
};

struct RegistryValue {
  RegistryType type = RegistryType::kBinary;
  std::string data;  // the value's bytes; a double word is 4 bytes, little-endian

  static RegistryValue dword(std::uint32_t v);
  static RegistryValue string(std::string_view s);
  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;
};

struct RegistryRead {
  RegistryStatus status = RegistryStatus::kNotFound;
  RegistryValue value;  // set when status is kOk
};

struct RegistryNames {
  RegistryStatus status = RegistryStatus::kNotFound;
  std::vector<std::string> names;  // in the order they were created
};

// What a program asks of the registry. Failures are status values, never exceptions.
class Registry {
 public:
  virtual ~Registry() = default;

  // kOk when the key exists.
  [[nodiscard]] virtual RegistryStatus findKey(std::string_view key) = 0;
  // Creates the key and its missing parents; kOk also when it existed.
  [[nodiscard]] virtual RegistryStatus createKey(std::string_view key) = 0;
  // Deletes a key and its values. A key that still has subkeys is kept (kHasSubkeys), so a
  // wrongly built path never takes a whole branch with it.
  [[nodiscard]] virtual RegistryStatus deleteKey(std::string_view key) = 0;

  [[nodiscard]] virtual RegistryRead readValue(std::string_view key, std::string_view name) = 0;
  // Sets a value of an existing key (kNotFound when the key does not exist).
  [[nodiscard]] virtual RegistryStatus writeValue(std::string_view key, std::string_view name,
                                                  const RegistryValue& value) = 0;
  [[nodiscard]] virtual RegistryStatus deleteValue(std::string_view key, std::string_view name) = 0;

  [[nodiscard]] virtual RegistryNames valueNames(std::string_view key) = 0;
  [[nodiscard]] virtual RegistryNames subkeyNames(std::string_view key) = 0;
};

class FileRegistry final : public Registry {
 public:
  // The store in `file`; a missing file is an empty store, created by the first change.
  explicit FileRegistry(std::filesystem::path file);
  // The store of this machine's user: TRV_REGISTRY_FILE, else $XDG_DATA_HOME/trv/registry,
  // else ~/.local/share/trv/registry.
  FileRegistry();

  const std::filesystem::path& file() const { return file_; }

  RegistryStatus findKey(std::string_view key) override;
  RegistryStatus createKey(std::string_view key) override;
  RegistryStatus deleteKey(std::string_view key) override;
  RegistryRead readValue(std::string_view key, std::string_view name) override;
  RegistryStatus writeValue(std::string_view key, std::string_view name,
                            const RegistryValue& value) override;
  RegistryStatus deleteValue(std::string_view key, std::string_view name) override;
  RegistryNames valueNames(std::string_view key) override;
  RegistryNames subkeyNames(std::string_view key) override;

 private:
  std::filesystem::path file_;
};

std::filesystem::path defaultRegistryFile();

}  // namespace trv::platform
