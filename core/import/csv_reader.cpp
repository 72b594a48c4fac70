#include "core/import/csv_reader.h"

#include <iterator>

namespace trv::core {

CsvReader::CsvReader(std::istream& in) : text_(std::istreambuf_iterator<char>(in), {}) {
  if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
}

bool CsvReader::atLineEnd(std::size_t at) const {
  return at < text_.size() && (text_[at] == '\n' || text_[at] == '\r');
}

std::size_t CsvReader::skipLineEnd(std::size_t at) {
  if (text_[at] == '\r' && at + 1 < text_.size() && text_[at + 1] == '\n') ++at;
  ++line_;
  return at + 1;
}

bool CsvReader::next(CsvRecord& record) {
  while (pos_ < text_.size() && atLineEnd(pos_)) pos_ = skipLineEnd(pos_);
  if (pos_ >= text_.size()) return false;
  record.fields.assign(1, std::string());
  record.line = line_;
  record.malformed = false;
  const std::size_t start = pos_;
  const std::uint64_t startLine = line_;
  std::size_t i = pos_;
  bool atFieldStart = true;
  while (i < text_.size() && !atLineEnd(i)) {
    const char c = text_[i];
    if (c == ',') {
      record.fields.emplace_back();
      atFieldStart = true;
      ++i;
      continue;
    }
    if (c == '"' && atFieldStart) {
      std::string& field = record.fields.back();
      ++i;
      for (;;) {
        if (i >= text_.size()) {
          // Never closed: read the first line again as a record of its own.
          pos_ = start;
          line_ = startLine;
          readPlainRecord(record);
          return true;
        }
        if (text_[i] == '"') {
          if (i + 1 < text_.size() && text_[i + 1] == '"') {
            field += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        if (atLineEnd(i)) {
          const std::size_t after = skipLineEnd(i);
          field.append(text_, i, after - i);
          i = after;
          continue;
        }
        field += text_[i++];
      }
      atFieldStart = false;
      continue;
    }
    record.fields.back() += c;
    atFieldStart = false;
    ++i;
  }
  pos_ = i < text_.size() ? skipLineEnd(i) : i;
  return true;
}

void CsvReader::readPlainRecord(CsvRecord& record) {
  record.fields.assign(1, std::string());
  record.malformed = true;
  std::size_t i = pos_;
  for (; i < text_.size() && !atLineEnd(i); ++i) {
    if (text_[i] == ',')
      record.fields.emplace_back();
    else
      record.fields.back() += text_[i];
  }
  pos_ = i < text_.size() ? skipLineEnd(i) : i;
}

}  // namespace trv::core
