#include "runtime/view/view_reader.h"

#include <algorithm>
#include <atomic>

#include "runtime/store/record_codec.h"

namespace trv::view {
namespace {

std::atomic<int> gSnapshotsTaken{0};

}  // namespace

ViewReader::ViewReader(store::Connection& connection, store::FileId file,
                       const store::FileDecl& decl)
    : connection_(connection), file_(file), decl_(decl) {}

void ViewReader::SetKeyOrder(int key) {
  key_ = key;
  sorted_ = false;
  snapshot_.reset();
}

void ViewReader::SetSortOrder(std::vector<store::SortPart> parts) {
  if (sorted_ && parts == sortParts_) return;
  sorted_ = true;
  sortParts_ = std::move(parts);
  sortKey_ = keyGivingOrder(decl_, sortParts_);
  sortKeyBackwards_ = sortKey_ >= 0 && sortParts_[0].descending;
  snapshot_.reset();
}

int ViewReader::keyGivingOrder(const store::FileDecl& decl,
                               const std::vector<store::SortPart>& parts) {
  if (parts.size() != 1) return -1;
  const int field = parts[0].field;
  if (field < 0 || static_cast<std::size_t>(field) >= decl.fields.size()) return -1;
  const store::FieldType type = decl.fields[static_cast<std::size_t>(field)].type;
  if (type == store::FieldType::String || type == store::FieldType::CString) return -1;
  for (std::size_t k = 0; k < decl.keys.size(); ++k) {
    const store::KeyDecl& key = decl.keys[k];
    if (key.autoNumber && key.components.size() == 1 &&
        key.components[0] == static_cast<std::size_t>(field))
      return static_cast<int>(k);
  }
  return -1;
}

void ViewReader::Resort() {
  if (!snapshot_) return;
  std::uint64_t now = 0;
  if (connection_.changeStamp(file_, &now) == store::Ok && now == snapshot_->stamp()) return;
  store::clearError();
  snapshot_.reset();
}

int ViewReader::TEST_snapshotsTaken() {
  return gSnapshotsTaken.load();
}

store::Code ViewReader::snapshot() {
  if (snapshot_) return store::Ok;
  ++gSnapshotsTaken;
  return store::SortSnapshot::take(connection_, file_, sortParts_, &snapshot_, pause_);
}

store::Code ViewReader::collectSorted(std::int64_t from, bool forward, int count,
                                      std::vector<store::RecordBuffer>& out) {
  if (const store::Code c = snapshot(); c != store::Ok) return c;
  if (count <= 0) return store::Ok;
  const bool narrowed = !filters_.empty() || (range_ && range_->within);
  const int chunk = narrowed ? std::max(count * 2, 50) : count;
  const std::size_t start = out.size();
  std::int64_t at = from;
  while (static_cast<int>(out.size() - start) < count && at >= 0 && at < snapshot_->size()) {
    std::vector<store::RecordBuffer> batch;
    std::vector<std::int64_t> places;
    if (const store::Code c = snapshot_->read(at, forward, chunk, batch, places); c != store::Ok)
      return c;
    if (batch.empty()) break;
    for (store::RecordBuffer& b : batch) {
      if (static_cast<int>(out.size() - start) >= count) break;
      if (shows(b)) out.push_back(std::move(b));
    }
    at = forward ? places.back() + 1 : places.back() - 1;
  }
  if (!forward) std::reverse(out.begin() + static_cast<std::ptrdiff_t>(start), out.end());
  store::clearError();
  return store::Ok;
}

store::Code ViewReader::placeBeside(const store::RecordBuffer& at, bool forward,
                                    std::int64_t* place) {
  if (const store::Code c = snapshot(); c != store::Ok) return c;
  std::int64_t found = -1;
  if (const store::Code c = snapshot_->placeOf(at.position.row, &found); c != store::Ok) return c;
  if (found >= 0) {
    *place = forward ? found + 1 : found - 1;
    return store::Ok;
  }
  // Not in the snapshot (added since): its value places it.
  const std::string value = store::sortValue(decl_, sortParts_, at.record.data());
  if (const store::Code c = snapshot_->lowerBound(value, at.position.row, &found); c != store::Ok)
    return c;
  *place = forward ? found : found - 1;
  return store::Ok;
}

void ViewReader::SetRange(store::RecordBuffer low, store::RecordBuffer high, Predicate within) {
  range_ = Range{std::move(low), std::move(high), std::move(within)};
}

void ViewReader::ClearRange() {
  range_.reset();
}

void ViewReader::SetNamedFilter(const std::string& name, Predicate keep) {
  if (keep) {
    filters_[name] = std::move(keep);
  } else {
    filters_.erase(name);
  }
}

void ViewReader::Reset() {
  range_.reset();
  filters_.clear();
}

bool ViewReader::passesFilters(const store::RecordBuffer& record) const {
  return std::all_of(filters_.begin(), filters_.end(),
                     [&](const auto& f) { return f.second(record); });
}

bool ViewReader::shows(const store::RecordBuffer& record) const {
  if (range_ && range_->within && !range_->within(record)) return false;
  return passesFilters(record);
}

store::Code ViewReader::collect(bool forward, int count, std::vector<store::RecordBuffer>& out) {
  if (count <= 0) return store::Ok;
  // Read a little more than asked when filters may skip records.
  connection_.setBulkRows(file_, filters_.empty() ? count + 1 : std::max(count * 2, 50));
  const std::size_t start = out.size();
  // A descending order that a key gives walks that key the other way.
  const bool keyForward = forward != (sorted_ && sortKeyBackwards_);
  while (static_cast<int>(out.size() - start) < count) {
    // The store fills a buffer by exchanging storage with it: any buffer does.
    store::RecordBuffer buf;
    if (!spare_.empty()) {
      buf = std::move(spare_.back());
      spare_.pop_back();
    }
    const store::Code c =
        keyForward ? connection_.next(file_, buf) : connection_.previous(file_, buf);
    if (c == store::RecordNotFound) break;
    if (c != store::Ok) return c;
    const bool outOfRange = range_ && range_->within && !range_->within(buf);
    if (outOfRange && !sorted_) break;  // a sorted order's range only filters
    if (outOfRange || !passesFilters(buf)) {
      spare_.push_back(std::move(buf));
      continue;
    }
    out.push_back(std::move(buf));
  }
  if (!forward) std::reverse(out.begin() + static_cast<std::ptrdiff_t>(start), out.end());
  store::clearError();
  return store::Ok;
}

store::Code ViewReader::first(int count, std::vector<store::RecordBuffer>& out) {
  if (snapshotted()) return collectSorted(0, true, count, out);
  store::Code c = store::Ok;
  if (readKey() < 0) {
    c = connection_.setFileOrder(file_);
  } else {
    c = connection_.setKeyOrder(file_, readKey(), range_ && !sorted_ ? &range_->low : nullptr);
  }
  if (c != store::Ok) return c;
  return collect(true, count, out);
}

store::Code ViewReader::last(int count, std::vector<store::RecordBuffer>& out) {
  if (snapshotted()) {
    if (const store::Code c = snapshot(); c != store::Ok) return c;
    return collectSorted(snapshot_->size() - 1, false, count, out);
  }
  store::Code c = store::Ok;
  if (readKey() < 0) {
    c = connection_.setFileOrder(file_);
  } else {
    c = connection_.setKeyOrder(file_, readKey(), range_ && !sorted_ ? &range_->high : nullptr);
  }
  if (c != store::Ok) return c;
  return collect(false, count, out);
}

store::Code ViewReader::after(const store::RecordBuffer& at, int count,
                              std::vector<store::RecordBuffer>& out) {
  if (snapshotted()) {
    std::int64_t place = 0;
    if (const store::Code c = placeBeside(at, true, &place); c != store::Ok) return c;
    return collectSorted(place, true, count, out);
  }
  if (const store::Code c = connection_.setSequenceAt(file_, readKey(), at); c != store::Ok)
    return c;
  return collect(true, count, out);
}

store::Code ViewReader::before(const store::RecordBuffer& at, int count,
                               std::vector<store::RecordBuffer>& out) {
  if (snapshotted()) {
    std::int64_t place = 0;
    if (const store::Code c = placeBeside(at, false, &place); c != store::Ok) return c;
    return collectSorted(place, false, count, out);
  }
  if (const store::Code c = connection_.setSequenceAt(file_, readKey(), at); c != store::Ok)
    return c;
  return collect(false, count, out);
}

store::Code ViewReader::from(const store::RecordBuffer& probe, int count,
                             std::vector<store::RecordBuffer>& out) {
  if (snapshotted()) {
    if (const store::Code c = snapshot(); c != store::Ok) return c;
    std::int64_t place = 0;
    const std::string prefix = store::sortPrefix(decl_, sortParts_, probe.record.data());
    if (const store::Code c = snapshot_->lowerBound(prefix, 0, &place); c != store::Ok) return c;
    return collectSorted(place, true, count, out);
  }
  if (readKey() < 0) return first(count, out);
  if (sorted_ && sortKeyBackwards_ &&
      !store::keyImage(decl_, decl_.keys[static_cast<std::size_t>(sortKey_)], probe.record.data()))
    return store::Ok;  // nothing numbers at or below zero (a blank probe would start at the end)
  const store::RecordBuffer* start = &probe;
  if (range_ && !sorted_) {
    // A probe below the range starts at the range's low end.
    const store::KeyDecl& k = decl_.keys[static_cast<std::size_t>(key_)];
    const auto probeImage = store::keyImage(decl_, k, probe.record.data());
    const auto lowImage = store::keyImage(decl_, k, range_->low.record.data());
    if (!probeImage || (lowImage && *probeImage < *lowImage)) start = &range_->low;
  }
  if (const store::Code c = connection_.setKeyOrder(file_, readKey(), start); c != store::Ok)
    return c;
  return collect(true, count, out);
}

void ViewReader::recycle(std::vector<store::RecordBuffer>& done) {
  for (store::RecordBuffer& b : done) spare_.push_back(std::move(b));
  done.clear();
}

}  // namespace trv::view
