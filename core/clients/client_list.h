#pragma once
// BrowsClients: the list of all clients, in four key orders chosen by tab, with insert, change
// and delete through the client form, and Select when the case form asks for a client.

namespace trv::core {

class ProgramState;

// Control numbers of the "Clients" window.
namespace clientlist {
enum Control : int {
  kList = 1,
  kSelect = 2,
  kInsert = 3,
  kChange = 4,
  kDelete = 5,
  kSheet = 6,
  kTabName = 7,
  kImport = 8,  // on the first tab; administrators only
  kTabFullName = 9,
  kTabCity = 10,
  kTabContact = 11,
  kClose = 12,
  kHelp = 13,
};
}  // namespace clientlist

// Runs the list on the calling thread; RequestSelect in NextRequest makes it a selecting list
// whose Select leaves the chosen client in the Client buffer with the response completed.
void BrowsClients(ProgramState& state);

// Registers "BrowsClients", run on its caller's thread.
void registerClientList(ProgramState& state);

}  // namespace trv::core
