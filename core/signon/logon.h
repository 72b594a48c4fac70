#pragma once
// Logon: the sign-on window. Three attempts at a user name and password from the users file;
// on success the signed-on user's globals are filled and the name is remembered on this
// workstation ("LastLogon" of "Registration").

#include <cstdint>

namespace trv::core {

class ProgramState;

// Control numbers of the sign-on window.
namespace logon {
enum Control : int {
  kGroup = 1,
  kNamePrompt = 2,
  kPasswordPrompt = 3,
  kLight = 4,
  kName = 5,
  kPassword = 6,
  kOk = 7,
  kExit = 8,
};
}  // namespace logon

// Runs the window on the calling program thread. True when a user signed on; level and id are
// then the user's level and number.
bool Logon(ProgramState& state, int& level, std::uint16_t& id);

}  // namespace trv::core
