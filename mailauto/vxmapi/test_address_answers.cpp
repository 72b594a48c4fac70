#include "mailauto/vxmapi/test_address_answers.h"

#include <cstdlib>
#include <fstream>
#include <string>

#include "runtime/mail/mail_address.h"
#include "runtime/text/charset.h"

namespace trv::mailauto {

std::unique_ptr<TestAddressAnswers> TestAddressAnswers::fromEnvironment() {
  const char* file = std::getenv("TRV_TEST_ADDRESS_ANSWERS");
  if (!file || !*file) return nullptr;
  return std::make_unique<TestAddressAnswers>(file);
}

std::optional<std::vector<mail::MapiRecipDesc>> TestAddressAnswers::parseAnswer(
    std::string_view line) {
  line = mail::trimmed(line);
  if (line.empty() || mail::equalAsciiNoCase(line, "cancel")) return std::nullopt;
  std::vector<mail::MapiRecipDesc> out;
  while (!line.empty()) {
    const std::size_t semi = line.find(';');
    std::string_view item = mail::trimmed(line.substr(0, semi));
    line = semi == std::string_view::npos ? std::string_view() : line.substr(semi + 1);
    std::uint32_t recipClass = mail::kMapiTo;
    for (auto [prefix, cls] : {std::pair{"To:", mail::kMapiTo}, std::pair{"CC:", mail::kMapiCc},
                               std::pair{"BCC:", mail::kMapiBcc}}) {
      const std::string_view p(prefix);
      if (item.size() >= p.size() && mail::equalAsciiNoCase(item.substr(0, p.size()), p)) {
        recipClass = cls;
        item = mail::trimmed(item.substr(p.size()));
        break;
      }
    }
    auto address = mail::parseAddress(item);
    if (!address) return std::nullopt;
    out.push_back({0, recipClass,
                   text::fromUtf8(address->name.empty() ? address->address : address->name),
                   address->address, ""});
  }
  if (out.empty()) return std::nullopt;
  return out;
}

std::optional<std::vector<mail::MapiRecipDesc>> TestAddressAnswers::chooseRecipients(
    const mail::AddressRequest&) {
  std::ifstream in(file_);
  std::string line;
  std::size_t seen = 0;
  const std::size_t wanted = asked_++;
  while (std::getline(in, line)) {
    if (!line.empty() && line.front() == '#') continue;
    if (seen++ == wanted) return parseAnswer(line);
  }
  return std::nullopt;
}

}  // namespace trv::mailauto
