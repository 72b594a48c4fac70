#pragma once
// CsvReader: the records of a comma-separated file as RFC 4180 writes them, the way address
// books export them: a field in double quotes may hold commas, line breaks and doubled quotes;
// records end with CRLF, LF or CR; a UTF-8 byte order mark at the start is skipped. Fields come
// out unquoted, their bytes as the file holds them (no charset is assumed).
//
// Lenient where files are not: text after a closing quote is kept, and a quote that never
// closes makes a record of its own line only (marked `malformed`), so one stray quote cannot
// swallow the rest of the file. Lines that hold nothing are skipped.

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace trv::core {

struct CsvRecord {
  std::vector<std::string> fields;
  std::uint64_t line = 0;  // the file line it starts on, from 1
  bool malformed = false;  // an opening quote without its closing one
};

class CsvReader {
 public:
  static constexpr std::size_t kChunk = 64 * 1024;

  // Reads `in`, which must outlive the reader, `chunk` bytes at a time as records need them: a
  // large file is neither held whole nor read in one go.
  explicit CsvReader(std::istream& in, std::size_t chunk = kChunk);

  // The next record; false at the end of the file.
  bool next(CsvRecord& record);

  // The file line the reader has reached (the last line of the record read last).
  std::uint64_t line() const { return line_; }

 private:
  // Whether text_ reaches `at`, reading on from the stream if it does not yet.
  bool has(std::size_t at) { return at < text_.size() || readMore(at); }
  bool readMore(std::size_t at);
  bool atLineEnd(std::size_t at);
  std::size_t skipLineEnd(std::size_t at);  // counts the line, returns the position after it
  void readPlainRecord(CsvRecord& record);

  std::istream& in_;
  std::size_t chunk_;
  std::string text_;     // read and not yet dropped
  std::size_t pos_ = 0;  // in text_, where the next record starts
  std::uint64_t line_ = 1;
};

}  // namespace trv::core
