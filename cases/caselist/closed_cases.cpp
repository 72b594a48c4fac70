#include "cases/caselist/closed_cases.h"

#include <algorithm>
#include <cstring>

#include "core/data/records.h"
#include "core/data/words.h"
#include "runtime/data/file_access.h"
#include "runtime/store/error.h"

namespace trv::cases {
namespace {

constexpr int kScanBatchRows = 500;
// Each deletion is a transaction of its own, a fraction of a millisecond.
constexpr int kDeletionsPerBatch = 50;
constexpr std::size_t kFailuresListed = 10;

struct Found {
  store::Position position;
  std::uint32_t caseNr = 0;
};

bool isClosed(const core::SercaseRecord& c) {
  return c.Status == core::kStatusClosed;
}

// The closed cases, in record order; the store's failure when the file could not be read to
// its end.
store::Code findClosed(data::FileAccess& sercase, std::vector<Found>& out,
                       const std::function<bool()>& betweenBatches) {
  store::Connection& conn = data::FileAccess::threadConnection();
  const store::FileId file = sercase.fileId();
  store::RecordBuffer buf(sercase.decl());
  conn.setBulkRows(file, kScanBatchRows);
  store::Code code = conn.setFileOrder(file);
  conn.setSequenceMemos(file, false);
  core::SercaseRecord c;
  int inBatch = 0;
  while (code == store::Ok) {
    // The batch read ahead is used up, so no statement is open here.
    if (++inBatch > kScanBatchRows) {
      inBatch = 1;
      if (betweenBatches && !betweenBatches()) {
        code = store::RecordNotFound;
        break;
      }
    }
    code = conn.next(file, buf);
    if (code != store::Ok || buf.record.size() != sizeof c) break;
    std::memcpy(static_cast<void*>(&c), buf.record.data(), sizeof c);
    if (isClosed(c)) out.push_back({buf.position, c.CaseNr});
  }
  conn.setBulkRows(file, 1);
  conn.setSequenceMemos(file, true);
  return code == store::RecordNotFound ? store::Ok : code;
}

}  // namespace

ClosedCasesPass deleteClosedCases(data::FileAccess& sercase,
                                  const std::function<void(std::uint32_t)>& deleted,
                                  const std::function<bool()>& betweenBatches) {
  ClosedCasesPass pass;
  if (sercase.useFile() != data::LevelOk) {
    pass.readFailure = store::FileNotOpen;
    return pass;
  }
  std::vector<Found> closed;
  pass.readFailure = findClosed(sercase, closed, betweenBatches);
  int inBatch = 0;
  for (const Found& f : closed) {
    if (++inBatch > kDeletionsPerBatch) {
      inBatch = 1;
      if (betweenBatches && !betweenBatches()) break;
    }
    // The case as stored now: still there, still closed.
    const store::Code read = sercase.reget(f.position);
    if (read == store::RecordNotFound) continue;
    if (read != store::Ok) {
      ++pass.found;
      pass.failed.push_back(f.caseNr);
      continue;
    }
    if (!isClosed(sercase.record<core::SercaseRecord>())) continue;
    ++pass.found;
    if (sercase.remove() != store::Ok) {
      pass.failed.push_back(f.caseNr);
      continue;
    }
    if (deleted) deleted(f.caseNr);
  }
  return pass;
}

std::string closedCasesFailureText(const std::vector<std::uint32_t>& failed) {
  std::string text;
  const std::size_t listed = std::min(failed.size(), kFailuresListed);
  for (std::size_t i = 0; i < listed; ++i) {
    if (!text.empty()) text += "\r\n";
    text += "Error : Case Nr. : " + std::to_string(failed[i]) + " is not deleted...";
  }
  if (failed.size() > listed)
    text +=
        "\r\nError : " + std::to_string(failed.size() - listed) + " more Cases are not deleted...";
  return text;
}

}  // namespace trv::cases
