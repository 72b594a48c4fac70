#pragma once
// BrowseArchive and ViewArchive: the knowledge base, the copies of cases that the case list
// archives. Every user may list and view the entries; supervisors and administrators may also
// delete them. Entries are never added or changed here.
//
// Both run on their caller's thread. BrowseArchive takes no argument; ViewArchive takes an
// optional case number (decimal) and its request from NextRequest: change shows the entry,
// delete deletes it after the common confirmation without showing it, insert is refused.

#include <cstdint>
#include <optional>
#include <string>

namespace trv::core {
class ProgramState;
}

namespace trv::cases {

// Control numbers of the "Browse the Archive File" window.
enum ArchiveListControl : int {
  ArchiveList = 1,
  ArchiveProperties = 2,
  ArchiveDelete = 3,
  ArchiveSheet = 4,
  ArchiveTabCaseNr = 5,
  ArchiveClose = 6,
  ArchiveHelp = 7,
};

// Menu items and control numbers of the knowledge-base view.
enum ArchiveViewControl : int {
  ViewMenuWindow = 1,
  ViewMenuColour = 2,
  ViewItemTextColour = 3,
  ViewItemBackground = 4,
  ViewItemHelp = 5,
  ViewItemClose = 6,
  ViewSheet = 7,
  ViewTabGeneral = 8,
  ViewClientId = 10,
  ViewName = 12,
  ViewPhone = 14,
  ViewProductId = 16,
  ViewProduct = 18,
  ViewProblem = 20,
  ViewStatus = 22,
  ViewStarted = 24,
  ViewStartTime = 26,
  ViewOwner = 28,
  ViewHistory = 30,
  ViewOk = 31,  // the form's save button, never shown
  ViewPrint = 32,
  ViewClose = 33,
  ViewHelp = 34,
};

// The title of the list for `entries` knowledge-base entries.
std::string archiveListTitle(std::uint64_t entries);

// The knowledge-base list.
void BrowseArchive(core::ProgramState& state);

// The view of one entry: with a case number that entry (a number the knowledge base does not
// hold says "Can not find Case record" and opens nothing), without one the entry already in
// the thread's Archive buffer. Leaves the response in LastResponse.
void ViewArchive(core::ProgramState& state, std::optional<std::uint32_t> caseNr = std::nullopt);

// Registers "BrowseArchive" and "ViewArchive" (argument: the case number or empty), both run
// on their caller's thread.
void registerArchive(core::ProgramState& state);

}  // namespace trv::cases
