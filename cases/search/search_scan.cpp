#include "cases/search/search_scan.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>

#include "core/data/records.h"
#include "runtime/data/file_access.h"
#include "runtime/text/fixed_string.h"

namespace trv::cases {
namespace {

// Records read ahead per statement while scanning.
constexpr int kBulkRows = 200;

static_assert(offsetof(core::SercaseRecord, SName) == offsetof(core::ArchiveRecord, SNAME));
static_assert(offsetof(core::SercaseRecord, LName) == offsetof(core::ArchiveRecord, LNAME));
static_assert(offsetof(core::SercaseRecord, Product) == offsetof(core::ArchiveRecord, Product));
static_assert(offsetof(core::SercaseRecord, IDProduct) == offsetof(core::ArchiveRecord, IDPRODUCT));
static_assert(offsetof(core::SercaseRecord, SProblem) == offsetof(core::ArchiveRecord, SProblem));
static_assert(offsetof(core::SercaseRecord, CaseNr) == offsetof(core::ArchiveRecord, CASENR));

// The case fields of a case or knowledge-base record (the two share their first 299 bytes),
// copied so that a record shorter than an archive record is never read past its end.
core::ArchiveRecord caseFields(const std::string& record) {
  static_assert(std::is_trivially_copyable_v<core::ArchiveRecord>);
  core::ArchiveRecord r{};
  std::memcpy(&r, record.data(), std::min(record.size(), sizeof r));
  return r;
}

template <std::size_t N>
std::string_view whole(const text::FixedString<N>& f) {
  return f.raw();
}

template <std::size_t N>
std::string clipped(const text::FixedString<N>& f) {
  return f.str();
}

// Bulk reading while a file is scanned; the history memo only when the subject is the history.
void scanning(data::FileAccess& f, bool on, bool memos) {
  f.setBulkRows(on ? kBulkRows : 1);
  data::FileAccess::threadConnection().setSequenceMemos(f.fileId(), !on || memos);
}

}  // namespace

SearchScan::SearchScan(std::vector<Source> sources, SearchSubject subject, std::string_view phrase,
                       SearchHits& hits)
    : sources_(std::move(sources)), subject_(subject), matcher_(phrase), hits_(hits) {}

SearchScan::~SearchScan() {
  if (started_ && current_ < sources_.size()) scanning(*sources_[current_].file, false, true);
}

void SearchScan::SkipFailedFile() {
  if (failure_ == store::Ok || current_ >= sources_.size()) return;
  failure_ = store::Ok;
  failedFile_ = nullptr;
  endFile();
}

int SearchScan::percent() const {
  std::int64_t all = 0;
  for (std::int64_t r : lastRows_) all += r;
  if (all <= 0) return 0;
  return static_cast<int>(std::clamp<std::int64_t>((doneRows_ + atRow_) * 100 / all, 0, 100));
}

void SearchScan::measure() {
  for (const Source& s : sources_) {
    data::FileAccess& f = *s.file;
    std::int64_t last = 0;
    if (f.setFileOrder() == store::Ok) {
      // One row from the end, without its memos.
      data::FileAccess::threadConnection().setSequenceMemos(f.fileId(), false);
      f.setBulkRows(1);
      if (f.previous() == store::Ok) last = f.position().row;
      scanning(f, false, true);
    }
    lastRows_.push_back(last);
  }
}

bool SearchScan::startFile() {
  data::FileAccess& f = *sources_[current_].file;
  if (store::Code c = f.setFileOrder(); c != store::Ok) {
    failure_ = c;
    failedFile_ = &f;
    return false;
  }
  scanning(f, true, subject_ == SearchSubject::History);
  memo_ = f.decl().memos.empty() ? -1 : 0;  // the history is each file's first memo
  started_ = true;
  return true;
}

void SearchScan::endFile() {
  if (current_ < lastRows_.size()) doneRows_ += lastRows_[current_];
  atRow_ = 0;
  if (started_) scanning(*sources_[current_].file, false, true);
  started_ = false;
  ++current_;
}

bool SearchScan::Step(int records) {
  if (subject_ == SearchSubject::None || subject_ == SearchSubject::CaseNr || matcher_.empty())
    return false;
  if (!measured_) {
    measured_ = true;
    measure();
  }
  for (int i = 0; i < records;) {
    if (current_ >= sources_.size() || failure_ != store::Ok) return false;
    if (!started_ && !startFile()) return false;
    data::FileAccess& f = *sources_[current_].file;
    const store::Code c = f.next();
    if (c == store::RecordNotFound) {
      endFile();
      continue;
    }
    if (c != store::Ok) {
      failure_ = c;
      failedFile_ = &f;
      return false;
    }
    ++read_;
    ++i;
    atRow_ = f.position().row;
    check(sources_[current_]);
  }
  return current_ < sources_.size() && failure_ == store::Ok;
}

void SearchScan::check(const Source& source) {
  const store::RecordBuffer& b = source.file->buffer();
  const core::ArchiveRecord r = caseFields(b.record);
  bool found = false;
  switch (subject_) {
    case SearchSubject::ClientId:
      found = matcher_.foundIn(whole(r.SNAME));
      break;
    case SearchSubject::ClientName:
      found = matcher_.foundIn(whole(r.LNAME));
      break;
    case SearchSubject::ProductId:
      found = matcher_.foundIn(whole(r.IDPRODUCT));
      break;
    case SearchSubject::Product:
      found = matcher_.foundIn(whole(r.Product));
      break;
    case SearchSubject::Problem:
      found = matcher_.foundIn(whole(r.SProblem));
      break;
    case SearchSubject::History:
      found = memo_ >= 0 && matcher_.foundIn(b.memos[static_cast<std::size_t>(memo_)]);
      break;
    default:
      break;
  }
  if (!found) return;
  SearchHit h;
  h.NR = static_cast<std::uint32_t>(hits_.size() + 1);
  h.CASENR = r.CASENR;
  h.SNAME = clipped(r.SNAME);
  h.LNAME = clipped(r.LNAME);
  h.IDPRODUCT = clipped(r.IDPRODUCT);
  h.PRODUCT = clipped(r.Product);
  h.SPROBLEM = clipped(r.SProblem);
  h.FROMFILE = source.fromFile;
  hits_.push_back(std::move(h));
}

}  // namespace trv::cases
