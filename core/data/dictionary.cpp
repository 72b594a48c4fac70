#include "core/data/dictionary.h"

namespace trv::core {

namespace {

void setUpFile(std::unique_ptr<data::FileAccess>& access,
               std::unique_ptr<data::FileRelations>& relations, store::FileDecl decl,
               data::MessageSink& sink) {
  access = std::make_unique<data::FileAccess>(std::move(decl), sink);
  access->setLockRecovery(10);
  relations = std::make_unique<data::FileRelations>(*access);
}

void releaseFile(std::unique_ptr<data::FileAccess>& access,
                 std::unique_ptr<data::FileRelations>& relations) {
  if (relations) relations->shutdown();
  relations.reset();
  access.reset();
}

store::FileDecl exportDecl() {
  store::FileDecl d;
  d.name = "Export";
  d.prefix = "EXC";
  d.recordSize = 1;
  return d;
}

}  // namespace

void Dictionary::setUp(data::MessageSink& sink) {
  setUpFile(SlaAccess, SlaRelations, declaration(DataFile::Sla), sink);
  setUpFile(ProblemAccess, ProblemRelations, declaration(DataFile::Problem), sink);
  setUpFile(LogAccess, LogRelations, declaration(DataFile::Log), sink);
  setUpFile(SercaseAccess, SercaseRelations, declaration(DataFile::Sercase), sink);
  SercaseAccess->setNewRecordDefault("SER:Priority", std::string(kNewCasePriority));
  setUpFile(SysAccess, SysRelations, declaration(DataFile::Sys), sink);
  setUpFile(ArchiveAccess, ArchiveRelations, declaration(DataFile::Archive), sink);
  setUpFile(ExportAccess, ExportRelations, exportDecl(), sink);
  ExportAccess->setTextFile(true);
  setUpFile(IdeAccess, IdeRelations, declaration(DataFile::Ide), sink);
  setUpFile(ClientAccess, ClientRelations, declaration(DataFile::Client), sink);

  using data::Rule;
  ClientRelations->addRelation(*SercaseRelations, "SER:NameKey", Rule::Cascade, Rule::Restrict,
                               {{"CLI:SName", "SER:SName"}});
  ProblemRelations->addRelation(*SercaseRelations, "SER:KeyProblem", Rule::Cascade, Rule::Restrict,
                                {{"PRO:PROBLEM", "SER:SProblem"}});
  SlaRelations->addRelation(*SercaseRelations, "SER:ProductID", Rule::Cascade, Rule::Restrict,
                            {{"SLA:IDProduct", "SER:IDProduct"}});
}

void Dictionary::setNames(const std::string& folder) {
  for (DataFile f : {DataFile::Client, DataFile::Sercase, DataFile::Ide, DataFile::Sla,
                     DataFile::Sys, DataFile::Log, DataFile::Archive, DataFile::Problem})
    if (data::FileAccess* a = access(f)) a->setName(filePath(folder, f));
}

void Dictionary::setExportPath(const std::string& path) {
  if (ExportAccess) ExportAccess->setName(path);
}

void Dictionary::release() {
  releaseFile(SlaAccess, SlaRelations);
  releaseFile(ProblemAccess, ProblemRelations);
  releaseFile(LogAccess, LogRelations);
  releaseFile(SercaseAccess, SercaseRelations);
  releaseFile(SysAccess, SysRelations);
  releaseFile(ArchiveAccess, ArchiveRelations);
  releaseFile(ExportAccess, ExportRelations);
  releaseFile(IdeAccess, IdeRelations);
  releaseFile(ClientAccess, ClientRelations);
}

data::FileAccess* Dictionary::access(DataFile file) const {
  switch (file) {
    case DataFile::Sercase:
      return SercaseAccess.get();
    case DataFile::Archive:
      return ArchiveAccess.get();
    case DataFile::Client:
      return ClientAccess.get();
    case DataFile::Ide:
      return IdeAccess.get();
    case DataFile::Sla:
      return SlaAccess.get();
    case DataFile::Problem:
      return ProblemAccess.get();
    case DataFile::Log:
      return LogAccess.get();
    case DataFile::Sys:
      return SysAccess.get();
  }
  return nullptr;
}

data::FileRelations* Dictionary::relations(DataFile file) const {
  switch (file) {
    case DataFile::Sercase:
      return SercaseRelations.get();
    case DataFile::Archive:
      return ArchiveRelations.get();
    case DataFile::Client:
      return ClientRelations.get();
    case DataFile::Ide:
      return IdeRelations.get();
    case DataFile::Sla:
      return SlaRelations.get();
    case DataFile::Problem:
      return ProblemRelations.get();
    case DataFile::Log:
      return LogRelations.get();
    case DataFile::Sys:
      return SysRelations.get();
  }
  return nullptr;
}

}  // namespace trv::core
