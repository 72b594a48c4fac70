#include "core/program/mapi_messages.h"

#include "runtime/text/picture.h"

namespace trv::core {

std::optional<std::string> logonResultText(std::uint32_t result) {
  switch (result) {
    case 0:
      return std::nullopt;
    case 2:
      return "MS-Mail Unspecified error(s) occurred while signing in.";
    case 5:
      return "MS-Mail Insufficient Memory to proceed.";
    case 8:
      return "MS-Mail Too Many Sessions.";
    default:
      return "Some odd MS-Mail Error !?:" + text::formatPicture("n05", result);
  }
}

std::optional<std::string> logoffResultText(std::uint32_t result) {
  switch (result) {
    case 0:
    case 19:
      return std::nullopt;
    case 5:
      return "MS-Mail Insufficient memory to proceed.";
    default:
      return "Ms-Mail Error:" + std::to_string(result);
  }
}

}  // namespace trv::core
