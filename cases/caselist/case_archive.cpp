#include "cases/caselist/case_archive.h"

#include <cstring>
#include <string>

#include "cases/caselist/record_update.h"
#include "core/data/records.h"
#include "core/program/program_state.h"
#include "runtime/data/file_relations.h"
#include "runtime/forms/program_message.h"
#include "runtime/store/error.h"

namespace trv::cases {

using core::ArchiveRecord;
using core::SercaseRecord;

// A knowledge-base entry is the case record without its last field, the closing date.
static_assert(sizeof(ArchiveRecord) == offsetof(SercaseRecord, Cdate));

void copyCaseToArchive(const SercaseRecord& kase, ArchiveRecord& entry) {
  std::memcpy(static_cast<void*>(&entry), &kase, sizeof entry);
}

ArchiveOutcome archiveCase(core::ProgramState& s, std::uint32_t caseNr) {
  data::FileAccess& cases = *s.dictionary.SercaseAccess;
  data::FileAccess& archive = *s.dictionary.ArchiveAccess;
  const std::string nr = std::to_string(caseNr);

  archive.primeRecord();
  cases.record<SercaseRecord>().CaseNr = caseNr;
  if (cases.fetch("SER:CaseNrKey") != store::Ok) {
    forms::tell(s.forms, "Unable to Retrieve Record", ui::Icon::Exclamation);
    return ArchiveOutcome::CaseNotFound;
  }
  archive.record<ArchiveRecord>().CASENR = caseNr;
  const store::Code found = archive.fetch("ARC:CaseNrKey");
  if (found != store::Ok && found != store::RecordNotFound) {
    // The knowledge base cannot be read now: never add a second entry over an unread one.
    forms::tell(s.forms, "Unable to Add Case to Knowledge Base", ui::Icon::Exclamation);
    return ArchiveOutcome::Failed;
  }
  const bool present = found == store::Ok;
  if (present &&
      forms::ask(
          s.forms,
          " Case " + nr + " exists already in Knowledge Base,\r\n Overwrite current record..?",
          ui::Icon::Question, {"&Yes", "&No"}, 1) != 1)
    return ArchiveOutcome::Kept;

  copyCaseToArchive(cases.record<SercaseRecord>(), archive.record<ArchiveRecord>());
  archive.memo("ARC:History") = cases.memo("SER:History");
  if (!present) {
    if (archive.insert() != data::LevelOk) {
      forms::tell(s.forms, "Unable to Add Case to Knowledge Base", ui::Icon::Exclamation);
      return ArchiveOutcome::Failed;
    }
    forms::tell(s.forms, "Case " + nr + " Successfully Exported to Knowledge Base !",
                ui::Icon::Exclamation);
    return ArchiveOutcome::Added;
  }
  if (!updateWithMessages(s, *s.dictionary.ArchiveRelations).ok) {
    forms::tell(s.forms, "Unable to Add Case to Knowledge Base", ui::Icon::Exclamation);
    return ArchiveOutcome::Failed;
  }
  forms::tell(s.forms, "Case " + nr + " successfully Updated !", ui::Icon::Exclamation);
  return ArchiveOutcome::Updated;
}

}  // namespace trv::cases
