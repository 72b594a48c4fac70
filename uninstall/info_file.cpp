#include "uninstall/info_file.h"

#include <climits>

#include "uninstall/exceptions.h"
#include "uninstall/file_store.h"
#include "uninstall/messages.h"
#include "uninstall/string_table.h"

namespace trv::uninstall {
namespace {

// Cuts the next line off the front of the content left at `at`.
class LineReader {
 public:
  explicit LineReader(const CRefString& content) : content_(content) {}

  bool next(CRefString& line) {
    const int end = content_.find(kLineFeed, at_);
    if (end < 0) return false;
    line = content_.mid(at_, end - at_);
    at_ = end + 1;
    return true;
  }

 private:
  inline static const CRefString kLineFeed{"\n"};
  const CRefString& content_;
  int at_ = 0;
};

}  // namespace

int countValue(const CRefString& line) {
  const std::string_view s = line.view();
  std::size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
    if (s[i] == '-') return 0;
    ++i;
  }
  long long n = 0;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
    n = n * 10 + (s[i] - '0');
    if (n > INT_MAX) return INT_MAX;
  }
  return int(n);
}

bool parseInformation(const CRefString& content, UninstallInfo& info) {
  info = UninstallInfo();
  LineReader lines(content);
  CRefString line;
  if (!lines.next(info.productName) || !lines.next(line)) return false;
  info.closeProgram = line == kCloseKeyword;
  if (info.closeProgram && !lines.next(info.windowClass)) return false;
  if (!lines.next(line)) return false;
  for (int n = countValue(line); n > 0 && lines.next(line); --n) info.files.append(line);
  if (!lines.next(line)) return false;
  for (int m = countValue(line); m > 0 && lines.next(line); --m) info.sharedFiles.append(line);
  return true;
}

bool readInformationFile(const CRefString& path, MessageBoxes& boxes, UninstallInfo& info) {
  CRefString content;
  try {
    CFileStore store(path, 1);
    std::int64_t size = 0;
    try {
      size = store.length();
    } catch (const CBaseException&) {
      size = 0;
    }
    bool complete = size >= 0 && size <= INT_MAX;
    if (complete && size > 0) {
      char* buffer = content.getBufferSetLength(int(size));
      try {
        complete = store.read(buffer, std::size_t(size)) == std::size_t(size);
      } catch (const CBaseException&) {
        complete = false;
      }
      content.releaseBuffer(int(size));
    }
    if (!complete) {
      say(boxes, {kStrCannotReadFile, path.c_str(), MessageIcon::kError});
      return false;
    }
  } catch (const CBaseException&) {
    say(boxes, {kStrCannotOpenFile, path.c_str(), MessageIcon::kError});
    return false;
  }
  return parseInformation(content, info);
}

}  // namespace trv::uninstall
