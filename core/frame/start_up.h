#pragma once
// The frame's start-up checks, made before its window opens: another running copy, the database
// folder, the version of the database files, the system record and the workstation's own
// settings. None needs a window; those that tell the user something show a message box, so
// they need a program thread of the state's runtime (the checks without messages do not).

#include <memory>

namespace trv::platform {
class InstanceRegistration;
}

namespace trv::core {

class ProgramState;

// True when another copy of the program runs: it has been asked to come to the front. False
// when there is none (or no instance registry): this copy has then registered itself and keeps
// the registration in `registration` for as long as it runs; a later copy's request brings the
// calling thread's innermost window to the front (or closes its windows) as soon as it comes.
bool anotherCopyRuns(ProgramState& state,
                     std::unique_ptr<platform::InstanceRegistration>& registration);

// DatabaseFolder: "Config"/"DataBase" when that folder holds the system file; otherwise the
// program folder's "DataBase", said to the user and written back to the configuration file.
void findDatabaseFolder(ProgramState& state);

// False when the system file is of the older, incompatible version: the user is told, and the
// configuration file points to the local database again for the next start.
bool databaseIsCompatible(ProgramState& state);

// Reads the system record (Sys:ID 1) into the Sys buffer and the state's copies; when the
// record cannot be read, shows the store's error and "No Configuration Record (sys.kvx)
// Available", keeps the previous copies and returns false. The Sys file must be open.
bool readSystemRecord(ProgramState& state);

// The workstation's settings from section "Config": the case messages (off for an
// administrator on a server workstation), leaving on-hold cases out, the wallpaper and the list
// colour (the default written back when none is kept).
void readWorkstationSettings(ProgramState& state);

}  // namespace trv::core
