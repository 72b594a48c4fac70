#include "uninstall/store_archive.h"

#include <algorithm>
#include <string>

#include "uninstall/exceptions.h"

namespace trv::uninstall {

void CStoreArchive::reverse(unsigned char* b, std::size_t n) {
  std::reverse(b, b + n);
}

void CStoreArchive::readBytes(void* data, std::size_t count) {
  if (store_.read(data, count) != count) throw CFileStoreException(kDataFormatError, "");
}

void CStoreArchive::writeText(const CRefString& text) {
  write<std::uint32_t>(std::uint32_t(text.length()));
  writeBytes(text.c_str(), std::size_t(text.length()));
}

CRefString CStoreArchive::readText() {
  const std::uint32_t length = read<std::uint32_t>();
  if (length > std::uint32_t(INT32_MAX)) throw CFileStoreException(kDataFormatError, "");
  // In pieces, so that a damaged length cannot ask for more memory than the file holds.
  std::string chars;
  char piece[65536];
  for (std::uint32_t left = length; left > 0;) {
    const std::size_t n = std::min<std::size_t>(left, sizeof piece);
    readBytes(piece, n);
    chars.append(piece, n);
    left -= std::uint32_t(n);
  }
  return CRefString(std::string_view(chars));
}

void transferTexts(CStoreArchive& archive, CTextArray& array) {
  for (int i = 0; i < array.count(); ++i) {
    if (archive.isLoading())
      array[i] = archive.readText();
    else
      archive.writeText(array[i]);
  }
}

}  // namespace trv::uninstall
