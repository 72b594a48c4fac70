#pragma once
// The list's export files: a comma-separated file and an HTML page of one table, written line
// by line from the cells the list shows.
//
// The comma-separated file opens with the count line "# Records=9999999" whose seven digits are
// written in place when the file is complete; a header line of the column headers may follow;
// then one line per record. A cell holding a double quote goes between single quotes, one
// holding the separator between double quotes; nothing inside a value is doubled or escaped.
// The HTML page is one table with a row per record; texts are written as they are.
//
// A line is at most kExportLineMax characters (a longer one is cut); a cell at most
// kExportCellMax before its quotes. Write failures are reported by Finish, never thrown.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace trv::listext {

inline constexpr std::size_t kExportLineMax = 2048;
inline constexpr std::size_t kExportCellMax = 255;
inline constexpr char kCountLine[] = "# Records=9999999";

enum class ExportFormat { Csv, Html };

// A cell's value as exported: leading and trailing blanks gone, cut to kExportCellMax.
std::string exportValue(std::string value);
// A value as a cell of the comma-separated file (quoted by what it holds).
std::string csvCell(const std::string& value, char separator);
// The lines of the comma-separated file: the header line and a data line.
std::string csvHeaderLine(const std::vector<std::string>& headers, char separator);
std::string csvDataLine(const std::vector<std::string>& values, char separator);
// The lines of the HTML page.
std::vector<std::string> htmlOpening(const std::string& title);
std::string htmlRow(const std::vector<std::string>& cells);
std::vector<std::string> htmlClosing();
// What the user is told when the desktop cannot open the exported file `path`: the opener's
// error number, and where a program for the file's type is chosen.
std::string shellErrorText(int error, const std::string& path);

class ExportFile {
 public:
  ExportFile(std::filesystem::path path, ExportFormat format);
  ~ExportFile();
  ExportFile(const ExportFile&) = delete;
  ExportFile& operator=(const ExportFile&) = delete;

  // Creates the file (replacing one of that name) and writes the opening lines. False when the
  // file cannot be created or written (error() says why).
  bool Open(const std::string& title, const std::vector<std::string>* headers, char separator);
  // One data line; the record count goes up by one.
  bool WriteRecord(const std::vector<std::string>& values);
  // Closing lines, the record count in place (comma-separated), flushed and closed.
  bool Finish();

  std::uint64_t records() const { return records_; }
  const std::string& error() const { return error_; }
  const std::filesystem::path& path() const { return path_; }

 private:
  bool line(std::string text);
  bool fail(const std::string& what);

  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::filesystem::path path_;
  ExportFormat format_;
  char separator_ = ',';
  std::unique_ptr<std::FILE, Closer> file_;
  std::uint64_t records_ = 0;
  std::string error_;
};

}  // namespace trv::listext
