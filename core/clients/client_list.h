#pragma once
// BrowsClients: the list of all clients, in four key orders chosen by tab, with insert, change
// and delete through the client form, and Select when the case form asks for a client.

namespace trv::core {

class ProgramState;

// Control numbers of the "Clients" window.
enum ClientListControl : int {
  ClientsList = 1,
  ClientsSelect = 2,
  ClientsInsert = 3,
  ClientsChange = 4,
  ClientsDelete = 5,
  ClientsSheet = 6,
  ClientsTabName = 7,
  ClientsImport = 8,  // on the first tab; administrators only
  ClientsTabFullName = 9,
  ClientsTabCity = 10,
  ClientsTabContact = 11,
  ClientsClose = 12,
  ClientsHelp = 13,
};

// Runs the list on the calling thread; RequestSelect in NextRequest makes it a selecting list
// whose Select leaves the chosen client in the Client buffer with the response completed.
void BrowsClients(ProgramState& state);

// Registers "BrowsClients", run on its caller's thread.
void registerClientList(ProgramState& state);

}  // namespace trv::core
