#include "core/clients/client_importer.h"

#include <cstring>

#include "core/data/records.h"
#include "runtime/store/error.h"
#include "runtime/text/fixed_string.h"

namespace trv::core {
namespace {

ClientRecord& clientOf(store::RecordBuffer& b) {
  return *std::launder(reinterpret_cast<ClientRecord*>(b.record.data()));
}

// The values of the line over the client's; a new client also takes its contact and e-mail.
void fill(ClientRecord& c, const ImportRecord& v, bool isNew) {
  const auto either = [&v](int first, int second) -> const std::string& {
    return text::clip(v[first]).empty() ? v[second] : v[first];
  };
  if (isNew) {
    c.Contact = v[VktNaam];
    c.Email = v[VktEmail];
  }
  c.Phone = either(VktTel, VktThuisTel);
  c.Address = either(VktAdres, VktThuisAdres);
  c.ZIPCode = either(VktPc, VktThuisPc);
  c.City = either(VktPlaats, VktThuisPlaats);
  c.State = either(VktRegio, VktThuisRegio);
  c.Phone2 = v[VktMobiel];
  c.Fax = either(VktFax, VktThuisFax);
  c.Remarks = v[VktRemark];
}

}  // namespace

ClientImporter::ClientImporter(store::Connection& connection, store::FileId file,
                               const store::FileDecl& decl, std::filesystem::path errorLog,
                               std::int32_t date, std::int32_t time)
    : conn_(connection),
      file_(file),
      decl_(decl),
      fullNameKey_(decl.findKey("CLI:KeyFullName")),
      shortNameKey_(decl.findKey("CLI:SNameKey")),
      errorLog_(std::move(errorLog)),
      date_(date),
      time_(time) {}

bool ClientImporter::run(std::istream& in, const std::function<void(std::uint64_t)>& progress,
                         std::string* failure, const std::function<bool()>& betweenGroups,
                         const std::function<void(const std::function<void()>&)>& commitAside) {
  bool inGroup = false;
  int groupLines = 0;
  auto groupStart = std::chrono::steady_clock::now();
  const auto endGroup = [&]() -> bool {
    groupLines = 0;
    if (!inGroup) return true;
    inGroup = false;
    bool committed = false;
    const auto commit = [&] { committed = conn_.commit() == store::Ok; };
    if (commitAside)
      commitAside(commit);
    else
      commit();
    if (committed) return true;
    if (failure) {
      const store::Error& e = store::lastError();
      *failure = e.driverText.empty() ? e.text : e.text + ": " + e.driverText;
    }
    return false;
  };
  CsvReader reader(in);
  CsvRecord record;
  while (reader.next(record)) {
    ++linesRead_;
    line_ = record.line;
    if (linesRead_ == 1) continue;  // the heading line
    if (!inGroup && !conn_.inTransaction()) {
      // Without a transaction (another station holds the file) each write stands alone.
      inGroup = conn_.begin() == store::Ok;
      groupStart = std::chrono::steady_clock::now();
    }
    if (progress) progress(linesRead_);
    importLine(record);
    if (++groupLines >= kGroupLines ||
        std::chrono::steady_clock::now() - groupStart >= kGroupTime) {
      if (!endGroup()) return false;
      if (betweenGroups && !conn_.inTransaction() && !betweenGroups()) return true;
    }
  }
  return endGroup();
}

void ClientImporter::importLine(const CsvRecord& record) {
  // The log's name and e-mail are made only for a line that is refused.
  record_ = &record;
  place_ = {{}, {}, record.line, {}};
  const ImportRecord v = importRecord(record.fields, &place_.unheld);
  // Stored as "?" the characters would be lost without a word.
  if (!place_.unheld.empty()) {
    logError(ImportError::Unheld);
    return;
  }
  const std::string fullName = importFullName(v);
  // A line without any name would otherwise land on the previous line's client.
  if (record.malformed || refusedCharacters(v) || fullName.empty()) {
    logError(ImportError::NoCsvRecord);
    return;
  }
  store::RecordBuffer b(decl_);
  clientOf(b) = ClientRecord();
  clientOf(b).LName = fullName;
  if (conn_.fetch(file_, fullNameKey_, b) != store::Ok) {
    addClient(v, fullName);
    return;
  }
  if (text::clip(v[VktEmail]) == clientOf(b).Email.view()) {
    fill(clientOf(b), v, false);
    if (conn_.put(file_, b) != store::Ok) {
      logError(ImportError::DoubleKey);
    } else {
      imported_ = true;
    }
    return;
  }
  ++runningNumber_;
  addClient(v, numberedName(fullName, runningNumber_));
}

void ClientImporter::addClient(const ImportRecord& v, const std::string& fullName) {
  imported_ = true;
  store::RecordBuffer b(decl_);
  ClientRecord rec;  // text blank, numbers 0, as a primed record
  rec.LName = fullName;
  fill(rec, v, true);
  bool named = false;
  for (int attempt = 0; attempt <= kLastShortNameNumber && !named; ++attempt) {
    rec.SName = shortNameCandidate(fullName, attempt);
    store::RecordBuffer probe(decl_);
    clientOf(probe) = rec;
    named = conn_.fetch(file_, shortNameKey_, probe) != store::Ok;
  }
  clientOf(b) = rec;
  // Every short name of the numbering taken: the line is refused rather than looping on.
  if (!named || conn_.add(file_, b) != store::Ok) logError(ImportError::DoubleKey);
}

void ClientImporter::logError(ImportError reason) {
  ++rejected_;
  lastError_ = reason;
  place_.name = importLogName(record_->fields);
  place_.email = importLogEmail(record_->fields);
  const std::string line = importErrorLine(date_, time_, reason, place_) + "\r\n";
  // Opened at the first refused line and kept for the run; each line is flushed at once.
  if (!log_.is_open()) log_.open(errorLog_, std::ios::binary | std::ios::app);
  log_.write(line.data(), static_cast<std::streamsize>(line.size()));
  log_.flush();
  if (!log_) {
    logFailed_ = true;
    log_.close();
    log_.clear();
  }
}

}  // namespace trv::core
