#pragma once
// The caller's variables and lists as the library sees them: a text variable is a buffer and
// its size, read up to its zero byte (never past the size) and written cut to size - 1 and
// always terminated; a count is a 4-byte unsigned number; a list is the caller's queue with
// its record buffer. A variable given as a null pointer or with size 0 is not registered: it is
// never read or written.

#include <cstdint>
#include <string>
#include <string_view>

#include "mailauto/include/pelmoxi.h"

namespace trv::mailauto {

class TextVar {
 public:
  TextVar() = default;
  TextVar(char* buffer, std::uint32_t size) : buffer_(size > 0 ? buffer : nullptr), size_(size) {}

  bool registered() const { return buffer_ != nullptr; }
  // The text up to its terminator (or the whole buffer when none); empty when not registered.
  std::string get() const;
  // Writes text cut to size - 1, terminated. Nothing when not registered.
  void put(std::string_view text) const;

 private:
  char* buffer_ = nullptr;
  std::uint32_t size_ = 0;
};

class CountVar {
 public:
  CountVar() = default;
  explicit CountVar(std::uint32_t* p) : p_(p) {}
  bool registered() const { return p_ != nullptr; }
  void put(std::uint32_t n) const {
    if (p_) *p_ = n;
  }

 private:
  std::uint32_t* p_ = nullptr;
};

// The text of a fixed field of size bytes: up to its first zero byte, never past the field.
std::string fieldText(const char* field, std::size_t size);
// text without trailing blanks.
std::string_view withoutTrailingBlanks(std::string_view text);
// A number from the start of text ("12", "-1"); 0 when there is none.
std::int64_t leadingNumber(std::string_view text);

// The caller's queue. Entries are copied through its record buffer.
class CallerList {
 public:
  explicit CallerList(PxQueue* queue) : q_(queue) {}
  // A list with a record buffer of at least one byte.
  bool usable() const { return q_ && q_->buffer && q_->size > 0; }
  std::uint32_t entrySize() const { return q_ ? q_->size : 0; }
  std::uint32_t records() const { return q_->records ? q_->records(q_->ctx) : 0; }
  // Copies entry pos (from 1) into the record buffer; false when the caller refused.
  bool fetch(std::uint32_t pos) const { return q_->get && q_->get(q_->ctx, pos) == 0; }
  const char* record() const { return static_cast<const char*>(q_->buffer); }
  char* record() { return static_cast<char*>(q_->buffer); }
  // Appends a copy of the record buffer.
  bool add() const { return q_->add && q_->add(q_->ctx) == 0; }
  void clear() const {
    if (q_->clear) q_->clear(q_->ctx);
  }

 private:
  PxQueue* q_;
};

}  // namespace trv::mailauto
