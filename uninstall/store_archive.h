#pragma once
// Reads and writes values through a file store: numbers as their 1, 2, 4 or 8 bytes,
// little-endian; a text as its length in 4 bytes followed by its characters. The archive loads
// when its store's mode bit is 1 and stores when it is 0.
//
// Failures throw CFileStoreException: the store's own, and code 3 ("Data format error") when a
// value or text is cut short by the end of the file.

#include <bit>
#include <concepts>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "uninstall/file_store.h"
#include "uninstall/ref_string.h"
#include "uninstall/text_array.h"

namespace trv::uninstall {

template <class T>
concept ArchiveNumber = std::is_arithmetic_v<T> &&
    (sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4 || sizeof(T) == 8);

class CStoreArchive {
 public:
  explicit CStoreArchive(CFileStore& store) : store_(store) {}

  bool isLoading() const { return store_.modeBit() == 1; }
  bool isStoring() const { return !isLoading(); }

  template <ArchiveNumber T>
  void write(T value) {
    unsigned char b[sizeof(T)];
    std::memcpy(b, &value, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) reverse(b, sizeof(T));
    writeBytes(b, sizeof(T));
  }

  template <ArchiveNumber T>
  T read() {
    unsigned char b[sizeof(T)];
    readBytes(b, sizeof(T));
    if constexpr (std::endian::native == std::endian::big) reverse(b, sizeof(T));
    T value;
    std::memcpy(&value, b, sizeof(T));
    return value;
  }

  void writeBytes(const void* data, std::size_t count) { store_.write(data, count); }
  // Reads exactly `count` bytes.
  void readBytes(void* data, std::size_t count);

  void writeText(const CRefString& text);
  CRefString readText();

 private:
  static void reverse(unsigned char* b, std::size_t n);

  CFileStore& store_;
};

// Stores or loads each text of `array` in turn (loading replaces the texts already there).
void transferTexts(CStoreArchive& archive, CTextArray& array);

}  // namespace trv::uninstall
