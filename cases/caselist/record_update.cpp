#include "cases/caselist/record_update.h"

#include "core/program/program_state.h"
#include "runtime/data/file_relations.h"
#include "runtime/store/error.h"

namespace trv::cases {

UpdateResult updateWithMessages(core::ProgramState& s, data::FileRelations& file) {
  const data::Outcome o = file.update();
  if (o.ok()) return {true, {}};
  store::Connection& conn = data::FileAccess::threadConnection();
  if (conn.inTransaction()) conn.rollback();
  UpdateResult r;
  r.errorText = o.code == store::Ok ? std::string() : std::string(store::codeText(o.code));
  // Code Ok: the relations have shown their own message (a restricted or duplicated key).
  if (o.code != store::Ok && o.level != data::LevelFatal) {
    s.AppMessages.SetFileName(file.file().name());
    (void)s.AppMessages.Raise(o.code == store::RecordChanged ? 6 : 25);
  }
  return r;
}

}  // namespace trv::cases
