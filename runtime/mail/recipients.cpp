#include "runtime/mail/recipients.h"

#include <algorithm>

#include "runtime/text/charset.h"

namespace trv::mail {
namespace {

std::optional<MailAddress> fromEntryId(const std::string& entryId) {
  if (entryId.size() > 5 && equalAsciiNoCase(entryId.substr(0, 5), "SMTP:"))
    return parseAddress(entryId);
  return std::nullopt;
}

std::string lowered(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

}  // namespace

RecipientResolution resolveRecipients(const std::vector<MapiRecipDesc>& recips,
                                      const AddressBook& book) {
  RecipientResolution out;
  auto fail = [&](MapiResult result, std::string detail) {
    out.result = result;
    out.detail = std::move(detail);
    out.recipients.clear();
    return out;
  };
  for (const MapiRecipDesc& r : recips) {
    if (r.recipClass < kMapiTo || r.recipClass > kMapiBcc)
      return fail(MapiBadRecipType,
                  "recipient class " + std::to_string(r.recipClass) + " is not To, CC or BCC");
    const std::string name = text::toUtf8(trimmed(r.name));
    std::optional<MailAddress> address = parseAddress(name);
    if (!address && !trimmed(r.address).empty()) {
      address = parseAddress(r.address);
      if (!address)
        return fail(MapiUnknownRecipient,
                    "\"" + text::toUtf8(r.address) + "\" is not a mail address");
      if (address->name.empty()) address->name = name;
    }
    if (!address) address = fromEntryId(r.entryId);
    if (!address && !name.empty()) {
      std::vector<AddressEntry> found = book.lookup(r.name);
      std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return lowered(a.address) < lowered(b.address);
      });
      found.erase(std::unique(found.begin(), found.end(),
                              [](const auto& a, const auto& b) {
                                return equalAsciiNoCase(a.address, b.address);
                              }),
                  found.end());
      if (found.size() > 1)
        return fail(MapiAmbiguousRecipient, "\"" + name + "\" names several address-book entries");
      if (found.size() == 1)
        address = MailAddress{text::toUtf8(found.front().name), found.front().address};
    }
    if (!address)
      return fail(MapiUnknownRecipient,
                  name.empty() ? std::string("a recipient has neither name nor address")
                               : "\"" + name + "\" is neither an address nor in the address book");
    if (address->name == address->address) address->name.clear();
    const bool known =
        std::any_of(out.recipients.begin(), out.recipients.end(), [&](const ResolvedRecipient& x) {
          return equalAsciiNoCase(x.address.address, address->address);
        });
    if (!known) out.recipients.push_back({r.recipClass, std::move(*address)});
  }
  return out;
}

}  // namespace trv::mail
