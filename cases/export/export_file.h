#pragma once
// The case export: WindowExportFile, the dialog "Case Data Export Information" that shows and
// changes the export folder (kept in "Config"/"Export"), and ProcessExportFile, which copies
// every case into "cases.csv" in that folder under a progress window.

#include <cstdint>

namespace trv::core {
class ProgramState;
}

namespace trv::cases {

// Dialog controls, by number.
enum ExportControl : int {
  ExportFileButton = 1,
  ExportCancel = 3,
  ExportHelp = 4,
  ExportIcon = 6,
  ExportPrompt = 7,
  ExportChoose = 8,
  ExportPathText = 9,
};

void WindowExportFile(core::ProgramState& s);
// Writes the export file. Sets `failed` to 1 when the file could not be created or written
// completely; leaves it unchanged otherwise.
void ProcessExportFile(core::ProgramState& s, std::uint8_t& failed);

void registerExportFile(core::ProgramState& s);

}  // namespace trv::cases
