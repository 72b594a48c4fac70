// The uninstall information file, and the support library's case-blind search it is cut with.
// Input: the file's content; for the search, its first line is the pattern and the rest the
// text searched.

#include <cstdint>

#include "fuzz/fuzz_check.h"
#include "runtime/text/charset.h"
#include "uninstall/info_file.h"
#include "uninstall/ref_string.h"

using trv::uninstall::CRefString;

namespace {

// The first match found the slow way.
int naiveFind(std::string_view text, std::string_view pattern) {
  if (pattern.empty() || pattern.size() > text.size()) return -1;
  for (std::size_t at = 0; at + pattern.size() <= text.size(); ++at) {
    std::size_t k = 0;
    while (k < pattern.size() &&
           trv::text::upper1252(text[at + k]) == trv::text::upper1252(pattern[k]))
      ++k;
    if (k == pattern.size()) return int(at);
  }
  return -1;
}

void search(std::string_view in) {
  const auto [pattern, text] = trv::fuzz::splitAt(in, '\n');
  const CRefString p(pattern), t(text);
  TRV_FUZZ_CHECK(t.find(p) == naiveFind(text, pattern));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in = trv::fuzz::asText(data, size);
  trv::uninstall::UninstallInfo info;
  if (trv::uninstall::parseInformation(CRefString(in), info)) {
    const int lines = info.files.count() + info.sharedFiles.count();
    TRV_FUZZ_CHECK(lines >= 0 && std::size_t(lines) <= in.size());
  }
  search(in);
  return 0;
}
