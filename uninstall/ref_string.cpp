#include "uninstall/ref_string.h"

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "runtime/text/charset.h"

namespace trv::uninstall {
namespace {

bool isSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isUpperHalfLetter(unsigned char c) {
  switch (c) {
    case 0x83:
    case 0x8A:
    case 0x8C:
    case 0x8E:
    case 0x9A:
    case 0x9C:
    case 0x9E:
    case 0x9F:
    case 0xAA:
    case 0xB5:
    case 0xBA:
      return true;
    default:
      return c >= 0xC0 && c != 0xD7 && c != 0xF7;
  }
}

// Letters and digits of the 8-bit character set.
bool isWordChar(char ch) {
  const auto c = static_cast<unsigned char>(ch);
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
         isUpperHalfLetter(c);
}

int clampCount(std::size_t n) {
  return n > INT32_MAX ? INT32_MAX : int(n);
}

}  // namespace

const std::shared_ptr<CRefString::Buffer>& CRefString::emptyBuffer() {
  static const std::shared_ptr<Buffer> empty = std::make_shared<Buffer>();
  return empty;
}

CRefString::CRefString() : buf_(emptyBuffer()) {}

CRefString::CRefString(const char* text) : buf_(emptyBuffer()) {
  *this = text;
}

CRefString::CRefString(const char* chars, int count) : buf_(emptyBuffer()) {
  assign(chars, count);
}

CRefString::CRefString(std::string_view chars) : buf_(emptyBuffer()) {
  if (!chars.empty()) {
    buf_ = std::make_shared<Buffer>();
    buf_->chars.assign(chars);
  }
}

CRefString& CRefString::operator=(const char* text) {
  if (reinterpret_cast<std::uintptr_t>(text) < 65536) {
    buf_ = emptyBuffer();
    return *this;
  }
  return assign(text, clampCount(std::strlen(text)));
}

CRefString& CRefString::assign(const char* chars, int count) {
  if (!chars || count <= 0) {
    buf_ = emptyBuffer();
    return *this;
  }
  // A fresh buffer, so that assigning a part of this very text is safe.
  auto fresh = std::make_shared<Buffer>();
  fresh->chars.assign(chars, std::size_t(count));
  buf_ = std::move(fresh);
  return *this;
}

std::string& CRefString::chars() {
  if (buf_.use_count() > 1) {
    auto copy = std::make_shared<Buffer>();
    copy->chars = buf_->chars;
    buf_ = std::move(copy);
  }
  buf_->skip.reset();
  return buf_->chars;
}

void CRefString::settle() {
  if (buf_->chars.empty() && buf_ != emptyBuffer()) buf_ = emptyBuffer();
}

CRefString& CRefString::operator+=(const CRefString& text) {
  if (text.isEmpty()) return *this;
  if (isEmpty()) {
    buf_ = text.buf_;
    return *this;
  }
  const std::string tail = text.buf_->chars;  // `text` may be this very text
  chars() += tail;
  return *this;
}

CRefString& CRefString::operator+=(const char* text) {
  return *this += CRefString(text);
}

CRefString& CRefString::operator+=(char c) {
  chars() += c;
  return *this;
}

const CRefString::SkipTable& CRefString::skipTable() const {
  if (!buf_->skip) {
    const auto& p = buf_->chars;
    const auto m = std::uint32_t(p.size());
    auto table = std::make_unique<SkipTable>();
    table->fill(m);
    for (std::uint32_t j = 0; j + 1 < m; ++j) {
      (*table)[static_cast<unsigned char>(text::upper1252(p[j]))] = m - j - 1;
      (*table)[static_cast<unsigned char>(text::lower1252(p[j]))] = m - j - 1;
    }
    buf_->skip = std::move(table);
  }
  return *buf_->skip;
}

int CRefString::findFrom(const CRefString& pattern, int start, bool wholeWord) const {
  const std::string_view t = view();
  const std::string_view p = pattern.view();
  const std::int64_t n = std::int64_t(t.size());
  const std::int64_t m = std::int64_t(p.size());
  if (m == 0) return -1;
  const SkipTable& skip = pattern.skipTable();
  for (std::int64_t e = std::max(start, 0) + m - 1; e < n;) {
    std::int64_t k = 0;
    while (k < m &&
           text::upper1252(t[std::size_t(e - k)]) == text::upper1252(p[std::size_t(m - 1 - k)]))
      ++k;
    if (k == m) {
      const std::int64_t at = e - (m - 1);
      const bool bounded = !wholeWord || ((at == 0 || !isWordChar(t[std::size_t(at - 1)])) &&
                                          (e + 1 == n || !isWordChar(t[std::size_t(e + 1)])));
      if (bounded) return int(at);
    }
    e += skip[static_cast<unsigned char>(t[std::size_t(e)])];
  }
  return -1;
}

int CRefString::find(const CRefString& pattern, int start) const {
  return findFrom(pattern, start, false);
}

int CRefString::findWholeWord(const CRefString& pattern, int start) const {
  return findFrom(pattern, start, true);
}

CRefString CRefString::mid(int start, int count) const {
  start = std::max(start, 0);
  count = std::max(count, 0);
  if (start >= length() || count == 0) return CRefString();
  count = std::min(count, length() - start);
  if (start == 0 && count == length()) return *this;
  return CRefString(c_str() + start, count);
}

int CRefString::format(const char* pattern, ...) {
  va_list args;
  va_start(args, pattern);
  va_list again;
  va_copy(again, args);
  const int needed = std::vsnprintf(nullptr, 0, pattern, args);
  va_end(args);
  std::string result;
  if (needed > 0) {
    result.resize(std::size_t(needed) + 1);
    std::vsnprintf(result.data(), result.size(), pattern, again);
    result.resize(std::size_t(needed));
  }
  va_end(again);
  // Built apart, so that an argument may be this very text.
  *this = CRefString(std::string_view(result));
  return length();
}

int CRefString::insert(int pos, const char* text) {
  if (reinterpret_cast<std::uintptr_t>(text) < 65536 || !*text) return length();
  const std::string piece = text;  // `text` may point into this text
  pos = std::clamp(pos, 0, length());
  chars().insert(std::size_t(pos), piece);
  return length();
}

int CRefString::erase(int pos, int count) {
  const int before = length();
  pos = std::max(pos, 0);
  if (count <= 0 || pos >= before) return before;
  count = std::min(count, before - pos);
  chars().erase(std::size_t(pos), std::size_t(count));
  settle();
  return before;
}

int CRefString::replace(char from, char to) {
  const int n = int(std::count(view().begin(), view().end(), from));
  if (n > 0 && from != to) {
    auto& s = chars();
    std::replace(s.begin(), s.end(), from, to);
  }
  return n;
}

int CRefString::replace(const CRefString& from, const CRefString& to) {
  if (from.isEmpty()) return 0;
  const std::string f(from.view()), r(to.view());
  const std::string_view s = view();
  std::string out;
  int n = 0;
  std::size_t last = 0;
  for (std::size_t at = s.find(f); at != std::string_view::npos; at = s.find(f, last)) {
    out.append(s.substr(last, at - last)).append(r);
    last = at + f.size();
    ++n;
  }
  if (n == 0) return 0;
  out.append(s.substr(last));
  *this = CRefString(std::string_view(out));
  return n;
}

int CRefString::remove(char c) {
  const int n = int(std::count(view().begin(), view().end(), c));
  if (n > 0) {
    auto& s = chars();
    s.erase(std::remove(s.begin(), s.end(), c), s.end());
    settle();
  }
  return n;
}

bool CRefString::removeText(const CRefString& text) {
  return replace(text, CRefString()) > 0;
}

bool CRefString::removeTextNoCase(const CRefString& text) {
  if (text.isEmpty()) return false;
  std::string out;
  int last = 0;
  for (int at = find(text); at >= 0; at = find(text, last)) {
    out.append(view().substr(std::size_t(last), std::size_t(at - last)));
    last = at + text.length();
  }
  if (last == 0) return false;
  out.append(view().substr(std::size_t(last)));
  *this = CRefString(std::string_view(out));
  return true;
}

void CRefString::trimLeft() {
  const auto s = view();
  const auto it = std::find_if_not(s.begin(), s.end(), isSpace);
  if (it != s.begin()) erase(0, int(it - s.begin()));
}

void CRefString::trimRight() {
  const auto s = view();
  const auto it = std::find_if_not(s.rbegin(), s.rend(), isSpace);
  if (it != s.rbegin()) erase(int(s.rend() - it), int(it - s.rbegin()));
}

void CRefString::trim() {
  trimRight();
  trimLeft();
}

void CRefString::makeUpper() {
  makeUpper(length());
}

void CRefString::makeUpper(int count) {
  count = std::clamp(count, 0, length());
  if (count == 0) return;
  auto& s = chars();
  for (int i = 0; i < count; ++i) s[std::size_t(i)] = text::upper1252(s[std::size_t(i)]);
}

void CRefString::makeLower() {
  if (isEmpty()) return;
  for (auto& c : chars()) c = text::lower1252(c);
}

void CRefString::setAt(int pos, char c) {
  if (pos < 0 || pos >= length()) return;
  chars()[std::size_t(pos)] = c;
}

char* CRefString::getBuffer(int minLength) {
  if (buf_ == emptyBuffer()) buf_ = std::make_shared<Buffer>();
  auto& s = chars();
  if (minLength > 0 && std::size_t(minLength) > s.size()) s.resize(std::size_t(minLength));
  return s.data();
}

char* CRefString::getBufferSetLength(int length) {
  if (buf_ == emptyBuffer()) buf_ = std::make_shared<Buffer>();
  auto& s = chars();
  s.resize(std::size_t(std::max(length, 0)));
  return s.data();
}

void CRefString::releaseBuffer(int length) {
  if (buf_ != emptyBuffer()) {
    auto& s = chars();
    const std::size_t held = s.size();
    const std::size_t n =
        length < 0 ? ::strnlen(s.c_str(), held) : std::min(held, std::size_t(length));
    s.resize(n);
  }
  settle();
}

void CRefString::freeExtra() {
  if (buf_.use_count() == 1) buf_->chars.shrink_to_fit();
}

void CRefString::empty() {
  buf_ = emptyBuffer();
}

}  // namespace trv::uninstall
