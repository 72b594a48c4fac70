// The export files' formats and their writer.

#include "listext/list_export.h"

#include <cerrno>
#include <cstring>

#include "listext/list_text.h"

namespace trv::listext {
std::string exportValue(std::string value) {
  const std::size_t first = value.find_first_not_of(' ');
  value.erase(0, first == std::string::npos ? value.size() : first);
  value = clipped(std::move(value));
  if (value.size() > kExportCellMax) value.resize(kExportCellMax);
  return value;
}

std::string csvCell(const std::string& value, char separator) {
  // The quotes go around the whole value, however long: a long value keeps its closing quote.
  if (value.find('"') != std::string::npos) return "'" + value + "'";
  if (value.find(separator) != std::string::npos) return "\"" + value + "\"";
  return value;
}

std::string csvHeaderLine(const std::vector<std::string>& headers, char separator) {
  std::string out;
  for (std::size_t i = 0; i < headers.size(); ++i) {
    if (i > 0) out += separator;
    out += clipped(headers[i]);
  }
  return out;
}

std::string csvDataLine(const std::vector<std::string>& values, char separator) {
  std::string out;
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) out += separator;
    out += csvCell(values[i], separator);
  }
  return out;
}

std::vector<std::string> htmlOpening(const std::string& title) {
  const std::string t = clipped(title);
  return {"<HTML>", "<HEAD><TITLE>" + t + "</TITLE></HEAD>", "<H1>" + t + "</H1><P>",
          "<TABLE BORDER=2>"};
}

std::string htmlRow(const std::vector<std::string>& cells) {
  std::string out = "<TR> ";
  for (const std::string& c : cells) {
    const std::string v = clipped(c);
    out += "<TD>" + (v.empty() ? std::string("&nbsp") : v) + "</TD> ";
  }
  return out + "</TR>";
}

std::vector<std::string> htmlClosing() {
  return {"</TABLE>", "</HTML>"};
}

std::string shellErrorText(int error, const std::string& path) {
  return "Shell launching error:" + std::to_string(error) +
         "\r\nThe desktop may have no program for this type of file."
         "\r\nChoose one in the desktop's settings of default applications (file types)"
         "\r\nand the specify a type for " +
         path;
}

ExportFile::ExportFile(std::filesystem::path path, ExportFormat format)
    : path_(std::move(path)), format_(format) {}

ExportFile::~ExportFile() = default;

bool ExportFile::fail(const std::string& what) {
  if (error_.empty()) error_ = what + " " + path_.string() + ": " + std::strerror(errno);
  file_.reset();
  return false;
}

bool ExportFile::line(std::string text) {
  if (!file_) return false;
  // Each line is built afresh; one that does not fit the line length is cut.
  if (text.size() > kExportLineMax) text.resize(kExportLineMax);
  text += '\n';
  if (std::fwrite(text.data(), 1, text.size(), file_.get()) != text.size())
    return fail("Cannot write");
  return true;
}

bool ExportFile::Open(const std::string& title, const std::vector<std::string>* headers,
                      char separator) {
  separator_ = separator;
  records_ = 0;
  errno = 0;
  file_.reset(std::fopen(path_.c_str(), "w+b"));
  if (!file_) return fail("Cannot create");
  if (format_ == ExportFormat::Csv) {
    if (!line(kCountLine)) return false;
    if (headers && !line(csvHeaderLine(*headers, separator_))) return false;
    return true;
  }
  for (const std::string& l : htmlOpening(title))
    if (!line(l)) return false;
  return !headers || line(htmlRow(*headers));
}

bool ExportFile::WriteRecord(const std::vector<std::string>& values) {
  if (!line(format_ == ExportFormat::Csv ? csvDataLine(values, separator_) : htmlRow(values)))
    return false;
  ++records_;
  return true;
}

bool ExportFile::Finish() {
  if (!file_) return false;
  if (format_ == ExportFormat::Html) {
    for (const std::string& l : htmlClosing())
      if (!line(l)) return false;
  } else {
    // Seven digits hold the count; a larger count shows the largest that fits.
    const std::uint64_t n = records_ > 9999999 ? 9999999 : records_;
    char digits[8];
    std::snprintf(digits, sizeof digits, "%07llu", static_cast<unsigned long long>(n));
    if (std::fseek(file_.get(), 10, SEEK_SET) != 0 || std::fwrite(digits, 1, 7, file_.get()) != 7)
      return fail("Cannot write");
  }
  if (std::fflush(file_.get()) != 0) return fail("Cannot write");
  std::FILE* f = file_.release();
  if (std::fclose(f) != 0) return fail("Cannot close");
  return true;
}

}  // namespace trv::listext
