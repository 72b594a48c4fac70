// Messages as they arrive in the Maildir, and the attachment names and HTML they carry.

#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "runtime/mail/mime_reader.h"

namespace {

bool isSafeFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name)
    if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view in = trv::fuzz::asText(data, size);
  if (const auto mail = trv::mail::parseMail(in)) {
    for (const auto& a : mail->attachments) TRV_FUZZ_CHECK(isSafeFileName(a.fileName));
  }
  TRV_FUZZ_CHECK(isSafeFileName(trv::mail::safeFileName(in.substr(0, 300), "attachment")));
  (void)trv::mail::htmlToText(in);
  return 0;
}
