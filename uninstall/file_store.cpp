#include "uninstall/file_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "uninstall/exceptions.h"

namespace trv::uninstall {
namespace {

[[noreturn]] void fail(int code, const char* message = "") {
  throw CFileStoreException(code, message);
}

[[noreturn]] void failOpen(const CRefString& fileName, int errorNumber) {
  CRefString message;
  message.format("Failed to open file '%s': \r\nReason:\r\n%s", fileName.c_str(),
                 systemErrorText(errorNumber).c_str());
  throw CFileStoreException(kOpenFailed, message);
}

// Read and write without emptying: the C runtime's "w+b" would empty an existing file.
std::FILE* openReadWrite(const char* name) {
  int fd = ::open(name, O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return nullptr;
  std::FILE* f = ::fdopen(fd, "r+b");
  if (!f) {
    const int e = errno;
    ::close(fd);
    errno = e;
  }
  return f;
}

}  // namespace

CFileStore::CFileStore(const CRefString& fileName, int mode) {
  open(fileName, mode);
}

void CFileStore::open(const CRefString& fileName, int mode) {
  close();
  std::FILE* f = nullptr;
  errno = 0;
  switch (mode) {
    case 0:
    case 1:
      f = std::fopen(fileName.c_str(), "rb");
      break;
    case 2:
      f = std::fopen(fileName.c_str(), "wb");
      break;
    case 3:
      f = openReadWrite(fileName.c_str());
      break;
    case 8:
      f = std::fopen(fileName.c_str(), "a+b");
      break;
    default:
      errno = EINVAL;
      break;
  }
  if (!f) failOpen(fileName, errno);
  file_.reset(f);
  modeBit_ = mode & 1;
  tagWord_ = 0;
}

void CFileStore::close() {
  file_.reset();
}

std::FILE* CFileStore::handle() {
  if (!file_) fail(kIoFailure);
  return file_.get();
}

std::size_t CFileStore::read(void* buffer, std::size_t count) {
  std::FILE* f = handle();
  const std::size_t n = std::fread(buffer, 1, count, f);
  if (std::ferror(f)) fail(kIoFailure);
  return n;
}

void CFileStore::write(const void* buffer, std::size_t count) {
  std::FILE* f = handle();
  std::fwrite(buffer, 1, count, f);
  if (std::ferror(f)) fail(kIoFailure);
}

std::uint32_t CFileStore::readTagWord(bool force) {
  if (force || tagWord_ == 0) {
    unsigned char b[4];
    if (read(b, 4) != 4) fail(kDataFormatError);
    tagWord_ = std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 |
               std::uint32_t(b[3]) << 24;
  }
  return tagWord_;
}

void CFileStore::writeTagWord(std::uint32_t value) {
  tagWord_ = value;
  const unsigned char b[4] = {
      static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
      static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  write(b, 4);
}

std::int64_t CFileStore::length() {
  std::FILE* f = handle();
  const off_t here = ::ftello(f);
  if (here < 0) fail(kIoFailure, "Cannot get current file position");
  if (::fseeko(f, 0, SEEK_END) != 0) fail(kIoFailure, "Cannot move to the end of the file");
  const off_t end = ::ftello(f);
  if (end < 0) fail(kIoFailure, "Cannot get the position of the end of file");
  if (::fseeko(f, here, SEEK_SET) != 0)
    fail(kIoFailure, "Cannot restore previously saved position");
  return end;
}

std::int64_t CFileStore::position() {
  const off_t at = ::ftello(handle());
  if (at < 0) fail(kIoFailure);
  return at;
}

void CFileStore::seek(std::int64_t position) {
  if (::fseeko(handle(), off_t(position), SEEK_SET) != 0) fail(kIoFailure);
}

std::int64_t fileSize(const CRefString& fileName) {
  try {
    CFileStore store(fileName, 1);
    return store.length();
  } catch (const CBaseException&) {
    return 0;
  }
}

}  // namespace trv::uninstall
