#include "core/system/user_rules.h"

#include <cstring>
#include <vector>

#include "core/data/records.h"
#include "runtime/text/fixed_string.h"

namespace trv::core {

int levelForQualification(std::string_view qualification) {
  static constexpr std::string_view kLevels[] = {"User", "Supervisor", "Administrator"};
  for (int i = 0; i < 3; ++i)
    if (text::clip(qualification) == kLevels[i]) return i;
  return -1;
}

int countAdministrators(data::FileAccess& ide, std::uint16_t except) {
  store::Connection& conn = data::FileAccess::threadConnection();
  const store::FileId id = ide.fileId();
  if (conn.setFileOrder(id) != store::Ok) return -1;
  store::RecordBuffer row(ide.decl());
  int admins = 0;
  for (;;) {
    const store::Code c = conn.next(id, row);
    if (c == store::RecordNotFound) return admins;
    if (c != store::Ok) return -1;
    IdeRecord r;
    std::memcpy(&r, row.record.data(), sizeof r);
    if (r.Level == 2 && (except == 0 || r.IdNr != except)) ++admins;
  }
}

store::Code carryCaseOwner(data::FileAccess& sercase, std::string_view oldName,
                           std::string_view newName, std::uint64_t* changed) {
  if (changed) *changed = 0;
  store::Connection& conn = data::FileAccess::threadConnection();
  const store::FileId id = sercase.fileId();
  if (store::Code c = conn.begin(); c != store::Ok) return c;
  store::Code failed = conn.setFileOrder(id);
  store::RecordBuffer row(sercase.decl());
  std::vector<store::RecordBuffer> owned;
  while (failed == store::Ok) {
    const store::Code c = conn.next(id, row);
    if (c == store::RecordNotFound) break;
    if (c != store::Ok) {
      failed = c;
      break;
    }
    SercaseRecord r;
    std::memcpy(&r, row.record.data(), sizeof r);
    if (text::equalNoCase(r.Owner.view(), oldName)) owned.push_back(row);
  }
  for (store::RecordBuffer& b : owned) {
    if (failed != store::Ok) break;
    SercaseRecord r;
    std::memcpy(&r, b.record.data(), sizeof r);
    r.Owner = newName;
    std::memcpy(b.record.data(), &r, sizeof r);
    failed = conn.put(id, b);
  }
  if (failed == store::Ok) failed = conn.commit();
  if (failed != store::Ok) {
    if (conn.inTransaction()) conn.rollback();
    return failed;
  }
  if (changed) *changed = owned.size();
  return store::Ok;
}

}  // namespace trv::core
