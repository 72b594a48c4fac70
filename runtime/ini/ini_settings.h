#pragma once
// IniSettings: the workstation's configuration file "trvnel12.ini" and the window positions kept
// in it.
//
// The file lives in the workstation's configuration folder (the "Windows folder"), so several
// workstations sharing a program folder keep their own settings. Sections and keys compare
// without regard to letter case; a missing value reads as empty (or 0); numbers are decimal text;
// text is written without trailing blanks. Values are UTF-8 text: callers convert record fields
// at this edge. No operation reports an error to the user; a write that cannot happen (a value
// holding a line break, a folder that cannot be written) returns false and changes nothing.
// Thread-safe: all threads share one object.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trv::ini {

class ProfileFile;

// Where and how a window stands, as the window layer reports it.
struct WindowPlacement {
  bool iconized = false;
  bool maximized = false;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// What a restore found: the window is maximized, or placed at x, y (and sized when resizable).
struct RestoredPlacement {
  bool maximized = false;
  int x = 0;
  int y = 0;
  bool sized = false;  // width and height apply
  int width = 0;
  int height = 0;
};

class IniSettings {
 public:
  IniSettings();
  ~IniSettings();
  IniSettings(const IniSettings&) = delete;
  IniSettings& operator=(const IniSettings&) = delete;

  // Binds the object to fileName inside folder and reads the framework's sector list.
  void Init(const std::filesystem::path& folder, std::string_view fileName);
  // Empty hook before Shutdown.
  void BeforeShutdown() {}
  // Writes the framework's sector list back (when the file had one).
  void Shutdown();

  const std::filesystem::path& path() const { return path_; }

  std::string ReadValue(std::string_view section, std::string_view key) const;
  // The value read as a whole number; 0 when missing, empty or not a number.
  std::int64_t ReadNumber(std::string_view section, std::string_view key) const;
  bool WriteValue(std::string_view section, std::string_view key, std::string_view value);
  bool WriteValue(std::string_view section, std::string_view key, std::int64_t value);
  bool WriteValue(std::string_view section, std::string_view key, const char* value) {
    return WriteValue(section, key, std::string_view(value));
  }

  // The position saved under the procedure's name; nothing unless "Maximize" holds "Yes" or
  // "No".
  std::optional<RestoredPlacement> RestoreWindowPosition(std::string_view procedure,
                                                         bool resizable) const;
  // Saves the position under the procedure's name: nothing while iconized; "Maximize", and when
  // not maximized "XPos" and "YPos", and for a resizable window "Height" and "Width".
  void SaveWindowPosition(std::string_view procedure, const WindowPlacement& placement,
                          bool resizable);

  // The framework's sector list ("__Dont_Touch_Me__"), as read at Init.
  const std::vector<std::string>& sectors() const { return sectors_; }

 private:
  std::filesystem::path path_;
  std::unique_ptr<ProfileFile> file_;
  std::vector<std::string> sectors_;
  bool hadSectors_ = false;
};

}  // namespace trv::ini
