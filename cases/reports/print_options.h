#pragma once
// The report option windows: whose records and which kind a list report prints.
//
// Each opens its own window and runs its own event loop on the caller's thread; the answers come
// back in PrintOptions and are kept in the configuration file (section Config) as the next
// opening's defaults, written at every close. Closing the window otherwise than with OK counts
// as Cancel.

#include <string>

namespace trv::core {
class ProgramState;
}

namespace trv::cases::reports {

struct PrintOptions {
  int agentChoice = 1;          // 1 all agents, 2 one agent
  std::string agentName;        // the chosen agent (UTF-8), with agent choice 2
  int kindChoice = 1;           // status, activity or property choice, 1 to 4
  std::string productOrClient;  // knowledge-base options: product identifier or client short name
  bool cancelled = false;
};

// "Printing Cases": agents and status (PrintOption1 to 3).
PrintOptions PrintCaseOptions(core::ProgramState& s);
// "Printing Activity Log": agents and activity (PrintOption4 to 6).
PrintOptions PrintLogOptions(core::ProgramState& s);
// "Printing Knowledge Base Cases": agents and property (PrintArchiveOption1 to 5).
PrintOptions PrintArchiveOptions(core::ProgramState& s);

}  // namespace trv::cases::reports
