#pragma once
// The uninstaller's text: 8-bit characters (which may include zero bytes), shared between
// copies until one of them changes (copy on write), with a case-insensitive search whose skip
// table is cached in the searched-for text and reused until that text changes.
//
// Positions count from 0. No member fails: out-of-range positions and counts are clamped as each
// member says, and allocation failures are left to the allocator. A text and its copies must
// stay on one thread, since a search writes the pattern's cached table.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace trv::uninstall {

class CRefString {
 public:
  CRefString();
  // A null pointer, or a pointer value below 65536 (a resource number, not a text), gives the
  // empty text.
  CRefString(const char* text);  // NOLINT: converts like the C text it holds
  CRefString(const char* chars, int count);
  explicit CRefString(std::string_view chars);

  CRefString& operator=(const char* text);
  CRefString& assign(const char* chars, int count);

  int length() const { return int(buf_->chars.size()); }
  bool isEmpty() const { return buf_->chars.empty(); }
  const char* c_str() const { return buf_->chars.c_str(); }
  std::string_view view() const { return buf_->chars; }
  // The character at `pos`; requires 0 <= pos < length().
  char operator[](int pos) const { return buf_->chars[std::size_t(pos)]; }

  CRefString& operator+=(const CRefString& text);
  CRefString& operator+=(const char* text);
  CRefString& operator+=(char c);

  // Position of the first match at or after `start` ignoring letter case, or -1. An empty
  // pattern, or one longer than what is left, gives -1; a negative start counts as 0.
  int find(const CRefString& pattern, int start = 0) const;
  // As find, but a match counts only when the characters next to it (where there are any) are
  // neither letters nor digits.
  int findWholeWord(const CRefString& pattern, int start = 0) const;

  // Part of the text: negative start and count count as 0, the count is cut at the end; the
  // whole text shares its buffer.
  CRefString mid(int start, int count) const;
  CRefString mid(int start) const { return mid(start, length()); }

  // printf-style; the text becomes the result. Returns the new length.
  int format(const char* pattern, ...) __attribute__((format(printf, 2, 3)));

  // Inserts at `pos` cut to 0..length(); a null text inserts nothing. Returns the new length.
  int insert(int pos, const char* text);
  // Deletes up to `count` characters at `pos` (negative counts as 0); the count is cut at the
  // end, and nothing happens for a count that is not positive or a position at or past the end.
  // Returns the length before the deletion.
  int erase(int pos, int count);

  // Replaces every occurrence; returns how many.
  int replace(char from, char to);
  // Replaces every occurrence, left to right and without overlaps, also past zero bytes;
  // returns how many. An empty `from` replaces nothing.
  int replace(const CRefString& from, const CRefString& to);
  // Removes every occurrence of `c`; returns how many.
  int remove(char c);
  // Remove every occurrence of `text` (exactly, or ignoring letter case); true when any was
  // removed. An empty text removes nothing.
  bool removeText(const CRefString& text);
  bool removeTextNoCase(const CRefString& text);

  void trimLeft();
  void trimRight();
  void trim();
  void makeUpper();
  void makeLower();
  void makeUpper(int count);    // the first `count` characters, cut to the length
  void setAt(int pos, char c);  // nothing when pos is out of range

  // Buffer access for code that fills the text directly: the returned pointer has room for at
  // least `minLength` characters and a terminator, and stays valid until the next change.
  // releaseBuffer sets the length (-1: up to the first zero byte), cut to what the buffer holds.
  char* getBuffer(int minLength);
  char* getBufferSetLength(int length);
  void releaseBuffer(int length = -1);
  void freeExtra();
  void empty();

  bool sharesBufferWith(const CRefString& other) const { return buf_ == other.buf_; }

  friend bool operator==(const CRefString& a, const CRefString& b) { return a.view() == b.view(); }
  friend bool operator==(const CRefString& a, const char* b) { return a.view() == b; }

 private:
  using SkipTable = std::array<std::uint32_t, 256>;
  struct Buffer {
    std::string chars;
    std::unique_ptr<SkipTable> skip;  // built by the first search for this text
  };

  static const std::shared_ptr<Buffer>& emptyBuffer();
  const SkipTable& skipTable() const;
  int findFrom(const CRefString& pattern, int start, bool wholeWord) const;
  // The private, changeable buffer of this text; drops the skip table.
  std::string& chars();
  // Back to the shared empty buffer when the text became empty.
  void settle();

  std::shared_ptr<Buffer> buf_;
};

}  // namespace trv::uninstall
