#pragma once
// One line of the case export file "cases.csv": the case number bare, every other field in
// double quotes (inner quotes doubled), texts in UTF-8 without trailing blanks, dates as "@D5"
// and times as "@T1" show them with the blanks at both ends removed ("" for 0), ended by CR LF.
// Spreadsheets and Python's csv module read it back field for field.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

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
  std::unordered_map<std::int32_t, std::string> dates_, times_;
};

// The export line of one case, CR LF included.
std::string exportLine(const core::SercaseRecord& r);

}  // namespace trv::cases
