#include "core/import/csv_reader.h"

#include <algorithm>

namespace trv::core {

CsvReader::CsvReader(std::istream& in, std::size_t chunk)
    : in_(in), chunk_(std::max<std::size_t>(chunk, 1)) {
  (void)has(2);
  if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) pos_ = 3;
}

bool CsvReader::readMore(std::size_t at) {
  while (at >= text_.size() && in_) {
    const std::size_t had = text_.size();
    text_.resize(had + chunk_);
    in_.read(text_.data() + had, static_cast<std::streamsize>(chunk_));
    text_.resize(had + static_cast<std::size_t>(in_.gcount()));
  }
  return at < text_.size();
}

bool CsvReader::atLineEnd(std::size_t at) {
  return has(at) && (text_[at] == '\n' || text_[at] == '\r');
}

std::size_t CsvReader::skipLineEnd(std::size_t at) {
  if (text_[at] == '\r' && has(at + 1) && text_[at + 1] == '\n') ++at;
  ++line_;
  return at + 1;
}

bool CsvReader::next(CsvRecord& record) {
  // What earlier records took is dropped once it is a chunk and at least half of what is held
  // (after a quote that never closed, the rest of the file is): each byte moves a few times at
  // most.
  if (pos_ >= chunk_ && pos_ >= text_.size() - pos_) {
    text_.erase(0, pos_);
    pos_ = 0;
  }
  while (atLineEnd(pos_)) pos_ = skipLineEnd(pos_);
  if (!has(pos_)) return false;
  record.fields.assign(1, std::string());
  record.line = line_;
  record.malformed = false;
  const std::size_t start = pos_;
  const std::uint64_t startLine = line_;
  std::size_t i = pos_;
  bool atFieldStart = true;
  while (has(i) && !atLineEnd(i)) {
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
        if (!has(i)) {
          // Never closed: read the first line again as a record of its own.
          pos_ = start;
          line_ = startLine;
          readPlainRecord(record);
          return true;
        }
        if (text_[i] == '"') {
          if (has(i + 1) && text_[i + 1] == '"') {
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
  pos_ = has(i) ? skipLineEnd(i) : i;
  return true;
}

void CsvReader::readPlainRecord(CsvRecord& record) {
  record.fields.assign(1, std::string());
  record.malformed = true;
  std::size_t i = pos_;
  for (; has(i) && !atLineEnd(i); ++i) {
    if (text_[i] == ',')
      record.fields.emplace_back();
    else
      record.fields.back() += text_[i];
  }
  pos_ = has(i) ? skipLineEnd(i) : i;
}

}  // namespace trv::core
