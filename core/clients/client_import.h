#pragma once
// ImportClientData: "Import Client Data", which adds and updates clients from an address
// book's comma-separated export, logging the lines it refuses in "ImportError.log". Runs on the
// client list's thread with an event loop of its own.

namespace trv::core {

class ProgramState;

enum ImportControl : int {
  ImportPicture = 1,
  ImportStatus = 2,
  ImportProgress = 3,
  ImportSelect = 4,
  ImportStart = 5,
  ImportClose = 6,
  ImportHelp = 7,
};

void ImportClientData(ProgramState& s);
void registerClientImport(ProgramState& s);

}  // namespace trv::core
