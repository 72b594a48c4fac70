#include "runtime/mail/address_book.h"

#include <fstream>
#include <sstream>

#include "runtime/mail/mail_address.h"
#include "runtime/text/charset.h"
#include "runtime/text/fixed_string.h"

namespace trv::mail {

std::vector<AddressEntry> AddressBook::lookup(std::string_view text) const {
  std::vector<AddressEntry> found;
  const std::string_view wanted = trimmed(text);
  for (const AddressEntry& e : entries) {
    if (text::equalNoCase(e.name, wanted) || equalAsciiNoCase(e.address, wanted))
      found.push_back(e);
  }
  return found;
}

AddressBook parseAddressBook(std::string_view utf8Text) {
  AddressBook book;
  int lineNo = 0;
  while (!utf8Text.empty()) {
    const std::size_t end = utf8Text.find('\n');
    const std::string_view raw = utf8Text.substr(0, end);
    utf8Text = end == std::string_view::npos ? std::string_view() : utf8Text.substr(end + 1);
    ++lineNo;
    const std::string_view line = trimmed(raw);
    if (line.empty() || line.front() == '#') continue;
    const auto parsed = parseAddress(line);
    if (!parsed) {
      book.problems.push_back("line " + std::to_string(lineNo) + ": \"" + std::string(line) +
                              "\" is not an address");
      continue;
    }
    AddressEntry entry;
    entry.address = parsed->address;
    entry.name = parsed->name.empty() ? parsed->address : text::fromUtf8(parsed->name);
    book.entries.push_back(std::move(entry));
  }
  return book;
}

AddressBook loadAddressBook(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return {};
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in && !in.eof()) {
    AddressBook book;
    book.problems.push_back(file.string() + ": cannot be read");
    return book;
  }
  return parseAddressBook(text.str());
}

}  // namespace trv::mail
