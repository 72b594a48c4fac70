#pragma once
// The text of a configuration file in the private-profile format, held in memory.
//
// Lines of "[section]" and "key=value"; everything else (comments, blank lines, lines without
// "=") is kept as it stands. Section and key names compare without regard to letter case and
// surrounding blanks; the first matching section and the first matching key in it win. Editing
// keeps every other line and the file's line endings. Pure value type, no I/O.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trv::ini {

class ProfileText {
 public:
  ProfileText() = default;
  explicit ProfileText(std::string_view text);

  // The value of the key, without surrounding blanks (and without one pair of enclosing double
  // quotes); nothing when the section or key is missing.
  std::optional<std::string> read(std::string_view section, std::string_view key) const;

  // Sets the key to the value (trailing blanks removed), adding the key at the end of the first
  // matching section, or the section at the end of the text. Refuses (returns false, changes
  // nothing) a name or value that the format cannot hold: a line break anywhere, "]" in a
  // section name, "=" in a key, an empty or blank name, or a key starting with "[" or ";".
  bool write(std::string_view section, std::string_view key, std::string_view value);

  // Removes the key from the first matching section; false when it was not there.
  bool remove(std::string_view section, std::string_view key);

  // The whole text, ready to be written.
  std::string text() const;

  static bool canHold(std::string_view section, std::string_view key, std::string_view value);

 private:
  struct Line {
    std::string text;  // without its line ending
  };
  // Index of the first line of the first matching section's body and one past its end.
  struct SectionRange {
    std::size_t header;
    std::size_t end;  // one past the last line that belongs to the section
  };
  std::optional<SectionRange> findSection(std::string_view section) const;
  std::optional<std::size_t> findKey(const SectionRange& range, std::string_view key) const;

  std::vector<Line> lines_;
  std::string eol_ = "\n";
  bool finalEol_ = true;
};

}  // namespace trv::ini
