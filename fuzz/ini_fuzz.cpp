// The configuration file's text, read and edited.
// Input: the file's text, then after a zero byte the section, key and value of one edit, each
// ended by a byte 1.

#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "runtime/ini/profile_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using trv::ini::ProfileText;
  const auto [text, edit] = trv::fuzz::splitAt(trv::fuzz::asText(data, size), '\0');
  auto [section, rest] = trv::fuzz::splitAt(edit, '\1');
  auto [key, value] = trv::fuzz::splitAt(rest, '\1');
  if (edit.empty()) section = "Config", key = "DataBase", value = "/srv/cases";

  const ProfileText file(text);
  (void)file.read(section, key);
  const std::string saved = file.text();

  // An edit the format can hold reads back, in memory and from the saved text.
  ProfileText edited = file;
  if (edited.write(section, key, value)) {
    TRV_FUZZ_CHECK(ProfileText::canHold(section, key, value));
    const auto read = edited.read(section, key);
    TRV_FUZZ_CHECK(read.has_value());
    TRV_FUZZ_CHECK(ProfileText(edited.text()).read(section, key) == read);
  } else {
    TRV_FUZZ_CHECK(edited.text() == saved);
  }
  ProfileText removed = file;
  if (!removed.remove(section, key)) TRV_FUZZ_CHECK(removed.text() == saved);
  return 0;
}
