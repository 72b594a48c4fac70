#pragma once
// One line of the case export file "cases.csv": the case number bare, every other field in
// double quotes (inner quotes doubled), texts in UTF-8 without trailing blanks, dates as "@D5"
// and times as "@T1" show them with the blanks at both ends removed ("" for 0), ended by CR LF.
// Spreadsheets and Python's csv module read it back field for field.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace trv::core {
struct SercaseRecord;
}

namespace trv::cases {

// A text value quoted for the export: "a ""b""".
std::string exportQuoted(std::string_view utf8);

// Makes export lines; keeps the dates and times it has shown, which repeat over a case file.
class ExportFormatter {
 public:
  // Appends the export line of one case, CR LF included, to `out`.
  void appendLine(const core::SercaseRecord& r, std::string& out);

 private:
  void appendPictured(std::string& out, bool date, std::int32_t value);
  // What a value showed last, in a slot chosen by the value: a case file's dates and times fall
  // on a few thousand days and minutes, so most lookups find their text at the first look.
  struct Shown {
    std::int32_t value = 0;
    std::uint8_t size = kUnused;
    char text[11];  // quoted: "25/12/02" or "14:30"
    static constexpr std::uint8_t kUnused = 0xFF;
  };
  std::vector<Shown> dates_, times_;
};

// The export line of one case, CR LF included.
std::string exportLine(const core::SercaseRecord& r);

}  // namespace trv::cases
