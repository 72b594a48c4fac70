#pragma once
// The data dictionary: one FileAccess and one FileRelations per data file and for the case
// export file, set up once at program start and released at program end.
//
// The program-state object owns one Dictionary; its members carry the names that the system
// gives its file-access objects (`ClientAccess`, `ClientRelations`, ...). They are null before
// setUp() and after release().

#include <memory>
#include <string>

#include "core/data/files.h"
#include "runtime/data/file_access.h"
#include "runtime/data/file_relations.h"
#include "runtime/data/message_sink.h"

namespace trv::core {

struct Dictionary {
  std::unique_ptr<data::FileAccess> SlaAccess, ProblemAccess, LogAccess, SercaseAccess, SysAccess,
      ArchiveAccess, ExportAccess, IdeAccess, ClientAccess;
  std::unique_ptr<data::FileRelations> SlaRelations, ProblemRelations, LogRelations,
      SercaseRelations, SysRelations, ArchiveRelations, ExportRelations, IdeRelations,
      ClientRelations;

  // Sets up every file in the order Sla, Problem, Log, Sercase, Sys, Archive, the case export
  // file, Ide, Client (record, settings, keys, memos, the new-case default), then the relations
  // of Client, Problem and Sla to Sercase. Messages go to `sink`, which must outlive the
  // dictionary. File names are set by setNames().
  void setUp(data::MessageSink& sink);
  // Builds the eight file names in the database folder (in the order Client, Sercase, Ide, Sla,
  // Sys, Log, Archive, Problem); open files keep their open file.
  void setNames(const std::string& databaseFolder);
  // The name of the case export file.
  void setExportPath(const std::string& path);
  // In the set-up order: each FileRelations shut down with its FileAccess, both pointers
  // cleared.
  void release();

  data::FileAccess* access(DataFile file) const;
  data::FileRelations* relations(DataFile file) const;
};

}  // namespace trv::core
