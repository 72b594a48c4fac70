#include "core/queues/queue_rebuild.h"

#include <cstring>
#include <string>
#include <utility>

#include "core/data/files.h"
#include "runtime/data/file_access.h"
#include "runtime/ini/ini_settings.h"
#include "runtime/text/charset.h"
#include "runtime/text/clock.h"
#include "runtime/text/fixed_string.h"

namespace trv::core {
namespace {

std::string userSection(std::string_view userName) {
  return text::toUtf8(text::clip(userName));
}

// False when `step` stopped the sort.
bool sortAll(QueueContents& c, long long sortChoice, const BetweenBatches& step) {
  return sortAft(c.AFT, orderOfChoice(sortChoice), step) &&
         sortBef(c.BEF, orderOfChoice(sortChoice), step);
}

// Room for about as many entries as the queues held after the last rebuild, so that the scan
// does not copy large queues as they grow.
QueueContents sizedLike(const SharedQueues& queues) {
  const SharedQueues::Snapshot last = queues.snapshot();
  QueueContents c;
  c.AFT.reserve(last->AFT.size() + last->AFT.size() / 8);
  c.BEF.reserve(last->BEF.size() + last->BEF.size() / 8);
  return c;
}

}  // namespace

long long userSortChoice(const ini::IniSettings& settings, std::string_view userName) {
  return settings.ReadNumber(userSection(userName), "ViewFlag2");
}

RebuildOutcome scanCaseFile(store::Connection& conn, store::FileId file, store::RecordBuffer& buf,
                            const QueueViewer& viewer, std::int32_t today, std::int32_t now,
                            const ClosedCaseHook& closedCase, QueueContents& out,
                            const BetweenBatches& betweenBatches) {
  RebuildOutcome o;
  conn.setBulkRows(file, kScanBatchRows);
  conn.setSequenceMemos(file, false);
  o.code = conn.setFileOrder(file);
  std::uint32_t aftNr = static_cast<std::uint32_t>(out.AFT.size());
  std::uint32_t befNr = static_cast<std::uint32_t>(out.BEF.size());
  SercaseRecord c;
  int inBatch = 0;
  while (o.code == store::Ok) {
    // The batch's records are all read (the store's statements are reset): a safe point to let
    // other threads in, unless a hook left a transaction open.
    if (++inBatch > kScanBatchRows) {
      inBatch = 1;
      if (betweenBatches && !conn.inTransaction() && !betweenBatches()) {
        o.stopped = true;
        break;
      }
    }
    const store::Code step = conn.next(file, buf);
    if (step != store::Ok) {
      if (step != store::RecordNotFound) o.code = step;
      break;
    }
    if (buf.record.size() != sizeof c) {
      o.code = store::setError(store::InvalidRecordDeclaration, 0, "not a case record");
      break;
    }
    std::memcpy(&c, buf.record.data(), sizeof c);
    ++o.cases;
    if (isClosed(c)) {
      ++o.closed;
      if (closedCase && closedCase(c, buf.position)) inBatch = kScanBatchRows;
      continue;
    }
    if (!viewerSees(viewer, c)) continue;
    const std::optional<Placement> p = placeCase(c, today, now);
    if (!p) continue;
    if (p->queue == QueueKind::AFT)
      out.AFT.push_back(makeEntry(c, *p, ++aftNr));
    else
      out.BEF.push_back(makeEntry(c, *p, ++befNr));
  }
  // Back to single reads with memos for whoever uses this file next on the connection, and the
  // last case whole in the buffer, as a read of it would leave it.
  conn.setBulkRows(file, 1);
  conn.setSequenceMemos(file, true);
  if (o.cases > 0 && buf.position.valid()) {
    const store::Error keep = store::lastError();
    if (conn.get(file, buf.position, buf) != store::Ok)
      store::setError(keep.code, keep.driverCode, keep.driverText);
  }
  return o;
}

RebuildOutcome rebuildQueues(SharedQueues& queues, data::FileAccess& sercase,
                             const ini::IniSettings& settings, const RescanInputs& inputs,
                             const text::Clock& clock, const RescanHooks& hooks) {
  const long long sortChoice = userSortChoice(settings, inputs.userName);
  queues.setOwnCasesOnly(inputs.userLevel > 0 &&
                         settings.ReadNumber(userSection(inputs.userName), "Viewflag") != 0);
  if (hooks.beforeRebuild) hooks.beforeRebuild();

  RebuildOutcome o;
  o.sortChoice = sortChoice;
  if (sercase.open() != data::LevelOk) {
    o.code = store::FileNotOpen;
    return o;
  }
  if (sercase.useFile() != data::LevelOk) {
    sercase.close();
    o.code = store::FileNotOpen;
    return o;
  }
  const QueueViewer viewer{inputs.userName, inputs.userLevel, queues.ownCasesOnly(),
                           inputs.hideOnHold};
  QueueContents fresh = sizedLike(queues);
  // The clock is read once so that every case is placed against the same moment.
  const std::int32_t today = clock.today(), now = clock.now();
  o = scanCaseFile(data::FileAccess::threadConnection(), sercase.fileId(), sercase.buffer(), viewer,
                   today, now, hooks.closedCase, fresh, hooks.betweenBatches);
  o.sortChoice = sortChoice;
  sercase.close();
  if (o.code != store::Ok || o.stopped) return o;
  o.stopped = !sortAll(fresh, sortChoice, hooks.betweenBatches);
  if (!o.stopped) queues.replace(std::move(fresh));
  return o;
}

RebuildOutcome rebuildQueuesForOverview(SharedQueues& queues, const std::string& caseFilePath,
                                        const ini::IniSettings& settings,
                                        const RescanInputs& inputs, const text::Clock& clock,
                                        const BetweenBatches& betweenBatches) {
  const long long sortChoice = userSortChoice(settings, inputs.userName);
  RebuildOutcome o;
  o.sortChoice = sortChoice;
  const store::FileDecl& decl = declaration(DataFile::Sercase);
  store::Connection conn;
  store::FileId file = -1;
  o.code = conn.open(decl, caseFilePath, store::OpenMode::ReadOnly, &file);
  if (o.code != store::Ok) return o;
  const QueueViewer viewer{inputs.userName, inputs.userLevel, queues.ownCasesOnly(),
                           inputs.hideOnHold};
  QueueContents fresh = sizedLike(queues);
  store::RecordBuffer buf(decl);
  const std::int32_t today = clock.today(), now = clock.now();
  o = scanCaseFile(conn, file, buf, viewer, today, now, nullptr, fresh, betweenBatches);
  o.sortChoice = sortChoice;
  conn.close(file);
  if (o.code != store::Ok || o.stopped) return o;
  o.stopped = !sortAll(fresh, sortChoice, betweenBatches);
  if (!o.stopped) queues.replace(std::move(fresh));
  return o;
}

}  // namespace trv::core
