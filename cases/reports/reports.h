#pragma once
// Registers the printed reports by name: PrintCase, PrintArchiveCase, PrintAllCases,
// PrintAllArchive, PrintClient, PrintProducts and PrintLog. Each runs on its caller's thread.

namespace trv::core {
class ProgramState;
}

namespace trv::cases::reports {

void registerCaseReports(core::ProgramState& s);
void registerFileReports(core::ProgramState& s);

inline void registerReports(core::ProgramState& s) {
  registerCaseReports(s);
  registerFileReports(s);
}

}  // namespace trv::cases::reports
