#pragma once
// BrowsClients: the list of all clients, in four key orders chosen by tab, with insert, change
// and delete through the client form, and Select when the case form asks for a client.

namespace trv::core {

class ProgramState;

// Runs the list on the calling thread; RequestSelect in NextRequest makes it a selecting list
// whose Select leaves the chosen client in the Client buffer with the response completed.
void BrowsClients(ProgramState& state);

// Registers "BrowsClients", run on its caller's thread.
void registerClientList(ProgramState& state);

}  // namespace trv::core
