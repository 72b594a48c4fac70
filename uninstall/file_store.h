#pragma once
// A file store over the C runtime's buffered files, for the uninstaller's support classes.
//
// Open modes: 0 and 1 read an existing file; 2 writes a new or emptied file; 3 reads and writes,
// creating a missing file and never emptying an existing one; 8 appends. Any other mode fails
// to open. The mode bit (1 for modes 1 and 3) tells an archive to load rather than store.
//
// Every failure throws a CFileStoreException: code 1 when the file cannot be opened, code 2
// for a failed transfer, position or seek, code 3 for a tag word cut short.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "uninstall/ref_string.h"

namespace trv::uninstall {

class CFileStore {
 public:
  CFileStore() = default;
  CFileStore(const CRefString& fileName, int mode);
  virtual ~CFileStore() = default;
  CFileStore(const CFileStore&) = delete;
  CFileStore& operator=(const CFileStore&) = delete;

  // Closes any open file first. Throws code 1 with "Failed to open file '<name>': " and the
  // operating system's reason.
  void open(const CRefString& fileName, int mode);
  void close();
  bool isOpen() const { return file_ != nullptr; }
  int modeBit() const { return modeBit_; }

  // Returns how many bytes were read (fewer at the end of the file).
  virtual std::size_t read(void* buffer, std::size_t count);
  virtual void write(const void* buffer, std::size_t count);
  // The 4-byte word at the current position, read when `force` or while the cached word is 0.
  virtual std::uint32_t readTagWord(bool force = false);
  virtual void writeTagWord(std::uint32_t value);
  // The file's size; the position is the same afterwards.
  virtual std::int64_t length();

  std::int64_t position();
  void seek(std::int64_t position);

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::FILE* handle();  // throws code 2 when no file is open

  std::unique_ptr<std::FILE, Closer> file_;
  int modeBit_ = 0;
  std::uint32_t tagWord_ = 0;
};

// The size of the file named `fileName`, 0 when it cannot be determined.
std::int64_t fileSize(const CRefString& fileName);

}  // namespace trv::uninstall
