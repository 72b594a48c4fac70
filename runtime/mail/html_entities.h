#pragma once
// The HTML5 named character references, for turning HTML mail into text.

#include <optional>
#include <string_view>

namespace trv::mail {

// The UTF-8 text of a named reference: `name` as it stands after the "&", with its ";"
// ("eacute;"), or without it for the legacy names that may go without ("eacute"). Nothing for a
// name that is no reference. Case counts ("Eacute;" is another letter).
std::optional<std::string_view> namedEntity(std::string_view name);

}  // namespace trv::mail
