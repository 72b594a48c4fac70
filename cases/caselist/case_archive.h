#pragma once
// "&Archive Case": a copy of a case, with its history, into the knowledge base under the case's
// own number. The case itself stays in the case file, unchanged.

#include <cstdint>

namespace trv::core {
class ProgramState;
struct ArchiveRecord;
struct SercaseRecord;
}  // namespace trv::core

namespace trv::cases {

// The knowledge-base entry of a case: its fields from SER:IDkey to SER:Status (everything but
// the closing date, which the knowledge base does not keep).
void copyCaseToArchive(const core::SercaseRecord& kase, core::ArchiveRecord& entry);

enum class ArchiveOutcome {
  CaseNotFound,  // "Unable to Retrieve Record"
  Added,         // "Case N Successfully Exported to Knowledge Base !"
  Updated,       // the entry was there and the user chose to overwrite it
  Kept,          // the entry was there and the user kept it
  Failed,        // "Unable to Add Case to Knowledge Base" (after the store's own message)
};

// Archives case `caseNr`, read again from the case file by its number, with every question and
// message of the action. Requires the case and knowledge-base files open on the calling program
// thread; uses (and changes) both files' buffers on it.
ArchiveOutcome archiveCase(core::ProgramState& state, std::uint32_t caseNr);

}  // namespace trv::cases
