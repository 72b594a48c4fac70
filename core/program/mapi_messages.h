#pragma once
// What the program says about the result of its one mail logon and logoff. Pure functions.

#include <cstdint>
#include <optional>
#include <string>

namespace trv::core {

// The text shown after MAPILogon, or nothing for success.
std::optional<std::string> logonResultText(std::uint32_t result);
// The text shown after MAPILogoff, or nothing (success, or the session the failed logon left).
std::optional<std::string> logoffResultText(std::uint32_t result);

}  // namespace trv::core
